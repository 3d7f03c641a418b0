#include "app/dialogs/RequestTreeModel.h"

#include <cstdio>

#include "capture/MatchCriteria.h"
#include "decode/WindowsNames.h"

namespace brx {
namespace {

struct UrbCategory {
    const char* text;
    uint8_t functions[8];
    uint8_t count;
};

// The URB functions by what they do, each group in its display order.
constexpr UrbCategory kUrbCategories[] = {
    {"Class", {0x1A, 0x1B, 0x1C, 0x1F}, 4},
    {"Configuration", {0x26, 0x00}, 2},
    {"Descriptor", {0x0B, 0x28, 0x24, 0x0C, 0x29, 0x25, 0x2A}, 7},
    {"Feature", {0x0D, 0x0E, 0x0F, 0x23, 0x10, 0x11, 0x12, 0x22}, 8},
    {"Frame", {0x03, 0x04, 0x05, 0x06, 0x07}, 5},
    {"Interface", {0x27, 0x01}, 2},
    {"Pipe", {0x02, 0x30, 0x31, 0x1E, 0x33, 0x34}, 6},
    {"Status", {0x13, 0x14, 0x15, 0x21}, 4},
    {"Transfer", {0x08, 0x32, 0x09, 0x0A}, 4},
    {"Vendor", {0x17, 0x18, 0x19, 0x20}, 4},
};

struct KernelIoctl {
    int32_t position;
    uint32_t code;
};

// The internal USB device-control requests (position, control code).
constexpr KernelIoctl kKernelIoctls[] = {
    {165, 0x220017}, {161, 0x220007}, {167, 0x22001F}, {164, 0x220013}, {166, 0x22001B},
    {168, 0x220020}, {171, 0x220424}, {163, 0x22000F}, {174, 0x220433}, {170, 0x220420},
    {172, 0x220428}, {173, 0x22042C}, {169, 0x220027},
};

struct UserIoctl {
    const char* text;
    int32_t position;
};

// The host-controller and hub requests of user-mode programs.
constexpr UserIoctl kUserIoctls[] = {
    {"IOCTL_USB_GET_ROOT_HUB_NAME", 195},
    {"IOCTL_GET_HCD_DRIVERKEY_NAME", 196},
    {"IOCTL_USB_HCD_ENABLE_PORT", 199},
    {"IOCTL_USB_HCD_DISABLE_PORT", 198},
    {"IOCTL_USB_HUB_CYCLE_PORT", 210},
    {"IOCTL_USB_GET_HUB_CAPABILITIES", 208},
    {"IOCTL_USB_GET_HUB_CAPABILITIES_EX", 213},
    {"IOCTL_USB_GET_NODE_INFORMATION", 201},
    {"IOCTL_USB_GET_NODE_CONNECTION_ATTRIBUTES", 209},
    {"IOCTL_USB_GET_NODE_CONNECTION_INFORMATION", 202},
    {"IOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX", 211},
    {"IOCTL_USB_GET_NODE_CONNECTION_NAME", 204},
    {"IOCTL_USB_GET_NODE_CONNECTION_DRIVERKEY_NAME", 207},
    {"IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION", 203},
    {"IOCTL_USB_HCD_GET_STATS_1", 192},
    {"IOCTL_USB_HCD_GET_STATS_2", 197},
    {"IOCTL_USB_DIAGNOSTIC_MODE_ON", 193},
    {"IOCTL_USB_DIAGNOSTIC_MODE_OFF", 194},
    {"IOCTL_USB_DIAG_IGNORE_HUBS_ON", 205},
    {"IOCTL_USB_DIAG_IGNORE_HUBS_OFF", 206},
};

constexpr int32_t kIrpCreate = 0;
constexpr int32_t kIrpClose = 2;
constexpr int32_t kIrpPower = 22;
constexpr int32_t kIrpCleanup = 18;
constexpr int32_t kIrpPnp = 27;

constexpr int32_t kPowerFirst = 8;   // power minor functions 0..3
constexpr int32_t kPnpFirst = 32;    // Plug and Play minor functions 0..24
constexpr uint32_t kPnpUnshownMinor = 14;

// A symbolic name, or the code in hex when the tables have none.
std::string NameOr(const char* name, uint32_t code) {
    if (name && *name) return name;
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", code);
    return text;
}

} // namespace

RequestTreeModel::RequestTreeModel() : leafOfPosition_(KIND_SELECTION_COUNT, -1) {
    const int32_t urb = Add(-1, "URB Functions", REQUEST_CATEGORY, REQUEST_NO_POSITION);
    for (const UrbCategory& category : kUrbCategories) {
        const int32_t group = Add(urb, category.text, REQUEST_CATEGORY, REQUEST_NO_POSITION);
        for (uint8_t i = 0; i < category.count; ++i) {
            const uint32_t function = category.functions[i];
            const int32_t position = static_cast<int32_t>(KIND_INDEX_URB + function);
            Add(group, NameOr(UrbFunctionName(function, NAME_SYMBOLIC), function), position, position);
        }
    }
    const int32_t kernel = Add(-1, "USB Kernel-Mode IOCTLs", REQUEST_CATEGORY, REQUEST_NO_POSITION);
    for (const KernelIoctl& row : kKernelIoctls)
        Add(kernel, NameOr(InternalUsbIoctlName(row.code, NAME_SYMBOLIC), row.code), row.position, row.position);
    const int32_t user = Add(-1, "USB User-Mode IOCTLs", REQUEST_CATEGORY, REQUEST_NO_POSITION);
    for (const UserIoctl& row : kUserIoctls) Add(user, row.text, row.position, row.position);

    // Under "IRP" the items are named by their major function; Create, Close
    // and Cleanup select positions 0, 1 and 2.
    const int32_t irp = Add(-1, "IRP", REQUEST_CATEGORY, REQUEST_NO_POSITION);
    Add(irp, "Create", kIrpCreate, 0);
    Add(irp, "Cleanup", kIrpCleanup, 2);
    Add(irp, "Close", kIrpClose, 1);
    const int32_t pnp = Add(irp, "PnP", kIrpPnp, REQUEST_NO_POSITION);
    for (uint32_t minor = 0; minor <= 24; ++minor) {
        if (minor == kPnpUnshownMinor) continue;
        const int32_t position = kPnpFirst + static_cast<int32_t>(minor);
        Add(pnp, NameOr(MinorFunctionName(kIrpPnp, minor, NAME_SYMBOLIC), minor), position, position);
    }
    const int32_t power = Add(irp, "Power", kIrpPower, REQUEST_NO_POSITION);
    for (uint32_t minor = 0; minor <= 3; ++minor) {
        const int32_t position = kPowerFirst + static_cast<int32_t>(minor);
        Add(power, NameOr(MinorFunctionName(kIrpPower, minor, NAME_SYMBOLIC), minor), position, position);
    }
}

int32_t RequestTreeModel::Add(int32_t parent, std::string text, int32_t param, int32_t position) {
    const auto index = static_cast<int32_t>(items_.size());
    RequestTreeItem item;
    item.text = std::move(text);
    item.param = param;
    item.position = position;
    item.parent = parent;
    items_.push_back(std::move(item));
    if (parent >= 0) {
        items_[static_cast<size_t>(parent)].children.push_back(index);
        // The parent has a child now: it selects nothing itself.
        items_[static_cast<size_t>(parent)].position = REQUEST_NO_POSITION;
    }
    if (position >= 0 && static_cast<uint32_t>(position) < KIND_SELECTION_COUNT)
        leafOfPosition_[static_cast<size_t>(position)] = index;
    return index;
}

std::vector<int32_t> RequestTreeModel::TopLevel() const {
    std::vector<int32_t> top;
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].parent < 0) top.push_back(static_cast<int32_t>(i));
    return top;
}

