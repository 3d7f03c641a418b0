#include "protocols/RequestDetails.h"

#include <cstring>

#include "base/ByteReader.h"
#include "capture/HidTables.h"
#include "capture/RequestKind.h"
#include "decode/RequestNames.h"
#include "decode/UrbFields.h"
#include "decode/UsbNames.h"
#include "decode/WindowsNames.h"
#include "protocols/MscDetails.h"

namespace brx {
namespace {

// The pipe's interface information starts 4 bytes into the URB block, so that
// the class, subclass and protocol stand at its bytes 8, 10 and 11.
constexpr size_t kInterfaceInBlock = 4;
constexpr size_t kInterfaceClass = 8;
constexpr size_t kInterfaceSubClass = 9;
constexpr size_t kInterfaceProtocol = 10;
constexpr size_t kPipeEndpoint = URB_BLOCK_PIPE_INFO + 3;

constexpr size_t kMaxFileNameChars = 259;

// Setup packet fields.
struct Setup {
    uint8_t bm = 0, request = 0;
    uint16_t value = 0, index = 0, length = 0;
    const uint8_t* bytes = nullptr;

    static Setup Read(const uint8_t* p) {
        Setup s;
        s.bytes = p;
        s.bm = p[0];
        s.request = p[1];
        s.value = static_cast<uint16_t>(p[2] | p[3] << 8);
        s.index = static_cast<uint16_t>(p[4] | p[5] << 8);
        s.length = static_cast<uint16_t>(p[6] | p[7] << 8);
        return s;
    }
    uint8_t recipient() const { return bm & 0x1F; }
};

bool Ok(HRESULT32 hr) { return hr == S_OK32; }


// ---------------------------------------------------------------------------
// Standard requests

const char* DeviceFeatureText(uint32_t selector) {
    switch (selector) {
    case 1: return "Remote Wakeup";
    case 2: return "Test Mode";
    case 6: return "Debug Mode";
    case 48: return "U1 Enable";
    case 49: return "U2 Enable";
    case 50: return "LTM Enable";
    case 51: return "B-device notify host release";
    default: return nullptr;
    }
}

int FeatureRequestDetails(const REQUEST_DETAILS_CONTEXT& ctx, const char* n, const Setup& s) {
    switch (s.recipient()) {
    case 0:
        if (const char* feature = DeviceFeatureText(s.value)) return Ok(RequestDetailsPrintf(ctx, "%s (%s, %s)", n, "Dvc", feature));
        return Ok(RequestDetailsPrintf(ctx, "%s (%s %d)", n, "Dvc", s.index));
    case 1:
        if (s.value) return Ok(RequestDetailsPrintf(ctx, "%s (%s %d)", n, "Ifc", s.index));
        return Ok(RequestDetailsPrintf(ctx, "%s (%s, %s)", n, "Ifc", "Function Suspend"));
    case 2: {
        uint8_t ep = static_cast<uint8_t>(s.index);
        if (s.value) {
            return ep ? Ok(RequestDetailsPrintf(ctx, "%s (%s %02Xh)", n, "Ep", ep))
                      : Ok(RequestDetailsPrintf(ctx, "%s (%s 0)", n, "Ep"));
        }
        return ep ? Ok(RequestDetailsPrintf(ctx, "%s (%s %02Xh, %s)", n, "Ep", ep, "Halt"))
                  : Ok(RequestDetailsPrintf(ctx, "%s (%s 0, %s)", n, "Ep", "Halt"));
    }
    default: return Ok(RequestDetailsPutText(ctx, n));
    }
}

const char* ClassDescriptorOf(uint8_t type, const uint8_t* interfaceInfo, size_t interfaceInfoLength) {
    if (!interfaceInfo || interfaceInfoLength <= kInterfaceProtocol) return nullptr;
    return ClassDescriptorName(type, 0, interfaceInfo[kInterfaceClass], interfaceInfo[kInterfaceSubClass],
                               interfaceInfo[kInterfaceProtocol]);
}

int DescriptorRequestDetails(const REQUEST_DETAILS_CONTEXT& ctx, const char* n, const Setup& s,
                             const uint8_t* interfaceInfo, size_t interfaceInfoLength) {
    uint8_t type = static_cast<uint8_t>(s.value >> 8), index = static_cast<uint8_t>(s.value);
    if (type >= 0x21 && type <= 0x23) {
        if (const char* name = ClassDescriptorOf(type, interfaceInfo, interfaceInfoLength))
            return Ok(RequestDetailsPrintf(ctx, "%s (%s)", n, name));
        return Ok(RequestDetailsPutText(ctx, n));
    }
    if ((type & 0x60) != 0 || type == 0 || type > 17) return Ok(RequestDetailsPutText(ctx, n));
    switch (type) {
    case 1: return Ok(RequestDetailsPrintf(ctx, "%s (%s)", n, "Dvc"));
    case 6: return Ok(RequestDetailsPrintf(ctx, "%s (%s)", n, "Dvc Qual"));
    case 2: return Ok(RequestDetailsPrintf(ctx, "%s (%s Ind %d)", n, "Cfg", index));
    case 7: return Ok(RequestDetailsPrintf(ctx, "%s (%s Ind %d)", n, "Other Speed Cfg", index));
    case 3:
        if (index) return Ok(RequestDetailsPrintf(ctx, "%s (%s Ind %d)", n, "Str", index));
        return Ok(RequestDetailsPrintf(ctx, "%s (%s %s)", n, "Str", "Lang Id"));
    default:
        if (const char* name = DescriptorTypeName(type)) return Ok(RequestDetailsPrintf(ctx, "%s (%s)", n, name));
        return Ok(RequestDetailsPutText(ctx, n));
    }
}

int StandardRequestDetails(const REQUEST_DETAILS_CONTEXT& ctx, const Setup& s, const uint8_t* interfaceInfo,
                           size_t interfaceInfoLength) {
    const char* n = StandardRequestName(s.request, NAME_FRIENDLY);
    if (!n) return 0;
    switch (s.request) {
    case 0:
        switch (s.bm) {
        case 0x80: return Ok(RequestDetailsPrintf(ctx, "%s (%s)", n, "Dvc"));
        case 0x81: return Ok(RequestDetailsPrintf(ctx, "%s (%s %d)", n, "Ifc", s.index));
        case 0x82: return Ok(RequestDetailsPrintf(ctx, "%s (%s %02Xh)", n, "Ep", s.index & 0xFF));
        default: return Ok(RequestDetailsPutText(ctx, n));
        }
    case 1:
    case 3: return FeatureRequestDetails(ctx, n, s);
    case 5: return Ok(RequestDetailsPrintf(ctx, "%s (%d)", n, s.value));
    case 6:
    case 7: return DescriptorRequestDetails(ctx, n, s, interfaceInfo, interfaceInfoLength);
    case 9:
        if (s.value == 0) return Ok(RequestDetailsPrintf(ctx, "%s (%s)", n, "Unconfigure"));
        return Ok(RequestDetailsPrintf(ctx, "%s %d", n, s.value));
    case 10: return Ok(RequestDetailsPrintf(ctx, "%s (%d)", n, s.index));
    case 11: return Ok(RequestDetailsPrintf(ctx, "%s (Ifc %d / Alt %d)", n, s.index, s.value));
    case 12: return Ok(RequestDetailsPrintf(ctx, "%s (Ep %02Xh)", n, s.index & 0xFF));
    case 48:
    case 49: return s.recipient() == 0 ? Ok(RequestDetailsPutText(ctx, n)) : 0;
    default: return Ok(RequestDetailsPutText(ctx, n));
    }
}

// ---------------------------------------------------------------------------
// Class requests

int HidRequestDetails(const REQUEST_DETAILS_CONTEXT& ctx, const Setup& s) {
    const char* n = HidRequestName(s.bytes, NAME_FRIENDLY);
    if (!n) return 0;
    uint8_t id = static_cast<uint8_t>(s.value);
    switch (s.request) {
    case 1:
    case 9: {
        static constexpr const char* kTypes[] = {" ", "Input", "Output", "Feature"};
        uint8_t type = static_cast<uint8_t>(s.value >> 8);
        const char* typeText = type < 4 ? kTypes[type] : " ";
        if (id) return Ok(RequestDetailsPrintf(ctx, "%s (%s, Id %d, Len %d)", n, typeText, id, s.length));
        return Ok(RequestDetailsPrintf(ctx, "%s (%s, Len %d)", n, typeText, s.length));
    }
    case 2:
    case 10:
        if (id) return Ok(RequestDetailsPrintf(ctx, "%s (Report Id %d)", n, id));
        return Ok(RequestDetailsPutText(ctx, n));
    default: return Ok(RequestDetailsPutText(ctx, n));
    }
}

int HubRequestDetails(const REQUEST_DETAILS_CONTEXT& ctx, const Setup& s) {
    const char* n = HubRequestName(s.bytes, NAME_FRIENDLY);
    if (!n) return 0;
    switch (s.request) {
    case 0:
        if (s.bm == 0xA3) return Ok(RequestDetailsPrintf(ctx, "%s (%d)", n, s.index));
        return Ok(RequestDetailsPutText(ctx, n));
    case 1:
    case 3:
        if (s.bm == 0x20) {
            if (const char* feature = HubFeatureName(s.value, NAME_FRIENDLY))
                return Ok(RequestDetailsPrintf(ctx, "%s (%s)", n, feature));
            return Ok(RequestDetailsPutText(ctx, n));
        } else {
            int port = s.index & 0xFF;
            if (const char* feature = HubPortFeatureName(s.value, NAME_FRIENDLY))
                return Ok(RequestDetailsPrintf(ctx, "%s (%s %d, %s)", n, "Port", port, feature));
            return Ok(RequestDetailsPrintf(ctx, "%s (%s %d, %s %d)", n, "Port", port, "Fea", s.value));
        }
    case 2:
    case 13: return Ok(RequestDetailsPrintf(ctx, "%s (%s %d)", n, "Port", s.index));
    case 8:
    case 9:
    case 10:
    case 11: return Ok(RequestDetailsPrintf(ctx, "%s (%s %d)", n, "TT Port", s.index));
    case 12: return Ok(RequestDetailsPrintf(ctx, "%s (%d)", n, s.value));
    default: return Ok(RequestDetailsPutText(ctx, n));
    }
}

int DfuRequestDetails(const REQUEST_DETAILS_CONTEXT& ctx, const Setup& s) {
    if (s.recipient() != 1) return 0;
    static constexpr uint8_t kRequestTypes[] = {0x21, 0x21, 0xA1, 0xA1, 0x21, 0xA1, 0x21};
    if (s.request < 7 && s.bm != kRequestTypes[s.request]) return 0;
    const char* n = DfuRequestName(s.bytes, NAME_FRIENDLY);
    if (!n) n = "DFU CS Request";
    if (s.request == 1 || s.request == 2)
        return Ok(RequestDetailsPrintf(ctx, "%s (%s %d, %s %d)", n, "Ifc", s.index, "Blk", s.value));
    return Ok(RequestDetailsPrintf(ctx, "%s (%s %d)", n, "Ifc", s.index));
}

const char* CdcRequestDetail(const Setup& s) {
    auto pick = [](uint32_t v, std::initializer_list<const char*> texts) -> const char* {
        return v < texts.size() ? texts.begin()[v] : nullptr;
    };
    switch (s.request) {
    case 0x02:
    case 0x03:
    case 0x04: return CdcFeatureSelectorName(s.value, NAME_FRIENDLY);
    case 0x10: return pick(s.value, {"Disconnect", "Connect"});
    case 0x11: return pick(s.value, {"On-Hook", "Off-Hook", "Snooping"});
    case 0x12: return s.value == 0xFFFF ? "Disengage" : "Prepare";
    case 0x32: return pick(s.value, {"Simple", "Standalone", "Host Centric"});
    case 0x34: return pick(s.value, {"Drop", "Start", "Apply", "Remove", "Switch"});
    case 0x50: return s.value >= 1 ? pick(s.value - 1u, {"Type 1", "Type 2", "Type 3"}) : nullptr;
    default: return nullptr;
    }
}

int CdcRequestDetails(const REQUEST_DETAILS_CONTEXT& ctx, const Setup& s) {
    if (s.request >= 0x80) return 0;
    const char* symbolic = CdcRequestName(s.bytes, NAME_SYMBOLIC);
    if (symbolic) {
        // Each request only with its own direction: GET requests are read by the host.
        uint8_t expected = std::strncmp(symbolic, "GET_", 4) == 0 ? 0xA1 : 0x21;
        if (s.bm != expected) return 0;
    } else if (s.bm != 0x21 && s.bm != 0xA1) {
        return 0;
    }
    const char* n = CdcRequestName(s.bytes, NAME_FRIENDLY);
    if (!n) n = "CDC CS Request";
    switch (s.request) {
    case 0x13: return Ok(RequestDetailsPrintf(ctx, "%s (%s %d, %s %d)", n, "Ifc", s.index, "Cls", s.value));
    case 0x14: return Ok(RequestDetailsPrintf(ctx, "%s (%s %d, %s %d)", n, "Ifc", s.index, "Rgs", s.value));
    case 0x37:
    case 0x38:
    case 0x39:
        return Ok(RequestDetailsPrintf(ctx, "%s (%s %d, %s %d, %s %d)", n, "Ifc", s.index, "Id", s.value & 0xFF,
                                       "Par", s.value >> 8));
    default: break;
    }
    if (const char* detail = CdcRequestDetail(s))
        return Ok(RequestDetailsPrintf(ctx, "%s (%s %d, %s)", n, "Ifc", s.index, detail));
    return Ok(RequestDetailsPrintf(ctx, "%s (%s %d)", n, "Ifc", s.index));
}

int MscRequestDetails(const REQUEST_DETAILS_CONTEXT& ctx, const Setup& s, uint8_t protocol) {
    if (protocol != 0x50 || s.recipient() != 1) return 0;
    if (s.request == 0xFE && s.bm == 0xA1) return Ok(RequestDetailsPutText(ctx, "Get Max LUN"));
    if (s.request == 0xFF && s.bm == 0x21) return Ok(RequestDetailsPutText(ctx, "Bulk-Only Mass Storage Reset"));
    return 0;
}

int ClassRequestDetails(const REQUEST_DETAILS_CONTEXT& ctx, const Setup& s, const uint8_t* interfaceInfo,
                        size_t interfaceInfoLength) {
    if (!interfaceInfo || interfaceInfoLength <= kInterfaceProtocol) return 0;
    switch (interfaceInfo[kInterfaceClass]) {
    case 0x02:
    case 0x0A: return CdcRequestDetails(ctx, s);
    case 0x03: return HidRequestDetails(ctx, s);
    case 0x08: return MscRequestDetails(ctx, s, interfaceInfo[kInterfaceProtocol]);
    case 0x09: return HubRequestDetails(ctx, s);
    case 0xFE: return interfaceInfo[kInterfaceSubClass] == 0x01 ? DfuRequestDetails(ctx, s) : 0;
    default: return 0;
    }
}

// ---------------------------------------------------------------------------
// URBs

struct UrbRecord {
    const REQUEST_DETAILS_CONTEXT& ctx;
    const CRecordView& r;
    const RECORD_LAYOUT& layout;
    ByteReader block;
    ByteReader urb;
    const uint8_t* interfaceInfo = nullptr;
    size_t interfaceInfoLength = 0;

