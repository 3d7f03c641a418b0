#include "app/devices/win/DeviceEnumerator.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>

#include "app/devices/UsbReplies.h"
#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "capture/win/CaptureDriver.h"

namespace brx {

const GUID BRX_GUID_DEVINTERFACE_USB_HOST_CONTROLLER = {0x3ABF6F2D, 0x71C4, 0x462A,
                                                        {0x8A, 0x92, 0x1E, 0x68, 0x61, 0xE6, 0xAF, 0x27}};
const GUID BRX_GUID_DEVINTERFACE_USB_HUB = {0xF18A0E88, 0xC30C, 0x11D0,
                                            {0x88, 0x15, 0x00, 0xA0, 0xC9, 0x06, 0xBE, 0xD8}};
const GUID BRX_GUID_DEVINTERFACE_VOLUME = {0x53F5630D, 0xB6BF, 0x11D0,
                                           {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const GUID BRX_GUID_DEVCLASS_USB = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

const wchar_t kUnknownDeviceName[] = L"*Unknown Device*";

namespace {

constexpr DWORD kOpenAccess = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kOpenShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr uint32_t kMaxHcdNumber = 16;
constexpr DWORD kPropertyBytes = 2048;
constexpr DWORD kHubPropertyBytes = 1024;
constexpr uint32_t kHcdNameReply = 1028;
constexpr uint32_t kPathMaxChars = 512;
constexpr uint32_t kItemTextChars = 1024;
// Bounds of the configuration-manager walks and the information-set walks.
constexpr uint32_t kMaxDepth = 32;
// USB chains at most five external hubs below a root hub (tier 0): a hub
// deeper than that (one that reports itself or its parent on a port) is not
// walked.
constexpr uint32_t kMaxHubTier = 5;
constexpr uint32_t kMaxSiblings = 4096;
constexpr DWORD kMaxSetMembers = 65536;
constexpr ULONG kMaxIdListChars = 0x10000;
constexpr uint32_t kDriveTextMax = 260;

const wchar_t* W(const WString& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
WString FromW(const wchar_t* s, size_t n) { return WString(reinterpret_cast<const char16_t*>(s), n); }
WString FromW(const wchar_t* s) { return FromW(s, wcslen(s)); }
bool Same(const WString& a, const WString& b) { return WideEqualsIgnoreCase(a, b); }

// The text of a zeroed buffer of `bytes` bytes that a call filled: up to the
// first NUL, never past the buffer.
WString TextOf(const std::vector<wchar_t>& buffer, size_t bytes) {
    const size_t chars = std::min(buffer.size(), bytes / sizeof(wchar_t));
    return FromW(buffer.data(), wcsnlen(buffer.data(), chars));
}

// Each string of a multi-string of `bytes` bytes.
std::vector<WString> MultiTextOf(const std::vector<wchar_t>& buffer, size_t bytes) {
    std::vector<WString> strings;
    const size_t chars = std::min(buffer.size(), bytes / sizeof(wchar_t));
    for (size_t at = 0; at < chars;) {
        const size_t n = wcsnlen(buffer.data() + at, chars - at);
        if (n == 0)
            break;
        strings.push_back(FromW(buffer.data() + at, n));
        at += n + 1;
    }
    return strings;
}

// A device information set that is destroyed when it leaves scope.
class InfoSet {
public:
    InfoSet(IUsbHost& host, HDEVINFO set) : host_(host), set_(set) {}
    ~InfoSet() {
        if (set_ != INVALID_HANDLE_VALUE)
            host_.SetupDiDestroyDeviceInfoList(set_);
    }
    InfoSet(const InfoSet&) = delete;
    InfoSet& operator=(const InfoSet&) = delete;
    HDEVINFO get() const { return set_; }

private:
    IUsbHost& host_;
    HDEVINFO set_;
};

// A host handle closed when it leaves scope.
class HostHandle {
public:
    HostHandle(IUsbHost& host, HANDLE h) : host_(host), h_(h) {}
    ~HostHandle() {
        if (h_ != INVALID_HANDLE_VALUE)
            host_.CloseHandle(h_);
    }
    HostHandle(const HostHandle&) = delete;
    HostHandle& operator=(const HostHandle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    IUsbHost& host_;
    HANDLE h_;
};

HANDLE OpenDevice(IUsbHost& host, const wchar_t* path) {
    return host.CreateFileW(path, kOpenAccess, kOpenShare, nullptr, OPEN_EXISTING, 0, nullptr);
}

// One buffered request; the bytes returned, or false.
bool Ask(IUsbHost& host, HANDLE h, DWORD code, void* input, DWORD inputSize, void* output, DWORD outputSize,
         DWORD& returned) {
    returned = 0;
    if (!host.DeviceIoControl(h, code, input, inputSize, output, outputSize, &returned, nullptr))
        return false;
    if (returned > outputSize)
        returned = outputSize;
    return true;
}

SP_DEVINFO_DATA NewInfoData() {
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof(data);
    return data;
}

// A string property of a member of a set (buffer of `bytes` bytes).
WString Property(IUsbHost& host, HDEVINFO set, SP_DEVINFO_DATA& data, DWORD property, DWORD bytes) {
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, 0);
    DWORD type = 0, required = 0;
    if (!host.SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type, reinterpret_cast<PBYTE>(buffer.data()),
                                                bytes, &required) ||
        (type != REG_SZ && type != REG_MULTI_SZ && type != REG_EXPAND_SZ))
        return {};
    return TextOf(buffer, bytes);
}

std::vector<WString> MultiProperty(IUsbHost& host, HDEVINFO set, SP_DEVINFO_DATA& data, DWORD property,
                                   DWORD bytes) {
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, 0);
    DWORD type = 0, required = 0;
    if (!host.SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type, reinterpret_cast<PBYTE>(buffer.data()),
                                                bytes, &required) ||
        type != REG_MULTI_SZ)
        return {};
    return MultiTextOf(buffer, bytes);
}

WString InstanceIdOf(IUsbHost& host, HDEVINFO set, SP_DEVINFO_DATA& data) {
    std::vector<wchar_t> buffer(MAX_DEVICE_ID_LEN + 1, 0);
    DWORD required = 0;
    if (!host.SetupDiGetDeviceInstanceIdW(set, &data, buffer.data(), MAX_DEVICE_ID_LEN, &required))
        return {};
    return TextOf(buffer, MAX_DEVICE_ID_LEN * sizeof(wchar_t));
}

WString DevNodeProperty(IUsbHost& host, DEVINST devinst, ULONG property, ULONG bytes) {
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, 0);
    ULONG type = 0, length = bytes;
    if (host.CM_Get_DevNode_Registry_PropertyW(devinst, property, &type, buffer.data(), &length, 0) != CR_SUCCESS ||
        (type != REG_SZ && type != REG_MULTI_SZ && type != REG_EXPAND_SZ))
        return {};
    return TextOf(buffer, std::min(length, bytes));
}

bool DevNodeDword(IUsbHost& host, DEVINST devinst, ULONG property, DWORD& value) {
    DWORD v = 0;
    ULONG type = 0, length = sizeof(v);
    if (host.CM_Get_DevNode_Registry_PropertyW(devinst, property, &type, &v, &length, 0) != CR_SUCCESS ||
        length != sizeof(v))
        return false;
    value = v;
    return true;
}

WString DeviceIdOf(IUsbHost& host, DEVINST devinst, ULONG chars) {
    std::vector<wchar_t> buffer(chars + 1, 0);
    if (host.CM_Get_Device_IDW(devinst, buffer.data(), chars, 0) != CR_SUCCESS)
        return {};
    return TextOf(buffer, chars * sizeof(wchar_t));
}

// The first child and the next sibling of a devnode; 0 when there is none.
// The out-parameters start at 0, and an answer that names the devnode asked
// about counts as none: some implementations report success without writing.
DEVINST FirstChild(IUsbHost& host, DEVINST devinst) {
    DEVINST child = 0;
    if (host.CM_Get_Child(&child, devinst, 0) != CR_SUCCESS || child == devinst)
        return 0;
    return child;
}

DEVINST NextSibling(IUsbHost& host, DEVINST devinst) {
    DEVINST sibling = 0;
    if (host.CM_Get_Sibling(&sibling, devinst, 0) != CR_SUCCESS || sibling == devinst)
        return 0;
    return sibling;
}

// --- Host-controller and hub requests -------------------------------------

WString GetHcdDriverKeyName(IUsbHost& host, HANDLE controller) {
    std::vector<uint8_t> reply(kHcdNameReply, 0);
    DWORD n = 0;
    if (!Ask(host, controller, IOCTL_GET_HCD_DRIVERKEY_NAME, reply.data(), kHcdNameReply, reply.data(),
             kHcdNameReply, n) ||
        n < 4)
        return {};
    const uint32_t actual = ByteReader(reply.data(), n).u32le_or(0);
    if (actual <= 6 || actual >= 1024)
        return {};
    WString name;
    ReadReplyName(reply.data(), n, 4, name);
    return name;
}

WString GetRootHubName(IUsbHost& host, HANDLE controller) {
    uint8_t first[6] = {};
    DWORD n = 0;
    if (!Ask(host, controller, IOCTL_USB_GET_ROOT_HUB_NAME, nullptr, 0, first, sizeof(first), n) || n < 4)
        return {};
    const uint32_t actual = ByteReader(first, n).u32le_or(0);
    if (actual <= 6 || actual > USB_NAME_MAX_BYTES)
        return {};
    std::vector<uint8_t> reply(actual + 8, 0);
    if (!Ask(host, controller, IOCTL_USB_GET_ROOT_HUB_NAME, nullptr, 0, reply.data(), actual + 6, n) || n <= 6)
        return {};
    WString name;
    ReadReplyName(reply.data(), n, 4, name);
    return name;
}

// A name of the device on a port (its hub name or its driver key).
WString GetConnectionString(IUsbHost& host, HANDLE hub, uint32_t port, DWORD code) {
    uint8_t first[10] = {};
    PutLe32(first, port);
    DWORD n = 0;
    if (!Ask(host, hub, code, first, sizeof(first), first, sizeof(first), n) || n < 8)
        return {};
    const uint32_t actual = ByteReader(first, n).u32le_or(4);
    if (actual <= 10 || actual > USB_NAME_MAX_BYTES)
        return {};
    std::vector<uint8_t> reply(actual + 12, 0);
    PutLe32(reply.data(), port);
    if (!Ask(host, hub, code, reply.data(), actual, reply.data(), actual + 10, n) || n <= 10)
        return {};
    WString name;
    ReadReplyName(reply.data(), n, 8, name);
    return name;
}

std::unique_ptr<PORT_CONNECTION_INFO> GetNodeConnectionInfo(IUsbHost& host, HANDLE hub, uint32_t port) {
    for (bool extended : {true, false}) {
        std::vector<uint8_t> reply(CONNECTION_INFO_SIZE, 0);
        PutLe32(reply.data(), port);
        DWORD n = 0;
        if (Ask(host, hub,
                extended ? IOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX : IOCTL_USB_GET_NODE_CONNECTION_INFORMATION,
                reply.data(), CONNECTION_INFO_HEADER, reply.data(), CONNECTION_INFO_SIZE, n))
            return ParseConnectionInfo(reply.data(), n, extended);
    }
    return nullptr;
}

// A descriptor request: header and up to `length` bytes back in a block of
// header + length; the bytes returned, or 0.
DWORD AskDescriptor(IUsbHost& host, HANDLE hub, uint32_t port, uint8_t type, uint8_t index, uint16_t language,
                    uint16_t length, std::vector<uint8_t>& block) {
    block.assign(USB_DESCRIPTOR_REQUEST_HEADER + size_t{length}, 0);
    MakeDescriptorRequest(block.data(), port, type, index, language, length);
    DWORD n = 0;
    if (!Ask(host, hub, IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION, block.data(),
             USB_DESCRIPTOR_REQUEST_HEADER, block.data(), static_cast<DWORD>(block.size()), n))
        return 0;
    return n;
}

// A descriptor set (configuration, other speed, BOS): its fixed part first,
// then the whole set by its total length; stored with the request header and
// only as far as it came back.
std::vector<uint8_t> GetDescriptorSet(IUsbHost& host, HANDLE hub, uint32_t port, uint8_t type, uint16_t fixed) {
    std::vector<uint8_t> block;
    if (AskDescriptor(host, hub, port, type, 0, 0, fixed, block) != USB_DESCRIPTOR_REQUEST_HEADER + fixed)
        return {};
    const uint16_t total = ByteReader(block.data(), block.size()).u16le_or(USB_DESCRIPTOR_REQUEST_HEADER + 2);
    if (total < fixed)
        return {};
    const DWORD n = AskDescriptor(host, hub, port, type, 0, 0, total, block);
    if (n < USB_DESCRIPTOR_REQUEST_HEADER + size_t{fixed})
        return {};
    block.resize(n);
    return block;
}

std::vector<uint8_t> GetDeviceQualifierDescriptor(IUsbHost& host, HANDLE hub, uint32_t port) {
    std::vector<uint8_t> block;
    if (AskDescriptor(host, hub, port, USB_DEVICE_QUALIFIER_DESCRIPTOR_TYPE, 0, 0, USB_DEVICE_QUALIFIER_SIZE, block) !=
        USB_DESCRIPTOR_REQUEST_HEADER + USB_DEVICE_QUALIFIER_SIZE)
        return {};
    return std::vector<uint8_t>(block.begin() + USB_DESCRIPTOR_REQUEST_HEADER, block.end());
}

// A string descriptor: asked for 255 bytes, and once more for 256 when that
// fails or brings back no string. The entry holds bLength bytes, never more
// than came back.
bool GetStringDescriptor(IUsbHost& host, HANDLE hub, uint32_t port, uint8_t index, uint16_t language,
                         STRING_DESCRIPTOR_ENTRY& entry) {
    std::vector<uint8_t> block;
    DWORD n = AskDescriptor(host, hub, port, USB_STRING_DESCRIPTOR_TYPE, index, language, 255, block);
    if (!(n > USB_DESCRIPTOR_REQUEST_HEADER + 2 && block[USB_DESCRIPTOR_REQUEST_HEADER + 1] == USB_STRING_DESCRIPTOR_TYPE)) {
        n = AskDescriptor(host, hub, port, USB_STRING_DESCRIPTOR_TYPE, index, language, 256, block);
        if (n < USB_DESCRIPTOR_REQUEST_HEADER + 2 || block[USB_DESCRIPTOR_REQUEST_HEADER + 1] != USB_STRING_DESCRIPTOR_TYPE)
            return false;
    }
    const size_t length = std::min<size_t>(block[USB_DESCRIPTOR_REQUEST_HEADER], n - USB_DESCRIPTOR_REQUEST_HEADER);
    entry.index = index;
    entry.languageId = language;
    entry.descriptor.assign(block.begin() + USB_DESCRIPTOR_REQUEST_HEADER,
                            block.begin() + static_cast<std::ptrdiff_t>(USB_DESCRIPTOR_REQUEST_HEADER + length));
    return true;
}

std::vector<STRING_DESCRIPTOR_ENTRY> GetAllStringDescriptors(IUsbHost& host, HANDLE hub, uint32_t port,
                                                             const PORT_CONNECTION_INFO& connection,
                                                             const std::vector<uint8_t>& config) {
    std::vector<STRING_DESCRIPTOR_ENTRY> chain;
    STRING_DESCRIPTOR_ENTRY languages;
    if (!GetStringDescriptor(host, hub, port, 0, 0, languages))
        return chain;
    chain.push_back(languages);
    const std::vector<uint8_t> indices =
        StringIndices(connection.deviceDescriptor.data(), config.data() + USB_DESCRIPTOR_REQUEST_HEADER,
                      config.size() - USB_DESCRIPTOR_REQUEST_HEADER);
    for (uint16_t language : LanguageIds(languages.descriptor))
        for (uint8_t index : indices) {
            STRING_DESCRIPTOR_ENTRY entry;
            if (GetStringDescriptor(host, hub, port, index, language, entry))
                chain.push_back(std::move(entry));
        }
    return chain;
}

// The device path of an interface of a set (size first, then a buffer of
// that size), and the member it belongs to; empty when it cannot be read.
WString InterfacePath(IUsbHost& host, HDEVINFO set, SP_DEVICE_INTERFACE_DATA& iface, SP_DEVINFO_DATA* data) {
    DWORD required = 0;
    host.SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &required, nullptr);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) || required > 0x10000)
        return {};
    std::vector<uint8_t> bytes(required + sizeof(wchar_t), 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(bytes.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    DWORD ignored = 0;
    if (!host.SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, required, &ignored, data))
        return {};
    const size_t chars = (required - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(wchar_t);
    return FromW(detail->DevicePath, wcsnlen(detail->DevicePath, chars));
}

WString Format(const wchar_t* format, uint32_t port, const WString& a = {}, const WString& b = {}) {
    wchar_t text[kItemTextChars];
    swprintf(text, kItemTextChars, format, static_cast<unsigned>(port), W(a), W(b));
    return FromW(text);
}

} // namespace

