#include "decode/DetailsCallbacks.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/ByteReader.h"
#include "decode/FieldTables.h"
#include "decode/UsbNames.h"
#include "decode/VendorNames.h"
#include "decode/WindowsNames.h"

namespace brx {

namespace {

// Formatted comments live until the next one (user-interface thread only).
char* CommentBuffer() {
    static char buffer[128];
    return buffer;
}

bool IsDeviceDescriptor(const ByteReader& r) { return r.size() == 18 && r.u8or(0) > 17; }

TREE_ITEM ParentOf(ITreeSink& tree, TREE_ITEM row) { return row ? tree.GetParentItem(row) : nullptr; }

constexpr const char* kIoStackFlags[] = {"SL_READ_ACCESS_GRANTED", "SL_OVERRIDE_VERIFY_VOLUME",
                                         "SL_WRITE_ACCESS_GRANTED"};
constexpr BIT_NAMES kIoStackFlagNames = {kIoStackFlags};

constexpr const char* kPipeFlags[] = {"USBD_PF_CHANGE_MAX_PACKET", "USBD_PF_SHORT_PACKET_OPT",
                                      "USBD_PF_ENABLE_RT_THREAD_ACCESS", "USBD_PF_MAP_ADD_TRANSFERS"};
constexpr BIT_NAMES kPipeFlagNames = {kPipeFlags};

constexpr const char* kRecipients[] = {"Device", "Interface", "Endpoint", "Other"};
constexpr const char* kRequestTypes[] = {"Standard", "Class", "Vendor", ""};

// Interface information blocks back to back from start: each at least 16
// bytes long and inside the data, the next one its Length further on.
void InterfaceRows(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length, size_t start) {
    ByteReader r(data, length);
    TREE_ITEM parent = ParentOf(tree, lastRow);
    size_t at = start;
    uint16_t interfaceLength;
    while (r.u16le(at, interfaceLength) && interfaceLength >= 16 && r.has(at, interfaceLength)) {
        char text[32];
        std::snprintf(text, sizeof text, "Interface %d", r.u8or(at + 2));
        TREE_ITEM row = InsertCommentRow(tree, parent, text, "struct _USBD_INTERFACE_INFORMATION");
        if (row) RenderStructFields(tree, row, data + at, interfaceLength, kUsbdInterfaceInformationTable, false);
        at += interfaceLength;
    }
}

// A counted name at nameOffset whose ActualLength (the whole structure's
// byte count) is the DWORD at lengthOffset.
void CountedName(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length, size_t lengthOffset,
                 size_t nameOffset, const char* label) {
    ByteReader r(data, length);
    uint32_t actual;
    if (!r.u32le(lengthOffset, actual)) return;
    if (actual <= nameOffset + 1 || length <= nameOffset + 1) return;
    const size_t count = std::min<size_t>(actual - nameOffset, length - nameOffset);
    RenderWideNameString(tree, ParentOf(tree, lastRow), label, data + nameOffset, count);
}

} // namespace

// ---------------------------------------------------------------------------
// Comments

const char* DescriptorClassComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    return IsDeviceDescriptor(r) ? DeviceClassName(r.u8or(4)) : nullptr;
}
const char* DescriptorSubClassComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    return IsDeviceDescriptor(r) ? ClassSubclassName(r.u8or(4), r.u8or(5)) : nullptr;
}
const char* DescriptorProtocolComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    return IsDeviceDescriptor(r) ? ClassProtocolName(r.u8or(4), r.u8or(5), r.u8or(6)) : nullptr;
}
const char* DescriptorMaxPacketComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    if (!IsDeviceDescriptor(r)) return nullptr;
    const uint8_t size = r.u8or(7);
    if (size <= 8) return nullptr;
    if (size == 9) return "512 bytes";  // SuperSpeed: 2^9
    std::snprintf(CommentBuffer(), 128, "%d bytes", size);
    return CommentBuffer();
}
const char* DescriptorVendorComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    return IsDeviceDescriptor(r) ? VendorName(r.u16le_or(8)) : nullptr;
}

const char* InterfaceClassComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    return length > 15 ? InterfaceClassName(r.u8or(4)) : nullptr;
}
const char* InterfaceSubClassComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    return length > 15 ? ClassSubclassName(r.u8or(4), r.u8or(5)) : nullptr;
}
const char* InterfaceProtocolComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    return length > 15 ? ClassProtocolName(r.u8or(4), r.u8or(5), r.u8or(6)) : nullptr;
}

