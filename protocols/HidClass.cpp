#include "protocols/HidClass.h"

#include <cstdio>
#include <iterator>
#include <span>

#include "decode/HtmlWriters.h"
#include "decode/RequestNames.h"
#include "decode/SetupRows.h"
#include "decode/UsbNames.h"
#include "protocols/HidReportDescriptorPage.h"

namespace brx {
namespace {

constexpr uint8_t kHidDescriptorType = 0x21;
constexpr uint8_t kReportDescriptorType = 0x22;
constexpr uint8_t kPhysicalDescriptorType = 0x23;

// HID descriptor fields.
constexpr uint32_t kLengthOffset = 0;
constexpr uint32_t kTypeOffset = 1;
constexpr uint32_t kBcdHidOffset = 2;
constexpr uint32_t kCountryOffset = 4;
constexpr uint32_t kNumDescriptorsOffset = 5;
constexpr uint32_t kListOffset = 6;
constexpr uint32_t kListEntrySize = 3;

// Setup packet fields.
constexpr size_t kSetupSize = 8;
enum : uint8_t {
    GET_REPORT = 0x01, GET_IDLE = 0x02, GET_PROTOCOL = 0x03,
    SET_REPORT = 0x09, SET_IDLE = 0x0A, SET_PROTOCOL = 0x0B,
    GET_DESCRIPTOR = 0x06, SET_DESCRIPTOR = 0x07,
};
constexpr uint8_t kInterfaceClassHid = 0x03;

uint16_t Word(std::span<const uint8_t> b, size_t at) { return uint16_t(b[at] | (b[at + 1] << 8)); }

// "Infinite", "0.004 sec" ... "1.020 sec" of an idle rate in 4 ms units.
void FormatIdleRate(uint8_t rate, char* out, size_t size) {
    const unsigned ms = rate * 4u;
    if (ms == 0)
        std::snprintf(out, size, "Infinite");
    else if (ms >= 1000)
        std::snprintf(out, size, "1.%03u sec", ms - 1000);
    else
        std::snprintf(out, size, "0.%03u sec", ms);
}

const char* ProtocolName(uint32_t value) {
    return value == 0 ? "Boot Protocol" : value == 1 ? "Report Protocol" : nullptr;
}

bool ClassRequestRows(DECODE_CONTEXT& ctx, std::span<const uint8_t> setup) {
    const uint8_t type = setup[0], request = setup[1];
    switch (request) {
    case GET_REPORT:
    case SET_REPORT: {
        if (type != 0xA1 && type != 0x21) return false;
        const uint8_t reportType = setup[3];
        const char* name = reportType >= 1 && reportType <= 3 ? HidReportTypeName(reportType) : nullptr;
        return WriteSetupValueLowByteRow(ctx, "Report ID") &&
               (name ? WriteSetupValueHighByteRow(ctx, name)
                     : WriteErrorByteRow(ctx, 3, "wValue.HiByte", 1, reportType, "Invalid report type")) &&
               WriteSetupIndexRow(ctx, "Interface") && WriteSetupLengthRow(ctx, "Report Length");
    }
    case GET_IDLE:
        if (type != 0xA1) return false;
        return WriteSetupValueLowByteRow(ctx, "Report ID") && WriteCheckedSetupValueHighByteRow(ctx, 0, nullptr) &&
               WriteSetupIndexRow(ctx, "Interface") && WriteCheckedSetupLengthRow(ctx, 1, nullptr);
    case GET_PROTOCOL:
        if (type != 0xA1) return false;
        return WriteCheckedSetupValueRow(ctx, 0, nullptr) && WriteSetupIndexRow(ctx, "Interface") &&
               WriteCheckedSetupLengthRow(ctx, 1, nullptr);
    case SET_IDLE: {
        if (type != 0x21) return false;
        char rate[16], text[32];
        FormatIdleRate(setup[3], rate, sizeof rate);
        if (setup[3] == 0)
            std::snprintf(text, sizeof text, "%s %s", "Infinite", "Idle Rate");
        else
            std::snprintf(text, sizeof text, "%s %s", "Idle Rate", rate);
        return WriteSetupValueLowByteRow(ctx, "Report ID") && WriteSetupValueHighByteRow(ctx, text) &&
               WriteSetupIndexRow(ctx, "Interface") && WriteCheckedSetupLengthRow(ctx, 0, nullptr);
    }
    case SET_PROTOCOL: {
        if (type != 0x21) return false;
        const uint16_t value = Word(setup, 2);
        const char* name = ProtocolName(value);
        return (name ? WriteSetupValueRow(ctx, name)
                     : WriteErrorWordRow(ctx, 2, "wValue", 2, value, "Invalid protocol value")) &&
               WriteSetupIndexRow(ctx, "Interface") && WriteCheckedSetupLengthRow(ctx, 0, nullptr);
    }
    default:
        return false;
    }
}

const char* ClassDescriptorText(uint8_t type) {
    switch (type) {
    case kHidDescriptorType: return "HID Descriptor";
    case kReportDescriptorType: return "Report Descriptor";
    case kPhysicalDescriptorType: return "Physical Descriptor";
    default: return nullptr;
    }
}

// The data stage of GET/SET_DESCRIPTOR: a HID descriptor in a context of its
// own over the data, or a report descriptor; anything written is taken back
// when the decoder fails.
void DescriptorDataStage(DECODE_CONTEXT& ctx, std::span<const uint8_t> setup) {
    const std::span<const uint8_t> data = ctx.request.data;
    const bool in = (setup[0] & 0x80) != 0;
    if (!ctx.request.dataPresent || data.empty() || ctx.page == nullptr) return;
    if (!((setup[1] == GET_DESCRIPTOR && in) || (setup[1] == SET_DESCRIPTOR && !in))) return;
    const PageMark mark = ctx.page->Mark();
    bool ok = false;
    if (setup[3] == kHidDescriptorType && data.size() > 8) {
        DECODE_CONTEXT nested;
        nested.page = ctx.page;
        nested.headerRow = ctx.headerRow;
        nested.offsetColumn = ctx.offsetColumn;
        nested.sizeColumn = ctx.sizeColumn;
        nested.expand = ctx.expand;
        nested.detail = ctx.detail;
        nested.divisionDepth = ctx.divisionDepth;
        nested.bytes = data;
        nested.anchorBase = data;
        nested.anchorSet = ctx.anchorSet;
        nested.fallbackVersion = ctx.fallbackVersion;
        ok = RenderHidDescriptor(nested);
    } else if (setup[3] == kReportDescriptorType && data.size() > 2) {
        DECODE_CONTEXT nested = ctx;
        nested.bytes = data;
        nested.anchorBase = data;
        ok = RenderHidReportDescriptor(nested, setup[4], HRD_HEADER_ROW);
    }
    if (!ok) ctx.page->Rollback(mark);
}

} // namespace

const char* HidClassDescriptorTypeName(uint32_t type) {
    switch (type) {
    case kHidDescriptorType: return "HID";
    case kReportDescriptorType: return "Report";
    case kPhysicalDescriptorType: return "Physical";
    default: return nullptr;
    }
}

const char* HidCountryName(uint32_t code) {
    static constexpr const char* kNames[] = {
        nullptr, "Arabic", "Belgian", "Canadian-Bilingual", "Canadian-French", "Czech Republic", "Danish",
        "Finnish", "French", "German", "Greek", "Hebrew", "Hungary", "International (ISO)", "Italian",
        "Japan (Katakana)", "Korean", "Latin American", "Netherlands/Dutch", "Norwegian", "Persian (Farsi)",
        "Poland", "Portuguese", "Russia", "Slovakia", "Spanish", "Swedish", "Swiss/French", "Swiss/German",
        "Switzerland", "Taiwan", "Turkish-Q", "UK", "US", "Yugoslavia", "Turkish-F"};
    static_assert(std::size(kNames) == 36);
    return code < std::size(kNames) ? kNames[code] : nullptr;
}

bool RenderHidDescriptor(DECODE_CONTEXT& ctx) {
    const std::span<const uint8_t> d = ctx.bytes;
    if (ctx.page == nullptr || d.size() < kListOffset) return false;
    const uint8_t bLength = d[kLengthOffset];
    if (d[kTypeOffset] != kHidDescriptorType || bLength <= 5) return false;
    const uint8_t count = d[kNumDescriptorsOffset];
    // The list: within bLength, within bNumDescriptors and within the bytes held.
    const size_t held = bLength < d.size() ? bLength : d.size();
    size_t n = (bLength - kListOffset) / kListEntrySize;
    if (count < n) n = count;
    if ((held - kListOffset) / kListEntrySize < n) n = (held - kListOffset) / kListEntrySize;

    const PageMark mark = ctx.page->Mark();
    char anchor[24], title[64], version[8], text[24];
    FormatDescriptorAnchorName(ctx, d.data(), anchor, sizeof anchor);
    FormatDescriptorTitle("HID", nullptr, title, sizeof title);
    bool ok = WriteDescriptorAnchorTitle(ctx, anchor, title) && BeginFieldTable(ctx);
    if (ok && ctx.detail) {
        const char* lengthError = nullptr;
        if (bLength <= 8)
            lengthError = "Incorrect, must be equal to or greater than 9";
        else if (bLength % 3 != 0)
            lengthError = "Incorrect, must be a multiple of 3";
        else if (bLength != kListOffset + kListEntrySize * count)
            lengthError = "Incorrect, must be equal to 9 + (bNumDescriptors - 1) * 3";
        const uint16_t bcd = Word(d, kBcdHidOffset);
        FormatBcdVersion(bcd, version, sizeof version);
        ok = (lengthError ? WriteErrorByteRow(ctx, kLengthOffset, "bLength", 1, bLength, lengthError)
                          : WriteByteRow(ctx, kLengthOffset, "bLength", 1, bLength, nullptr)) &&
             WriteByteRow(ctx, kTypeOffset, "bDescriptorType", 1, d[kTypeOffset], "HID") &&
             (bcd < 0x0100 ? WriteErrorWordRow(ctx, kBcdHidOffset, "bcdHID", 2, bcd,
                                               "Should be equal to or greater than 0100h")
                           : WriteWordRow(ctx, kBcdHidOffset, "bcdHID", 2, bcd, version));
    }
    ok = ok && WriteByteRow(ctx, kCountryOffset, "bCountryCode", 1, d[kCountryOffset], HidCountryName(d[kCountryOffset]));
    ok = ok && (count == 0 ? WriteErrorByteRow(ctx, kNumDescriptorsOffset, "bNumDescriptors", 1, count,
                                               "Must be at least one")
                           : WriteByteRow(ctx, kNumDescriptorsOffset, "bNumDescriptors", 1, count, nullptr));
    for (size_t i = 0; ok && i < n; ++i) {
        const uint32_t at = uint32_t(kListOffset + kListEntrySize * i);
        const uint8_t type = d[at];
        const char* typeName = HidClassDescriptorTypeName(type);
        const uint16_t length = Word(d, at + 1);
        std::snprintf(text, sizeof text, length == 1 ? "%u byte" : "%u bytes", unsigned(length));
        ok = (typeName ? WriteByteRow(ctx, at, "bDescriptorType", 1, type, typeName)
                       : WriteErrorByteRow(ctx, at, "bDescriptorType", 1, type, "Invalid type of class descriptor")) &&
             WriteWordRow(ctx, at + 1, "wDescriptorLength", 2, length, text);
    }
    // Bytes of bLength past the listed class descriptors.
    const size_t end = kListOffset + kListEntrySize * n;
    if (ok && held > end) ok = WriteUndecodedBytesRow(ctx, uint32_t(end), d.subspan(end, held - end));
    ok = EndFieldTable(ctx) && ok;
    if (!ok && !ctx.full()) {
        ctx.page->Rollback(mark);
        return false;
    }
    return true;
}

bool RenderHidIdleRate(DECODE_CONTEXT& ctx, uint8_t rate) {
    char text[16];
    FormatIdleRate(rate, text, sizeof text);
    bool ok = WriteSectionTitle(ctx, "Idle Rate") && BeginFieldTable(ctx) &&
              WriteByteRow(ctx, 0, "Idle Rate", 1, rate, text);
    return EndFieldTable(ctx) && ok;
}

bool RenderHidProtocol(DECODE_CONTEXT& ctx, uint8_t protocol) {
    const char* name = ProtocolName(protocol);
    bool ok = WriteSectionTitle(ctx, "Protocol") && BeginFieldTable(ctx) &&
              (name ? WriteByteRow(ctx, 0, "Protocol", 1, protocol, name)
                    : WriteErrorByteRow(ctx, 0, "Protocol", 1, protocol, "Invalid protocol value"));
    return EndFieldTable(ctx) && ok;
}

bool DecodeHidRequest(DECODE_CONTEXT& ctx, bool setupTable) {
    const std::span<const uint8_t> setup = ctx.bytes;
    if (ctx.page == nullptr || setup.size() < kSetupSize) return false;
    const uint8_t type = RequestTypeOf(setup[0]);
    const bool classRequest = type == REQUEST_TYPE_CLASS && ctx.request.interfaceInfo.interfaceClass == kInterfaceClassHid;
    const bool descriptorRequest = type == REQUEST_TYPE_STANDARD && (setup[1] == GET_DESCRIPTOR || setup[1] == SET_DESCRIPTOR) &&
                                   ClassDescriptorText(setup[3]) != nullptr;
    if (!classRequest && !descriptorRequest) return false;

    if (setupTable) {
        const char* name = classRequest ? HidRequestName(setup.data(), NAME_FRIENDLY)
                                        : StandardRequestName(setup[1], NAME_FRIENDLY);
        const char* description = classRequest ? HidRequestDescription(setup.data())
                                               : ControlRequestDescription(setup.data());
        const PageMark mark = ctx.page->Mark();
        bool ok = WriteSectionTitle(ctx, name ? name : "Setup Packet") &&
                  (!name || !description || WriteSubsectionTitle(ctx, description)) && BeginFieldTable(ctx) &&
                  WriteSetupRequestTypeRow(ctx) &&
                  (!ctx.expand || (WriteSetupRecipientRow(ctx) && WriteSetupTypeRow(ctx) && WriteSetupDirectionRow(ctx))) &&
                  WriteSetupRequestRow(ctx, name);
        bool known = false;
        if (ok && classRequest) {
            const PageMark rows = ctx.page->Mark();
            known = ClassRequestRows(ctx, setup);
            if (!known && !ctx.full()) ctx.page->Rollback(rows);
        } else if (ok && ((setup[0] == 0x81 || setup[0] == 0x01) && (setup[3] & 0x60) == 0x20)) {
            known = true;
            ok = (setup[3] == kPhysicalDescriptorType ? WriteSetupValueLowByteRow(ctx, "Descriptor Set")
                  : setup[2] != 0 ? WriteErrorByteRow(ctx, 2, "wValue.LowByte", 1, setup[2], "Should be zero")
                                  : WriteSetupValueLowByteRow(ctx, nullptr)) &&
                 WriteSetupValueHighByteRow(ctx, ClassDescriptorText(setup[3])) &&
                 WriteSetupIndexRow(ctx, "Interface") && WriteSetupLengthRow(ctx, "Descriptor Length");
        }
        // A request this decoder does not know in detail: the plain rows.
        if (ok && !known && !ctx.full())
            ok = WriteSetupValueRow(ctx, nullptr) && WriteSetupIndexRow(ctx, nullptr) && WriteSetupLengthRow(ctx, nullptr);
        ok = EndFieldTable(ctx) && ok;
        if (!ok && !ctx.full()) ctx.page->Rollback(mark);
    }

    // The data stages, written with or without the setup table.
    const std::span<const uint8_t> data = ctx.request.data;
    const bool inData = ctx.request.dataPresent && !data.empty() && (setup[0] & 0x80) != 0;
    if (classRequest && setup[0] == 0xA1 && inData) {
        if (setup[1] == GET_IDLE) RenderHidIdleRate(ctx, data[0]);
        if (setup[1] == GET_PROTOCOL) RenderHidProtocol(ctx, data[0]);
    }
    if (descriptorRequest && (setup[0] == 0x81 || setup[0] == 0x01) && (setup[3] & 0x60) == 0x20)
        DescriptorDataStage(ctx, setup);
    return true;
}

} // namespace brx
