#include "protocols/CdcRequests.h"

#include <cstdio>
#include <iterator>

#include "decode/HtmlWriters.h"
#include "decode/RequestNames.h"
#include "decode/SetupRows.h"
#include "decode/UsbNames.h"
#include "protocols/CdcDescriptors.h"
#include "protocols/ClassRows.h"

namespace brx {
namespace {

constexpr uint8_t kClassComm = 0x02;
constexpr uint32_t kMaxDataRow = 255;

enum : uint8_t {
    SEND_ENCAPSULATED_COMMAND = 0x00, GET_ENCAPSULATED_RESPONSE = 0x01,
    SET_COMM_FEATURE = 0x02, GET_COMM_FEATURE = 0x03, CLEAR_COMM_FEATURE = 0x04,
    SET_AUX_LINE_STATE = 0x10, SET_HOOK_STATE = 0x11, PULSE_SETUP = 0x12, SEND_PULSE = 0x13,
    SET_PULSE_TIME = 0x14, RING_AUX_JACK = 0x15,
    SET_LINE_CODING = 0x20, GET_LINE_CODING = 0x21, SET_CONTROL_LINE_STATE = 0x22, SEND_BREAK = 0x23,
    SET_RINGER_PARMS = 0x30, GET_RINGER_PARMS = 0x31, SET_OPERATION_PARMS = 0x32, GET_OPERATION_PARMS = 0x33,
    SET_LINE_PARMS = 0x34, GET_LINE_PARMS = 0x35, DIAL_DIGITS = 0x36,
    SET_UNIT_PARAMETER = 0x37, GET_UNIT_PARAMETER = 0x38, CLEAR_UNIT_PARAMETER = 0x39, GET_PROFILE = 0x3A,
    SET_ETHERNET_MULTICAST_FILTERS = 0x40, SET_ETHERNET_PM_PATTERN_FILTER = 0x41,
    GET_ETHERNET_PM_PATTERN_FILTER = 0x42, SET_ETHERNET_PACKET_FILTER = 0x43, GET_ETHERNET_STATISTIC = 0x44,
    SET_ATM_DATA_FORMAT = 0x50, GET_ATM_DEVICE_STATISTICS = 0x51, SET_ATM_DEFAULT_VC = 0x52,
    GET_ATM_VC_STATISTICS = 0x53,
};

constexpr const char* kAtmDeviceStatistics[] = {"Reserved", "US Cells Sent", "DS Cells Received",
                                                "DS Cells USB Congestion", "DS Cells AAL5 CRC Error",
                                                "DS Cells HEC Error", "DS Cells HEC Error Corrected"};
constexpr const char* kAtmVcStatistics[] = {"Reserved", "VC US Cells Sent", "VC DS Cells Received"};

uint16_t Word(std::span<const uint8_t> b, size_t o) { return uint16_t(b[o] | (b[o + 1] << 8)); }
uint32_t Dword(std::span<const uint8_t> b, size_t o) {
    return b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (uint32_t(b[o + 3]) << 24);
}

template <size_t N>
const char* Pick(const char* const (&names)[N], uint32_t v) {
    return v < N ? names[v] : nullptr;
}

// wValue described by a name, or the error row when there is none.
bool NamedValueRow(DECODE_CONTEXT& ctx, const SetupFields& s, const char* name, const char* error = "Invalid") {
    return name ? WriteSetupValueRow(ctx, name) : WriteErrorWordRow(ctx, 2, "wValue", 2, s.value, error);
}

bool StatisticSelectorRow(DECODE_CONTEXT& ctx, const SetupFields& s, const char* name) {
    return NamedValueRow(ctx, s, name, "Unknown");
}

bool Title(DECODE_CONTEXT& ctx, const char* title) { return WriteSectionTitle(ctx, title) && BeginFieldTable(ctx); }

bool StatisticTable(DECODE_CONTEXT& ctx, const char* name, std::span<const uint8_t> data) {
    if (data.size() < 4) return false;
    if (name == nullptr) name = "Unknown";
    char text[16];
    std::snprintf(text, sizeof text, "%u", Dword(data, 0));
    return Title(ctx, name) && WriteDwordRow(ctx, 0, name, 4, Dword(data, 0), text) && EndFieldTable(ctx);
}

bool HexRowTable(DECODE_CONTEXT& ctx, const char* title, std::span<const uint8_t> data) {
    if (data.empty()) return false;
    if (data.size() > kMaxDataRow) data = data.first(kMaxDataRow);
    return Title(ctx, title) && WriteBytesRow(ctx, 0, title, data, nullptr) && EndFieldTable(ctx);
}

bool WriteControlLineRows(DECODE_CONTEXT& ctx, uint16_t v) {
    static constexpr BIT_ROW kBits[] = {{"Carrier Control", 0x02, "Activate", "Deactivate"},
                                       {"DTE", 0x01, "Present", "Not Present"}};
    return WriteBitRows(ctx, 2, v, 0xFFFC, "Should be zero", kBits);
}

bool WritePacketFilterRows(DECODE_CONTEXT& ctx, uint16_t v) {
    static constexpr BIT_ROW kBits[] = {{"Multicast", 0x10, nullptr, nullptr},
                                       {"Broadcast", 0x08, nullptr, nullptr},
                                       {"Directed", 0x04, nullptr, nullptr},
                                       {"All Multicast", 0x02, nullptr, nullptr},
                                       {"Promiscuous", 0x01, nullptr, nullptr}};
    return WriteBitRows(ctx, 2, v, 0xFFE0, "Should be zero", kBits);
}

const char* CallStateName(uint32_t s) {
    static constexpr const char* kNames[] = {"Call is idle", "Typical dial tone", "Interrupted dial tone", "Dialing",
                                            "Ringback", "Connected", "Incoming call"};
    return Pick(kNames, s);
}

} // namespace

const char* CdcEthernetStatisticSelectorName(uint32_t selector) {
    if (selector == 0) return "Reserved";
    return selector <= 29 ? CdcEthernetStatisticName(selector - 1) : nullptr;
}
const char* CdcAtmDeviceStatisticName(uint32_t selector) { return Pick(kAtmDeviceStatistics, selector); }
const char* CdcAtmVcStatisticName(uint32_t selector) { return Pick(kAtmVcStatistics, selector); }

void FormatPrintableText(std::span<const uint8_t> bytes, char* out, size_t size) {
    if (size == 0) return;
    size_t k = 0;
    for (uint8_t b : bytes) {
        if (k + 1 >= size) break;
        out[k++] = (b >= 0x20 && b <= 0x7E) ? char(b) : '?';
    }
    out[k] = '\0';
}

bool WriteRingerBitRows(DECODE_CONTEXT& ctx, uint32_t v) {
    if (!ctx.expand) return true;
    char pattern[16], volume[16];
    std::snprintf(pattern, sizeof pattern, "%u", v & 0xFF);
    const uint32_t vol = (v >> 8) & 0xFF;
    std::snprintf(volume, sizeof volume, "%u", vol);
    static constexpr BIT_ROW kExistence[] = {{"Existence", 0x80000000u, "Ringer exists", "Ringer does not exist"}};
    return WriteBitFieldRow(ctx, "Pattern Type", 4, 0xFF, v, pattern) &&
           WriteBitFieldRow(ctx, "Volume Setting", 4, 0xFF00, v, vol == 0 ? "Off" : vol == 255 ? "Maximum" : volume) &&
           WriteBitRows(ctx, 4, v, 0x7FFF0000u, "Should be zero", kExistence);
}

bool RenderLineCoding(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.size() < 7) return false;
    static constexpr const char* kStop[] = {"1 Stop bit", "1.5 Stop bits", "2 Stop bits"};
    static constexpr const char* kParity[] = {"None", "Odd", "Even", "Mark", "Space"};
    char rate[16];
    std::snprintf(rate, sizeof rate, "%u", Dword(d, 0));
    const char* stop = Pick(kStop, d[4]);
    const char* parity = Pick(kParity, d[5]);
    const bool bitsOk = (d[6] >= 5 && d[6] <= 8) || d[6] == 16;
    return Title(ctx, "Line Coding Structure") && WriteDwordRow(ctx, 0, "dwDTERate", 4, Dword(d, 0), rate) &&
           (stop ? WriteByteRow(ctx, 4, "bCharFormat", 1, d[4], stop)
                 : WriteErrorByteRow(ctx, 4, "bCharFormat", 1, d[4], "Invalid")) &&
           (parity ? WriteByteRow(ctx, 5, "bParityType", 1, d[5], parity)
                   : WriteErrorByteRow(ctx, 5, "bParityType", 1, d[5], "Invalid")) &&
           (bitsOk ? WriteByteRow(ctx, 6, "bDataBits", 1, d[6], nullptr)
                   : WriteErrorByteRow(ctx, 6, "bDataBits", 1, d[6], "Invalid")) &&
           EndFieldTable(ctx);
}