const char* UsbdiVersionComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint16_t v;
    return ByteReader(data, length).u16le(2, v) ? UsbdiBusInterfaceVersionName(v, NAME_SYMBOLIC) : nullptr;
}
const char* HubVersionComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint16_t v;
    return ByteReader(data, length).u16le(2, v) ? HubBusInterfaceVersionName(v, NAME_SYMBOLIC) : nullptr;
}
const char* UsbcVersionComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint16_t v;
    return ByteReader(data, length).u16le(2, v) ? UsbcConfigurationInterfaceVersionName(v, NAME_SYMBOLIC) : nullptr;
}
const char* SwenumVersionComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint16_t v;
    return ByteReader(data, length).u16le(2, v) ? SwenumBusInterfaceVersionName(v, NAME_SYMBOLIC) : nullptr;
}

const char* NotificationTypeComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint32_t v;
    return ByteReader(data, length).u32le(0, v) ? BusNotificationTypeName(v, NAME_SYMBOLIC) : nullptr;
}
const char* ConnectionInfoStatusComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint32_t v;
    return ByteReader(data, length).u32le(31, v) ? ConnectionStatusName(v, NAME_FRIENDLY) : nullptr;
}
const char* LowSpeedComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    uint32_t status;
    if (!r.u32le(31, status) || status == 0) return nullptr;
    return LowSpeedName(r.u8or(23));
}
const char* SpeedComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    uint32_t status;
    if (!r.u32le(31, status) || status == 0) return nullptr;
    return DeviceSpeedName(r.u8or(23), NAME_FRIENDLY);
}
const char* AttributesStatusComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint32_t v;
    return ByteReader(data, length).u32le(4, v) ? ConnectionStatusName(v, NAME_FRIENDLY) : nullptr;
}
const char* IoPriorityComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint32_t v;
    if (length <= 11 || !ByteReader(data, length).u32le(0, v)) return nullptr;
    return UsbIoPriorityName(v, NAME_SYMBOLIC);
}
const char* PortFeatureComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint32_t v;
    return ByteReader(data, length).u32le(16, v) ? InterfaceTypeName(v, NAME_SYMBOLIC) : nullptr;
}

const char* RenderTransferFlags(ITreeSink& tree, TREE_ITEM row, const uint8_t* data, size_t length) {
    uint32_t flags;
    if (length <= 23 || !ByteReader(data, length).u32le(20, flags)) return nullptr;
    tree.SetItemText(row, DETAILS_COLUMN_COMMENT,
                     (flags & 1) ? "USBD_TRANSFER_DIRECTION_IN" : "USBD_TRANSFER_DIRECTION_OUT");
    static constexpr const char* kFurther[] = {"USBD_SHORT_TRANSFER_OK", "USBD_START_ISO_TRANSFER_ASAP",
                                               "USBD_DEFAULT_PIPE_TRANSFER"};
    TREE_ITEM parent = tree.GetParentItem(row);
    for (int bit = 1; bit <= 3; ++bit) {
        if (flags & (1u << bit)) InsertCommentRow(tree, parent, "", kFurther[bit - 1]);
    }
    return nullptr;
}

const char* IoStackMinorName(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    if (length != 36) return nullptr;
    ByteReader r(data, length);
    const uint8_t major = r.u8or(0);
    if (major != 22 && major != 27) return nullptr;
    return MinorFunctionName(major, r.u8or(1), NAME_SYMBOLIC);
}

const BIT_NAMES* IoStackFlagsBits(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint8_t major;
    if (!ByteReader(data, length).u8(0, major)) return nullptr;
    return major == 14 || major == 15 ? &kIoStackFlagNames : nullptr;
}

// The DeviceIoControl parameters are chosen only for majors 14 and 15, so the
// major needs no second look here.
const char* CtlCodeComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint32_t code;
    if (length != 16 || !ByteReader(data, length).u32le(8, code) || code == 0) return nullptr;
    const char* type = IoctlDeviceTypeName(code >> 16);
    const char* method = IoctlMethodName(code);
    const char* access = IoctlAccessName(code);
    std::snprintf(CommentBuffer(), 128, "CTL_CODE( %s, %Xh, %s, %s )", type ? type : "?", (code >> 2) & 0xFFF,
                  method ? method : "?", access ? access : "?");
    return CommentBuffer();
}

const char* RelationTypeComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint32_t v;
    return ByteReader(data, length).u32le(0, v) ? RelationTypeName(v, NAME_SYMBOLIC) : nullptr;
}
const char* QueryIdTypeComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint32_t v;
    return ByteReader(data, length).u32le(0, v) ? QueryIdTypeName(v, NAME_SYMBOLIC) : nullptr;
}
const char* DeviceTextTypeComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint32_t v;
    return ByteReader(data, length).u32le(0, v) ? DeviceTextTypeName(v, NAME_SYMBOLIC) : nullptr;
}
const char* LocaleIdComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint32_t v;
    if (!ByteReader(data, length).u32le(4, v) || v > 0xFFFF) return nullptr;
    return LangIdName(static_cast<uint16_t>(v));
}
const char* UsageTypeComment(ITreeSink&, TREE_ITEM, const uint8_t* data, size_t length) {
    uint32_t v;
    return ByteReader(data, length).u32le(4, v) ? UsageTypeName(v, NAME_SYMBOLIC) : nullptr;
}

