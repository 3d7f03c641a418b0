#include "decode/DataAnalysisTrees.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/ByteReader.h"
#include "decode/FieldTables.h"
#include "decode/UsbNames.h"

namespace brx {

namespace {

// One row per named bit of a flag word, each with the bit's value.
void BitRows(ITreeSink& tree, TREE_ITEM parent, uint32_t word, const char* const* names, size_t count) {
    for (size_t bit = 0; bit < count; ++bit) InsertValueRow(tree, parent, names[bit], (word >> bit) & 1, 4);
}

constexpr const char* kCapabilityBits[] = {
    "DeviceD1:1",      "DeviceD2:1",     "LockSupported:1",      "EjectSupported:1",    "Removable",
    "DockDevice:1",    "UniqueID:1",     "SilentInstall:1",      "RawDeviceOK:1",       "SurpriseRemovalOK:1",
    "WakeFromD0:1",    "WakeFromD1:1",   "WakeFromD2:1",         "WakeFromD3:1",        "HardwareDisabled:1",
    "NonDynamic:1",    "WarmEjectSupported:1", "NoDisplayInUI:1",
};
static_assert(std::size(kCapabilityBits) == 18);

constexpr const char* kHubCapabilityBits[] = {
    "HubIsHighSpeedCapable:1", "HubIsHighSpeed:1", "HubIsMultiTtCapable:1", "HubIsMultiTt:1", "HubIsRoot:1",
    "HubIsArmedWakeOnConnect:1",
};

void RenderTable(ITreeSink& tree, const uint8_t* data, size_t length, FieldTable table, size_t cap = SIZE_MAX) {
    RenderStructFields(tree, nullptr, data, std::min(length, cap), table);
}

// A versioned interface: the formatted header row, then the table's fields
// under it over min(length, Size, cap) bytes.
void RenderVersioned(ITreeSink& tree, const uint8_t* data, size_t length, const char* headerFormat, uint32_t version,
                     FieldTable table, size_t cap) {
    char header[80];
    std::snprintf(header, sizeof header, headerFormat, static_cast<int>(version));
    TREE_ITEM row = tree.InsertItem(header, nullptr);
    if (!row) return;
    const size_t size = ByteReader(data, length).u16le_or(0);
    RenderStructFields(tree, row, data, std::min({length, size, cap}), table, false);
}

} // namespace

void RenderDeviceCapabilities(ITreeSink& tree, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    if (!r.has(0, 64)) return;
    TREE_ITEM top = tree.InsertItem("struct _DEVICE_CAPABILITIES", nullptr);
    if (!top) return;
    InsertValueRow(tree, top, "Size", r.u16le_or(0), 2);
    InsertValueRow(tree, top, "Version", r.u16le_or(2), 2);
    const uint32_t flags = r.u32le_or(4);
    BitRows(tree, top, flags, kCapabilityBits, std::size(kCapabilityBits));
    char text[64];
    std::snprintf(text, sizeof text, "%s:%d", "Reserved", 14);
    InsertValueRow(tree, top, text, flags >> 19, 4);
    InsertValueRow(tree, top, "Address", r.u32le_or(8), 4);
    InsertValueRow(tree, top, "UINumber", r.u32le_or(12), 4);
    std::snprintf(text, sizeof text, "%s[%s]", "DeviceState", "PowerSystemMaximum");
    if (TREE_ITEM states = InsertCommentRow(tree, top, text)) {
        for (uint32_t s = 0; s < 7; ++s) {
            const char* system = SystemPowerStateName(s, NAME_SYMBOLIC);
            std::snprintf(text, sizeof text, "[%s]", system ? system : "");
            const uint32_t device = r.u32le_or(16 + 4 * s);
            InsertValueRow(tree, states, text, device, 4, DevicePowerStateName(device, NAME_SYMBOLIC));
        }
    }
    const uint32_t systemWake = r.u32le_or(44);
    InsertValueRow(tree, top, "SystemWake", systemWake, 4, SystemPowerStateName(systemWake, NAME_SYMBOLIC));
    const uint32_t deviceWake = r.u32le_or(48);
    InsertValueRow(tree, top, "DeviceWake", deviceWake, 4, DevicePowerStateName(deviceWake, NAME_SYMBOLIC));
    InsertValueRow(tree, top, "D1Latency", r.u32le_or(52), 4);
    InsertValueRow(tree, top, "D2Latency", r.u32le_or(56), 4);
    InsertValueRow(tree, top, "D3Latency", r.u32le_or(60), 4);
}

void RenderDeviceRelations(ITreeSink& tree, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    if (!r.has(0, 8)) return;
    TREE_ITEM top = tree.InsertItem("struct _DEVICE_RELATIONS", nullptr);
    if (!top) return;
    const uint32_t count = r.u32le_or(0);
    InsertValueRow(tree, top, "Count", count, 4);
    char text[40];
    std::snprintf(text, sizeof text, "Objects[%u]", count < 2 ? 1u : count);
    TREE_ITEM objects = InsertCommentRow(tree, top, text, "PDEVICE_OBJECT");
    if (!objects) return;
    InsertValueRow(tree, objects, "[0]", r.u32le_or(4), 4);
    const uint32_t shown = std::min<uint32_t>(count, 32);
    for (uint32_t i = 1; i < shown; ++i) {
        uint32_t object;
        if (!r.u32le(4 + 4 * i, object)) break;
        std::snprintf(text, sizeof text, "[%u]", i);
        InsertValueRow(tree, objects, text, object, 4);
    }
}

void RenderHubCapabilities(ITreeSink& tree, const uint8_t* data, size_t length) {
    uint32_t flags;
    if (!ByteReader(data, length).u32le(0, flags)) return;
    if (TREE_ITEM top = tree.InsertItem("struct _USB_HUB_CAPABILITIES", nullptr)) {
        InsertValueRow(tree, top, "HubIs2xCapable:1", flags & 1, 4);
    }
}

void RenderHubCapabilitiesEx(ITreeSink& tree, const uint8_t* data, size_t length) {
    uint32_t flags;
    if (!ByteReader(data, length).u32le(0, flags)) return;
    TREE_ITEM top = tree.InsertItem("struct _USB_HUB_CAPABILITIES_EX", nullptr);
    TREE_ITEM capability = top ? InsertCommentRow(tree, top, "CapabilityFlags", "union _USB_HUB_CAP_FLAGS") : nullptr;
    if (!capability) return;
    InsertValueRow(tree, capability, "ul", flags, 4);
    if (TREE_ITEM bits = InsertCommentRow(tree, capability, "struct {...}")) {
        BitRows(tree, bits, flags, kHubCapabilityBits, std::size(kHubCapabilityBits));
        InsertValueRow(tree, bits, "ReservedMBZ:26", flags >> 7, 4);
    }
}

void RenderNodeInformation(ITreeSink& tree, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    uint32_t type;
    if (!r.u32le(0, type)) return;
    TREE_ITEM top = tree.InsertItem("struct _USB_NODE_INFORMATION", nullptr);
    if (!top) return;
    InsertValueRow(tree, top, "NodeType", type, 4, NodeTypeName(type, NAME_SYMBOLIC));
    if (type == 1 && length > 7) {
        if (TREE_ITEM parent = InsertCommentRow(tree, top, "MiParentInformation", "struct _USB_MI_PARENT_INFORMATION")) {
            InsertValueRow(tree, parent, "NumberOfInterfaces", r.u32le_or(4), 4);
        }
    } else if (type == 0 && length > 75) {
        if (TREE_ITEM hub = InsertCommentRow(tree, top, "HubInformation", "struct _USB_HUB_INFORMATION")) {
            if (TREE_ITEM descriptor = InsertCommentRow(tree, hub, "Hub Descriptor", "struct _USB_HUB_DESCRIPTOR")) {
                RenderStructFields(tree, descriptor, data + 4, 71, kUsbHubDescriptorTable, false);
            }
            InsertValueRow(tree, hub, "HubIsBusPowered", r.u8or(75), 1);
        }
    }
}

void RenderBusInterface(const GUID_VALUE& guid, ITreeSink& tree, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    if (!r.has(0, 16)) return;
    const uint16_t version = r.u16le_or(2);
    const char* name = SymbolicGuidName(guid);
    const auto is = [name](const char* n) { return name && std::strcmp(name, n) == 0; };
    static constexpr uint8_t kHubCaps[] = {16, 44, 68, 72, 76, 80, 132};
    static constexpr uint8_t kUsbdiCaps[] = {32, 36, 40, 48};
    if (is("USB_BUS_INTERFACE_USBC_CONFIGURATION_GUID") && version == 1) {
        RenderVersioned(tree, data, length, "struct _USBC_DEVICE_CONFIGURATION_INTERFACE_V%d", version,
                        kUsbcDeviceConfigurationInterfaceV1Table, 52);
    } else if (is("USB_BUS_INTERFACE_HUB_GUID") && version < std::size(kHubCaps)) {
        RenderVersioned(tree, data, length, "struct _USB_BUS_INTERFACE_HUB_V%d", version, kUsbBusInterfaceHubV6Table,
                        kHubCaps[version]);
    } else if (is("USB_BUS_INTERFACE_USBDI_GUID") && version < std::size(kUsbdiCaps)) {
        RenderVersioned(tree, data, length, "struct _USB_BUS_INTERFACE_USBDI_V%d", version,
                        kUsbBusInterfaceUsbdiV3Table, kUsbdiCaps[version]);
    } else if (is("KSMEDIUMSETID_Standard") && version == 0x100) {
        // The software-enumerator bus identifier.
        RenderTable(tree, data, std::min<size_t>(length, r.u16le_or(0)), kBusInterfaceSwenumTable, 28);
    } else if (is("GUID_PNP_LOCATION_INTERFACE")) {
        RenderTable(tree, data, length, kPnpLocationInterfaceTable);
    } else {
        RenderTable(tree, data, length, kInterfaceTable);
    }
}

void RenderPnpBusInformation(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderTable(tree, data, length, kPnpBusInformationTable);
}
void RenderHubName(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderTable(tree, data, length, kUsbHubNameTable);
}
void RenderControllerName(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderTable(tree, data, length, kUsbControllerNameTable);
}
void RenderBusNotification(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderTable(tree, data, length, kUsbBusNotificationTable);
}
void RenderIdleCallbackInfo(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderTable(tree, data, length, kUsbIdleCallbackInfoTable);
}
void RenderNodeConnectionAttributes(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderTable(tree, data, length, kUsbNodeConnectionAttributesTable);
}
void RenderNodeConnectionName(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderTable(tree, data, length, kUsbNodeConnectionNameTable);
}
void RenderNodeConnectionDriverKeyName(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderTable(tree, data, length, kUsbNodeConnectionDriverkeyNameTable);
}
void RenderNodeConnectionInformationEx(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderTable(tree, data, length, kUsbNodeConnectionInformationExTable);
}
void RenderNodeConnectionInformation(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderTable(tree, data, length, kUsbNodeConnectionInformationTable);
}
void RenderHcdDriverKeyName(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderTable(tree, data, length, kUsbHcdDriverkeyNameTable);
}
void RenderRootHubName(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderTable(tree, data, length, kUsbRootHubNameTable);
}
void RenderHcdStatistics2(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderTable(tree, data, length, kHcdStatInformation2Table, 120);
}
void RenderHcdStatistics1(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderTable(tree, data, length, kHcdStatInformation1Table, 44);
}

} // namespace brx