bool RenderAbstractState(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.size() < 2) return false;
    static constexpr BIT_ROW kBits[] = {
        {"Multiplexing", 0x02, "Multiplexing of call management commands on a Data Class",
         "No multiplexing of call management commands on a Data Class"},
        {"Idle Setting", 0x01, "All endpoints in the interface will not accept/offer data",
         "Endpoints in the interface will continue to accept/offer data"}};
    const uint16_t v = Word(d, 0);
    return Title(ctx, "Abstract State") && WriteWordRow(ctx, 0, "State", 2, v, nullptr) &&
           WriteBitRows(ctx, 2, v, 0xFFFC, "Should be zero", kBits) && EndFieldTable(ctx);
}

bool RenderCountrySetting(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.size() < 2) return false;
    return Title(ctx, "Country Setting") &&
           WriteWordRow(ctx, 0, "Country Code", 2, Word(d, 0), CountryName(Word(d, 0))) && EndFieldTable(ctx);
}

bool RenderRingerConfiguration(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.size() < 4) return false;
    return Title(ctx, "Ringer Configuration Bitmap") && WriteDwordRow(ctx, 0, "Value", 4, Dword(d, 0), nullptr) &&
           WriteRingerBitRows(ctx, Dword(d, 0)) && EndFieldTable(ctx);
}