// ---------------------------------------------------------------------------

CDeviceEnumerator::CDeviceEnumerator(IUsbHost* host) : host_(host) {}

void CDeviceEnumerator::Clear() {
    driverNames_.RemoveAll();
    deviceNames_.RemoveAll();
    refreshData_.clear();
    refreshList_.clear();
    counts_ = DEVICE_COUNTS{};
    nodeCounter_ = 0;
}

void CDeviceEnumerator::LoadDriverData(CCaptureDriver& driver) {
    try {
        LoadDriverDataOrThrow(driver);
    } catch (const std::bad_alloc&) {
        Clear();   // no stacks and no names rather than an exception out of the caller
    }
}

void CDeviceEnumerator::LoadDriverDataOrThrow(CCaptureDriver& driver) {
    Clear();
    DriverBuffer buffer;
    if (uint32_t n = driver.QueryRefreshData(buffer))
        refreshData_.assign(buffer.get(), buffer.get() + n);
    if (uint32_t n = driver.QueryRefreshList(buffer))
        refreshList_.assign(buffer.get(), buffer.get() + n);
    DRIVER_INFO info{};
    RECORD_LAYOUT layout{};
    if (!driver.GetDriverInfo(&info) || !BuildRecordLayout(info, layout))
        layout = kDefaultRecordLayout;
    // Each list is read within the smaller of its own size and the reply.
    if (uint32_t n = driver.QueryDriverList(buffer))
        driverNames_.AddFromBlock(buffer.get(), std::min(n, ByteReader(buffer.get(), n).u32le_or(0)), layout);
    if (uint32_t n = driver.QueryDeviceList(buffer))
        deviceNames_.AddFromBlock(buffer.get(), std::min(n, ByteReader(buffer.get(), n).u32le_or(0)), layout);
}