// ---------------------------------------------------------------------------
// Choosers

FieldTable SelectStackParametersTable(ITreeSink&, TREE_ITEM lastRow, const uint8_t* data, size_t length) {
    if (!lastRow || length != 36) return {};
    ByteReader r(data, length);
    const uint8_t major = r.u8or(0);
    const uint8_t minor = r.u8or(1);
    switch (major) {
    case 0: return kParamsCreateTable;
    case 14:
    case 15: return kParamsDeviceIoControlTable;
    case 22:
        switch (minor) {
        case 0: return kParamsWaitWakeTable;
        case 1: return kParamsPowerSequenceTable;
        case 2:
        case 3:
            switch (r.u32le_or(8, 0xFFFFFFFF)) {  // Parameters.Power.Type
            case 0: return kParamsPowerSystemTable;
            case 1: return kParamsPowerDeviceTable;
            default: return {};
            }
        default: return {};
        }
    case 27:
        switch (minor) {
        case 0: return kParamsStartDeviceTable;
        case 7: return kParamsQueryDeviceRelationsTable;
        case 8: return kParamsQueryInterfaceTable;
        case 9: return kParamsDeviceCapabilitiesTable;
        case 12: return kParamsQueryDeviceTextTable;
        case 13: return kParamsFilterResourceRequirementsTable;
        case 15:
        case 16: return kParamsReadWriteConfigTable;
        case 18: return kParamsSetLockTable;
        case 19: return kParamsQueryIdTable;
        case 22: return kParamsUsageNotificationTable;
        default: return {};
        }
    default: return {};
    }
}

FieldTable SetupPacketRows(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length) {
    if (length <= 79) return {};
    ByteReader r(data, length);
    TREE_ITEM packet = InsertCommentRow(tree, ParentOf(tree, lastRow), "Setup Packet", "struct _USB_DEFAULT_PIPE_SETUP_PACKET");
    if (!packet) return {};
    const uint8_t type = r.u8or(72);
    if (TREE_ITEM bm = InsertValueRow(tree, packet, "bmRequestType", type, 1, "union _BM_REQUEST_TYPE")) {
        InsertValueRow(tree, bm, "1..0: Recipient", type & 3, 1, kRecipients[type & 3]);
        InsertValueRow(tree, bm, "4..2: Reserved", (type >> 2) & 7, 1);
        InsertValueRow(tree, bm, "6..5: Type", (type >> 5) & 3, 1, kRequestTypes[(type >> 5) & 3]);
        InsertValueRow(tree, bm, "7: Dir", type >> 7, 1, (type & 0x80) ? "Device-to-Host" : "Host-to-Device");
    }
    InsertValueRow(tree, packet, "bRequest", r.u8or(73), 1);
    for (const auto& [name, offset] : {std::pair{"wValue", 74}, std::pair{"wIndex", 76}}) {
        const uint16_t word = r.u16le_or(offset);
        if (TREE_ITEM row = InsertValueRow(tree, packet, name, word, 2)) {
            InsertValueRow(tree, row, "LowByte", word & 0xFF, 1);
            InsertValueRow(tree, row, "HiByte", word >> 8, 1);
        }
    }
    InsertValueRow(tree, packet, "wLength", r.u16le_or(78), 2);
    return {};
}

FieldTable PipeRows(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length) {
    ByteReader whole(data, length);
    uint16_t interfaceLength;
    uint32_t pipes;
    if (!whole.u16le(0, interfaceLength) || !whole.u32le(12, pipes)) return {};
    ByteReader r = whole.sub(0, interfaceLength);
    TREE_ITEM parent = ParentOf(tree, lastRow);
    char text[32];
    for (uint32_t i = 0; i < pipes; ++i) {
        const size_t at = 16 + static_cast<size_t>(i) * 20;
        if (!r.has(at, 20)) break;
        std::snprintf(text, sizeof text, "Pipes[%u]", i);
        TREE_ITEM pipe = InsertCommentRow(tree, parent, text, "struct _USBD_PIPE_INFORMATION");
        if (!pipe) break;
        InsertValueRow(tree, pipe, "MaximumPacketSize", r.u16le_or(at), 2);
        const uint8_t endpoint = r.u8or(at + 2);
        std::snprintf(text, sizeof text, "%d %s", endpoint & 0x0F, (endpoint & 0x80) ? "In" : "Out");
        InsertValueRow(tree, pipe, "EndpointAddress", endpoint, 1, text);
        InsertValueRow(tree, pipe, "Interval", r.u8or(at + 3), 1);
        const uint32_t pipeType = r.u32le_or(at + 4);
        InsertValueRow(tree, pipe, "PipeType", pipeType, 4, PipeTypeName(pipeType, NAME_SYMBOLIC));
        InsertValueRow(tree, pipe, "PipeHandle", r.u32le_or(at + 8), 4);
        InsertValueRow(tree, pipe, "MaximumTransferSize", r.u32le_or(at + 12), 4);
        const uint32_t flags = r.u32le_or(at + 16);
        if (TREE_ITEM row = InsertValueRow(tree, pipe, "PipeFlags", flags, 4)) {
            RenderBitFlagNames(tree, row, flags, 4, &kPipeFlagNames);
        }
    }
    return {};
}

