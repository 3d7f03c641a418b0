#include "decode/RequestSummary.h"

#include <algorithm>
#include <cstdio>

#include "base/ByteReader.h"
#include "capture/Convert.h"
#include "capture/RequestKind.h"
#include "decode/SummaryLines.h"
#include "decode/UrbFields.h"
#include "decode/UsbNames.h"
#include "decode/WindowsNames.h"

namespace brx {
namespace {

constexpr size_t kObjectNameChars = 512;
constexpr size_t kMaxTextBytes = 2048;

HRESULT32 Decimal(SUMMARY_CONTEXT& ctx, const char* label, uint32_t value) {
    return AppendRtfLine(ctx, label, value, RTF_VALUE_DECIMAL);
}
HRESULT32 Hex8(SUMMARY_CONTEXT& ctx, const char* label, uint32_t value) {
    return AppendRtfLine(ctx, label, value, RTF_VALUE_HEX8);
}

const ByteReader Block(const SUMMARY_CONTEXT& ctx) {
    const CRecordView* r = ctx.record;
    return r && r->hasBlock && r->block ? ByteReader(r->block, r->blockLength) : ByteReader();
}

bool Successful(const SUMMARY_CONTEXT& ctx) { return SummaryIsCompletion(ctx) && SummaryRequestStatus(ctx) == 0; }

void StatusIfFailed(SUMMARY_CONTEXT& ctx) {
    if (SummaryIsCompletion(ctx) && SummaryRequestStatus(ctx) != 0)
        AppendIrpStatusLine(ctx, SummaryRequestStatus(ctx));
}

// A name line: the object's name (after its last backslash) or its pointer.
void ObjectLine(SUMMARY_CONTEXT& ctx, const char* label, OBJECT_KEY key, bool driver) {
    char16_t name[kObjectNameChars];
    uint32_t length = 0;
    if (ctx.names)
        length = driver ? ctx.names->LookupDriverName(key, name, kObjectNameChars)
                        : ctx.names->LookupDeviceName(key, name, kObjectNameChars);
    if (length == 0 || length >= kObjectNameChars) {
        AppendRtfLine(ctx, label, key.key0, RTF_VALUE_HEX8_ONLY);
        return;
    }
    size_t start = 0;
    for (size_t i = 0; i < length; ++i)
        if (name[i] == u'\\') start = i + 1;
    char value[kObjectNameChars * RTF_ESCAPE_MAX + 1];
    EscapeRtfText(name + start, length - start, value, sizeof value);
    AppendRtfTextLine(ctx, label, value);
}

// A captured UTF-16 name of at most wanted bytes from offset of the block.
void BlockNameLine(SUMMARY_CONTEXT& ctx, const char* label, const ByteReader& block, size_t offset, int64_t wanted) {
    if (wanted < 2) return;
    const ByteReader name = block.sub(offset, std::min<int64_t>(wanted, kMaxTextBytes));
    if (name.size() < 2) return;
    char value[(kMaxTextBytes / 2) * RTF_ESCAPE_MAX + 1];
    EscapeRtfText(name.data(), name.size() / 2, value, sizeof value);
    AppendRtfTextLine(ctx, label, value);
}

// ---------------------------------------------------------------------------
// URBs

// The lines of one URB function; the table checks its least lengths first.
using UrbWriter = void (*)(SUMMARY_CONTEXT&, const SUMMARY_URB&, uint16_t function);

void EndpointLine(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u) {
    if (u.TransferFlags() & URB_TRANSFER_DEFAULT_PIPE)
        AppendRtfTextLine(ctx, "Endpoint 0", "Default Control");
    else
        AppendUrbEndpointLine(ctx, u.PackedEndpoint());
}

// The data stage a setup summary may read: OUT data on the issue, IN data on
// a successful completion.
SETUP_SUMMARY SetupOf(const SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, const uint8_t* setup) {
    SETUP_SUMMARY s;
    s.setup = setup;
    s.interfaceInfo = u.block.data() + 4;
    s.interfaceInfoLength = u.block.size() - 4;
    s.completion = u.completion;
    const CRecordView* r = ctx.record;
    const bool in = (u.TransferFlags() & URB_TRANSFER_IN) != 0;
    if (r->data && r->dataLength && (in ? u.Successful() : !u.completion)) {
        s.data = r->data;
        s.dataLength = r->dataLength;
    }
    return s;
}

void TransferLengthLine(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u) {
    const bool in = u.In();
    const char* label = nullptr;
    if (!u.completion)
        label = in ? "Buffer Length" : "Bytes to Transfer";
    else if (u.completion && u.status == 0 && u.urbStatus == 0)
        label = in ? "Bytes Received" : "Bytes Transferred";
    if (label) AppendUrbLengthLine(ctx, label, u.TransferLength());
}

void InterfaceWithPipes(SUMMARY_CONTEXT& ctx, const ByteReader& record) {
    AppendRtfPar(ctx);
    char label[48];
    std::snprintf(label, sizeof label, "Interface %d / Alt %d", record.u8or(2), record.u8or(3));
    const uint32_t pipes = record.u32le_or(12);
    const char* plural = pipes == 1 ? "" : "s";
    char value[128];
    if (const char* cls = InterfaceClassName(record.u8or(4)))
        std::snprintf(value, sizeof value, "%s, %u pipe%s", cls, pipes, plural);
    else
        std::snprintf(value, sizeof value, "%u pipe%s", pipes, plural);
    AppendRtfTextLine(ctx, label, value);
    for (uint32_t i = 0; i < pipes; ++i) {
        const size_t at = 16 + 20 * static_cast<size_t>(i);
        if (!record.has(at, 20)) break;
        AppendPipeLine(ctx, record.data() + at, 20);
    }
}

void SelectConfigurationUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t) {
    if (u.urb.u32le_or(URB_OFFSET_CONFIGURATION_DESCRIPTOR) == 0) {
        AppendRtfTextLine(ctx, "Configuration", "Unconfigure");
        return;
    }
    const uint16_t at = u.block.u16le_or(URB_BLOCK_PIPE_INFO);
    if (at != 0 && u.block.has(at, 9) && u.block.u8or(at) == 9 && u.block.u8or(at + 1u) == 2)
        Decimal(ctx, "Configuration", u.block.u8or(at + 5u));
    if (!u.Successful() || u.urbStatus != 0) return;
    size_t offset = 24;
    while (u.urb.has(offset, 16)) {
        const uint16_t length = u.urb.u16le_or(offset);
        if (length < 16 || !u.urb.has(offset, length)) break;
        InterfaceWithPipes(ctx, u.urb.sub(offset, length));
        offset += length;
    }
}

void SelectInterfaceUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t) {
    size_t offset = 20;
    while (u.urb.has(offset, 36)) {
        const uint16_t length = u.urb.u16le_or(offset);
        if (length < 36) break;
        const ByteReader record = u.urb.sub(offset, length);
        if (u.Successful())
            InterfaceWithPipes(ctx, record);
        else {
            char value[32];
            std::snprintf(value, sizeof value, "%d / Alt %d", record.u8or(2), record.u8or(3));
            AppendRtfTextLine(ctx, "Interface", value);
        }
        offset += length;
    }
}

void PipeUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t) { AppendUrbEndpointLine(ctx, u.PackedEndpoint()); }

void GetFrameLengthUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t) {
    if (!u.Successful()) return;
    Hex8(ctx, "Frame Length", u.urb.u32le_or(16));
    Hex8(ctx, "Frame Number", u.urb.u32le_or(20));
}

void SetFrameLengthUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t) {
    Hex8(ctx, "Frame Length Delta", u.urb.u32le_or(16));
}

void FrameNumberUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t) {
    if (u.Successful()) Hex8(ctx, "Frame Number", u.urb.u32le_or(16));
}

void ControlTransferUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t) {
    EndpointLine(ctx, u);
    AppendRtfPar(ctx);
    SummarizeSetupRequest(ctx, SetupOf(ctx, u, u.urb.data() + URB_OFFSET_SETUP_PACKET));
}

void BulkUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t) {
    EndpointLine(ctx, u);
    AppendRtfPar(ctx);
    int written = 0;
    switch (u.block.u8or(URB_BLOCK_INTERFACE_CLASS)) {
    case 0x02: written = SummarizeCdcNotification(ctx, u); break;
    case 0x03: written = SummarizeHidReport(ctx, u); break;
    default: break;
    }
    if (!written) TransferLengthLine(ctx, u);
}

void IsochUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t) {
    EndpointLine(ctx, u);
    AppendRtfPar(ctx);
    TransferLengthLine(ctx, u);
    AppendRtfPar(ctx);
    if (!(u.TransferFlags() & URB_TRANSFER_ASAP)) Decimal(ctx, "Start Frame", u.urb.u32le_or(72));
    Decimal(ctx, "Number of Packets", u.urb.u32le_or(76));
    if (u.completion && u.urb.u32le_or(80) != 0) Decimal(ctx, "Error Count", u.urb.u32le_or(80));
}