std::unique_ptr<DEVICE_NODE> CDeviceEnumerator::NewNode(uint32_t kind) {
    auto node = std::make_unique<DEVICE_NODE>();
    node->id = ++nodeCounter_;
    node->kind = kind;
    return node;
}

DEVICE_ITEM CDeviceEnumerator::Insert(DEVICE_ITEM parent, std::unique_ptr<DEVICE_NODE>& node, const WString& text) {
    return sink_->InsertDeviceNode(parent, node, W(text));
}

void CDeviceEnumerator::MergeDeviceStack(DEVICE_NODE& node) {
    auto stack = FindDeviceStack(refreshData_.data(), refreshData_.size(), node.instanceId, node.pdoName,
                                 deviceNames_);
    if (stack)
        node.stack = std::move(stack);
}

void CDeviceEnumerator::AttachReportDescriptors(DEVICE_NODE& node) {
    if (!node.stack)
        return;
    for (REPORT_DESCRIPTOR_ENTRY& d :
         FindReportDescriptors(refreshList_.data(), refreshList_.size(), node.stack->physicalDeviceObject))
        node.reportDescriptors.push_back(std::move(d));
}

bool CDeviceEnumerator::IsTopLevel(const WString& instanceId) const {
    for (const WString& id : topLevelIds_)
        if (Same(id, instanceId))
            return true;
    return false;
}