bool RenderOperationMode(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.size() < 2) return false;
    static constexpr const char* kModes[] = {"Simple Mode", "Standalone Mode", "Host Centric Mode"};
    const char* mode = Pick(kModes, Word(d, 0));
    return Title(ctx, "Operation Mode") &&
           (mode ? WriteWordRow(ctx, 0, "Operation Mode", 2, Word(d, 0), mode)
                 : WriteErrorWordRow(ctx, 0, "Operation Mode", 2, Word(d, 0), "Invalid")) &&
           EndFieldTable(ctx);
}

bool RenderCallIndex(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.empty()) return false;
    return Title(ctx, "Call Index") && WriteByteRow(ctx, 0, "Call Index", 1, d[0], nullptr) && EndFieldTable(ctx);
}

bool RenderLineStatus(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.size() < 10 || Word(d, 0) < 10) return false;
    const size_t used = Word(d, 0) < d.size() ? Word(d, 0) : d.size();
    const uint32_t ringer = Dword(d, 2), line = Dword(d, 6);
    bool ok = Title(ctx, "Line Status Information Structure");
    if (ok && ctx.detail) ok = WriteWordRow(ctx, 0, "wLength", 2, Word(d, 0), nullptr);
    ok = ok && WriteDwordRow(ctx, 2, "dwRingerBitmap", 4, ringer, nullptr) && WriteRingerBitRows(ctx, ringer) &&
         WriteDwordRow(ctx, 6, "dwLineState", 4, line, nullptr);
    if (ok && ctx.expand) {
        char index[16];
        std::snprintf(index, sizeof index, "%u", line & 0xFF);
        static constexpr BIT_ROW kActivity[] = {
            {"Activity", 0x80000000u, "Line is active (i.e. not idle)", "No activity on line"}};
        ok = WriteBitFieldRow(ctx, "Call Index", 4, 0xFF, line, (line & 0xFF) == 0xFF ? "No call exists on line" : index) &&
             WriteBitRows(ctx, 4, line, 0x7FFFFF00u, "Should be zero", kActivity);
    }
    char name[24];
    for (size_t i = 0; ok && 10 + 4 * i + 4 <= used; ++i) {
        const size_t o = 10 + 4 * i;
        const uint32_t v = Dword(d, o);
        std::snprintf(name, sizeof name, "dwCallState%u", unsigned(i));
        ok = WriteDwordRow(ctx, uint32_t(o), name, 4, v, nullptr);
        if (!ok || !ctx.expand) continue;
        const uint32_t state = v & 0xFF, detail = (v >> 8) & 0xFF;
        const char* stateName = CallStateName(state);
        ok = stateName ? WriteBitFieldRow(ctx, "Call State", 4, 0xFF, v, stateName)
                       : WriteErrorBitFieldRow(ctx, "Call State", 4, 0xFF, v, "Invalid");
        const char* field = "Call State Change";
        const char* text = nullptr;
        bool known = true;
        if (state == 4) {
            static constexpr const char* k[] = {"Normal", "Busy", "Fast busy"};
            field = "Ringback Type";
            text = detail == 255 ? "Unknown" : Pick(k, detail);
            known = text != nullptr;
        } else if (state == 5) {
            static constexpr const char* k[] = {"Voice", "Answering machine", "Fax machine", "Data modem"};
            field = "Connection Type";
            text = detail == 255 ? "Unknown" : Pick(k, detail);
            known = text != nullptr;
        } else if (state == 6) {
            static constexpr const char* k[] = {"Pattern 1 (default)", "Pattern 2", "Pattern 3", "Pattern 4"};
            field = "Ringing Pattern";
            text = Pick(k, detail);
            known = text != nullptr;
        }
        static constexpr BIT_ROW kActive[] = {
            {"Activity", 0x80000000u, "Call is active (i.e., not idle)", "No active call"}};
        ok = ok &&
             (known ? WriteBitFieldRow(ctx, field, 4, 0xFF00, v, text)
                    : WriteErrorBitFieldRow(ctx, field, 4, 0xFF00, v, "Reserved")) &&
             WriteBitRows(ctx, 4, v, 0x7FFF0000u, "Should be zero", kActive);
    }
    return ok && EndFieldTable(ctx);
}