void PutSetup(uint8_t setup[8], uint8_t bm, uint8_t request, uint16_t value, uint16_t index, uint32_t length) {
    setup[0] = bm;
    setup[1] = request;
    setup[2] = static_cast<uint8_t>(value);
    setup[3] = static_cast<uint8_t>(value >> 8);
    setup[4] = static_cast<uint8_t>(index);
    setup[5] = static_cast<uint8_t>(index >> 8);
    setup[6] = static_cast<uint8_t>(length);
    setup[7] = static_cast<uint8_t>(length >> 8);
}

void DescriptorUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t function) {
    const bool out = function == 0x0C || function == 0x25 || function == 0x29;
    const uint8_t recipient = function == 0x24 || function == 0x25 ? 2 : function == 0x28 || function == 0x29 ? 1 : 0;
    uint8_t setup[8];
    PutSetup(setup, static_cast<uint8_t>((out ? 0x00 : 0x80) | recipient), out ? 7 : 6,
             static_cast<uint16_t>(u.urb.u8or(URB_OFFSET_VALUE) | u.urb.u8or(URB_OFFSET_DESCRIPTOR_TYPE) << 8),
             u.urb.u16le_or(URB_OFFSET_INDEX), u.TransferLength());
    SummarizeSetupRequest(ctx, SetupOf(ctx, u, setup));
}

void FeatureUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t function) {
    const uint16_t selector = u.urb.u16le_or(URB_OFFSET_VALUE), index = u.urb.u16le_or(URB_OFFSET_INDEX);
    switch (function) {
    case 0x0D:
    case 0x10:
        AppendRtfLine(ctx, "Feature Selector", selector, RTF_VALUE_HEX4, DeviceFeatureSelectorText(selector));
        return;
    case 0x0E:
    case 0x11:
        Decimal(ctx, "Interface", index);
        AppendRtfLine(ctx, "Feature Selector", selector, RTF_VALUE_HEX4, selector ? nullptr : "Function Suspend");
        return;
    case 0x0F:
    case 0x12: {
        char endpoint[32];
        FormatEndpointAddress(index & 0xFF, endpoint, sizeof endpoint);
        AppendRtfTextLine(ctx, "Endpoint", endpoint);
        AppendRtfLine(ctx, "Feature Selector", selector, RTF_VALUE_HEX4, selector ? nullptr : "Halt");
        return;
    }
    default:
        Decimal(ctx, "Other Target", index);
        AppendRtfLine(ctx, "Feature Selector", selector, RTF_VALUE_HEX4);
        return;
    }
}

void GetStatusUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t function) {
    const char* label = function == 0x14 ? "Interface Index" : function == 0x15 ? "Endpoint Index"
                      : function == 0x21 ? "Target Index" : nullptr;
    if (label) Decimal(ctx, label, u.urb.u16le_or(URB_OFFSET_INDEX));
    if (u.Successful() && u.block.u16le_or(URB_BLOCK_PIPE_INFO) == 2)
        AppendRtfLine(ctx, "Status", u.block.u16le_or(URB_BLOCK_PIPE_INFO + 2), RTF_VALUE_HEX4);
}

void VendorClassUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t function) {
    const bool cls = function == 0x1A || function == 0x1B || function == 0x1C || function == 0x1F;
    uint8_t recipient = 0;
    if (function == 0x18 || function == 0x1B) recipient = 1;
    if (function == 0x19 || function == 0x1C) recipient = 2;
    if (function == 0x1F || function == 0x20) recipient = 3;
    const uint8_t bm =
        static_cast<uint8_t>((u.TransferFlags() & URB_TRANSFER_IN ? 0x80 : 0) | (cls ? 0x20 : 0x40) | recipient);
    uint8_t setup[8];
    PutSetup(setup, bm, u.urb.u8or(URB_OFFSET_REQUEST), u.urb.u16le_or(URB_OFFSET_VALUE), u.urb.u16le_or(URB_OFFSET_INDEX),
             u.TransferLength());
    SummarizeSetupRequest(ctx, SetupOf(ctx, u, setup));
}

void GetConfigurationUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t function) {
    const bool interface = function == 0x27;
    if (interface) Decimal(ctx, "Interface Index", u.urb.u16le_or(URB_OFFSET_INDEX));
    if (!u.Successful()) {
        AppendUrbLengthLine(ctx, "Buffer Length", u.TransferLength());
        return;
    }
    const size_t flag = interface ? 40 : 36;
    if (u.block.u8or(flag)) Decimal(ctx, interface ? "Alternate Setting" : "Configuration Value", u.block.u8or(flag + 1));
}

void PipeIoPolicyUrb(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u, uint16_t function) {
    AppendUrbEndpointLine(ctx, u.PackedEndpoint());
    const bool set = function == 0x33;
    if (!set && !(u.Successful() && u.urbStatus == 0)) return;
    AppendRtfPar(ctx);
    const uint32_t priority = u.urb.u32le_or(20);
    AppendRtfLine(ctx, "I/O Priority", priority, RTF_VALUE_DECIMAL, UsbIoPriorityName(priority, NAME_FRIENDLY));
    Decimal(ctx, "Max Pending IRPs", u.urb.u32le_or(24));
    if (!set) AppendUrbLengthLine(ctx, "Max Controller Transfer", u.urb.u32le_or(28));
}

struct UrbRow {
    UrbWriter writer;
    uint16_t leastBlock;
    uint16_t leastUrb;
    bool exactUrb;
};

constexpr UrbRow kNone = {nullptr, 0, 0, false};
constexpr UrbRow kPipe = {PipeUrb, 60, 24, false};
constexpr UrbRow kControl = {ControlTransferUrb, 124, 80, false};
constexpr UrbRow kDescriptor = {DescriptorUrb, 120, 80, false};
constexpr UrbRow kFeature = {FeatureUrb, 112, 80, false};
constexpr UrbRow kGetStatus = {GetStatusUrb, 116, 80, false};
constexpr UrbRow kVendorClass = {VendorClassUrb, 120, 80, true};
constexpr UrbRow kPipeIoPolicy = {PipeIoPolicyUrb, 68, 32, false};

// URB_FUNCTION_SUMMARY_TABLE: URB functions 00h-34h.
constexpr UrbRow kUrbTable[53] = {
    {SelectConfigurationUrb, 76, 40, false}, // 00 SELECT_CONFIGURATION
    {SelectInterfaceUrb, 72, 36, false},     // 01 SELECT_INTERFACE
    kPipe,                                   // 02 ABORT_PIPE
    kNone, kNone,                            // 03, 04 frame length control
    {GetFrameLengthUrb, 56, 24, false},      // 05 GET_FRAME_LENGTH
    {SetFrameLengthUrb, 52, 20, false},      // 06 SET_FRAME_LENGTH
    {FrameNumberUrb, 52, 20, false},         // 07 GET_CURRENT_FRAME_NUMBER
    kControl,                                // 08 CONTROL_TRANSFER
    {BulkUrb, 116, 72, true},                // 09 BULK_OR_INTERRUPT_TRANSFER
    {IsochUrb, 140, 96, false},              // 0A ISOCH_TRANSFER
    kDescriptor, kDescriptor,                // 0B, 0C descriptor from / to device
    kFeature, kFeature, kFeature,            // 0D-0F SET_FEATURE
    kFeature, kFeature, kFeature,            // 10-12 CLEAR_FEATURE
    kGetStatus, kGetStatus, kGetStatus,      // 13-15 GET_STATUS
    kNone,                                   // 16
    kVendorClass, kVendorClass, kVendorClass, // 17-19 VENDOR
    kVendorClass, kVendorClass, kVendorClass, // 1A-1C CLASS
    kNone,                                   // 1D
    kPipe,                                   // 1E SYNC_RESET_PIPE_AND_CLEAR_STALL
    kVendorClass, kVendorClass,              // 1F CLASS_OTHER, 20 VENDOR_OTHER
    kGetStatus,                              // 21 GET_STATUS_FROM_OTHER
    kFeature, kFeature,                      // 22, 23 CLEAR / SET_FEATURE_TO_OTHER
    kDescriptor, kDescriptor,                // 24, 25 descriptor from / to endpoint
    {GetConfigurationUrb, 120, 80, false},   // 26 GET_CONFIGURATION
    {GetConfigurationUrb, 124, 80, false},   // 27 GET_INTERFACE
    kDescriptor, kDescriptor,                // 28, 29 descriptor from / to interface
    kNone, kNone, kNone, kNone, kNone, kNone, // 2A-2F
    kPipe, kPipe,                            // 30 SYNC_RESET_PIPE, 31 SYNC_CLEAR_STALL
    kControl,                                // 32 CONTROL_TRANSFER_EX
    kPipeIoPolicy, kPipeIoPolicy,            // 33 SET_, 34 GET_PIPE_IO_POLICY
};