int32_t RequestTreeModel::FindTopLevel(const std::string& text) const {
    for (int32_t index : TopLevel())
        if (Item(index).text == text) return index;
    return -1;
}

int32_t RequestTreeModel::LeafOfPosition(int32_t position) const {
    if (position < 0 || static_cast<uint32_t>(position) >= KIND_SELECTION_COUNT) return -1;
    return leafOfPosition_[static_cast<size_t>(position)];
}

void RequestTreeModel::SetSubtree(int32_t index, RequestCheck state) {
    RequestTreeItem& item = items_[static_cast<size_t>(index)];
    item.state = state;
    for (int32_t child : item.children) SetSubtree(child, state);
}

RequestCheck RequestTreeModel::FromChildren(int32_t index) const {
    const RequestTreeItem& item = Item(index);
    if (item.children.empty()) return REQUEST_PARTIAL;
    bool anyChecked = false;
    bool anyUnchecked = false;
    for (int32_t child : item.children) {
        switch (Item(child).state) {
        case REQUEST_PARTIAL: return REQUEST_PARTIAL;
        case REQUEST_CHECKED: anyChecked = true; break;
        default: anyUnchecked = true; break;
        }
    }
    if (anyChecked && anyUnchecked) return REQUEST_PARTIAL;
    return anyChecked ? REQUEST_CHECKED : REQUEST_UNCHECKED;
}

void RequestTreeModel::RecomputeAncestors(int32_t index) {
    for (int32_t parent = Item(index).parent; parent >= 0; parent = Item(parent).parent)
        items_[static_cast<size_t>(parent)].state = FromChildren(parent);
}

void RequestTreeModel::RecomputeAll() {
    // Children come after their parent: backwards, every child is final
    // before its parent reads it.
    for (size_t i = items_.size(); i-- > 0;)
        if (!items_[i].children.empty()) items_[i].state = FromChildren(static_cast<int32_t>(i));
}

bool RequestTreeModel::Toggle(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= items_.size()) return false;
    const RequestCheck next = Item(index).state == REQUEST_UNCHECKED ? REQUEST_CHECKED : REQUEST_UNCHECKED;
    // Every descendant follows, partly checked groups among them, so that the
    // item's state and its leaves agree.
    SetSubtree(index, next);
    RecomputeAncestors(index);
    return true;
}

bool RequestTreeModel::SetSelection(const uint8_t* kinds, size_t size) {
    if (!kinds || size < KIND_SELECTION_COUNT) return false;
    for (RequestTreeItem& item : items_) {
        if (item.children.empty() && item.position >= 0)
            item.state = kinds[static_cast<size_t>(item.position)] == 1 ? REQUEST_CHECKED : REQUEST_UNCHECKED;
    }
    RecomputeAll();
    return true;
}

bool RequestTreeModel::GetSelection(uint8_t* kinds, size_t size) const {
    if (!kinds || size < KIND_SELECTION_COUNT) return false;
    for (size_t i = 0; i < size; ++i) kinds[i] = 0;
    for (const RequestTreeItem& item : items_) {
        if (item.children.empty() && item.position >= 0 && item.state == REQUEST_CHECKED)
            kinds[static_cast<size_t>(item.position)] = 1;
    }
    return true;
}

bool RequestTreeModel::MergeSelection(uint8_t* kinds, size_t size) const {
    if (!kinds || size < KIND_SELECTION_COUNT) return false;
    for (const RequestTreeItem& item : items_) {
        if (item.children.empty() && item.position >= 0)
            kinds[static_cast<size_t>(item.position)] = item.state == REQUEST_CHECKED ? 1 : 0;
    }
    return true;
}

} // namespace brx
