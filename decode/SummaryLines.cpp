#include "decode/SummaryLines.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "capture/RequestKind.h"
#include "decode/RequestNames.h"
#include "decode/UrbFields.h"
#include "decode/UsbNames.h"
#include "decode/WindowsNames.h"

namespace brx {
namespace {

// Interface information seen from the URB block + 4.
constexpr size_t kInfoUsbVersion = 6;
constexpr size_t kInfoClass = 8;
constexpr size_t kInfoSubClass = 9;
constexpr size_t kInfoProtocol = 10;

constexpr uint32_t kStatusBufferTooSmall = 0xC0000023u;
constexpr size_t kMaxNameBytes = 2048;

struct Setup {
    uint8_t bm = 0, request = 0;
    uint16_t value = 0, index = 0, length = 0;

    explicit Setup(const uint8_t* p) {
        ByteReader r(p, p ? 8 : 0);
        bm = r.u8or(0);
        request = r.u8or(1);
        value = r.u16le_or(2);
        index = r.u16le_or(4);
        length = r.u16le_or(6);
    }
    uint8_t Type() const { return RequestTypeOf(bm); }
    uint8_t Recipient() const { return bm & 3; }
    bool ToInterface() const { return (bm & 0x1F) == 1; }
};

const char* DirectionWord(uint8_t bm) { return (bm & 0x80) ? "from" : "to"; }
const char* RecipientWord(uint8_t bm) {
    static constexpr const char* kWords[] = {"Device", "Interface", "Endpoint", "Other Target"};
    return kWords[bm & 3];
}

ByteReader Info(const SETUP_SUMMARY& s) { return ByteReader(s.interfaceInfo, s.interfaceInfoLength); }
ByteReader Data(const SETUP_SUMMARY& s) { return ByteReader(s.data, s.data ? s.dataLength : 0); }

HRESULT32 Decimal(SUMMARY_CONTEXT& ctx, const char* label, uint32_t value) {
    return AppendRtfLine(ctx, label, value, RTF_VALUE_DECIMAL);
}

HRESULT32 Printf(SUMMARY_CONTEXT& ctx, const char* label, const char* format, ...) __attribute__((format(printf, 3, 4)));
HRESULT32 Printf(SUMMARY_CONTEXT& ctx, const char* label, const char* format, ...) {
    char value[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(value, sizeof value, format, args);
    va_end(args);
    return AppendRtfTextLine(ctx, label, value);
}

// Lines of the set bits of a value: the first with the group's label, the
// others with a tab.
struct BitText {
    uint32_t mask;
    const char* text;
};
void AppendBitLines(SUMMARY_CONTEXT& ctx, const char* label, uint32_t value, std::initializer_list<BitText> bits) {
    bool first = true;
    for (const BitText& b : bits) {
        if (!(value & b.mask) || !b.text) continue;
        AppendRtfTextLine(ctx, first ? label : "\t", b.text);
        first = false;
    }
}

// ---------------------------------------------------------------------------
// Standard requests

void FeatureLines(SUMMARY_CONTEXT& ctx, const Setup& s, bool set) {
    const char* text = nullptr;
    switch (s.bm) {
    case 0x00:
        if (set && s.value == 2) {
            const char* mode = TestModeName(s.index >> 8, NAME_FRIENDLY);
            if (mode) {
                Printf(ctx, "Feature", "%s (%s)", "Test Mode", mode);
                return;
            }
        }
        text = DeviceFeatureSelectorText(s.value);
        break;
    case 0x01: text = s.value == 0 ? "Function Suspend" : nullptr; break;
    case 0x02: text = s.value == 0 ? "Halt" : nullptr; break;
    default: return;
    }
    if (text)
        AppendRtfTextLine(ctx, "Feature", text);
    else
        Decimal(ctx, "Feature", s.value);
}

void DescriptorLines(SUMMARY_CONTEXT& ctx, const Setup& s, const SETUP_SUMMARY& summary) {
    const uint8_t type = static_cast<uint8_t>(s.value >> 8), index = static_cast<uint8_t>(s.value);
    if (type == 0) return;
    ByteReader data = Data(summary);
    if ((type & 0x60) == 0) {
        const char* name = DescriptorTypeName(type);
        if (!name) return;
        if (type == 2 || type == 7) {
            Printf(ctx, "Descriptor", "%s %d", name, index);
            if (data.size() > 8) {
                AppendRtfPar(ctx);
                SummarizeConfigurationData(ctx, data.data(), data.size());
            }
        } else if (type == 3) {
            if (index)
                Printf(ctx, "Descriptor", "%s %d", name, index);
            else
                Printf(ctx, "Descriptor", "%s %s", name, "Lang ID");
            if (data.size() > 3) SummarizeStringData(ctx, data.data(), data.size(), index);
        } else {
            AppendRtfTextLine(ctx, "Descriptor", name);
        }
    } else if ((type & 0x60) == 0x20) {
        ByteReader info = Info(summary);
        if (info.size() <= kInfoProtocol) return;
        const char* name = ClassDescriptorName(type, 0, info.u8or(kInfoClass), info.u8or(kInfoSubClass),
                                               info.u8or(kInfoProtocol));
        if (name) AppendRtfTextLine(ctx, "Descriptor", name);
    }
}

void StandardLines(SUMMARY_CONTEXT& ctx, const Setup& s, const SETUP_SUMMARY& summary) {
    ByteReader data = Data(summary);
    switch (s.request) {
    case 0: {
        if (data.size() < 2) return;
        const uint16_t status = data.u16le_or(0);
        if (s.bm == 0x80) {
            if (status == 0) {
                Decimal(ctx, "Status", 0);
                return;
            }
            AppendBitLines(ctx, "Status", status,
                           {{1, "Device is self-powered"}, {2, "Remote wakeup is enabled"}});
        } else if (s.bm == 0x81) {
            AppendRtfLine(ctx, "Status", status, status ? RTF_VALUE_HEX4 : RTF_VALUE_DECIMAL);
        } else if (s.bm == 0x82) {
            if (status == 0)
                Decimal(ctx, "Status", 0);
            else if (status & 1)
                AppendRtfTextLine(ctx, "Status", "Halt");
        }
        return;
    }
    case 1:
    case 3: FeatureLines(ctx, s, s.request == 3); return;
    case 5:
        if (s.bm == 0x00) Decimal(ctx, "Address", s.value);
        return;
    case 6:
    case 7: DescriptorLines(ctx, s, summary); return;
    case 8:
        if (s.bm == 0x80 && data.size() >= 1) Decimal(ctx, "Configuration", data.u8or(0));
        return;
    case 9:
        if (s.bm != 0x00) return;
        if ((s.value & 0xFF) == 0)
            AppendRtfTextLine(ctx, "Configuration", "Unconfigure");
        else
            Decimal(ctx, "Configuration", s.value & 0xFF);
        return;
    case 10:
        if (s.bm != 0x81) return;
        if (data.size() >= 1)
            Printf(ctx, "Interface", "%d / Alt %d", s.index, data.u8or(0));
        else
            Decimal(ctx, "Interface", s.index);
        return;
    case 11:
        if (s.bm == 0x01) Printf(ctx, "Interface", "%d / Alt %d", s.index, s.value);
        return;
    case 12:
        if (s.bm == 0x82 && data.size() >= 2) Decimal(ctx, "Frame Number", data.u16le_or(0));
        return;
    case 48:
        if (s.bm != 0x00 || summary.completion || data.size() < 6) return;
        Printf(ctx, "U1SEL", "%d \\'b5s", data.u8or(0));
        Printf(ctx, "U1PEL", "%d \\'b5s", data.u8or(1));
        Printf(ctx, "U2SEL", "%d \\'b5s", data.u16le_or(2));
        Printf(ctx, "U2PEL", "%d \\'b5s", data.u16le_or(4));
        return;
    case 49:
        if (s.bm == 0x00) Printf(ctx, "Delay", "%d ns", s.value);
        return;
    default: return;
    }
}

// ---------------------------------------------------------------------------
// Hub class

bool SuperSpeedHub(const SETUP_SUMMARY& s) { return Info(s).u16le_or(kInfoUsbVersion) >= 0x0300; }

void HubStatusLines(SUMMARY_CONTEXT& ctx, uint16_t status, uint16_t change) {
    if (status == 0)
        Decimal(ctx, "Hub Status", 0);
    else
        AppendBitLines(ctx, "Hub Status", status,
                       {{1, LookupIndexedName(0, kHubStatusNames)}, {2, LookupIndexedName(1, kHubStatusNames)}});
    if (change == 0)
        AppendRtfTextLine(ctx, "Hub Status Change", "No change");
    else
        AppendBitLines(ctx, "Hub Status Change", change,
                       {{1, LookupIndexedName(0, kHubStatusChangeNames)},
                        {2, LookupIndexedName(1, kHubStatusChangeNames)}});
}

void PortStatusLines(SUMMARY_CONTEXT& ctx, uint16_t status, uint16_t change, bool superSpeed) {
    if (status == 0) {
        Decimal(ctx, "Port Status", 0);
    } else if (!superSpeed) {
        AppendBitLines(ctx, "Port Status", status,
                       {{0x0001, "A device is present on this port"},
                        {0x0002, "Port is enabled"},
                        {0x0004, "Suspended or resuming"},
                        {0x0008, "An over-current condition exists on this port"},
                        {0x0010, "Reset signaling asserted"},
                        {0x0100, "This port is not in the Powered-off state"},
                        {0x0200, "Low-speed device attached to this port"},
                        {0x0400, "High-speed device attached to this port"},
                        {0x0800, "This port is in Port Test Mode"},
                        {0x1000, "Port indicator displays software controlled color"}});
    } else {
        // Every field of the SuperSpeed layout: the link state and speed
        // always have a value, so they always show.
        AppendBitLines(ctx, "Port Status", status,
                       {{0x0001, "A device is present on this port"},
                        {0x0002, "Port is enabled"},
                        {0x0008, "An over-current condition exists on this port"},
                        {0x0010, "Reset signaling asserted"},
                        {0xFFFF, LinkStateName((status >> 5) & 0x0F)},
                        {0x0200, "This port is not in the Powered-off state"},
                        {0xFFFF, SuperSpeedLinkSpeedText((status >> 10) & 7)}});
    }
    if (change == 0) {
        AppendRtfTextLine(ctx, "Port Status Change", "No change");
    } else if (!superSpeed) {
        AppendBitLines(ctx, "Port Status Change", change,
                       {{0x01, "Current Connect status has changed"},
                        {0x02, "Port is disabled because of a Port Error condition"},
                        {0x04, "Resume complete"},
                        {0x08, "Over-Current Indicator has changed"},
                        {0x10, "Reset complete"}});
    } else {
        AppendBitLines(ctx, "Port Status Change", change,
                       {{0x01, "Current Connect status has changed"},
                        {0x08, "Over-Current Indicator has changed"},
                        {0x30, "Reset complete"},
                        {0x40, "Link Status has changed"},
                        {0x80, "Port Link Configuration was unsuccessful"}});
    }
}

// ---------------------------------------------------------------------------
// HID class

void ReportIdLine(SUMMARY_CONTEXT& ctx, const Setup& s) {
    if (s.value & 0xFF) Decimal(ctx, "Report ID", s.value & 0xFF);
}

void IdleRateLine(SUMMARY_CONTEXT& ctx, uint8_t rate) {
    if (rate == 0) {
        AppendRtfTextLine(ctx, "Idle Rate", "Infinite");
        return;
    }
    // 4 ms per unit, shown in seconds with three decimals.
    const uint32_t ms = rate * 4u;
    Printf(ctx, "Idle Rate", "%u.%03u sec", ms / 1000, ms % 1000);
}

void ProtocolLine(SUMMARY_CONTEXT& ctx, uint8_t protocol) {
    if (protocol == 0) AppendRtfTextLine(ctx, "Protocol", "Boot");
    if (protocol == 1) AppendRtfTextLine(ctx, "Protocol", "Report");
}

// ---------------------------------------------------------------------------
// Descriptor walks

void InterfaceLine(SUMMARY_CONTEXT& ctx, const ByteReader& d, const char* endpointWord, bool pluralS) {
    char label[48];
    std::snprintf(label, sizeof label, "Interface %d / Alt %d", d.u8or(2), d.u8or(3));
    const uint8_t count = d.u8or(4);
    const char* cls = InterfaceClassName(d.u8or(5));
    const char* plural = pluralS ? (count == 1 ? "" : "s") : "";
    if (cls)
        Printf(ctx, label, "%s, %d %s%s", cls, count, endpointWord, plural);
    else
        Printf(ctx, label, "%d %s%s", count, endpointWord, plural);
}

// Walks the descriptors of [offset, end) by their lengths, stopping at one
// shorter than 2 bytes or running past the end.
template <typename Visit>
void WalkDescriptors(const ByteReader& bytes, size_t offset, size_t end, Visit visit) {
    if (end > bytes.size()) end = bytes.size();
    while (offset + 2 <= end) {
        const uint8_t length = bytes.u8or(offset);
        if (length < 2 || length > end - offset) break;
        visit(bytes.sub(offset, length));
        offset += length;
    }
}

// ---------------------------------------------------------------------------
// User-mode IOCTLs

// The block's buffer (n bytes usable) with the header's fields.
struct IoctlBuffer {
    ByteReader buffer;
    uint32_t bufferLength = 0; // DWORD at 4 of the header
    bool completion = false;
    uint32_t status = 0;

    size_t n() const { return buffer.size(); }
    bool Issue() const { return !completion; }
    bool Success() const { return completion && status == 0; }
    // Block offsets as the structures are documented (buffer at 12).
    uint8_t u8(size_t blockOffset) const { return buffer.u8or(blockOffset - 12); }
    uint16_t u16(size_t blockOffset) const { return buffer.u16le_or(blockOffset - 12); }
    uint32_t u32(size_t blockOffset) const { return buffer.u32le_or(blockOffset - 12); }
};

bool GetIoctlBuffer(const SUMMARY_CONTEXT& ctx, IoctlBuffer& b) {
    const CRecordView* r = ctx.record;
    if (!r || !r->hasBlock || !r->block || r->blockLength == 0) return false;
    ByteReader block(r->block, r->blockLength);
    const size_t header = ctx.layout.ioctlHeaderSize;
    if (header < 12 || block.size() < header) return false;
    size_t n = block.size() - header;
    const uint32_t captured = block.u32le_or(IOCTL_BLOCK_BUFFER_COUNT);
    if (captured < n) n = captured;
    b.buffer = block.sub(header, n);
    b.bufferLength = block.u32le_or(4);
    b.completion = SummaryIsCompletion(ctx);
    b.status = SummaryRequestStatus(ctx);
    return true;
}

void TooSmallLine(SUMMARY_CONTEXT& ctx, const IoctlBuffer& b) {
    if (b.completion && b.status == kStatusBufferTooSmall) AppendLengthLine(ctx, "Buffer Length", b.bufferLength);
}

void PortNumberLine(SUMMARY_CONTEXT& ctx, const IoctlBuffer& b) { Decimal(ctx, "Port Number", b.u32(12)); }

// A UTF-16 name of the buffer, from blockOffset, of at most bytes bytes
// (never more than the buffer holds from there).
void NameLine(SUMMARY_CONTEXT& ctx, const char* label, const ByteReader& bytes, size_t offset, uint64_t wanted,
              bool quoted = false) {
    ByteReader name = bytes.sub(offset, wanted < kMaxNameBytes ? static_cast<size_t>(wanted) : kMaxNameBytes);
    if (name.size() < 2) return;
    char value[2 + (kMaxNameBytes / 2) * RTF_ESCAPE_MAX + 1];
    size_t n = 0;
    if (quoted) value[n++] = '"';
    n += EscapeRtfText(name.data(), name.size() / 2, value + n, sizeof value - n - 1);
    if (quoted) value[n++] = '"';
    value[n] = '\0';
    AppendRtfTextLine(ctx, label, value);
}

void NoNameLines(SUMMARY_CONTEXT& ctx, const char* label, bool empty, uint32_t bufferLength, uint32_t required) {
    if (empty) {
        AppendRtfTextLine(ctx, label, "<no name>");
    } else {
        AppendLengthLine(ctx, "Buffer Length", bufferLength);
        AppendLengthLine(ctx, "Buffer Length Required", required);
    }
}

void NodeInformation(SUMMARY_CONTEXT& ctx, const IoctlBuffer& b) {
    TooSmallLine(ctx, b);
    if (!b.Success() || b.n() < 76 || b.u32(12) != 0) return;
    Decimal(ctx, "Number Of Ports", b.u8(18));
    AppendRtfTextLine(ctx, "Power", b.u8(87) ? "Bus-powered" : "Self-powered");
    AppendRtfPar(ctx);
    const uint16_t c = b.u16(19);
    AppendRtfTextLine(ctx, "Hub Characteristics", HubPortIndicatorText(c));
    AppendRtfTextLine(ctx, "\t", HubThinkTimeText(c));
    AppendRtfTextLine(ctx, "\t", HubOverCurrentText(c));
    AppendRtfTextLine(ctx, "\t", HubCompoundDeviceText(c));
    AppendRtfTextLine(ctx, "\t", HubPowerSwitchingText(c));
}

void ConnectionInformation(SUMMARY_CONTEXT& ctx, const IoctlBuffer& b, bool extended) {
    TooSmallLine(ctx, b);
    if (b.Issue()) {
        if (b.n() > 3) PortNumberLine(ctx, b);
        return;
    }
    if (!b.Success() || b.n() < 35) return;
    PortNumberLine(ctx, b);
    const uint32_t connection = b.u32(43);
    if (connection != 1) {
        const char* name = ConnectionStatusName(connection, NAME_FRIENDLY);
        if (name) AppendRtfTextLine(ctx, "Connection Status", name);
        return;
    }
    if (b.u8(36)) {
        AppendRtfTextLine(ctx, "Device", "Hub");
    } else if (const uint8_t cls = b.u8(20)) {
        if (const char* name = DeviceClassName(cls)) AppendRtfTextLine(ctx, "Device Class", name);
    }
    Decimal(ctx, "Current Configuration", b.u8(34));
    const char* speed = extended ? DeviceSpeedName(b.u8(35), NAME_FRIENDLY) : LowSpeedName(b.u8(35));
    if (speed) AppendRtfTextLine(ctx, "Speed", speed);
    AppendRtfPar(ctx);
    const uint32_t pipes = b.u32(39);
    Decimal(ctx, "Number of Open Pipes", pipes);
    if (b.n() < 36) return;
    // Each pipe entry: the endpoint descriptor and a DWORD schedule offset.
    for (uint32_t i = 0; i < pipes; ++i) {
        const size_t at = 35 + 11 * static_cast<size_t>(i);
        if (!b.buffer.has(at, 11)) break;
        AppendEndpointLine(ctx, b.buffer.data() + at, 7);
    }
}

void DeviceClassLine(SUMMARY_CONTEXT& ctx, uint8_t cls) {
    if (cls == 0 || cls == 0xFF) return;
    if (const char* name = DeviceClassName(cls)) AppendRtfTextLine(ctx, "Device", name);
}

void DescriptorFromNodeConnection(SUMMARY_CONTEXT& ctx, const IoctlBuffer& b) {
    if (b.n() < 12) return;
    PortNumberLine(ctx, b);
    const uint8_t type = b.u8(19), index = b.u8(18);
    AppendRtfLine(ctx, "Descriptor Type", type, RTF_VALUE_HEX2, DescriptorTypeName(type));
    if (type == 2 || type == 3 || type == 7) Decimal(ctx, "Descriptor Index", index);
    if (!b.completion || b.n() <= 12) return;
    AppendRtfPar(ctx);
    const ByteReader d = b.buffer.from(12);
    const size_t n = b.n();
    const uint8_t length = d.u8or(0), dtype = d.u8or(1);
    if (dtype == 1 && length == 18 && n >= 30) {
        DeviceClassLine(ctx, d.u8or(4));
    } else if ((dtype == 2 || dtype == 7) && length == 9 && n > 20) {
        Decimal(ctx, "Configuration", d.u8or(5));
        WalkDescriptors(d, 9, d.u16le_or(2), [&](const ByteReader& item) {
            if (item.size() == 9 && item.u8or(1) == 4) {
                AppendRtfPar(ctx);
                InterfaceLine(ctx, item, "endpoin(s)", false);
            } else if (item.size() == 7) {
                AppendEndpointDescriptorLine(ctx, item.data(), item.size());
            }
        });
    } else if (dtype == 3 && length > 3 && n >= 16) {
        const size_t bytes = n - 12 < length ? n - 12 : length;
        if (bytes < 4) return;
        if (index) {
            NameLine(ctx, "String", d, 2, bytes - 2, true);
        } else {
            for (size_t i = 0; 2 + 2 * i + 2 <= bytes; ++i) {
                char label[32];
                std::snprintf(label, sizeof label, "Language Id %d", static_cast<int>(i));
                const uint16_t id = d.u16le_or(2 + 2 * i);
                AppendRtfLine(ctx, label, id, RTF_VALUE_HEX4, LangIdName(id));
            }
        }
    } else if (dtype == 6 && length == 10 && n >= 22) {
        DeviceClassLine(ctx, d.u8or(4));
    }
}

void NodeConnectionName(SUMMARY_CONTEXT& ctx, const IoctlBuffer& b, const char* label) {
    TooSmallLine(ctx, b);
    if (b.Issue()) {
        if (b.n() > 3) PortNumberLine(ctx, b);
        return;
    }
    if (!b.Success()) return;
    const uint32_t actual = b.u32(16);
    if (b.n() == 10) {
        PortNumberLine(ctx, b);
        NoNameLines(ctx, label, actual == 10 && b.u16(20) == 0, b.bufferLength, actual);
    } else if (b.n() > 10) {
        PortNumberLine(ctx, b);
        if (actual > 10) NameLine(ctx, label, b.buffer, 8, std::min<uint64_t>(b.n() - 8, actual - 8ull));
    }
}

void HubCapabilities(SUMMARY_CONTEXT& ctx, const IoctlBuffer& b, bool extended) {
    TooSmallLine(ctx, b);
    if (!b.Success() || b.n() <= 3) return;
    const uint32_t flags = b.u32(12);
    AppendRtfTextLine(ctx, "High Speed Capable", (flags & 1) ? "Yes" : "No");
    if (extended) AppendRtfTextLine(ctx, "Multi TT Capable", (flags & 4) ? "Yes" : "No");
}

void ConnectionAttributes(SUMMARY_CONTEXT& ctx, const IoctlBuffer& b) {
    TooSmallLine(ctx, b);
    if (b.Issue()) {
        if (b.n() > 3) PortNumberLine(ctx, b);
        return;
    }
    if (!b.Success() || b.n() < 12) return;
    PortNumberLine(ctx, b);
    const uint32_t connection = b.u32(16);
    if (const char* name = ConnectionStatusName(connection, NAME_FRIENDLY))
        AppendRtfTextLine(ctx, "Connection Status", name);
    if (connection == 1) AppendRtfLine(ctx, "Port Attributes", b.u32(20), RTF_VALUE_HEX8);
}

void RootHubName(SUMMARY_CONTEXT& ctx, const IoctlBuffer& b, const char* label) {
    TooSmallLine(ctx, b);
    if (!b.Success()) return;
    const uint32_t actual = b.u32(12);
    if (b.n() >= 4 && b.n() <= 6) {
        NoNameLines(ctx, label, actual == 6, b.bufferLength, actual);
    } else if (b.n() >= 7 && actual >= 7) {
        // The name follows the length DWORD: at most n - 4 bytes are there.
        NameLine(ctx, label, b.buffer, 4, std::min<uint64_t>(b.n() - 4, actual - 4ull));
    }
}

} // namespace

// ---------------------------------------------------------------------------

const char* DeviceFeatureSelectorText(uint32_t selector) {
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

uint8_t SUMMARY_URB::PackedEndpoint() const { return block.u8or(URB_BLOCK_PIPE_INFO + 3, 0xFF); }
uint32_t SUMMARY_URB::TransferFlags() const { return urb.u32le_or(URB_OFFSET_TRANSFER_FLAGS); }
uint32_t SUMMARY_URB::TransferLength() const { return urb.u32le_or(URB_OFFSET_TRANSFER_LENGTH); }
bool SUMMARY_URB::In() const {
    const uint8_t endpoint = PackedEndpoint();
    return endpoint != 0xFF ? (endpoint & 0x80) != 0 : (TransferFlags() & 1) != 0;
}

bool GetSummaryUrb(const SUMMARY_CONTEXT& ctx, SUMMARY_URB& u) {
    const CRecordView* r = ctx.record;
    if (!r || !IsUrbKind(r->kind) || !r->hasBlock || !r->block || r->blockLength < 32 || !r->urb ||
        r->urbLength < 16)
        return false;
    u.block = ByteReader(r->block, r->blockLength);
    ByteReader urb(r->urb, r->urbLength);
    u.urb = urb.sub(0, urb.u16le_or(URB_OFFSET_LENGTH));
    if (u.urb.size() < 16) return false;
    u.completion = r->completion;
    u.status = SummaryRequestStatus(ctx);
    u.urbStatus = static_cast<int32_t>(u.urb.u32le_or(URB_OFFSET_STATUS));
    return true;
}

HRESULT32 SummarizeGenericRequest(SUMMARY_CONTEXT& ctx, const uint8_t* setup) {
    const Setup s(setup);
    static constexpr const char* kTypes[] = {"Standard", "Class", "Vendor", "Unknown"};
    Printf(ctx, "Request Type", "%s request %s %s", kTypes[s.Type()], DirectionWord(s.bm), RecipientWord(s.bm));
    if (s.Type() == REQUEST_TYPE_STANDARD)
        AppendRtfLine(ctx, "Request", s.request, RTF_VALUE_HEX2, StandardRequestName(s.request, NAME_SYMBOLIC));
    else
        AppendRtfLine(ctx, "Request", s.request, RTF_VALUE_HEX2);
    AppendRtfLine(ctx, "Value", s.value, RTF_VALUE_HEX4);
    AppendRtfLine(ctx, "Index", s.index, RTF_VALUE_HEX4);
    return AppendRtfLine(ctx, "Length", s.length, RTF_VALUE_HEX4);
}

int SummarizeCdcRequest(SUMMARY_CONTEXT& ctx, const SETUP_SUMMARY& summary) {
    const Setup s(summary.setup);
    if (s.Type() != REQUEST_TYPE_CLASS || !s.ToInterface() || Info(summary).u8or(kInfoClass) != 0x02) return 0;
    const char* name = CdcRequestName(summary.setup, NAME_FRIENDLY);
    AppendRtfTextLine(ctx, "Request", name ? name : "CDC CS Request");
    AppendRtfPar(ctx);
    Decimal(ctx, "Interface", s.index);
    const uint8_t r = s.request;
    return r <= 4 || (r >= 16 && r <= 21) || (r >= 32 && r <= 35) || (r >= 48 && r <= 58) ||
                   (r >= 64 && r <= 68) || (r >= 80 && r <= 83) || (r >= 96 && r <= 127)
               ? 1
               : 0;
}

int SummarizeHidRequest(SUMMARY_CONTEXT& ctx, const SETUP_SUMMARY& summary) {
    const Setup s(summary.setup);
    if (s.Type() != REQUEST_TYPE_CLASS || !s.ToInterface()) return 0;
    ByteReader data = Data(summary);
    switch (s.request) {
    case 1:
    case 9: {
        if (s.bm != (s.request == 1 ? 0xA1 : 0x21)) return 0;
        static constexpr const char* kTypes[] = {" ", "Input", "Output", "Feature"};
        const uint8_t type = static_cast<uint8_t>(s.value >> 8);
        AppendRtfTextLine(ctx, "Request", s.request == 1 ? "Get Report" : "Set Report");
        AppendRtfTextLine(ctx, "Report Type", type < 4 ? kTypes[type] : " ");
        ReportIdLine(ctx, s);
        AppendLengthLine(ctx, "Report Length", s.length);
        return 1;
    }
    case 2:
        if (s.bm != 0xA1) return 0;
        AppendRtfTextLine(ctx, "Request", "Get Idle");
        ReportIdLine(ctx, s);
        if (data.size() >= 1) IdleRateLine(ctx, data.u8or(0));
        return 1;
    case 3:
        if (s.bm != 0xA1) return 0;
        AppendRtfTextLine(ctx, "Request", "Get Protocol");
        if (data.size() >= 1) ProtocolLine(ctx, data.u8or(0));
        return 1;
    case 10:
        if (s.bm != 0x21) return 0;
        AppendRtfTextLine(ctx, "Request", "Set Idle");
        ReportIdLine(ctx, s);
        IdleRateLine(ctx, static_cast<uint8_t>(s.value >> 8));
        return 1;
    case 11:
        if (s.bm != 0x21) return 0;
        AppendRtfTextLine(ctx, "Request", "Set Protocol");
        ProtocolLine(ctx, static_cast<uint8_t>(s.value));
        return 1;
    default: return 0;
    }
}

int SummarizeMscRequest(SUMMARY_CONTEXT& ctx, const SETUP_SUMMARY& summary) {
    const Setup s(summary.setup);
    if (s.Type() != REQUEST_TYPE_CLASS || !s.ToInterface() || Info(summary).u8or(kInfoProtocol) != 0x50) return 0;
    if (s.request == 0xFE && s.bm == 0xA1) {
        AppendRtfTextLine(ctx, "Request", "Get Max LUN");
        Decimal(ctx, "Interface", s.index);
        ByteReader data = Data(summary);
        if (data.size() >= 1) Decimal(ctx, "Max LUN", data.u8or(0));
        return 1;
    }
    if (s.request == 0xFF && s.bm == 0x21) {
        AppendRtfTextLine(ctx, "Request", "Bulk-Only Mass Storage Reset");
        Decimal(ctx, "Interface", s.index);
        return 1;
    }
    return 0;
}

int SummarizeDfuRequest(SUMMARY_CONTEXT& ctx, const SETUP_SUMMARY& summary) {
    const Setup s(summary.setup);
    ByteReader info = Info(summary);
    if (s.Type() != REQUEST_TYPE_CLASS || !s.ToInterface() || info.u8or(kInfoClass) != 0xFE ||
        info.u8or(kInfoSubClass) != 0x01)
        return 0;
    const char* name = DfuRequestName(summary.setup, NAME_FRIENDLY);
    AppendRtfTextLine(ctx, "Request", name ? name : "DFU CS Request");
    AppendRtfPar(ctx);
    Decimal(ctx, "Interface", s.index);
    ByteReader data = Data(summary);
    switch (s.request) {
    case 0:
        if (s.bm != 0x21) return 0;
        Printf(ctx, "Timeout", "%d ms", s.value);
        return 1;
    case 1:
    case 2:
        if (s.bm != (s.request == 1 ? 0x21 : 0xA1)) return 0;
        Decimal(ctx, "Block Number", s.value);
        Decimal(ctx, "Block Length", s.length);
        return 1;
    case 3:
        if (s.bm != 0xA1) return 0;
        if (data.size() > 5) {
            AppendRtfPar(ctx);
            const char* status = DfuStatusName(data.u8or(0), NAME_FRIENDLY);
            const char* state = DfuStateName(data.u8or(4), NAME_FRIENDLY);
            AppendRtfTextLine(ctx, "Status", status ? status : "?");
            AppendRtfTextLine(ctx, "State", state ? state : "?");
        }
        return 1;
    case 4:
    case 6: return s.bm == 0x21 ? 1 : 0;
    case 5:
        if (s.bm != 0xA1) return 0;
        if (data.size() >= 1) {
            AppendRtfPar(ctx);
            const char* state = DfuStateName(data.u8or(0), NAME_FRIENDLY);
            AppendRtfTextLine(ctx, "State", state ? state : "?");
        }
        return 1;
    default: return 0;
    }
}

int SummarizeHubRequest(SUMMARY_CONTEXT& ctx, const SETUP_SUMMARY& summary) {
    const Setup s(summary.setup);
    if (s.Type() != REQUEST_TYPE_CLASS || Info(summary).u8or(kInfoClass) != 0x09) return 0;
    ByteReader data = Data(summary);
    const int port = s.index & 0xFF;
    auto request = [&](const char* name, bool withPort) {
        AppendRtfTextLine(ctx, "Request", name);
        if (withPort) Decimal(ctx, "Port", static_cast<uint32_t>(port));
    };
    switch (s.request) {
    case 0:
        if (s.bm == 0xA0) {
            request("Get Hub Status", false);
            if (data.size() >= 4) {
                AppendRtfPar(ctx);
                HubStatusLines(ctx, data.u16le_or(0), data.u16le_or(2));
            }
            return 1;
        }
        if (s.bm == 0xA3) {
            request("Get Port Status", true);
            if (data.size() >= 4) {
                AppendRtfPar(ctx);
                PortStatusLines(ctx, data.u16le_or(0), data.u16le_or(2), SuperSpeedHub(summary));
            }
            return 1;
        }
        return 0;
    case 1:
    case 3: {
        const bool set = s.request == 3;
        if (s.bm == 0x20) {
            request(set ? "Set Hub Feature" : "Clear Hub Feature", false);
            const char* feature = HubFeatureName(s.value, NAME_FRIENDLY);
            if (feature) AppendRtfTextLine(ctx, "Feature", feature); else Decimal(ctx, "Feature", s.value);
            return 1;
        }
        if (s.bm == 0x23) {
            request(set ? "Set Port Feature" : "Clear Port Feature", true);
            const char* feature = HubPortFeatureName(s.value, NAME_FRIENDLY);
            if (feature) AppendRtfTextLine(ctx, "Feature", feature); else Decimal(ctx, "Feature", s.value);
            return 1;
        }
        return 0;
    }
    case 2:
        if (s.bm != 0xA3) return 0;
        request("Get Bus State", true);
        if (data.size() >= 1) {
            Decimal(ctx, "D- Signal", data.u8or(0) & 1);
            Decimal(ctx, "D+ Signal", (data.u8or(0) >> 1) & 1);
        }
        return 1;
    case 6:
        if (s.bm != 0xA0) return 0;
        request("Get Hub Descriptor", false);
        return 1;
    case 7:
        if (s.bm != 0x20) return 0;
        request("Set Hub Descriptor", false);
        return 1;
    case 8:
    case 9:
    case 11: {
        if (s.bm != 0x23) return 0;
        request(s.request == 8 ? "Clear TT Buffer" : s.request == 9 ? "Reset TT" : "Stop TT", false);
        Decimal(ctx, "TT Port", s.index);
        return 1;
    }
    case 10:
        if (s.bm != 0xA3) return 0;
        request("Get TT State", false);
        Decimal(ctx, "TT Port", s.index);
        return 1;
    case 12:
        if (s.bm != 0x20) return 0;
        request("Set Hub Depth", false);
        Decimal(ctx, "Hub Depth", s.value);
        return 1;
    case 13:
        if (s.bm != 0xA3) return 0;
        request("Get Port Error Count", true);
        if (data.size() >= 2) Decimal(ctx, "Number of Link Errors", data.u8or(0));
        return 1;
    default: return 0;
    }
}

HRESULT32 SummarizeSetupRequest(SUMMARY_CONTEXT& ctx, const SETUP_SUMMARY& summary) {
    if (!summary.setup) return S_OK32;
    const Setup s(summary.setup);
    int written = 0;
    switch (s.Type()) {
    case REQUEST_TYPE_CLASS:
        switch (Info(summary).u8or(kInfoClass)) {
        case 0x02:
        case 0x0A: written = SummarizeCdcRequest(ctx, summary); break;
        case 0x03: written = SummarizeHidRequest(ctx, summary); break;
        case 0x08: written = SummarizeMscRequest(ctx, summary); break;
        case 0x09: written = SummarizeHubRequest(ctx, summary); break;
        case 0xFE: written = SummarizeDfuRequest(ctx, summary); break;
        default: break;
        }
        break;
    case REQUEST_TYPE_STANDARD:
        if (const char* name = StandardRequestName(s.request, NAME_FRIENDLY)) {
            const char* direction = DirectionWord(s.bm);
            switch (s.Recipient()) {
            case 0: Printf(ctx, "Request", "%s %s %s", name, direction, "Device"); break;
            case 1: Printf(ctx, "Request", "%s %s %s %d", name, direction, "Interface", s.index); break;
            case 2: {
                char endpoint[32];
                FormatEndpointAddress(s.index & 0xFF, endpoint, sizeof endpoint);
                Printf(ctx, "Request", "%s %s %s %s", name, direction, "Endpoint", endpoint);
                break;
            }
            default: Printf(ctx, "Request", "%s %s %s", name, direction, "Other Target"); break;
            }
            StandardLines(ctx, s, summary);
            return S_OK32;
        }
        break;
    default: break;
    }
    if (written) return S_OK32;
    return SummarizeGenericRequest(ctx, summary.setup);
}

void SummarizeConfigurationData(SUMMARY_CONTEXT& ctx, const uint8_t* bytes, size_t length) {
    const ByteReader d(bytes, length);
    const uint8_t type = d.u8or(1);
    if (d.size() < 9 || d.u8or(0) < 9 || (type != 2 && type != 7)) return;
    Decimal(ctx, "Configuration", d.u8or(5));
    const uint16_t total = d.u16le_or(2);
    if (total < 9) return;
    WalkDescriptors(d, d.u8or(0), total, [&](const ByteReader& item) {
        const uint8_t itemType = item.u8or(1);
        if (itemType == 11 && item.size() > 7) {
            AppendRtfPar(ctx);
            const uint8_t first = item.u8or(2), count = item.u8or(3), cls = item.u8or(4);
            const int last = first + (count ? count - 1 : 0);
            const char* name = cls ? InterfaceClassName(cls) : nullptr;
            if (name)
                Printf(ctx, "Interface Association", "Ifc %d - Ifc %d, %s", first, last, name);
            else
                Printf(ctx, "Interface Association", "Ifc %d - Ifc %d", first, last);
        } else if (itemType == 4 && item.size() > 8) {
            AppendRtfPar(ctx);
            InterfaceLine(ctx, item, "endpoint", true);
        } else if (itemType == 5 && item.size() > 6) {
            AppendEndpointDescriptorLine(ctx, item.data(), item.size());
        }
    });
}

void SummarizeStringData(SUMMARY_CONTEXT& ctx, const uint8_t* bytes, size_t length, uint8_t index) {
    ByteReader d(bytes, length);
    if (d.size() < 4 || d.u8or(0) <= 3 || d.u8or(1) != 3) return;
    d = d.sub(0, d.u8or(0));
    if (index) {
        AppendRtfWideLine(ctx, "String", d.data() + 2, (d.size() - 2) / 2, 0, true);
        return;
    }
    for (size_t i = 0; 2 + 2 * i + 2 <= d.size(); ++i) {
        char label[32];
        std::snprintf(label, sizeof label, "wLANGID[%d]", static_cast<int>(i));
        const uint16_t id = d.u16le_or(2 + 2 * i);
        AppendRtfLine(ctx, label, id, RTF_VALUE_HEX4, LangIdName(id));
    }
}

int SummarizeCdcNotification(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u) {
    const CRecordView* r = ctx.record;
    if (!u.Successful() || !u.In() || !r || !r->data || r->dataLength < 8) return 0;
    const Setup s(r->data);
    if (s.Type() != REQUEST_TYPE_CLASS || (s.bm & 0x1F) != 1) return 0;
    const char* name = CdcNotificationName(r->data, NAME_FRIENDLY);
    AppendRtfTextLine(ctx, "CDC Notification", name ? name : "Unknown");
    Decimal(ctx, "Interface", s.index);
    return 1;
}

int SummarizeHidReport(SUMMARY_CONTEXT& ctx, const SUMMARY_URB& u) {
    const CRecordView* r = ctx.record;
    const bool in = u.In();
    if (in ? !u.Successful() : u.completion) return 0;
    if (!r || !r->data || r->dataLength == 0) return 0;
    AppendRtfTextLine(ctx, "Report Type", in ? "Input" : "Output");
    if (ctx.names && r->data[0] != 0) {
        HID_OBJECT_KEY pipe{u.urb.u32le_or(URB_OFFSET_PIPE_HANDLE), u.block.u16le_or(URB_BLOCK_HID_PIPE_KEY), 0, 0};
        if (ctx.names->HasReportIds(pipe, HID_ANY_INTERFACE) == 1) Decimal(ctx, "Report ID", r->data[0]);
    }
    AppendLengthLine(ctx, "Report Length", u.TransferLength());
    return 1;
}

void SummarizePowerMinor(SUMMARY_CONTEXT& ctx, uint8_t minor) {
    const CRecordView* r = ctx.record;
    if (!r || !r->hasBlock || !r->block) return;
    const ByteReader block(r->block, r->blockLength);
    switch (minor) {
    case 0:
        if (block.size() >= 4) {
            if (const char* state = SystemPowerStateName(block.u32le_or(0), NAME_FRIENDLY))
                AppendRtfTextLine(ctx, "Power State", state);
        }
        return;
    case 1:
        if (!r->completion || SummaryRequestStatus(ctx) != 0 || block.size() < 12) return;
        Decimal(ctx, "Sequence D1", block.u32le_or(0));
        Decimal(ctx, "Sequence D2", block.u32le_or(4));
        Decimal(ctx, "Sequence D3", block.u32le_or(8));
        return;
    case 2:
    case 3: {
        if (r->completion || block.size() < 16) return;
        const uint32_t type = block.u32le_or(4), state = block.u32le_or(8);
        if (type == 0) {
            if (const char* name = SystemPowerStateName(state, NAME_FRIENDLY))
                AppendRtfTextLine(ctx, "System Power State", name);
        } else if (type == 1) {
            if (const char* name = DevicePowerStateName(state, NAME_FRIENDLY))
                AppendRtfTextLine(ctx, "Device Power State", name);
        }
        static constexpr const char* kShutdown[] = {"None",     nullptr,          "Sleep",        "Hibernate",
                                                    "Shutdown", "Shutdown Reset", "Shutdown Off", "Warm Eject"};
        const uint32_t shutdown = block.u32le_or(12);
        if (shutdown < 8 && kShutdown[shutdown]) AppendRtfTextLine(ctx, "Shutdown Type", kShutdown[shutdown]);
        return;
    }
    default: return;
    }
}

void SummarizeUserIoctl(SUMMARY_CONTEXT& ctx, uint32_t kind) {
    IoctlBuffer b;
    if (!GetIoctlBuffer(ctx, b)) return;
    switch (kind) {
    case KIND_HCD_FIRST + 0:   // HCD_GET_STATS_1
    case KIND_HCD_FIRST + 10:  // HCD_GET_STATS_2
        TooSmallLine(ctx, b);
        if (b.Issue() && b.n() > 3) AppendRtfTextLine(ctx, "Reset Counters", b.u32(12) ? "Yes" : "No");
        return;
    case KIND_HCD_FIRST + 3: RootHubName(ctx, b, "Root Hub Name"); return;
    case KIND_HCD_FIRST + 11: RootHubName(ctx, b, "Driver Key Name"); return;
    case KIND_HCD_FIRST + 12:  // HCD_DISABLE_PORT
    case KIND_HCD_FIRST + 13:  // HCD_ENABLE_PORT
        if (b.Issue() && b.n() > 3) Decimal(ctx, "Port Index", b.u32(12));
        return;
    case KIND_HUB_FIRST + 0: NodeInformation(ctx, b); return;
    case KIND_HUB_FIRST + 1: ConnectionInformation(ctx, b, false); return;
    case KIND_HUB_FIRST + 16: ConnectionInformation(ctx, b, true); return;
    case KIND_HUB_FIRST + 2: DescriptorFromNodeConnection(ctx, b); return;
    case KIND_HUB_FIRST + 3: NodeConnectionName(ctx, b, "Node Name"); return;
    case KIND_HUB_FIRST + 6: NodeConnectionName(ctx, b, "Driver Key Name"); return;
    case KIND_HUB_FIRST + 13: HubCapabilities(ctx, b, false); return;
    case KIND_HUB_FIRST + 18: HubCapabilities(ctx, b, true); return;
    case KIND_HUB_FIRST + 14: ConnectionAttributes(ctx, b); return;
    case KIND_HUB_FIRST + 15:  // HUB_CYCLE_PORT
        if (b.Issue() && b.n() > 3) PortNumberLine(ctx, b);
        return;
    default: return;
    }
}

void SummarizeFileRequest(SUMMARY_CONTEXT& ctx, uint8_t major) {
    const CRecordView* r = ctx.record;
    if (!r) return;
    const uint32_t status = SummaryRequestStatus(ctx);
    if (r->completion && status != 0) {
        AppendIrpStatusLine(ctx, status);
        AppendRtfPar(ctx);
    }
    if (major == 2 || !r->hasBlock || !r->block) return;
    const ByteReader block(r->block, r->blockLength);
    if (block.size() < 32 || block.u32le_or(0) < 32) return;
    const uint16_t length = block.u16le_or(18);
    const uint64_t offset = 16ull + block.u32le_or(20);
    if (length < 2 || offset > block.size() || length > block.size() - offset) return;
    const ByteReader path = block.sub(static_cast<size_t>(offset), length);
    const size_t units = path.size() / 2;
    size_t start = 0;
    for (size_t i = 0; i < units; ++i)
        if (path.u16le_or(2 * i) == u'\\') start = i + 1;
    if (start == units) return;
    NameLine(ctx, "Process", path, 2 * start, 2 * (units - start));
}

} // namespace brx