// ---------------------------------------------------------------------------
// Kernel-mode device control

void InternalIoctlLines(SUMMARY_CONTEXT& ctx, uint32_t kind) {
    const ByteReader block = Block(ctx);
    const bool success = Successful(ctx);
    const bool issue = !SummaryIsCompletion(ctx);
    switch (kind) {
    case KIND_KMIO_FIRST + 3:  // GET_ROOTHUB_PDO
        if (!success || block.size() < 16) return;
        AppendObjectNameLine(ctx, "Root Hub PDO", {block.u32le_or(0), block.u32le_or(8)});
        AppendObjectNameLine(ctx, "Host Controller FDO", {block.u32le_or(4), block.u32le_or(12)});
        return;
    case KIND_KMIO_FIRST + 4: {  // GET_PORT_STATUS
        if (!success || block.size() < 4) return;
        const uint32_t status = block.u32le_or(0);
        char value[64];
        std::snprintf(value, sizeof value, "%s, %s", (status & 1) ? "Enabled" : "Disabled",
                      (status & 2) ? "Connected" : "Not connected");
        AppendRtfTextLine(ctx, "Port Status", value);
        return;
    }
    case KIND_KMIO_FIRST + 6:  // GET_HUB_COUNT
        if (success && block.size() >= 4) Decimal(ctx, "Hubs In Chain", block.u32le_or(0));
        return;
    case KIND_KMIO_FIRST + 8: {  // GET_HUB_NAME
        if (block.size() < 16) return;
        if (!success) {
            AppendLengthLine(ctx, "Buffer Length", block.u32le_or(0));
            return;
        }
        const uint32_t n = block.u32le_or(4), actual = block.u32le_or(8);
        if (n < 4) return;
        if (n <= 6) {
            if (actual == 6) {
                AppendRtfTextLine(ctx, "Hub Name", "<no name>");
            } else {
                AppendLengthLine(ctx, "Buffer Length", block.u32le_or(0));
                AppendLengthLine(ctx, "Buffer Length Required", actual);
            }
            return;
        }
        // The name starts at 12: never more than the block holds from there.
        BlockNameLine(ctx, "Hub Name", block, 12,
                      std::min({static_cast<int64_t>(block.size()) - 12, int64_t{actual} - 4, int64_t{n} - 4}));
        return;
    }
    case KIND_KMIO_FIRST + 9:  // SUBMIT_IDLE_NOTIFICATION
        if (!issue || block.size() < 8) return;
        AppendRtfLine(ctx, "Idle Callback", block.u32le_or(0), RTF_VALUE_HEX8_ONLY);
        AppendRtfLine(ctx, "Idle Context", block.u32le_or(4), RTF_VALUE_HEX8_ONLY);
        return;
    case KIND_KMIO_FIRST + 264:  // GET_BUS_INFO
        if (!success || block.size() < 16) return;
        Hex8(ctx, "Total Bandwidth", block.u32le_or(4));
        Hex8(ctx, "Consumed Bandwidth", block.u32le_or(8));
        Decimal(ctx, "Controller Name Length", block.u32le_or(12));
        return;
    case KIND_KMIO_FIRST + 265:  // GET_CONTROLLER_NAME
        if (block.size() < 16) return;
        if (issue) {
            AppendLengthLine(ctx, "Buffer Length", block.u32le_or(0));
        } else if (success) {
            BlockNameLine(ctx, "Controller Name", block, 12,
                          std::min({static_cast<int64_t>(block.size()) - 12, int64_t{block.u32le_or(8)},
                                    int64_t{block.u32le_or(4)} - 4}));
        }
        return;
    case KIND_KMIO_FIRST + 268:  // GET_DEVICE_HANDLE
        if (success && block.size() >= 4) AppendRtfLine(ctx, "Device Handle", block.u32le_or(0), RTF_VALUE_HEX8_ONLY);
        return;
    default: return;
    }
}

// ---------------------------------------------------------------------------
// Plug and Play

void GuidLines(SUMMARY_CONTEXT& ctx, const char* label, const GUID_VALUE& guid) {
    GUID_DATA data{guid.data1, guid.data2, guid.data3, {}};
    std::copy(std::begin(guid.data4), std::end(guid.data4), data.Data4);
    char text[64];
    EscapeRtfText(FormatGuidA(data), text, sizeof text);
    const char* name = guid == GUID_VALUE{} ? "GUID_BOGUS_INTERFACE" : SymbolicGuidName(guid);
    if (name) {
        AppendRtfTextLine(ctx, label, name);
        AppendRtfTextLine(ctx, "\t", text);
    } else {
        AppendRtfTextLine(ctx, label, text);
    }
}