FieldTable IsoPacketRows(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length) {
    if (length < 96) return {};
    ByteReader whole(data, length);
    const uint32_t packets = whole.u32le_or(76);
    ByteReader r = whole.sub(0, whole.u16le_or(0));
    TREE_ITEM parent = ParentOf(tree, lastRow);
    char text[32];
    for (uint32_t i = 0; i < packets; ++i) {
        const size_t at = 84 + static_cast<size_t>(i) * 12;
        if (!r.has(at, 12)) break;
        std::snprintf(text, sizeof text, "IsoPacket[%u]", i);
        TREE_ITEM row = InsertCommentRow(tree, parent, text, "struct _USBD_ISO_PACKET_DESCRIPTOR");
        if (!row) break;
        RenderStructFields(tree, row, data + at, 12, kUsbdIsoPacketDescriptorTable, false);
    }
    return {};
}

FieldTable SelectConfigurationInterfaceRows(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length) {
    if (length >= 40) InterfaceRows(tree, lastRow, data, length, 24);
    return {};
}

FieldTable SelectInterfaceRows(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length) {
    if (length > 35) InterfaceRows(tree, lastRow, data, length, 20);
    return {};
}

FieldTable PipeListRows(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length) {
    if (length <= 34) return {};
    ByteReader whole(data, length);
    const uint32_t count = whole.u32le_or(27);
    const uint64_t listEnd = 35 + static_cast<uint64_t>(count) * 11;
    ByteReader r = whole.sub(0, listEnd < length ? static_cast<size_t>(listEnd) : length);
    TREE_ITEM parent = ParentOf(tree, lastRow);
    char text[32];
    for (uint32_t i = 0; i < count; ++i) {
        const size_t at = 35 + static_cast<size_t>(i) * 11;
        if (!r.has(at, 11)) break;
        std::snprintf(text, sizeof text, "PipeList[%u]", i);
        TREE_ITEM row = InsertCommentRow(tree, parent, text, "struct _USB_PIPE_INFO");
        if (!row) break;
        RenderStructFields(tree, row, data + at, 11, kUsbPipeInfoTable, false);
    }
    return {};
}

FieldTable HubNameRow(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length) {
    CountedName(tree, lastRow, data, length, 0, 4, "HubName[..]");
    return {};
}
FieldTable ControllerNameRow(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length) {
    CountedName(tree, lastRow, data, length, 0, 4, "ControllerName[..]");
    return {};
}
FieldTable RootHubNameRow(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length) {
    CountedName(tree, lastRow, data, length, 0, 4, "RootHubName[..]");
    return {};
}
FieldTable HcdDriverKeyNameRow(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length) {
    CountedName(tree, lastRow, data, length, 0, 4, "DriverKeyName[..]");
    return {};
}
FieldTable NodeDriverKeyNameRow(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length) {
    CountedName(tree, lastRow, data, length, 4, 8, "DriverKeyName[..]");
    return {};
}
FieldTable NodeNameRow(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length) {
    CountedName(tree, lastRow, data, length, 4, 8, "NodeName[..]");
    return {};
}

void RenderWideNameString(ITreeSink& tree, TREE_ITEM parent, const char* label, const uint8_t* name,
                          size_t byteCount) {
    if (byteCount <= 2) return;
    ByteReader r(name, std::min<size_t>(byteCount, 2040));
    std::u16string value = u"L\"";
    for (size_t at = 0; r.has(at, 2); at += 2) {
        const char16_t ch = static_cast<char16_t>(r.u16le_or(at));
        if (ch == 0) break;
        value.push_back(ch);
    }
    value.push_back(u'"');
    if (TREE_ITEM row = tree.InsertItem(label, parent)) tree.SetItemTextWide(row, DETAILS_COLUMN_VALUE, value);
}

} // namespace brx