bool RenderDialingString(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.empty()) return false;
    if (d.size() > kMaxDataRow) d = d.first(kMaxDataRow);
    char text[kMaxDataRow + 1];
    FormatPrintableText(d, text, sizeof text);
    return Title(ctx, "Dialing String") && WriteBytesRow(ctx, 0, "Dialing String", d, text) && EndFieldTable(ctx);
}

bool RenderUnitParameter(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) { return HexRowTable(ctx, "Unit Parameter", d); }
bool RenderProfileInformation(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    return HexRowTable(ctx, "Profile Information", d);
}

bool RenderMulticastAddressList(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.size() < 6) return false;
    const size_t count = d.size() / 6;
    const size_t shown = count < kMaxMulticastRows ? count : kMaxMulticastRows;
    bool ok = Title(ctx, "Multicast Address List");
    char text[24];
    for (size_t i = 0; ok && i < shown; ++i) {
        const auto a = d.subspan(6 * i, 6);
        // In the order captured: addresses travel in network byte order.
        std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
        ok = WriteBytesRow(ctx, uint32_t(6 * i), "Multicast Address", a, text);
    }
    if (ok && shown < count) {
        std::snprintf(text, sizeof text, "%u more", unsigned(count - shown));
        ok = WriteBytesRow(ctx, uint32_t(6 * shown), "More", {}, text);
    }
    return ok && EndFieldTable(ctx);
}

bool RenderPatternFilter(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.size() <= 2) return false;
    const size_t mask = Word(d, 0);
    bool ok = Title(ctx, "Power Management Pattern Filter Structure") &&
              WriteWordRow(ctx, 0, "Mask Size", 2, uint16_t(mask), nullptr);
    if (ok && d.size() >= mask + 2) {
        auto m = d.subspan(2, mask);
        if (!m.empty()) ok = WriteBytesRow(ctx, 2, "Mask", m.size() > kMaxDataRow ? m.first(kMaxDataRow) : m, nullptr);
        auto p = d.subspan(2 + mask);
        if (ok && !p.empty())
            ok = WriteBytesRow(ctx, uint32_t(2 + mask), "Pattern", p.size() > kMaxDataRow ? p.first(kMaxDataRow) : p,
                               nullptr);
    }
    return ok && EndFieldTable(ctx);
}