// A UTF-16 text of a successful completion: at most 2048 bytes, at least 4.
ByteReader PnpText(const ByteReader& block, size_t offset) {
    const ByteReader text = block.sub(offset, kMaxTextBytes);
    return text.size() >= 4 ? text : ByteReader();
}

void QueryDeviceRelations(SUMMARY_CONTEXT& ctx, const ByteReader& block) {
    if (block.size() < 8) return;
    if (const char* name = RelationTypeName(block.u32le_or(4), NAME_FRIENDLY))
        AppendRtfTextLine(ctx, "Relationships", name);
    if (!Successful(ctx) || block.size() < 20) return;
    const uint32_t count = block.u32le_or(8);
    if (count == 0) {
        Decimal(ctx, "Count", 0);
        return;
    }
    const uint64_t owners = 12 + 4ull * count;
    for (uint32_t i = 0; i < count && i < 32; ++i) {
        const size_t at = 12 + 4 * static_cast<size_t>(i);
        if (!block.has(at, 4)) break;
        const uint32_t object = block.u32le_or(at);
        if (object == 0) continue;
        const uint64_t ownerAt = owners + 4ull * i;
        const uint32_t owner = ownerAt + 4 <= block.size() ? block.u32le_or(static_cast<size_t>(ownerAt)) : 0;
        char16_t name[kObjectNameChars];
        uint32_t length = owner && ctx.names ? ctx.names->LookupDeviceName({object, owner}, name, kObjectNameChars) : 0;
        if (length == 0 || length >= kObjectNameChars) {
            AppendRtfLine(ctx, "PDO", object, RTF_VALUE_HEX8_ONLY);
            continue;
        }
        size_t start = 0;
        for (size_t k = 0; k < length; ++k)
            if (name[k] == u'\\') start = k + 1;
        char value[kObjectNameChars * RTF_ESCAPE_MAX + 1];
        EscapeRtfText(name + start, length - start, value, sizeof value);
        AppendRtfTextLine(ctx, "PDO", value);
    }
}

void QueryInterface(SUMMARY_CONTEXT& ctx, const ByteReader& block) {
    GUID_VALUE guid{};
    if (block.size() < 24 || !ReadGuid(block.data() + 4, block.size() - 4, guid)) return;
    GuidLines(ctx, "Interface Type", guid);
    const uint16_t version = Successful(ctx) && block.size() >= 28 ? block.u16le_or(26) : block.u16le_or(22);
    AppendRtfLine(ctx, "Version", version, version >= 256 ? RTF_VALUE_HEX4 : RTF_VALUE_DECIMAL);
}

void QueryDeviceText(SUMMARY_CONTEXT& ctx, const ByteReader& block) {
    if (block.size() < 12) return;
    const char* type = DeviceTextTypeName(block.u32le_or(4), NAME_FRIENDLY);
    if (Successful(ctx)) {
        const ByteReader text = PnpText(block, 12);
        if (!text.empty()) AppendRtfWideLine(ctx, type ? type : "Text", text.data(), text.size() / 2);
    } else if (type) {
        AppendRtfTextLine(ctx, "Type", type);
    }
}

void QueryId(SUMMARY_CONTEXT& ctx, const ByteReader& block) {
    if (block.size() < 8) return;
    const uint32_t idType = block.u32le_or(4);
    const char* type = QueryIdTypeName(idType, NAME_FRIENDLY);
    if (!Successful(ctx)) {
        if (type) AppendRtfTextLine(ctx, "Type", type);
        return;
    }
    const ByteReader text = PnpText(block, 8);
    if (text.empty()) return;
    const size_t units = text.size() / 2;
    size_t i = 0;
    auto oneString = [&](const char* label) {
        const size_t start = i;
        while (i < units && text.u16le_or(2 * i) != 0) ++i;
        AppendRtfWideLine(ctx, label, text.data() + 2 * start, i - start);
        ++i;  // past the NUL
    };
    oneString(type ? type : "ID\t");
    if (idType != 1 && idType != 2) return;
    while (i < units && text.u16le_or(2 * i) != 0) oneString("\t");
}