    // A completion the device answered: URB status not negative and no
    // failure on the request.
    bool Succeeded() const {
        int32_t urbStatus = static_cast<int32_t>(urb.u32le_or(URB_OFFSET_STATUS));
        uint32_t status = r.buffer ? GetRequestStatus(r.buffer, r.copied, layout) : 0;
        return r.completion && urbStatus >= 0 && (status & 0xC0000000u) != 0xC0000000u;
    }
    bool In() const {
        if (r.direction == DIRECTION_IN) return true;
        if (r.direction == DIRECTION_OUT) return false;
        return urb.u32le_or(URB_OFFSET_TRANSFER_FLAGS) & 1;
    }
    uint32_t TransferLength() const { return urb.u32le_or(URB_OFFSET_TRANSFER_LENGTH); }
};

int TransferText(const UrbRecord& u) {
    bool in = u.In();
    const char* word;
    if (!u.r.completion)
        word = in ? "buffer" : "data";
    else if (u.Succeeded())
        word = in ? "data" : "buffer";
    else
        return 0;
    uint32_t n = u.TransferLength();
    if (n == 1) return Ok(RequestDetailsPrintf(u.ctx, "1 byte %s", word));
    return Ok(RequestDetailsPrintf(u.ctx, "%u bytes %s", n, word));
}

int CdcNotificationDetails(const UrbRecord& u) {
    if (!u.r.completion || !u.Succeeded() || !u.In() || u.r.dataLength < 8 || !u.r.data) return 0;
    Setup s = Setup::Read(u.r.data);
    if (s.bm != 0xA1) return 0;
    const char* n = CdcNotificationName(u.r.data, NAME_FRIENDLY);
    if (!n) n = "CDC Notify";
    auto pick = [](uint32_t v, std::initializer_list<const char*> texts) -> const char* {
        return v < texts.size() ? texts.begin()[v] : nullptr;
    };
    const char* detail = nullptr;
    switch (s.request) {
    case 0x00: detail = pick(s.value, {"Disconnect", "Connected"}); break;
    case 0x08: detail = pick(s.value, {"On-Hook", "Off-Hook"}); break;
    case 0x28: {
        uint8_t state = static_cast<uint8_t>(s.value);
        detail = state >= 1 ? pick(state - 1u, {"Idle", "Dialing", "Ringback", "Connected", "Incoming Call"})
                            : nullptr;
        break;
    }
    case 0x29: detail = pick(s.value, {"Idle", "Connected", "Off-hook", "On-hook"}); break;
    case 0x01:
    case 0x09:
    case 0x20:
    case 0x2A: break;
    default:
        if (s.request >= 0x40 && s.request <= 0x5F)
            return Ok(RequestDetailsPrintf(u.ctx, "%s (%s %d)", "MDLM Request", "Ifc", s.index));
        return 0;
    }
    if (detail) return Ok(RequestDetailsPrintf(u.ctx, "%s (%s %d, %s)", n, "Ifc", s.index, detail));
    return Ok(RequestDetailsPrintf(u.ctx, "%s (%s %d)", n, "Ifc", s.index));
}

int HidReportDetails(const UrbRecord& u) {
    uint8_t endpoint = u.block.u8or(kPipeEndpoint);
    bool in = endpoint != 0xFF ? (endpoint & 0x80) != 0 : u.In();
    // Only the record that carries the report: the issue of an output report,
    // the successful completion of an input report.
    if (in ? !(u.r.completion && u.Succeeded()) : u.r.completion) return 0;
    const char* direction = in ? "Input" : "Output";
    uint32_t length = u.TransferLength();
    int hasIds = 0;
    if (u.ctx.reportDescriptors) {
        HID_OBJECT_KEY pipe{u.urb.u32le_or(URB_OFFSET_PIPE_HANDLE), u.block.u16le_or(URB_BLOCK_HID_PIPE_KEY), 0, 0};
        hasIds = u.ctx.reportDescriptors->HasReportIds(pipe, HID_ANY_INTERFACE);
    }
    if (hasIds == 1 && u.r.dataLength >= 1 && u.r.data)
        return Ok(RequestDetailsPrintf(u.ctx, "%s Report (Id %d, Len %u)", direction, u.r.data[0], length));
    return Ok(RequestDetailsPrintf(u.ctx, "%s Report (Len %u)", direction, length));
}

int BulkTransferDetails(const UrbRecord& u) {
    int written = 0;
    if (u.interfaceInfo && u.interfaceInfoLength > kInterfaceProtocol) {
        switch (u.interfaceInfo[kInterfaceClass]) {
        case 0x02: written = CdcNotificationDetails(u); break;
        case 0x03: written = HidReportDetails(u); break;
        case 0x08: written = DescribeMscTransfer(u.ctx, u.interfaceInfo, u.interfaceInfoLength, u.urb.data()); break;
        default: break;
        }
    }
    return written ? written : TransferText(u);
}

int DescriptorUrbDetails(const UrbRecord& u) {
    uint8_t type = u.urb.u8or(URB_OFFSET_DESCRIPTOR_TYPE), index = u.urb.u8or(URB_OFFSET_VALUE);
    switch (type) {
    case 1: return Ok(RequestDetailsPutText(u.ctx, "Dvc"));
    case 2: return Ok(RequestDetailsPrintf(u.ctx, "%s Ind %d", "Cfg", index));
    case 3:
        if (index) return Ok(RequestDetailsPrintf(u.ctx, "%s Ind %d", "Str", index));
        return Ok(RequestDetailsPrintf(u.ctx, "%s %s", "Str", "Lang Id"));
    case 6: return Ok(RequestDetailsPutText(u.ctx, "Dvc Qual"));
    case 7: return Ok(RequestDetailsPrintf(u.ctx, "%s Ind %d", "Other Speed Cfg", index));
    default: break;
    }
    const char* name = type >= 0x21 && type <= 0x23 ? ClassDescriptorOf(type, u.interfaceInfo, u.interfaceInfoLength)
                                                     : DescriptorTypeName(type);
    return name ? Ok(RequestDetailsPutText(u.ctx, name)) : 0;
}

int FeatureUrbDetails(const UrbRecord& u, uint32_t recipient) {
    uint16_t selector = u.urb.u16le_or(URB_OFFSET_VALUE), index = u.urb.u16le_or(URB_OFFSET_INDEX);
    switch (recipient) {
    case 0: {
        const char* feature = DeviceFeatureText(selector);
        return feature ? Ok(RequestDetailsPutText(u.ctx, feature)) : 0;
    }
    case 1:
        if (selector) return Ok(RequestDetailsPrintf(u.ctx, "%s %d, %s %d", "Ifc", index, "Fea", selector));
        return Ok(RequestDetailsPrintf(u.ctx, "%s %d, %s", "Ifc", index, "Function Suspend"));
    case 2: {
        uint8_t ep = static_cast<uint8_t>(index);
        if (selector) {
            return ep ? Ok(RequestDetailsPrintf(u.ctx, "%s %02Xh, %s %d", "Ep", ep, "Fea", selector))
                      : Ok(RequestDetailsPrintf(u.ctx, "%s 0, %s %d", "Ep", "Fea", selector));
        }
        return ep ? Ok(RequestDetailsPrintf(u.ctx, "%s %02Xh, %s", "Ep", ep, "Halt"))
                  : Ok(RequestDetailsPrintf(u.ctx, "%s 0, %s", "Ep", "Halt"));
    }
    default: return 0;
    }
}

int SelectConfigurationDetails(const UrbRecord& u) {
    if (u.block.size() < 36 || u.urb.size() < 40) return 0;
    if (u.urb.u32le_or(URB_OFFSET_CONFIGURATION_DESCRIPTOR) == 0) return Ok(RequestDetailsPutText(u.ctx, "Unconfigure"));
    // The configuration descriptor captured with the request, by its offset in the block.
    uint16_t offset = u.block.u16le_or(URB_BLOCK_PIPE_INFO);
    if (offset == 0 || !u.block.has(offset, 6) || u.block.u8or(offset + 1u) != 2) return 0;
    return Ok(RequestDetailsPrintf(u.ctx, "%s %d", "Cfg", u.block.u8or(offset + 5u)));
}

int ClassUrbDetails(const UrbRecord& u, uint8_t recipient) {
    if (u.urb.size() < URB_OFFSET_INDEX + 2) return 0;
    uint8_t packet[8];
    uint32_t length = u.TransferLength();
    packet[0] = static_cast<uint8_t>((u.urb.u32le_or(URB_OFFSET_TRANSFER_FLAGS) & 1) << 7 | 1 << 5 | recipient);
    packet[1] = u.urb.u8or(URB_OFFSET_REQUEST);
    packet[2] = u.urb.u8or(URB_OFFSET_VALUE);
    packet[3] = u.urb.u8or(URB_OFFSET_VALUE + 1);
    packet[4] = u.urb.u8or(URB_OFFSET_INDEX);
    packet[5] = u.urb.u8or(URB_OFFSET_INDEX + 1);
    packet[6] = static_cast<uint8_t>(length);
    packet[7] = static_cast<uint8_t>(length >> 8);
    return ControlRequestDetails(u.ctx, packet, u.interfaceInfo, u.interfaceInfoLength);
}

int UrbDetails(const UrbRecord& u) {
    uint16_t function = u.urb.u16le_or(URB_OFFSET_FUNCTION);
    switch (function) {
    case 0x00: return SelectConfigurationDetails(u);
    case 0x01:
        if (u.urb.size() < URB_OFFSET_SELECT_ALTERNATE_SETTING + 1) return 0;
        return Ok(RequestDetailsPrintf(u.ctx, "Ifc %d / Alt %d", u.urb.u8or(URB_OFFSET_SELECT_INTERFACE_NUMBER),
                                       u.urb.u8or(URB_OFFSET_SELECT_ALTERNATE_SETTING)));
    case 0x08:
    case 0x32: {
        if (!u.urb.has(URB_OFFSET_SETUP_PACKET, 8)) return 0;
        return ControlRequestDetails(u.ctx, u.urb.data() + URB_OFFSET_SETUP_PACKET, u.interfaceInfo, u.interfaceInfoLength);
    }
    case 0x09: return BulkTransferDetails(u);
    case 0x0A: return TransferText(u);
    case 0x0B:
    case 0x0C:
    case 0x24:
    case 0x25:
    case 0x28:
    case 0x29: return DescriptorUrbDetails(u);
    case 0x0D:
    case 0x10: return FeatureUrbDetails(u, 0);
    case 0x0E:
    case 0x11: return FeatureUrbDetails(u, 1);
    case 0x0F:
    case 0x12: return FeatureUrbDetails(u, 2);
    case 0x22:
    case 0x23: return FeatureUrbDetails(u, 3);
    case 0x14: return Ok(RequestDetailsPrintf(u.ctx, "%s Ind %d", "Ifc", u.urb.u16le_or(URB_OFFSET_INDEX)));
    case 0x15: {
        uint8_t ep = u.urb.u8or(URB_OFFSET_INDEX);
        return Ok(RequestDetailsPrintf(u.ctx, "%s %02Xh (%d %s)", "Ep", ep, ep & 0x0F, (ep & 0x80) ? "In" : "Out"));
    }
    case 0x1A: return ClassUrbDetails(u, 0);
    case 0x1B: return ClassUrbDetails(u, 1);
    case 0x1C: return ClassUrbDetails(u, 2);
    case 0x1F: return ClassUrbDetails(u, 3);
    case 0x27: return Ok(RequestDetailsPrintf(u.ctx, "%s %d", "Ifc", u.urb.u16le_or(URB_OFFSET_INDEX)));
    default: return 0;
    }
}

// ---------------------------------------------------------------------------
// IRPs and device-control requests

int FileNameDetails(const REQUEST_DETAILS_CONTEXT& ctx, const ByteReader& data) {
    if (data.size() < 32 || data.u32le_or(0) < 32) return 0;
    const uint16_t count = data.u16le_or(18);
    // 64-bit: an offset near 2^32 must not wrap round to the block's start
    // where size_t has 32 bits.
    const uint64_t at = 16ull + data.u32le_or(20);
    if (count == 0 || at > data.size() || count > data.size() - at) return 0;
    const uint8_t* chars = data.data() + static_cast<size_t>(at);
    size_t n = count / 2;
    char16_t name[kMaxFileNameChars + 1];
    // The part after the last backslash.
    size_t start = 0;
    for (size_t i = 0; i < n; ++i)
        if ((chars[2 * i] | chars[2 * i + 1] << 8) == u'\\') start = i + 1;
    size_t len = 0;
    for (size_t i = start; i < n && len < kMaxFileNameChars; ++i)
        name[len++] = static_cast<char16_t>(chars[2 * i] | chars[2 * i + 1] << 8);
    if (len == 0) return 0;
    name[len] = 0;
    return Ok(RequestDetailsPutWide(ctx, name, len));
}

int PowerDetails(const REQUEST_DETAILS_CONTEXT& ctx, const CRecordView& r, const ByteReader& data) {
    switch (r.kind) {
    case KIND_POWER_FIRST + 0: {
        if (data.size() < 4) return 0;
        const char* state = SystemPowerStateName(data.u32le_or(0), NAME_FRIENDLY);
        return state ? Ok(RequestDetailsPutText(ctx, state)) : 0;
    }
    case KIND_POWER_FIRST + 2:
    case KIND_POWER_FIRST + 3: {
        if (r.completion || data.size() < 16) return 0;
        uint32_t type = data.u32le_or(4), state = data.u32le_or(8);
        const char* name = type == 0 ? SystemPowerStateName(state, NAME_FRIENDLY)
                         : type == 1 ? DevicePowerStateName(state, NAME_FRIENDLY)
                                     : nullptr;
        return name ? Ok(RequestDetailsPutText(ctx, name)) : 0;
    }
    default: return 0;
    }
}

int PnpDetails(const REQUEST_DETAILS_CONTEXT& ctx, const CRecordView& r, const ByteReader& data) {
    if (data.size() < 8) return 0;
    uint32_t value = data.u32le_or(4);
    const char* name = nullptr;
    switch (r.kind - KIND_PNP_FIRST) {
    case 7: name = RelationTypeName(value, NAME_FRIENDLY); break;
    case 8: {
        GUID_VALUE guid{};
        if (data.size() < 20 || !ReadGuid(data.data() + 4, data.size() - 4, guid) || guid == GUID_VALUE{}) return 0;
        name = GuidName(guid, NAME_FRIENDLY);
        break;
    }
    case 12: name = DeviceTextTypeName(value, NAME_FRIENDLY); break;
    case 19: name = QueryIdTypeName(value, NAME_FRIENDLY); break;
    case 22: name = UsageTypeName(value, NAME_FRIENDLY); break;
    default: return 0;
    }
    return name ? Ok(RequestDetailsPutText(ctx, name)) : 0;
}

int IoctlDetails(const REQUEST_DETAILS_CONTEXT& ctx, const CRecordView& r, const RECORD_LAYOUT& layout,
                 const ByteReader& block) {
    size_t header = layout.ioctlHeaderSize;
    if (block.size() <= header) return 0;
    size_t valid = block.size() - header;
    uint32_t count = block.u32le_or(IOCTL_BLOCK_BUFFER_COUNT);
    if (count < valid) valid = count;
    ByteReader buffer(block.data() + header, valid);
    switch (r.kind) {
    case KIND_HCD_FIRST + 12:
    case KIND_HCD_FIRST + 13:
        if (r.completion || valid < 4) return 0;
        return Ok(RequestDetailsPrintf(ctx, "Port Index %u", buffer.u32le_or(0)));
    case KIND_HUB_FIRST + 2: {
        if (valid < 12) return 0;
        uint8_t index = buffer.u8or(6), type = buffer.u8or(7);
        uint32_t port = buffer.u32le_or(0);
        const char* name = DescriptorTypeName(type);
        if (!name) return 0;
        if (type == 2 || type == 7 || (type == 3 && index != 0))
            return Ok(RequestDetailsPrintf(ctx, "Port %u, %s %d", port, name, index));
        if (type == 3) return Ok(RequestDetailsPrintf(ctx, "Port %u, %s %s", port, name, "Lang ID"));
        return Ok(RequestDetailsPrintf(ctx, "Port %u, %s", port, name));
    }
    case KIND_HUB_FIRST + 15:
        if (r.completion) return 0;
        [[fallthrough]];
    case KIND_HUB_FIRST + 1:
    case KIND_HUB_FIRST + 3:
    case KIND_HUB_FIRST + 6:
    case KIND_HUB_FIRST + 14:
    case KIND_HUB_FIRST + 16:
        if (valid < 4) return 0;
        return Ok(RequestDetailsPrintf(ctx, "Port %u", buffer.u32le_or(0)));
    default: return 0;
    }
}

void Format(const REQUEST_DETAILS_CONTEXT& ctx) {
    if (!ctx.pair || !ctx.text || ctx.textSize == 0) return;
    const CRecordView& r = ctx.pair->record;
    if (r.type != 1) return;
    const RECORD_LAYOUT& layout = ctx.layout ? *ctx.layout : kDefaultRecordLayout;
    ByteReader block(r.hasBlock && r.blockLength ? r.block : nullptr, r.hasBlock ? r.blockLength : 0);
    uint32_t kind = r.kind;
    if (kind == KIND_CREATE || kind == KIND_CLEANUP) {
        FileNameDetails(ctx, block);
    } else if (IsPowerKind(kind)) {
        PowerDetails(ctx, r, block);
    } else if (IsPnpKind(kind)) {
        PnpDetails(ctx, r, block);
    } else if (IsUrbKind(kind)) {
        if (block.size() < 32 || !r.urb || r.urbLength < 16) return;
        UrbRecord u{ctx, r, layout, block, ByteReader(r.urb, r.urbLength)};
        if (u.urb.u16le_or(URB_OFFSET_FUNCTION) > 52) return;
        u.interfaceInfo = block.data() + kInterfaceInBlock;
        u.interfaceInfoLength = block.size() - kInterfaceInBlock;
        UrbDetails(u);
    } else if (IsUserIoctlKind(kind)) {
        IoctlDetails(ctx, r, layout, block);
    }
}

} // namespace

int ControlRequestDetails(const REQUEST_DETAILS_CONTEXT& ctx, const uint8_t* setup, const uint8_t* interfaceInfo,
                          size_t interfaceInfoLength) {
    if (!setup) return 0;
    Setup s = Setup::Read(setup);
    switch (RequestTypeOf(s.bm)) {
    case REQUEST_TYPE_STANDARD: return StandardRequestDetails(ctx, s, interfaceInfo, interfaceInfoLength);
    case REQUEST_TYPE_CLASS: return ClassRequestDetails(ctx, s, interfaceInfo, interfaceInfoLength);
    default: return 0;
    }
}

void FormatRequestDetails(const REQUEST_DETAILS_CONTEXT& ctx) noexcept {
    try {
        Format(ctx);
    } catch (...) {
        // A column text is never worth more than the list: leave the buffer.
    }
}

} // namespace brx