bool RenderFilterStatus(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.size() < 2) return false;
    const uint16_t v = Word(d, 0);
    return Title(ctx, "Filter Status") &&
           (v <= 1 ? WriteWordRow(ctx, 0, "Pattern Active", 2, v, v ? "Yes" : "No")
                   : WriteErrorWordRow(ctx, 0, "Pattern Active", 2, v, "Invalid")) &&
           EndFieldTable(ctx);
}

bool RenderEthernetStatistic(DECODE_CONTEXT& ctx, uint16_t selector, std::span<const uint8_t> d) {
    return StatisticTable(ctx, CdcEthernetStatisticSelectorName(selector), d);
}
bool RenderAtmDeviceStatistic(DECODE_CONTEXT& ctx, uint16_t selector, std::span<const uint8_t> d) {
    return StatisticTable(ctx, CdcAtmDeviceStatisticName(selector), d);
}
bool RenderAtmVcStatistic(DECODE_CONTEXT& ctx, uint16_t selector, std::span<const uint8_t> d) {
    return StatisticTable(ctx, CdcAtmVcStatisticName(selector), d);
}

bool RenderVpiVciValue(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.size() < 3) return false;
    return Title(ctx, "VPI/VCI Value") && WriteByteRow(ctx, 0, "VPI", 1, d[0], nullptr) &&
           WriteWordRow(ctx, 1, "VCI", 2, Word(d, 1), nullptr) && EndFieldTable(ctx);
}

bool RenderCdcDataBlock(DECODE_CONTEXT& ctx, std::span<const uint8_t> d, const char* title) {
    return RenderClassDataBlock(ctx, d, title);
}

bool DecodeCdcDataRequest(DECODE_CONTEXT&) { return false; }