// The blocks of the query requests begin with their own length: they end at
// the smaller of it and the bytes the record holds.
ByteReader LengthLimited(const ByteReader& block) {
    return block.sub(0, std::min<size_t>(block.size(), block.u32le_or(0)));
}

void PnpMinorLines(SUMMARY_CONTEXT& ctx, uint8_t minor) {
    const ByteReader block = Block(ctx);
    switch (minor) {
    case 7: QueryDeviceRelations(ctx, LengthLimited(block)); return;
    case 8: QueryInterface(ctx, LengthLimited(block)); return;
    case 12: QueryDeviceText(ctx, LengthLimited(block)); return;
    case 18:
        if (block.size() >= 4) AppendRtfTextLine(ctx, "Set Lock", block.u8or(0) == 1 ? "Lock" : "Unlock");
        return;
    case 19: QueryId(ctx, LengthLimited(block)); return;
    case 20: {
        if (!Successful(ctx) || block.size() < 4) return;
        const uint32_t state = block.u32le_or(0);
        bool first = true;
        for (uint32_t bit = 0; bit < 32; ++bit) {
            if (!(state & (1u << bit))) continue;
            const char* name = PnpDeviceStateName(1u << bit, NAME_FRIENDLY);
            if (!name) continue;
            AppendRtfTextLine(ctx, first ? "State" : "", name);
            first = false;
        }
        return;
    }
    case 21: {
        GUID_VALUE guid{};
        if (!Successful(ctx) || block.size() < 24 || !ReadGuid(block.data(), block.size(), guid)) return;
        if (const char* name = SymbolicGuidName(guid)) AppendRtfTextLine(ctx, "Bus Type GUID", name);
        return;
    }
    case 22: {
        if (block.size() < 8) return;
        const uint32_t type = block.u32le_or(4);
        const char* name = UsageTypeName(type, NAME_FRIENDLY);
        if (!name) return;
        if (type == 0) {
            AppendRtfTextLine(ctx, "Usage", name);
            return;
        }
        char value[128];
        if (block.u32le_or(0))
            std::snprintf(value, sizeof value, "Creating %s", name);
        else
            std::snprintf(value, sizeof value, "%s has been removed", name);
        AppendRtfTextLine(ctx, "Usage", value);
        return;
    }
    default: return;
    }
}

// ---------------------------------------------------------------------------
// IRP_MAJOR_SUMMARY_TABLE

using MajorWriter = void (*)(SUMMARY_CONTEXT&);

void CreateSummary(SUMMARY_CONTEXT& ctx) { SummarizeFileRequest(ctx, 0); }
void CloseSummary(SUMMARY_CONTEXT& ctx) { SummarizeFileRequest(ctx, 2); }
void CleanupSummary(SUMMARY_CONTEXT& ctx) { SummarizeFileRequest(ctx, 18); }

constexpr MajorWriter kMajorTable[28] = {
    CreateSummary,   nullptr, CloseSummary,          nullptr,           nullptr, nullptr, nullptr,
    nullptr,         nullptr, nullptr,               nullptr,           nullptr, nullptr, nullptr,
    SummarizeIoctl,  SummarizeInternalIoctl, nullptr, nullptr,          CleanupSummary, nullptr, nullptr,
    nullptr,         SummarizePowerIrp, nullptr,      nullptr,           nullptr, nullptr, SummarizePnpIrp,
};

} // namespace

HRESULT32 AppendUrbLengthLine(SUMMARY_CONTEXT& ctx, const char* label, uint32_t length) {
    return AppendLengthLine(ctx, label, length);
}

HRESULT32 AppendIoctlCodeLine(SUMMARY_CONTEXT& ctx, uint32_t code, const char* name) {
    if (code == 0 || name) return AppendRtfLine(ctx, "I/O Control Code", code, RTF_VALUE_HEX8, name);
    auto orQuestion = [](const char* s) { return s ? s : "?"; };
    char value[160];
    std::snprintf(value, sizeof value, "CTL_CODE( %s, %Xh, %s, %s )", orQuestion(IoctlDeviceTypeName(code >> 16)),
                  (code >> 2) & 0xFFF, orQuestion(IoctlMethodName(code)), orQuestion(IoctlAccessName(code)));
    return AppendRtfTextLine(ctx, "I/O Control Code", value);
}