void CDeviceEnumerator::Enumerate(IDeviceNodeSink& sink, DEVICE_ITEM root, bool displayDeviceComponents) {
    IUsbHost& host = Host();
    sink_ = &sink;
    components_ = displayDeviceComponents;
    nodeCounter_ = 0;
    topLevelIds_.clear();
    allDevices_ = host.SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    hubInterfaces_ = host.SetupDiGetClassDevsW(&BRX_GUID_DEVINTERFACE_USB_HUB, nullptr, nullptr,
                                               DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    // No exception leaves the walk: a failed allocation ends it with the
    // nodes inserted so far, and the information sets are freed below.
    try {
        EnumerateHostControllers(root);
    } catch (const std::bad_alloc&) {
        ::OutputDebugStringW(L"brx: out of memory while enumerating USB devices\n");
    }
    for (HDEVINFO* set : {&allDevices_, &hubInterfaces_}) {
        if (*set != INVALID_HANDLE_VALUE)
            host.SetupDiDestroyDeviceInfoList(*set);
        *set = INVALID_HANDLE_VALUE;
    }
    refreshData_.clear();
    refreshList_.clear();
    sink_ = nullptr;
}

// ---------------------------------------------------------------------------
// Host controllers, hubs and ports

void CDeviceEnumerator::EnumerateHostControllers(DEVICE_ITEM parent) {
    IUsbHost& host = Host();
    counts_ = DEVICE_COUNTS{};

    // The legacy names.
    for (uint32_t n = 0; n < kMaxHcdNumber; ++n) {
        wchar_t path[32];
        swprintf(path, 32, L"\\\\.\\HCD%u", static_cast<unsigned>(n));
        HostHandle controller(host, OpenDevice(host, path));
        if (!controller.valid())
            continue;
        const WString key = GetHcdDriverKeyName(host, controller.get());
        const WString id = key.empty() ? WString() : DriverKeyToInstanceId(key);
        EnumerateRootHub(parent, controller.get(), id, FromW(path + 4));
    }

    // The host-controller interfaces, unless already listed.
    {
        InfoSet set(host, host.SetupDiGetClassDevsW(&BRX_GUID_DEVINTERFACE_USB_HOST_CONTROLLER, nullptr, nullptr,
                                                    DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
        for (DWORD i = 0; set.get() != INVALID_HANDLE_VALUE && i < kMaxSetMembers; ++i) {
            SP_DEVICE_INTERFACE_DATA iface{};
            iface.cbSize = sizeof(iface);
            if (!host.SetupDiEnumDeviceInterfaces(set.get(), nullptr, &BRX_GUID_DEVINTERFACE_USB_HOST_CONTROLLER, i,
                                                  &iface))
                break;
            const WString path = InterfacePath(host, set.get(), iface, nullptr);
            if (path.empty())
                continue;
            HostHandle controller(host, OpenDevice(host, W(path)));
            if (!controller.valid())
                continue;
            const WString key = GetHcdDriverKeyName(host, controller.get());
            const WString id = key.empty() ? WString() : DriverKeyToInstanceId(key);
            if (!id.empty() && !IsTopLevel(id))
                EnumerateRootHub(parent, controller.get(), id, path);
        }
    }

    // Controllers the USB setup class knows by their compatible IDs.
    static const wchar_t* const kControllerClasses[] = {L"CC_0C0300", L"CC_0C0310", L"CC_0C0320", L"CC_0C0330"};
    InfoSet usb(host, host.SetupDiGetClassDevsW(&BRX_GUID_DEVCLASS_USB, nullptr, nullptr, DIGCF_PRESENT));
    for (DWORD i = 0; usb.get() != INVALID_HANDLE_VALUE && i < kMaxSetMembers; ++i) {
        SP_DEVINFO_DATA data = NewInfoData();
        if (!host.SetupDiEnumDeviceInfo(usb.get(), i, &data))
            break;
        bool controller = false;
        for (const WString& compatible :
             MultiProperty(host, usb.get(), data, SPDRP_COMPATIBLEIDS, kPropertyBytes))
            for (const wchar_t* cc : kControllerClasses)
                controller = controller || wcsstr(W(compatible), cc) != nullptr;
        if (!controller)
            continue;
        const WString key = Property(host, usb.get(), data, SPDRP_DRIVER, kPropertyBytes);
        const WString id = key.empty() ? WString() : DriverKeyToInstanceId(key);
        if (!id.empty() && !IsTopLevel(id))
            EnumerateRootHub(parent, INVALID_HANDLE_VALUE, id, WString());
    }
}

void CDeviceEnumerator::EnumerateRootHub(DEVICE_ITEM parent, HANDLE controller, const WString& instanceId,
                                         const WString& path) {
    auto node = NewNode(NODE_HOST_CONTROLLER);
    ++counts_.hostControllers;
    if (!instanceId.empty()) {
        node->instanceId = instanceId;
        node->name = GetDeviceName(instanceId);
        node->pdoName = GetPdoName(instanceId);
        MergeDeviceStack(*node);
    }
    if (!path.empty())
        node->symbolicName = path.substr(0, kPathMaxChars);
    const WString text = !node->name.empty() ? node->name : path;
    DEVICE_ITEM item = Insert(parent, node, text);
    if (!item)
        return;
    if (!instanceId.empty())
        topLevelIds_.push_back(instanceId);
    if (controller == INVALID_HANDLE_VALUE)
        return;
    auto hub = NewNode(NODE_ROOT_HUB);
    ++counts_.rootHubs;
    hub->symbolicName = GetRootHubName(Host(), controller);
    if (!hub->symbolicName.empty())
        EnumerateHub(item, std::move(hub), 0);
}

void CDeviceEnumerator::EnumerateHub(DEVICE_ITEM parent, std::unique_ptr<DEVICE_NODE> node, uint32_t tier) {
    if (tier > kMaxHubTier)
        return;
    IUsbHost& host = Host();
    const WString path = u"\\\\.\\" + node->symbolicName;
    HostHandle hub(host, OpenDevice(host, W(path)));
    if (!hub.valid())
        return;

    WString id;
    const WString key = HubNameToDriverKey(node->symbolicName);
    if (!key.empty())
        id = DriverKeyToInstanceId(key);
    if (id.empty())
        id = HubPathToInstanceId(node->symbolicName);
    if (!id.empty()) {
        node->instanceId = id;
        node->name = GetDeviceName(id);
        node->pdoName = GetPdoName(id);
    }

    std::vector<uint8_t> info(USB_NODE_INFORMATION_SIZE, 0);   // NodeType 0: a hub
    DWORD n = 0;
    if (!Ask(host, hub.get(), IOCTL_USB_GET_NODE_INFORMATION, info.data(), USB_NODE_INFORMATION_SIZE, info.data(),
             USB_NODE_INFORMATION_SIZE, n) ||
        n < USB_NODE_INFORMATION_SIZE)
        return;
    node->hubInfo = std::move(info);

    WString text = node->name.empty() ? WString(u"Hub") : node->name;
    if (node->connection)
        text = Format(L"Port%u: %ls", node->connection->connectionIndex, text);
    MergeDeviceStack(*node);
    const uint32_t ports = node->PortCount();
    DEVICE_ITEM item = Insert(parent, node, text);
    if (item)
        EnumeratePorts(item, hub.get(), id, ports, tier);
}

void CDeviceEnumerator::EnumeratePorts(DEVICE_ITEM parent, HANDLE hub, const WString& hubInstanceId,
                                       uint32_t portCount, uint32_t hubTier) {
    IUsbHost& host = Host();
    for (uint32_t port = 1; port <= portCount; ++port) {
        std::unique_ptr<PORT_CONNECTION_INFO> connection = GetNodeConnectionInfo(host, hub, port);
        if (!connection)
            continue;
        if (connection->connectionStatus == 1)
            ++counts_.connectedPorts;

        std::vector<uint8_t> config, qualifier, otherSpeed, bos;
        std::vector<STRING_DESCRIPTOR_ENTRY> strings;
        if (connection->connectionStatus == 1) {
            config = GetDescriptorSet(host, hub, port, USB_CONFIGURATION_DESCRIPTOR_TYPE, 9);
            const uint16_t bcd = connection->BcdUsb();
            if (bcd == 0x0200 || bcd == 0x0210 || bcd == 0x0250) {
                qualifier = GetDeviceQualifierDescriptor(host, hub, port);
                if (!qualifier.empty())
                    otherSpeed = GetDescriptorSet(host, hub, port, USB_OTHER_SPEED_CONFIGURATION_DESCRIPTOR_TYPE, 9);
            } else if (bcd == 0x0300) {
                bos = GetDescriptorSet(host, hub, port, USB_BOS_DESCRIPTOR_TYPE, 5);
            }
            if (!config.empty() &&
                HasStringDescriptors(connection->deviceDescriptor.data(), config.data() + USB_DESCRIPTOR_REQUEST_HEADER,
                                     config.size() - USB_DESCRIPTOR_REQUEST_HEADER))
                strings = GetAllStringDescriptors(host, hub, port, *connection, config);
        }

        const bool isHub = connection->deviceIsHub != 0;
        const uint32_t status = connection->connectionStatus;
        auto node = NewNode(isHub ? NODE_EXTERNAL_HUB : NODE_DEVICE);
        node->connection = std::move(connection);
        node->configDescriptor = std::move(config);
        node->strings = std::move(strings);
        node->deviceQualifier = std::move(qualifier);
        node->otherSpeedConfig = std::move(otherSpeed);
        node->bos = std::move(bos);

        if (isHub) {
            ++counts_.externalHubs;
            node->symbolicName = GetConnectionString(host, hub, port, IOCTL_USB_GET_NODE_CONNECTION_NAME);
            if (!node->symbolicName.empty())
                EnumerateHub(parent, std::move(node), hubTier + 1);
            continue;
        }

        WString id;
        if (status != 0) {
            const WString key = GetConnectionString(host, hub, port, IOCTL_USB_GET_NODE_CONNECTION_DRIVERKEY_NAME);
            id = !key.empty() ? DriverKeyToInstanceId(key) : FindChildByPortAddress(hubInstanceId, port);
        }
        if (!id.empty()) {
            node->instanceId = id;
            node->name = GetDeviceName(id);
            node->driveLetters = GetNodeDriveLetters(id);
        }
        const WString text = node->name.empty()         ? Format(L"Port%u:", port)
                             : node->driveLetters.empty() ? Format(L"Port%u: %ls", port, node->name)
                                                          : Format(L"Port%u: %ls (%ls)", port, node->name,
                                                                   node->driveLetters);
        if (!id.empty())
            node->pdoName = GetPdoName(id);
        MergeDeviceStack(*node);
        AttachReportDescriptors(*node);
        DEVICE_ITEM item = Insert(parent, node, text);
        if (item && !id.empty())
            EnumerateDeviceComponents(item, id);
    }
}

void CDeviceEnumerator::EnumerateDeviceComponents(DEVICE_ITEM parent, const WString& instanceId) {
    if (!components_)
        return;
    DEVINST devinst = 0;
    WString id = instanceId;
    if (Host().CM_Locate_DevNodeW(&devinst, const_cast<wchar_t*>(W(id)), CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS ||
        devinst == 0)
        return;
    EnumerateChildren(parent, devinst, 0);
}

void CDeviceEnumerator::EnumerateChildren(DEVICE_ITEM parent, DEVINST devinst, uint32_t depth) {
    if (depth >= kMaxDepth)
        return;
    IUsbHost& host = Host();
    uint32_t walked = 0;
    for (DEVINST child = FirstChild(host, devinst); child && walked < kMaxSiblings;
         child = NextSibling(host, child), ++walked) {
        auto node = NewNode(NODE_DEVICE);
        node->instanceId = DeviceIdOf(host, child, 512);
        node->pdoName = DevNodeProperty(host, child, CM_DRP_PHYSICAL_DEVICE_OBJECT_NAME, 1024);
        MergeDeviceStack(*node);
        AttachReportDescriptors(*node);
        node->name = GetDevNodeName(child);
        const WString text = node->name;
        DEVICE_ITEM item = Insert(parent, node, text);
        if (item)
            EnumerateChildren(item, child, depth + 1);
    }
}

// ---------------------------------------------------------------------------
// Names and identities

WString CDeviceEnumerator::DriverKeyToInstanceId(const WString& driverKey) {
    IUsbHost& host = Host();
    if (allDevices_ == INVALID_HANDLE_VALUE || driverKey.empty())
        return {};
    for (DWORD i = 0; i < kMaxSetMembers; ++i) {
        SP_DEVINFO_DATA data = NewInfoData();
        if (!host.SetupDiEnumDeviceInfo(allDevices_, i, &data))
            break;
        if (Same(Property(host, allDevices_, data, SPDRP_DRIVER, kPropertyBytes), driverKey))
            return InstanceIdOf(host, allDevices_, data);
    }
    return {};
}

WString CDeviceEnumerator::ResolveDosDeviceName(const WString& name) {
    IUsbHost& host = Host();
    auto readLink = [&](const WString& linkName, WString& target) {
        WString copy = linkName;
        NT_UNICODE_STRING object{static_cast<USHORT>(copy.size() * 2), static_cast<USHORT>(copy.size() * 2),
                                 const_cast<wchar_t*>(W(copy))};
        NT_OBJECT_ATTRIBUTES attributes{sizeof(NT_OBJECT_ATTRIBUTES), nullptr, &object, NT_OBJ_CASE_INSENSITIVE,
                                        nullptr, nullptr};
        HANDLE link = nullptr;
        if (copy.size() > 0x7FFF || host.NtOpenSymbolicLinkObject(&link, NT_SYMBOLIC_LINK_QUERY, &attributes) < 0)
            return false;
        std::vector<wchar_t> buffer(256 + 1, 0);
        NT_UNICODE_STRING result{0, 512, buffer.data()};
        ULONG length = 0;
        const LONG status = host.NtQuerySymbolicLinkObject(link, &result, &length);
        host.NtClose(link);
        if (status < 0 || result.Length > 512)
            return false;
        target = FromW(buffer.data(), result.Length / sizeof(wchar_t));
        return !target.empty();
    };
    WString dosDevices, target;
    if (!readLink(u"\\DosDevices", dosDevices) || !readLink(dosDevices + u"\\" + name, target))
        return {};
    return target;
}

WString CDeviceEnumerator::HubNameToDriverKey(const WString& hubName) {
    IUsbHost& host = Host();
    const WString target = ResolveDosDeviceName(hubName);
    if (target.empty() || hubInterfaces_ == INVALID_HANDLE_VALUE)
        return {};
    for (DWORD i = 0; i < kMaxSetMembers; ++i) {
        SP_DEVINFO_DATA data = NewInfoData();
        if (!host.SetupDiEnumDeviceInfo(hubInterfaces_, i, &data))
            break;
        if (Same(Property(host, hubInterfaces_, data, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME, kHubPropertyBytes), target))
            return Property(host, hubInterfaces_, data, SPDRP_DRIVER, kHubPropertyBytes);
    }
    return {};
}

WString CDeviceEnumerator::HubPathToInstanceId(const WString& hubName) {
    IUsbHost& host = Host();
    if (hubInterfaces_ == INVALID_HANDLE_VALUE)
        return {};
    for (DWORD i = 0; i < kMaxSetMembers; ++i) {
        SP_DEVICE_INTERFACE_DATA iface{};
        iface.cbSize = sizeof(iface);
        if (!host.SetupDiEnumDeviceInterfaces(hubInterfaces_, nullptr, &BRX_GUID_DEVINTERFACE_USB_HUB, i, &iface))
            break;
        SP_DEVINFO_DATA data = NewInfoData();
        const WString path = InterfacePath(host, hubInterfaces_, iface, &data);
        if (path.size() > 4 && Same(path.substr(4), hubName))   // after its \\?\ prefix
            return InstanceIdOf(host, hubInterfaces_, data);
    }
    return {};
}

WString CDeviceEnumerator::FindChildByPortAddress(const WString& hubInstanceId, uint32_t port) {
    IUsbHost& host = Host();
    DEVINST hub = 0;
    WString id = hubInstanceId;
    if (id.empty() ||
        host.CM_Locate_DevNodeW(&hub, const_cast<wchar_t*>(W(id)), CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS || !hub)
        return {};
    uint32_t walked = 0;
    for (DEVINST child = FirstChild(host, hub); child && walked < kMaxSiblings;
         child = NextSibling(host, child), ++walked) {
        DWORD address = 0;
        if (DevNodeDword(host, child, CM_DRP_ADDRESS, address) && address == port)
            return DeviceIdOf(host, child, 800);
    }
    return {};
}

WString CDeviceEnumerator::GetDeviceName(const WString& instanceId) {
    IUsbHost& host = Host();
    InfoSet set(host, host.SetupDiCreateDeviceInfoList(nullptr, nullptr));
    SP_DEVINFO_DATA data = NewInfoData();
    if (set.get() != INVALID_HANDLE_VALUE &&
        host.SetupDiOpenDeviceInfoW(set.get(), W(instanceId), nullptr, 0, &data))
        for (DWORD property : {SPDRP_FRIENDLYNAME, SPDRP_DEVICEDESC, SPDRP_CLASS}) {
            WString name = Property(host, set.get(), data, property, kPropertyBytes);
            if (!name.empty())
                return name;
        }
    return FromW(kUnknownDeviceName);
}

WString CDeviceEnumerator::GetPdoName(const WString& instanceId) {
    IUsbHost& host = Host();
    InfoSet set(host, host.SetupDiCreateDeviceInfoList(nullptr, nullptr));
    SP_DEVINFO_DATA data = NewInfoData();
    if (set.get() == INVALID_HANDLE_VALUE ||
        !host.SetupDiOpenDeviceInfoW(set.get(), W(instanceId), nullptr, 0, &data))
        return {};
    return Property(host, set.get(), data, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME, kPropertyBytes);
}

WString CDeviceEnumerator::GetDevNodeName(DEVINST devinst) {
    for (ULONG property : {CM_DRP_FRIENDLYNAME, CM_DRP_DEVICEDESC, CM_DRP_CLASS}) {
        WString name = DevNodeProperty(Host(), devinst, property, kPropertyBytes);
        if (!name.empty())
            return name;
    }
    return FromW(kUnknownDeviceName);
}

// ---------------------------------------------------------------------------
// Drive letters

bool CDeviceEnumerator::IsRemovableStorageNode(DEVINST devinst) {
    IUsbHost& host = Host();
    DWORD capabilities = 0;
    ULONG status = 0, problem = 0;
    if (!DevNodeDword(host, devinst, CM_DRP_CAPABILITIES, capabilities) ||
        host.CM_Get_DevNode_Status(&status, &problem, devinst, 0) != CR_SUCCESS || problem == CM_PROB_PHANTOM)
        return false;
    return (capabilities & CM_DEVCAP_REMOVABLE) && !(capabilities & (CM_DEVCAP_SURPRISEREMOVALOK | CM_DEVCAP_DOCKDEVICE));
}

WString CDeviceEnumerator::GetVolumeDriveLetter(DEVINST devinst) {
    IUsbHost& host = Host();
    WString id = DeviceIdOf(host, devinst, 200);
    if (id.empty())
        return {};
    GUID volume = BRX_GUID_DEVINTERFACE_VOLUME;
    ULONG chars = 0;
    if (host.CM_Get_Device_Interface_List_SizeW(&chars, &volume, const_cast<wchar_t*>(W(id)),
                                                CM_GET_DEVICE_INTERFACE_LIST_PRESENT) != CR_SUCCESS ||
        chars < 2 || chars > kMaxIdListChars)
        return {};
    std::vector<wchar_t> list(chars + 2, 0);
    if (host.CM_Get_Device_Interface_ListW(&volume, const_cast<wchar_t*>(W(id)), list.data(), chars,
                                           CM_GET_DEVICE_INTERFACE_LIST_PRESENT) != CR_SUCCESS)
        return {};
    std::vector<WString> paths = MultiTextOf(list, chars * sizeof(wchar_t));
    if (paths.empty())
        return {};
    WString path = paths[0];
    if (path.back() != u'\\')
        path.push_back(u'\\');
    wchar_t name[MAX_PATH + 1] = {};
    if (!host.GetVolumeNameForVolumeMountPointW(W(path), name, MAX_PATH))
        return {};
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        const wchar_t root[] = {letter, L':', L'\\', 0};
        wchar_t other[MAX_PATH + 1] = {};
        if (host.GetVolumeNameForVolumeMountPointW(root, other, MAX_PATH) && lstrcmpiW(other, name) == 0)
            return WString{static_cast<char16_t>(letter), u':'};
    }
    return {};
}

namespace {

bool AppendLetter(WString& text, const WString& letter) {
    if (letter.empty())
        return true;
    const size_t added = letter.size() + (text.empty() ? 0 : 2);
    if (text.size() + added > kDriveTextMax)
        return false;
    if (!text.empty())
        text += u", ";
    text += letter;
    return true;
}

} // namespace

bool CDeviceEnumerator::AppendRemovalRelationLetters(DEVINST devinst, WString& text) {
    IUsbHost& host = Host();
    WString id = DeviceIdOf(host, devinst, 200);
    if (id.empty())
        return true;
    ULONG chars = 0;
    if (host.CM_Get_Device_ID_List_SizeW(&chars, W(id), CM_GETIDLIST_FILTER_REMOVALRELATIONS) != CR_SUCCESS ||
        chars < 2 || chars > kMaxIdListChars)
        return true;
    std::vector<wchar_t> list(chars + 2, 0);
    if (host.CM_Get_Device_ID_ListW(W(id), list.data(), chars, CM_GETIDLIST_FILTER_REMOVALRELATIONS) != CR_SUCCESS)
        return true;
    for (WString& related : MultiTextOf(list, chars * sizeof(wchar_t))) {
        DEVINST other = 0;
        if (host.CM_Locate_DevNodeW(&other, const_cast<wchar_t*>(W(related)), CM_LOCATE_DEVNODE_NORMAL) ==
                CR_SUCCESS &&
            other && !AppendLetter(text, GetVolumeDriveLetter(other)))
            return false;
    }
    return true;
}

bool CDeviceEnumerator::CollectDriveLetters(DEVINST devinst, WString& text, uint32_t depth) {
    if (!AppendLetter(text, GetVolumeDriveLetter(devinst)))
        return false;
    if (depth < kMaxDepth) {
        uint32_t walked = 0;
        for (DEVINST child = FirstChild(Host(), devinst); child && walked < kMaxSiblings;
             child = NextSibling(Host(), child), ++walked) {
            if (IsRemovableStorageNode(child))
                continue;   // a storage device of its own, with everything below it
            // Its letter and its children's, then its removal relations'.
            if (!CollectDriveLetters(child, text, depth + 1))
                return false;
        }
    }
    return AppendRemovalRelationLetters(devinst, text);
}

WString CDeviceEnumerator::GetNodeDriveLetters(const WString& instanceId) {
    IUsbHost& host = Host();
    DEVINST devinst = 0;
    WString id = instanceId;
    if (id.empty() ||
        host.CM_Locate_DevNodeW(&devinst, const_cast<wchar_t*>(W(id)), CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS ||
        !devinst || !IsRemovableStorageNode(devinst))
        return {};
    WString text;
    CollectDriveLetters(devinst, text, 0);
    return text.substr(0, DRIVE_LETTERS_MAX);
}

} // namespace brx