bool DecodeCdcRequest(DECODE_CONTEXT& ctx) {
    SetupFields s;
    const INTERFACE_INFO& ifc = ctx.request.interfaceInfo;
    if (ctx.page == nullptr || !s.Read(ctx.bytes) || RequestTypeOf(s.type) != REQUEST_TYPE_CLASS ||
        (s.type & 0x1F) != 1 || ifc.interfaceClass != kClassComm)
        return false;
    const bool open = BeginClassRequestTable(ctx, CdcRequestName(s.raw, NAME_FRIENDLY), CdcRequestDescription(s.raw));
    // The rows after bRequest: wValue (by the request), wIndex, wLength, close.
    auto rows = [&](auto value, auto length) {
        if (!open) return;
        value() && WriteSetupIndexRow(ctx, "Interface") && length() && EndFieldTable(ctx);
    };
    auto plain = [&] { return WriteSetupValueRow(ctx, nullptr); };
    auto zero = [&] { return WriteCheckedSetupValueRow(ctx, 0, nullptr); };
    auto length = [&](uint16_t n) { return [&ctx, n] { return WriteCheckedSetupLengthRow(ctx, n, nullptr); }; };
    auto anyLength = [&] { return WriteSetupLengthRow(ctx, nullptr); };
    auto named = [&](const char* name, const char* error = "Invalid") {
        return [&ctx, &s, name, error] { return NamedValueRow(ctx, s, name, error); };
    };
    auto formatted = [&](const char* fmt, uint32_t v) {
        char text[64];
        std::snprintf(text, sizeof text, fmt, v);
        return WriteSetupValueRow(ctx, text);
    };
    const bool in = (s.type & 0x80) != 0;

    switch (s.request) {
    case SEND_ENCAPSULATED_COMMAND:
    case GET_ENCAPSULATED_RESPONSE: {
        rows(zero, anyLength);
        const bool dataIn = s.request == GET_ENCAPSULATED_RESPONSE;
        RenderCdcDataBlock(ctx, ClassRequestData(ctx, dataIn, 1), "Protocol-based command");
        break;
    }
    case SET_COMM_FEATURE:
    case GET_COMM_FEATURE:
    case CLEAR_COMM_FEATURE: {
        const char* selector = CdcFeatureSelectorName(s.value, NAME_FRIENDLY);
        rows([&] {
            char text[96];
            std::snprintf(text, sizeof text, "%s: %s", "Feature", selector ? selector : "Unknown");
            return WriteSetupValueRow(ctx, text);
        }, length(s.request == CLEAR_COMM_FEATURE ? 0 : 2));
        if (s.request != CLEAR_COMM_FEATURE) {
            const auto d = ClassRequestData(ctx, s.request == GET_COMM_FEATURE, 2);
            if (!d.empty() && s.value == 1) RenderAbstractState(ctx, d);
            if (!d.empty() && s.value == 2) RenderCountrySetting(ctx, d);
        }
        break;
    }
    case SET_AUX_LINE_STATE:
        rows(named(s.value == 0 ? "Disconnect" : s.value == 1 ? "Connect" : nullptr), length(0));
        break;
    case SET_HOOK_STATE:
        rows(named(s.value == 0 ? "On-hook" : s.value == 1 ? "Off-hook" : s.value == 2 ? "Snooping" : nullptr), length(0));
        break;
    case PULSE_SETUP:
        rows(named(s.value == 0xFFFF ? "Disengage" : "Prepare"), length(0));
        break;
    case SEND_PULSE:
        rows([&] { return formatted("%u cycles", s.value); }, length(0));
        break;
    case SET_PULSE_TIME:
        rows([&] {
            char make[32], brk[32];
            std::snprintf(make, sizeof make, "%u ms make time", unsigned(s.value & 0xFF));
            std::snprintf(brk, sizeof brk, "%u ms break time", unsigned(s.value >> 8));
            return WriteSetupValueLowByteRow(ctx, make) && WriteSetupValueHighByteRow(ctx, brk);
        }, length(0));
        break;
    case RING_AUX_JACK:
        rows([&] { return formatted("%u ring signals", s.value); }, length(0));
        break;
    case SET_LINE_CODING:
    case GET_LINE_CODING:
        rows(zero, length(7));
        RenderLineCoding(ctx, ClassRequestData(ctx, s.request == GET_LINE_CODING, 7));
        break;
    case SET_CONTROL_LINE_STATE:
        rows([&] { return plain() && WriteControlLineRows(ctx, s.value); }, length(0));
        break;
    case SEND_BREAK:
        rows([&] {
            return s.value == 0xFFFF ? WriteSetupValueRow(ctx, "No breaks until another Send Break with 0")
                                     : formatted("%u ms break duration", s.value);
        }, length(0));
        break;
    case SET_RINGER_PARMS:
    case GET_RINGER_PARMS:
        rows(zero, length(4));
        RenderRingerConfiguration(ctx, ClassRequestData(ctx, s.request == GET_RINGER_PARMS, 4));
        break;
    case SET_OPERATION_PARMS: {
        static constexpr const char* kModes[] = {"Simple Mode", "Standalone Mode", "Host Centric Mode"};
        rows(named(Pick(kModes, s.value)), length(0));
        break;
    }
    case GET_OPERATION_PARMS:
        rows(zero, length(2));
        RenderOperationMode(ctx, ClassRequestData(ctx, true, 2));
        break;
    case SET_LINE_PARMS: {
        static constexpr const char* kActions[] = {"Drop the active call", "Start a new call", "Apply ringing",
                                                   "Remove ringing", "Switch to a specific call"};
        rows(named(Pick(kActions, s.value)), length(s.value == 4 ? 1 : 0));
        if (s.value == 4) RenderCallIndex(ctx, ClassRequestData(ctx, false, 1));
        break;
    }
    case GET_LINE_PARMS:
        rows(zero, anyLength);
        RenderLineStatus(ctx, ClassRequestData(ctx, true, 10));
        break;
    case DIAL_DIGITS:
        rows(zero, anyLength);
        RenderDialingString(ctx, ClassRequestData(ctx, false, 1));
        break;
    case SET_UNIT_PARAMETER:
    case GET_UNIT_PARAMETER:
    case CLEAR_UNIT_PARAMETER:
        rows([&] {
            return WriteByteRow(ctx, 2, "wValue.bEntityId", 1, ctx.bytes[2], nullptr) &&
                   WriteByteRow(ctx, 3, "wValue.bParameterIndex", 1, ctx.bytes[3], nullptr);
        }, [&] { return s.request == CLEAR_UNIT_PARAMETER ? WriteCheckedSetupLengthRow(ctx, 0, nullptr) : anyLength(); });
        if (s.request != CLEAR_UNIT_PARAMETER)
            RenderUnitParameter(ctx, ClassRequestData(ctx, s.request == GET_UNIT_PARAMETER, 1));
        break;
    case GET_PROFILE:
        rows(zero, length(64));
        RenderProfileInformation(ctx, ClassRequestData(ctx, true, 1));
        break;
    case SET_ETHERNET_MULTICAST_FILTERS: {
        const uint32_t expected = uint32_t(s.value) * 6; // up to 393210: compared unclipped
        rows([&] { return WriteSetupValueRow(ctx, "Number of Filters"); }, [&] {
            if (s.length == expected) return WriteSetupLengthRow(ctx, nullptr);
            char text[32];
            std::snprintf(text, sizeof text, expected == 0 ? "Should be zero" : "Should be %u", expected);
            return WriteErrorWordRow(ctx, 6, "wLength", 2, s.length, text);
        });
        RenderMulticastAddressList(ctx, ClassRequestData(ctx, false, 6));
        break;
    }
    case SET_ETHERNET_PM_PATTERN_FILTER:
        rows([&] { return WriteSetupValueRow(ctx, "Filter number"); },
             [&] { return WriteSetupLengthRow(ctx, s.length == 0 ? "Clear previous setting" : nullptr); });
        RenderPatternFilter(ctx, ClassRequestData(ctx, false, 3));
        break;
    case GET_ETHERNET_PM_PATTERN_FILTER:
        rows([&] { return WriteSetupValueRow(ctx, "Filter number"); }, length(2));
        RenderFilterStatus(ctx, ClassRequestData(ctx, true, 2));
        break;
    case SET_ETHERNET_PACKET_FILTER:
        rows([&] { return WriteSetupValueRow(ctx, "Packet Filter Bitmap") && WritePacketFilterRows(ctx, s.value); },
             length(0));
        break;
    case GET_ETHERNET_STATISTIC:
        rows([&] { return StatisticSelectorRow(ctx, s, CdcEthernetStatisticSelectorName(s.value)); }, length(4));
        RenderEthernetStatistic(ctx, s.value, ClassRequestData(ctx, true, 4));
        break;
    case SET_ATM_DATA_FORMAT: {
        static constexpr const char* kFormats[] = {nullptr, "Concatenated ATM cells",
                                                   "ATM header template + concatenated ATM cell payloads", "AAL 5 SDU"};
        rows(named(Pick(kFormats, s.value), "Unknown Format Type"), length(0));
        break;
    }
    case GET_ATM_DEVICE_STATISTICS:
        rows([&] { return StatisticSelectorRow(ctx, s, CdcAtmDeviceStatisticName(s.value)); }, length(4));
        RenderAtmDeviceStatistic(ctx, s.value, ClassRequestData(ctx, true, 4));
        break;
    case SET_ATM_DEFAULT_VC:
        rows(zero, length(3));
        RenderVpiVciValue(ctx, ClassRequestData(ctx, false, 3));
        break;
    case GET_ATM_VC_STATISTICS:
        rows([&] { return StatisticSelectorRow(ctx, s, CdcAtmVcStatisticName(s.value)); }, length(4));
        RenderAtmVcStatistic(ctx, s.value, ClassRequestData(ctx, true, 4));
        break;
    default:
        rows(plain, anyLength);
        if (s.request >= 0x60 && s.request <= 0x7F && (s.type == 0x21 || s.type == 0xA1))
            RenderCdcDataBlock(ctx, ClassRequestData(ctx, in, 1), "MDLM-Specific Data");
        break;
    }
    return true;
}

} // namespace brx