void SummarizeIoctl(SUMMARY_CONTEXT& ctx) {
    const uint32_t kind = ctx.record->kind;
    const uint32_t code = UserIoctlFromRequestKind(kind);
    const char* name = nullptr;
    if (kind >= KIND_HCD_FIRST && kind < KIND_HUB_FIRST)
        name = HcdIoctlName(code, NAME_SYMBOLIC);
    else if (kind >= KIND_HUB_FIRST && kind < KIND_HUB_FIRST + 100)
        name = HubIoctlName(code, NAME_SYMBOLIC);
    AppendIoctlCodeLine(ctx, code, name);
    StatusIfFailed(ctx);
    AppendRtfPar(ctx);
    SummarizeUserIoctl(ctx, kind);
}

void SummarizeInternalIoctl(SUMMARY_CONTEXT& ctx) {
    const uint32_t kind = ctx.record->kind;
    if (IsUrbKind(kind)) {
        SummarizeUrb(ctx);
        return;
    }
    if (!IsKernelIoctlKind(kind)) return;
    const uint32_t code = KernelIoctlFromRequestKind(kind);
    AppendIoctlCodeLine(ctx, code, InternalUsbIoctlName(code, NAME_SYMBOLIC));
    StatusIfFailed(ctx);
    AppendRtfPar(ctx);
    InternalIoctlLines(ctx, kind);
}

void SummarizePowerIrp(SUMMARY_CONTEXT& ctx) {
    const uint8_t minor = PowerMinorFromRequestKind(ctx.record->kind);
    if (minor != 255)
        AppendRtfLine(ctx, "IRP Minor Function", minor, RTF_VALUE_HEX2, MinorFunctionName(22, minor, NAME_SYMBOLIC));
    StatusIfFailed(ctx);
    if (minor == 255) return;
    AppendRtfPar(ctx);
    SummarizePowerMinor(ctx, minor);
}

void SummarizePnpIrp(SUMMARY_CONTEXT& ctx) {
    const uint8_t minor = PnpMinorFromRequestKind(ctx.record->kind);
    if (minor != 255)
        AppendRtfLine(ctx, "IRP Minor Function", minor, RTF_VALUE_HEX2, MinorFunctionName(27, minor, NAME_SYMBOLIC));
    StatusIfFailed(ctx);
    if (minor == 255) return;
    AppendRtfPar(ctx);
    PnpMinorLines(ctx, minor);
}

void SummarizeUrb(SUMMARY_CONTEXT& ctx) {
    SUMMARY_URB u;
    if (!GetSummaryUrb(ctx, u)) return;
    const uint16_t function = u.urb.u16le_or(URB_OFFSET_FUNCTION);
    AppendRtfLine(ctx, "URB Function", function, RTF_VALUE_HEX4, UrbFunctionName(function, NAME_SYMBOLIC));
    if (u.completion)
        AppendRtfLine(ctx, "URB Status", static_cast<uint32_t>(u.urbStatus), RTF_VALUE_HEX8,
                      UsbdStatusName(static_cast<uint32_t>(u.urbStatus), NAME_SYMBOLIC));
    AppendRtfPar(ctx);
    if (function >= std::size(kUrbTable)) return;
    const UrbRow& row = kUrbTable[function];
    if (!row.writer || u.block.size() < row.leastBlock) return;
    if (row.exactUrb ? u.urb.size() != row.leastUrb : u.urb.size() < row.leastUrb) return;
    row.writer(ctx, u, function);
}

HRESULT32 SummarizeRequestHeader(SUMMARY_CONTEXT& ctx) {
    const CRecordView* r = ctx.record;
    if (!r || r->type != RECORD_TYPE_REQUEST || !r->buffer) return E_FAIL32;
    const HRESULT32 hr = AppendSummaryHeader(ctx);
    if (Failed(hr)) return hr;
    const uint8_t* request = GetRecordRequest(r->buffer, r->copied, ctx.layout);
    if (request) {
        ObjectLine(ctx, "Device Object",
                   {GetRequestDeviceObject(r->buffer, r->copied, ctx.layout),
                    GetRequestDeviceKey(r->buffer, r->copied, ctx.layout)},
                   false);
        const uint64_t driver = GetRequestDriverKey(r->buffer, r->copied, ctx.layout);
        ObjectLine(ctx, "Driver Object", {static_cast<uint32_t>(driver), static_cast<uint32_t>(driver >> 32)}, true);
    }
    AppendRtfPar(ctx);
    const uint8_t major = IrpMajorFromRequestKind(r->kind);
    if (major < std::size(kMajorTable) && kMajorTable[major]) kMajorTable[major](ctx);
    return S_OK32;
}

} // namespace brx
