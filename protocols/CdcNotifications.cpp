#include "protocols/CdcNotifications.h"

#include <cstdio>

#include "decode/HtmlWriters.h"
#include "decode/RequestNames.h"
#include "decode/SetupRows.h"
#include "protocols/CdcRequests.h"
#include "protocols/ClassRows.h"

namespace brx {
namespace {

constexpr uint8_t kClassComm = 0x02, kClassData = 0x0A;
enum : uint8_t {
    NETWORK_CONNECTION = 0x00, RESPONSE_AVAILABLE = 0x01, AUX_JACK_HOOK_STATE = 0x08, RING_DETECT = 0x09,
    SERIAL_STATE = 0x20, CALL_STATE_CHANGE = 0x28, LINE_STATE_CHANGE = 0x29, CONNECTION_SPEED_CHANGE = 0x2A,
};

uint32_t Dword(std::span<const uint8_t> b, size_t o) {
    return b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (uint32_t(b[o + 3]) << 24);
}

// The data after the header when present with at least n bytes (n >= 1).
std::span<const uint8_t> Data(const DECODE_CONTEXT& ctx, size_t n) {
    const REQUEST_FIELDS& r = ctx.request;
    if (!r.dataPresent || r.data.data() == nullptr || r.data.size() < n || n == 0) return {};
    return r.data;
}

bool ValueRow(DECODE_CONTEXT& ctx, uint16_t value, const char* name, const char* error = "Invalid") {
    return name ? WriteSetupValueRow(ctx, name) : WriteErrorWordRow(ctx, 2, "wValue", 2, value, error);
}

} // namespace

bool RenderUartStateBitmap(DECODE_CONTEXT& ctx, uint16_t v) {
    static constexpr const char* kNames[][2] = {
        {"bRxCarrier", "State of receiver carrier detection mechanism of device"},
        {"bTxCarrier", "State of transmission carrier"},
        {"bBreak", "State of break detection mechanism of the device"},
        {"bRingSignal", "State of ring signal detection of the device"},
        {"bFraming", "A framing error has occurred"},
        {"bParity", "A parity error has occurred"},
        {"bOverRun", "Received data has been discarded due to overrun in the device"}};
    bool ok = WriteSectionTitle(ctx, "UART State Bitmap") && BeginFieldTable(ctx) &&
              WriteWordRow(ctx, 0, "Value", 2, v, nullptr);
    if (ok && ctx.expand) {
        if (ctx.detail)
            ok = (v & 0xFF80) ? WriteErrorBitFieldRow(ctx, "Reserved", 2, 0xFF80, v, "Should be zero")
                              : WriteBitFieldRow(ctx, "Reserved", 2, 0xFF80, v, nullptr);
        for (int bit = 6; ok && bit >= 0; --bit)
            ok = WriteBitFieldRow(ctx, kNames[bit][0], 2, 1u << bit, v, (v >> bit) & 1 ? kNames[bit][1] : nullptr);
    }
    return ok && EndFieldTable(ctx);
}

bool RenderConnectionSpeedChange(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.size() < 8) return false;
    char up[24], down[24];
    std::snprintf(up, sizeof up, "%u bps", Dword(d, 0));
    std::snprintf(down, sizeof down, "%u bps", Dword(d, 4));
    return WriteSectionTitle(ctx, "Connection Speed Change Structure") && BeginFieldTable(ctx) &&
           WriteDwordRow(ctx, 0, "USBitRate", 4, Dword(d, 0), up) &&
           WriteDwordRow(ctx, 4, "DSBitRate", 4, Dword(d, 4), down) && EndFieldTable(ctx);
}

bool RenderCallStateChange(DECODE_CONTEXT& ctx, uint8_t state, std::span<const uint8_t> d) {
    if (d.empty()) return false;
    if (d.size() > 255) d = d.first(255);
    bool ok = WriteSectionTitle(ctx, "Call State Change Information") && BeginFieldTable(ctx);
    auto named = [&](const char* field, const char* name, bool errorWhenUnnamed) {
        if (name || !errorWhenUnnamed) return WriteByteRow(ctx, 0, field, 1, d[0], name ? name : "Reserved");
        return WriteErrorByteRow(ctx, 0, field, 1, d[0], "Reserved");
    };
    if (state == 3) {
        static constexpr const char* k[] = {"Normal", "Busy", "Fast busy"};
        ok = ok && named("Ringback", d[0] == 255 ? "Unknown" : d[0] < 3 ? k[d[0]] : nullptr, true);
    } else if (state == 4) {
        static constexpr const char* k[] = {"Voice", "Answering machine", "Fax machine", "Data modem"};
        ok = ok && named("Connection Type", d[0] == 255 ? "Unknown" : d[0] < 4 ? k[d[0]] : nullptr, true);
    } else if (state == 5) {
        static constexpr const char* k[] = {"Pattern 1 (default)", "Pattern 2", "Pattern 3", "Pattern 4"};
        ok = ok && named("Ringing Pattern", d[0] < 4 ? k[d[0]] : nullptr, false);
        static constexpr const char* kStrings[][2] = {
            {"Time", "Time String Size"}, {"Number", "Number String Size"}, {"Name", "Name String Size"}};
        size_t at = 1;
        for (const auto& str : kStrings) {
            if (!ok || at >= d.size()) break;
            const uint8_t size = d[at];
            if (ctx.detail) ok = WriteByteRow(ctx, uint32_t(at), str[1], 1, size, nullptr);
            ++at;
            const size_t n = size < d.size() - at ? size : d.size() - at;
            if (ok && n != 0) {
                char text[258];
                text[0] = '"';
                FormatPrintableText(d.subspan(at, n), text + 1, sizeof text - 2);
                const size_t len = std::char_traits<char>::length(text);
                text[len] = '"';
                text[len + 1] = '\0';
                ok = WriteBytesRow(ctx, uint32_t(at), str[0], d.subspan(at, n), text);
            }
            at += n;
        }
    } else {
        ok = ok && WriteBytesRow(ctx, 0, "Unknown", d, nullptr);
    }
    return ok && EndFieldTable(ctx);
}

