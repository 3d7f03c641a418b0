#include "protocols/HubRequests.h"

#include <cstdio>

#include "decode/BosDescriptors.h"
#include "decode/DescriptorRows.h"
#include "decode/HtmlWriters.h"
#include "decode/RequestNames.h"
#include "decode/SetupRows.h"
#include "decode/StandardRequests.h"
#include "decode/UsbNames.h"

namespace brx {

using namespace rows;

namespace {

constexpr uint8_t kHubClass = 0x09;
constexpr uint16_t kPortIndicator = 22;

struct Setup {
    uint8_t bytes[8] = {};
    explicit Setup(std::span<const uint8_t> s) {
        for (size_t i = 0; i < 8 && i < s.size(); ++i) bytes[i] = s[i];
    }
    uint8_t type() const { return bytes[0]; }
    uint8_t request() const { return bytes[1]; }
    uint16_t value() const { return static_cast<uint16_t>(bytes[2] | (bytes[3] << 8)); }
    uint16_t index() const { return static_cast<uint16_t>(bytes[4] | (bytes[5] << 8)); }
};

bool Holds(const DECODE_CONTEXT& ctx, size_t end) { return ctx.bytes.size() >= end; }

// The IN data stage when it holds at least n bytes.
std::span<const uint8_t> InData(const DECODE_CONTEXT& ctx, size_t n) {
    const auto& r = ctx.request;
    if (!r.dataPresent || !r.completion || r.data.data() == nullptr || r.data.size() < n) return {};
    return r.data;
}

// A hub request's setup table: bmRequestType, its bit rows when expanding,
// bRequest, then the request's rows.
template <class F>
void SetupTable(DECODE_CONTEXT& ctx, F rows) {
    if (!ctx.setupAsSent) return;
    if (!BeginFieldTable(ctx)) return;
    const Setup s(ctx.bytes);
    WriteSetupRequestTypeRow(ctx);
    if (ctx.expand) {
        WriteHubRecipientRow(ctx);
        WriteSetupTypeRow(ctx);
        WriteSetupDirectionRow(ctx);
    }
    WriteSetupRequestRow(ctx, HubRequestName(s.bytes, NAME_FRIENDLY));
    rows();
    EndFieldTable(ctx);
}

// "Port" for a non-zero wIndex, else the error.
void PortIndexRow(DECODE_CONTEXT& ctx) {
    if (!Holds(ctx, 6)) return;
    const uint16_t port = Setup(ctx.bytes).index();
    if (port != 0) Word(ctx, 4, "wIndex", port, "Port");
    else Word(ctx, 4, "wIndex", port, "Port - Should be greater than zero", true);
}

void TtPortRow(DECODE_CONTEXT& ctx) { WriteSetupIndexRow(ctx, "TT Port"); }

template <class F>
bool DataTable(DECODE_CONTEXT& ctx, const char* title, F rows) {
    WriteSectionTitle(ctx, title);
    if (BeginFieldTable(ctx)) {
        rows();
        EndFieldTable(ctx);
    }
    return true;
}

// Reserved bit rows of the data tables: housekeeping rows only.
void Reserved(DECODE_CONTEXT& ctx, uint32_t byteCount, uint32_t mask, uint32_t value) {
    if (!ctx.detail) return;
    const bool set = (value & mask) != 0;
    Bits(ctx, "Reserved", byteCount, mask, value, set ? "Should be zero" : nullptr, set);
}

// A bit row with one text for set and one for clear.
void Flag(DECODE_CONTEXT& ctx, const char* name, uint16_t mask, uint16_t value, const char* set, const char* clear) {
    Bits(ctx, name, 2, mask, value, (value & mask) ? set : clear);
}

} // namespace

bool WriteHubRecipientRow(DECODE_CONTEXT& ctx) {
    if (!ctx.expand || ctx.bytes.empty()) return !ctx.full();
    const uint8_t type = ctx.bytes[0];
    const uint8_t recipient = type & 0x1F;
    switch (recipient) {
    case 0: return Bits(ctx, "Recipient", 1, 0x1F, type, "Hub");
    case 3: return Bits(ctx, "Recipient", 1, 0x1F, type, "Port");
    case 1:
    case 2: return Bits(ctx, "Recipient", 1, 0x1F, type, "Should be 0 (Hub) or 3 (Port)", true);
    default: return Bits(ctx, "Recipient", 1, 0x1F, type, "4..31 are reserved values", true);
    }
}

// --- Data tables ---------------------------------------------------------------

bool RenderHubStatus(DECODE_CONTEXT& ctx, uint16_t status) {
    return DataTable(ctx, "Hub Status", [&] {
        Word(ctx, 0, "Status", status, nullptr);
        if (!ctx.expand) return;
        Bits(ctx, "Local Power Source", 2, 0x0001, status, (status & 1) ? LookupIndexedName(0, kHubStatusNames) : nullptr);
        Bits(ctx, "Over-Current", 2, 0x0002, status, (status & 2) ? LookupIndexedName(1, kHubStatusNames) : nullptr);
        Reserved(ctx, 2, 0xFFFC, status);
    });
}

bool RenderHubStatusChange(DECODE_CONTEXT& ctx, uint16_t change) {
    return DataTable(ctx, "Hub Status Change", [&] {
        Word(ctx, 2, "Status", change, nullptr);
        if (!ctx.expand) return;
        Bits(ctx, "Local Power Status Change", 2, 0x0001, change,
             (change & 1) ? LookupIndexedName(0, kHubStatusChangeNames) : nullptr);
        Bits(ctx, "Over-Current Change", 2, 0x0002, change,
             (change & 2) ? LookupIndexedName(1, kHubStatusChangeNames) : nullptr);
        Reserved(ctx, 2, 0xFFFC, change);
    });
}

namespace {

void ConnectRow(DECODE_CONTEXT& ctx, uint16_t s) {
    Flag(ctx, "Current Connect Status", 0x0001, s, "A device is present on this port", "No device is present");
}
void EnabledRow(DECODE_CONTEXT& ctx, uint16_t s) {
    Flag(ctx, "Port Enabled/Disabled", 0x0002, s, "Port is enabled", "Port is disabled");
}
void OverCurrentRow(DECODE_CONTEXT& ctx, uint16_t s) {
    Flag(ctx, "Over-Current", 0x0008, s, "An over-current condition exists on this port",
         "No over-current condition exists on this port");
}
void ResetRow(DECODE_CONTEXT& ctx, uint16_t s) {
    Flag(ctx, "Reset", 0x0010, s, "Reset signaling asserted", "Reset signaling not asserted");
}
void PowerRow(DECODE_CONTEXT& ctx, uint16_t mask, uint16_t s) {
    Flag(ctx, "Port Power", mask, s, "This port is not in the Powered-off state", "This port is in the Powered-off state");
}
void ConnectChangeRow(DECODE_CONTEXT& ctx, uint16_t c) {
    Flag(ctx, "Connect Status Change", 0x0001, c, "Current Connect status has changed",
         "No change has occurred to Current Connect status");
}
void OverCurrentChangeRow(DECODE_CONTEXT& ctx, uint16_t c) {
    Flag(ctx, "Over-Current Indicator Change", 0x0008, c, "Over-Current Indicator has changed",
         "No change has occurred to Over-Current Indicator");
}

} // namespace

bool RenderPortStatus(DECODE_CONTEXT& ctx, uint16_t s) {
    return DataTable(ctx, "Port Status", [&] {
        Word(ctx, 0, "Status", s, nullptr);
        if (!ctx.expand) return;
        ConnectRow(ctx, s);
        EnabledRow(ctx, s);
        Flag(ctx, "Suspend", 0x0004, s, "Suspended or resuming", "Not suspended");
        OverCurrentRow(ctx, s);
        ResetRow(ctx, s);
        Reserved(ctx, 2, 0x00E0, s);
        PowerRow(ctx, 0x0100, s);
        Flag(ctx, "Low-Speed Device Attached", 0x0200, s, "Low-speed device attached to this port",
             "Full-speed or High-speed device attached to this port (determined by bit 10)");
        Flag(ctx, "High-Speed Device Attached", 0x0400, s, "High-speed device attached to this port",
             "Full-speed device attached to this port");
        Flag(ctx, "Port Test Mode", 0x0800, s, "This port is in Port Test Mode", "This port is not in the Port Test Mode");
        Flag(ctx, "Port Indicator Control", 0x1000, s, "Port indicator displays software controlled color",
             "Port indicator displays default colors");
        Reserved(ctx, 2, 0xE000, s);
    });
}

bool RenderPortStatusChange(DECODE_CONTEXT& ctx, uint16_t c) {
    return DataTable(ctx, "Port Status Change", [&] {
        Word(ctx, 2, "Status", c, nullptr);
        if (!ctx.expand) return;
        ConnectChangeRow(ctx, c);
        // A clear change bit says only that nothing changed.
        Flag(ctx, "Port Enable/Disable Change", 0x0002, c, "Port is disabled because of a Port Error condition",
             "No change");
        Flag(ctx, "Suspend Change", 0x0004, c, "Resume complete", "No change");
        OverCurrentChangeRow(ctx, c);
        Flag(ctx, "Reset Change", 0x0010, c, "Reset complete", "No change");
        Reserved(ctx, 2, 0xFFE0, c);
    });
}

bool RenderSuperSpeedPortStatus(DECODE_CONTEXT& ctx, uint16_t s) {
    return DataTable(ctx, "Port Status", [&] {
        Word(ctx, 0, "Status", s, nullptr);
        if (!ctx.expand) return;
        ConnectRow(ctx, s);
        EnabledRow(ctx, s);
        Reserved(ctx, 2, 0x0004, s);
        OverCurrentRow(ctx, s);
        ResetRow(ctx, s);
        Bits(ctx, "Port Link State", 2, 0x01E0, s, LinkStateName((s >> 5) & 0xF));
        PowerRow(ctx, 0x0200, s);
        const char* speed = SuperSpeedLinkSpeedText((s >> 10) & 7);
        if (speed) Bits(ctx, "Negotiated Speed", 2, 0x1C00, s, speed);
        else Bits(ctx, "Negotiated Speed", 2, 0x1C00, s, "Unknown value", true);
        Reserved(ctx, 2, 0xE000, s);
    });
}

bool RenderSuperSpeedPortStatusChange(DECODE_CONTEXT& ctx, uint16_t c) {
    return DataTable(ctx, "Port Status Change", [&] {
        Word(ctx, 2, "Status", c, nullptr);
        if (!ctx.expand) return;
        ConnectChangeRow(ctx, c);
        Reserved(ctx, 2, 0x0006, c);
        OverCurrentChangeRow(ctx, c);
        Flag(ctx, "Reset Change", 0x0010, c, "Reset complete", "No change");
        Flag(ctx, "BH Reset Change", 0x0020, c, "Reset complete", "No change");
        Flag(ctx, "Port Link State Change", 0x0040, c, "Link Status has changed", "No change");
        Flag(ctx, "Port Config Error", 0x0080, c, "Port Link Configuration was unsuccessful",
             "Port Link Configuration was successful");
        Reserved(ctx, 2, 0xFF00, c);
    });
}

bool RenderBusState(DECODE_CONTEXT& ctx, uint8_t state) {
    return DataTable(ctx, "Bus State", [&] {
        Byte(ctx, 0, "Bus State", state, nullptr);
        if (!ctx.expand) return;
        Bits(ctx, "D- Signal", 1, 0x01, state, nullptr);
        Bits(ctx, "D+ Signal", 1, 0x02, state, nullptr);
        Reserved(ctx, 1, 0xFC, state);
    });
}

bool RenderTtState(DECODE_CONTEXT& ctx, std::span<const uint8_t> bytes) {
    if (bytes.size() < 4) return false;
    return DataTable(ctx, "TT State", [&] {
        const uint32_t flags = D(bytes, 0);
        WriteDwordRow(ctx, 0, "TT Return Flags", 4, flags, nullptr);
        if (ctx.expand) {
            const bool set = (flags & 0xFFFF) != 0;
            Bits(ctx, "Reserved", 4, 0x0000FFFF, flags, set ? "Should be zero" : nullptr, set);
            Bits(ctx, "Vendor Specific", 4, 0xFFFF0000u, flags, nullptr);
        }
        if (bytes.size() > 4) WriteValueRow(ctx, 4, "TT Specific State", bytes.subspan(4), nullptr);
    });
}

bool RenderLinkErrorCount(DECODE_CONTEXT& ctx, uint16_t count) {
    return DataTable(ctx, "Number of Link Errors", [&] { Word(ctx, 0, "Error Count", count, nullptr); });
}

// --- Requests --------------------------------------------------------------------

bool DecodeHubGetStatus(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    SetupTable(ctx, [&] {
        WriteCheckedSetupValueRow(ctx, 0, nullptr);
        if (Holds(ctx, 6)) {
            const uint16_t index = s.index();
            if (s.type() == 0xA0) Word(ctx, 4, "wIndex", index, index != 0 ? "Should be zero" : nullptr, index != 0);
            else Word(ctx, 4, "wIndex", index, s.type() == 0xA3 ? "Port" : nullptr);
        }
        WriteCheckedSetupLengthRow(ctx, 4, nullptr);
    });
    const auto data = InData(ctx, 4);
    if (data.empty()) return true;
    const uint16_t status = W(data, 0), change = W(data, 2);
    switch (s.type() & 3) {
    case 0:
        RenderHubStatus(ctx, status);
        RenderHubStatusChange(ctx, change);
        break;
    case 3:
        if (RequestVersionWord(ctx) >= 0x0300) {
            RenderSuperSpeedPortStatus(ctx, status);
            RenderSuperSpeedPortStatusChange(ctx, change);
        } else {
            RenderPortStatus(ctx, status);
            RenderPortStatusChange(ctx, change);
        }
        break;
    default: break;
    }
    return true;
}

bool DecodeHubFeatureRequest(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    if (s.type() != 0x20 && s.type() != 0x23) return false;
    const bool port = s.type() == 0x23;
    SetupTable(ctx, [&] {
        const uint16_t selector = s.value();
        const char* name = port ? HubPortFeatureName(selector, NAME_FRIENDLY) : HubFeatureName(selector, NAME_FRIENDLY);
        char text[96];
        if (name) std::snprintf(text, sizeof text, "%s: %s", "Feature", name);
        WriteSetupValueRow(ctx, name ? text : "Feature");
        if (!port) {
            WriteCheckedSetupIndexRow(ctx, 0, nullptr);
        } else if (selector == kPortIndicator) {
            if (Holds(ctx, 5)) {
                const uint8_t low = ctx.bytes[4];
                if (low != 0) Byte(ctx, 4, "wIndex.LowByte", low, "Port");
                else Byte(ctx, 4, "wIndex.LowByte", low, "Port - Should be greater than zero", true);
            }
            WriteSetupIndexHighByteRow(ctx, "Port Indicator Selector");
        } else {
            PortIndexRow(ctx);
        }
        WriteCheckedSetupLengthRow(ctx, 0, nullptr);
    });
    return true;
}

bool DecodeHubGetBusState(DECODE_CONTEXT& ctx) {
    if (Setup(ctx.bytes).type() != 0xA3) return false;
    SetupTable(ctx, [&] {
        WriteCheckedSetupValueRow(ctx, 0, nullptr);
        PortIndexRow(ctx);
        WriteCheckedSetupLengthRow(ctx, 1, nullptr);
    });
    const auto data = InData(ctx, 1);
    if (!data.empty()) RenderBusState(ctx, data[0]);
    return true;
}

bool DecodeHubDescriptorRequest(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    if (s.type() != 0xA0 && s.type() != 0x20) return false;
    const uint8_t type = s.bytes[3];
    SetupTable(ctx, [&] {
        if (Holds(ctx, 3)) {
            const uint8_t low = s.bytes[2];
            Byte(ctx, 2, "wValue.LowByte", low, low != 0 ? "Should be zero" : nullptr, low != 0);
        }
        WriteSetupValueHighByteRow(ctx, type == 0x2A ? "Hub Descriptor" : "Descriptor Type");
        WriteCheckedSetupIndexRow(ctx, 0, nullptr);
        WriteSetupLengthRow(ctx, "Descriptor Length");
    });
    const auto& r = ctx.request;
    const bool phase = (s.request() == 6) == r.completion;
    if (!r.dataPresent || r.data.data() == nullptr || !phase) return true;
    const size_t least = (type == 0x29 || type == 0x00) ? 9 : type == 0x2A ? 12 : 0;
    if (least == 0 || r.data.size() < least) return true;
    DecodeNested(ctx, r.data, RequestVersionWord(ctx), DecodeHubDescriptor);
    return true;
}

bool DecodeClearTtBuffer(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    if (s.type() != 0x23) return false;
    SetupTable(ctx, [&] {
        WriteSetupValueRow(ctx, nullptr);
        if (ctx.expand && Holds(ctx, 4)) {
            const uint16_t v = s.value();
            char text[16];
            std::snprintf(text, sizeof text, "%d", v & 0xF);
            Bits(ctx, "Endpoint Number", 2, 0x000F, v, text);
            std::snprintf(text, sizeof text, "%d", (v >> 4) & 0x7F);
            Bits(ctx, "Device Address", 2, 0x07F0, v, text);
            static const char* const kTypes[] = {"Control", "Isochronous", "Bulk", "Interrupt"};
            const uint32_t endpointType = (v >> 11) & 3;
            Bits(ctx, "Endpoint Type", 2, 0x1800, v, kTypes[endpointType]);
            if (ctx.detail) Bits(ctx, "Reserved", 2, 0x6000, v, (v & 0x6000) ? "Should be zero" : nullptr, (v & 0x6000) != 0);
            Bits(ctx, "Direction", 2, 0x8000, v, endpointType == 0 ? nullptr : (v & 0x8000) ? "In" : "Out");
        }
        TtPortRow(ctx);
        WriteCheckedSetupLengthRow(ctx, 0, nullptr);
    });
    return true;
}

namespace {

bool TtRequest(DECODE_CONTEXT& ctx) {
    if (Setup(ctx.bytes).type() != 0x23) return false;
    SetupTable(ctx, [&] {
        WriteCheckedSetupValueRow(ctx, 0, nullptr);
        TtPortRow(ctx);
        WriteCheckedSetupLengthRow(ctx, 0, nullptr);
    });
    return true;
}

} // namespace

bool DecodeResetTt(DECODE_CONTEXT& ctx) { return TtRequest(ctx); }
bool DecodeStopTt(DECODE_CONTEXT& ctx) { return TtRequest(ctx); }

bool DecodeGetTtState(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    if (s.type() != 0xA3) return false;
    SetupTable(ctx, [&] {
        WriteSetupValueRow(ctx, "TT Flags");
        if (ctx.expand && ctx.detail && Holds(ctx, 4)) {
            const uint16_t v = s.value();
            Bits(ctx, "Reserved", 2, 0x00FF, v, (v & 0xFF) ? "Should be zero" : nullptr, (v & 0xFF) != 0);
            Bits(ctx, "Vendor Specific", 2, 0xFF00, v, nullptr);
        }
        TtPortRow(ctx);
        WriteSetupLengthRow(ctx, "TT State Length");
    });
    const auto data = InData(ctx, 4);
    if (!data.empty()) RenderTtState(ctx, data);
    return true;
}

bool DecodeSetHubDepth(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    if (s.type() != 0x20) return false;
    SetupTable(ctx, [&] {
        if (Holds(ctx, 4)) {
            const uint16_t depth = s.value();
            if (depth < 5) Word(ctx, 2, "wValue", depth, "Hub Depth");
            else Word(ctx, 2, "wValue", depth, "Should be in the range of 0-4.", true);
        }
        WriteCheckedSetupIndexRow(ctx, 0, nullptr);
        WriteCheckedSetupLengthRow(ctx, 0, nullptr);
    });
    return true;
}

bool DecodeGetPortErrorCount(DECODE_CONTEXT& ctx) {
    if (Setup(ctx.bytes).type() != 0xA3) return false;
    SetupTable(ctx, [&] {
        WriteCheckedSetupValueRow(ctx, 0, nullptr);
        WriteSetupIndexRow(ctx, "Port");
        WriteCheckedSetupLengthRow(ctx, 2, nullptr);
    });
    const auto data = InData(ctx, 2);
    if (!data.empty()) RenderLinkErrorCount(ctx, W(data, 0));
    return true;
}

bool DecodeHubRequest(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    const INTERFACE_INFO& itf = ctx.request.interfaceInfo;
    if (ctx.bytes.empty() || ctx.page == nullptr || RequestTypeOf(s.type()) != REQUEST_TYPE_CLASS || !itf.known ||
        itf.interfaceClass != kHubClass) {
        return false;
    }
    const char* name = HubRequestName(s.bytes, NAME_FRIENDLY);
    WriteSectionTitle(ctx, name ? name : "Setup Packet");
    if (const char* description = HubRequestDescription(s.bytes)) WriteSubsectionTitle(ctx, description);
    using Decoder = bool (*)(DECODE_CONTEXT&);
    struct Row {
        uint8_t request;
        Decoder decode;
    };
    static constexpr Row kDecoders[] = {
        {0, DecodeHubGetStatus},      {1, DecodeHubFeatureRequest},    {2, DecodeHubGetBusState},
        {3, DecodeHubFeatureRequest}, {6, DecodeHubDescriptorRequest}, {7, DecodeHubDescriptorRequest},
        {8, DecodeClearTtBuffer},     {9, DecodeResetTt},              {10, DecodeGetTtState},
        {11, DecodeStopTt},           {12, DecodeSetHubDepth},         {13, DecodeGetPortErrorCount},
    };
    for (const Row& row : kDecoders) {
        if (row.request != s.request()) continue;
        const PageMark mark = ctx.page->Mark();
        if (row.decode(ctx)) return true;
        ctx.page->Rollback(mark);
        break;
    }
    SetupTable(ctx, [&] {
        WriteSetupValueRow(ctx, nullptr);
        WriteSetupIndexRow(ctx, nullptr);
        WriteSetupLengthRow(ctx, nullptr);
    });
    return true;
}

} // namespace brx