bool RenderCdcNotificationData(DECODE_CONTEXT& ctx, std::span<const uint8_t> d, const char* title) {
    return RenderClassDataBlock(ctx, d, title);
}

bool DecodeCdcDataNotification(DECODE_CONTEXT&) { return false; }

bool DecodeCdcNotification(DECODE_CONTEXT& ctx) {
    if (ctx.bytes.empty() || RequestTypeOf(ctx.bytes[0]) != REQUEST_TYPE_CLASS) return false;
    const uint8_t cls = ctx.request.interfaceInfo.interfaceClass;
    if (cls == kClassComm) return RenderCdcNotification(ctx);
    if (cls == kClassData) return DecodeCdcDataNotification(ctx);
    return false;
}

bool RenderCdcNotification(DECODE_CONTEXT& ctx) {
    SetupFields s;
    if (ctx.page == nullptr || !s.Read(ctx.bytes) || RequestTypeOf(s.type) != REQUEST_TYPE_CLASS ||
        (s.type & 0x1F) != 1 || ctx.request.interfaceInfo.interfaceClass != kClassComm)
        return false;
    bool open = false;
    if (ctx.setupAsSent) {
        const char* name = CdcNotificationName(s.raw, NAME_FRIENDLY);
        const char* title = name ? name : "Notification";
        const char* description = CdcNotificationDescription(s.raw);
        open = WriteSectionTitle(ctx, title) && (description == nullptr || WriteSubsectionTitle(ctx, description)) &&
               BeginFieldTable(ctx) && WriteSetupRequestTypeRow(ctx);
        if (open && ctx.expand) open = WriteSetupRecipientRow(ctx) && WriteSetupTypeRow(ctx) && WriteSetupDirectionRow(ctx);
        open = open && WriteByteRow(ctx, 1, "bNotificationCode", 1, s.request, title);
    }
    auto rows = [&](auto value, auto length) {
        if (open) value() && WriteSetupIndexRow(ctx, "Interface") && length() && EndFieldTable(ctx);
    };
    auto zero = [&] { return WriteCheckedSetupValueRow(ctx, 0, nullptr); };
    auto plain = [&] { return WriteSetupValueRow(ctx, nullptr); };
    auto anyLength = [&] { return WriteSetupLengthRow(ctx, nullptr); };
    auto length = [&](uint16_t n) { return [&ctx, n] { return WriteCheckedSetupLengthRow(ctx, n, nullptr); }; };

    switch (s.request) {
    case NETWORK_CONNECTION:
        rows([&] { return ValueRow(ctx, s.value, s.value == 0 ? "Disconnect" : s.value == 1 ? "Connected" : nullptr); },
             length(0));
        break;
    case RESPONSE_AVAILABLE:
    case RING_DETECT:
        rows(zero, length(0));
        break;
    case AUX_JACK_HOOK_STATE:
        rows([&] { return ValueRow(ctx, s.value, s.value == 0 ? "On-hook" : s.value == 1 ? "Off-hook" : nullptr); },
             length(0));
        break;
    case SERIAL_STATE: {
        rows(zero, length(2));
        const auto d = Data(ctx, 2);
        if (!d.empty()) RenderUartStateBitmap(ctx, uint16_t(d[0] | (d[1] << 8)));
        break;
    }
    case CALL_STATE_CHANGE: {
        static constexpr const char* kStates[] = {nullptr, "Idle", "Dialing", "Ringback", "Connected", "Incoming Call"};
        const uint8_t state = ctx.bytes[2];
        rows([&] {
            const char* name = state < 6 ? kStates[state] : nullptr;
            return (name ? WriteByteRow(ctx, 2, "wValue.Call State Change", 1, state, name)
                         : WriteErrorByteRow(ctx, 2, "wValue.Call State Change", 1, state, "Unknown")) &&
                   WriteByteRow(ctx, 3, "wValue.Call Index", 1, ctx.bytes[3], nullptr);
        }, anyLength);
        RenderCallStateChange(ctx, state, Data(ctx, 1));
        break;
    }
    case LINE_STATE_CHANGE: {
        static constexpr const char* kLine[] = {"Line has become idle", "Line connected to hold position",
                                                "Hook-switch has gone off hook", "Hook-switch has gone on hook"};
        rows([&] { return ValueRow(ctx, s.value, s.value < 4 ? kLine[s.value] : nullptr); }, anyLength);
        RenderCdcNotificationData(ctx, Data(ctx, 1), "Line State");
        break;
    }
    case CONNECTION_SPEED_CHANGE:
        rows(zero, length(8));
        RenderConnectionSpeedChange(ctx, Data(ctx, 8));
        break;
    default:
        rows(plain, anyLength);
        if (s.request >= 0x40 && s.request <= 0x5F) RenderCdcNotificationData(ctx, Data(ctx, 1), "MDLM-Specific Data");
        break;
    }
    return true;
}

} // namespace brx
