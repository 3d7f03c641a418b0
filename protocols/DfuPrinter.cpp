#include "protocols/DfuPrinter.h"

#include <cstdio>
#include <string>

#include "base/Markup.h"
#include "decode/HtmlWriters.h"
#include "decode/RequestNames.h"
#include "decode/SetupRows.h"
#include "decode/UsbNames.h"
#include "protocols/ClassRows.h"

namespace brx {
namespace {

constexpr uint8_t kDfuFunctionalType = 0x21;
constexpr uint8_t kClassDfu = 0xFE, kSubclassDfu = 0x01, kClassPrinter = 0x07;
constexpr size_t kIfcClass = 5, kIfcSize = 9;

enum : uint8_t {
    DFU_DETACH = 0, DFU_DNLOAD = 1, DFU_UPLOAD = 2, DFU_GETSTATUS = 3, DFU_CLRSTATUS = 4, DFU_GETSTATE = 5,
    DFU_ABORT = 6,
};
enum : uint8_t { GET_DEVICE_ID = 0, GET_PORT_STATUS = 1, SOFT_RESET = 2 };

uint16_t Word(std::span<const uint8_t> b, size_t o) { return uint16_t(b[o] | (b[o + 1] << 8)); }

bool StateRow(DECODE_CONTEXT& ctx, uint32_t offset, uint8_t state) {
    const char* name = state <= 10 ? DfuStateName(state, NAME_FRIENDLY) : nullptr;
    return name ? WriteByteRow(ctx, offset, "bState", 1, state, name)
                : WriteErrorByteRow(ctx, offset, "bState", 1, state, "Invalid");
}

} // namespace

bool RenderDfuFunctionalDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = ctx.bytes;
    if (ctx.page == nullptr || d.size() < 7 || d[1] != kDfuFunctionalType || (d[0] != 7 && d[0] != 9) ||
        d.size() < d[0])
        return false;
    const bool v11 = d[0] == 9;
    char anchor[24], title[96], text[24];
    FormatDescriptorAnchorName(ctx, d.data(), anchor, sizeof anchor);
    FormatDescriptorTitle("DFU Functional", nullptr, title, sizeof title);
    bool ok = WriteDescriptorAnchorTitle(ctx, anchor, title) && BeginFieldTable(ctx);
    if (ok && ctx.detail)
        ok = WriteByteRow(ctx, 0, "bLength", 1, d[0], nullptr) &&
             WriteByteRow(ctx, 1, "bDescriptorType", 1, d[1], "DFU Functional");
    const uint8_t a = d[2];
    ok = ok && WriteByteRow(ctx, 2, "bmAttributes", 1, a, nullptr);
    if (ok && ctx.expand) {
        static constexpr const char* kBits[] = {"bitCanDnload", "bitCanUpload", "bitManifestationTolerant",
                                                "bitWillDetach"};
        for (int bit = 0; ok && bit < (v11 ? 4 : 3); ++bit)
            ok = WriteBitFieldRow(ctx, kBits[bit], 1, 1u << bit, a, (a >> bit) & 1 ? "Yes" : "No");
        if (ok && ctx.detail) ok = WriteBitFieldRow(ctx, "Reserved", 1, v11 ? 0xF0 : 0xF8, a, nullptr);
    }
    std::snprintf(text, sizeof text, "%u ms", unsigned(Word(d, 3)));
    ok = ok && WriteWordRow(ctx, 3, "wDetachTimeOut", 2, Word(d, 3), text);
    FormatByteCount(Word(d, 5), text, sizeof text);
    ok = ok && WriteWordRow(ctx, 5, "wTransferSize", 2, Word(d, 5), text);
    if (ok && v11 && ctx.detail) {
        FormatBcdVersion(Word(d, 7), text, sizeof text);
        ok = WriteWordRow(ctx, 7, "bcdDFUVersion", 2, Word(d, 7), text);
    }
    if (ok) EndFieldTable(ctx);
    return true;
}

bool DecodeDfuFunctionalDescriptor(DECODE_CONTEXT& ctx) {
    const auto ifc = ctx.descriptor.interfaceDescriptor;
    const auto d = ctx.bytes;
    if (ifc.size() < kIfcSize || ifc[kIfcClass] != kClassDfu || d.size() < 2 || d[0] <= 6 ||
        d[1] != kDfuFunctionalType)
        return false;
    return RenderDfuFunctionalDescriptor(ctx);
}

bool RenderDfuStatus(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.size() < 6) return false;
    const char* status = d[0] <= 15 ? DfuStatusName(d[0], NAME_FRIENDLY) : nullptr;
    const uint32_t poll = d[1] | (d[2] << 8) | (uint32_t(d[3]) << 16);
    char text[32];
    std::snprintf(text, sizeof text, "Timeout: %u ms", poll);
    return WriteSectionTitle(ctx, "Device Status") && BeginFieldTable(ctx) &&
           (status ? WriteByteRow(ctx, 0, "bStatus", 1, d[0], status)
                   : WriteErrorByteRow(ctx, 0, "bStatus", 1, d[0], "Invalid")) &&
           WriteValueRow(ctx, 1, "bwPollTimeout", d.subspan(1, 3), text) && StateRow(ctx, 4, d[4]) &&
           WriteByteRow(ctx, 5, "iString", 1, d[5], nullptr) && EndFieldTable(ctx);
}

bool RenderDfuState(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (d.empty()) return false;
    return WriteSectionTitle(ctx, "Device State") && BeginFieldTable(ctx) && StateRow(ctx, 0, d[0]) &&
           EndFieldTable(ctx);
}

bool RenderDfuFirmwareData(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    return RenderClassDataBlock(ctx, d, "Firmware", "Firmware Data");
}

bool DecodeDfuRequest(DECODE_CONTEXT& ctx) {
    SetupFields s;
    const INTERFACE_INFO& ifc = ctx.request.interfaceInfo;
    if (ctx.page == nullptr || !s.Read(ctx.bytes) || RequestTypeOf(s.type) != REQUEST_TYPE_CLASS ||
        (s.type & 0x1F) != 1 || ifc.interfaceClass != kClassDfu || ifc.interfaceSubClass != kSubclassDfu)
        return false;
    const bool open = BeginClassRequestTable(ctx, DfuRequestName(s.raw, NAME_FRIENDLY), DfuRequestDescription(s.raw));
    auto rows = [&](auto value, auto length) {
        if (open) value() && WriteSetupIndexRow(ctx, "Interface") && length() && EndFieldTable(ctx);
    };
    auto zero = [&] { return WriteCheckedSetupValueRow(ctx, 0, nullptr); };
    auto plain = [&] { return WriteSetupValueRow(ctx, nullptr); };
    auto anyLength = [&] { return WriteSetupLengthRow(ctx, nullptr); };
    auto length = [&](uint16_t n) { return [&ctx, n] { return WriteCheckedSetupLengthRow(ctx, n, nullptr); }; };
    auto formatted = [&](const char* fmt) {
        return [&ctx, &s, fmt] {
            char text[48];
            std::snprintf(text, sizeof text, fmt, unsigned(s.value));
            return WriteSetupValueRow(ctx, text);
        };
    };
    switch (s.request) {
    case DFU_DETACH:
        rows(formatted("Timeout: %u ms"), length(0));
        break;
    case DFU_DNLOAD:
    case DFU_UPLOAD:
        rows(formatted("Block Number: %u"), anyLength);
        RenderDfuFirmwareData(ctx, ClassRequestData(ctx, s.request == DFU_UPLOAD, 1));
        break;
    case DFU_GETSTATUS:
        rows(zero, length(6));
        RenderDfuStatus(ctx, ClassRequestData(ctx, true, 6));
        break;
    case DFU_GETSTATE:
        rows(zero, length(1));
        RenderDfuState(ctx, ClassRequestData(ctx, true, 1));
        break;
    case DFU_CLRSTATUS:
    case DFU_ABORT:
        rows(zero, length(0));
        break;
    default:
        rows(plain, anyLength);
        break;
    }
    return true;
}

bool RenderPrinterDeviceId(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    if (ctx.page == nullptr || d.size() < 2) return false;
    const size_t stated = size_t(d[0] << 8 | d[1]);
    if (stated < 2) return false;
    size_t end = stated < d.size() ? stated : d.size();
    if (end - 2 > kDeviceIdBytesLimit) end = 2 + kDeviceIdBytesLimit;
    const auto text = d.subspan(2, end - 2);

    // The description: the text escaped piece by piece, a line break after
    // each ";". Characters are counted as the text reads (a break as four).
    std::string markup;
    size_t chars = 0;
    for (uint8_t b : text) {
        if (chars >= kDeviceIdTextLimit) break;
        const char c = (b < 0x20 || b >= 0x80) ? '?' : char(b);
        char scratch[kMarkupScratch];
        const std::string_view m = MarkupForByte(uint8_t(c), scratch);
        if (m.empty())
            markup += c;
        else
            markup += m;
        ++chars;
        if (c == ';') {
            if (chars > kDeviceIdTextLimit - 5) {
                markup += "...";
                break;
            }
            markup += "<br>";
            chars += 4;
        }
    }

    char length[24];
    std::snprintf(length, sizeof length, "%u bytes", unsigned(stated));
    bool ok = WriteSectionTitle(ctx, "1284 Device ID String") && BeginFieldTable(ctx) &&
              WriteBytesRow(ctx, 0, "Length", d.first(2), length);
    if (ok && !text.empty()) {
        ok = BeginTableRow(ctx) && WriteOffsetCell(ctx, 2) && WriteFieldNameCell(ctx, "String") &&
             WriteSizeCell(ctx, uint32_t(text.size())) && WriteHexDumpCell(ctx, text) &&
             ctx.page->Append("<td class=\"uddes\">") && ctx.page->Append(markup) && ctx.page->Append("</td>\r\n") &&
             EndTableRow(ctx);
    }
    if (ok) EndFieldTable(ctx);
    return true;
}

bool RenderPrinterPortStatus(DECODE_CONTEXT& ctx, uint8_t v) {
    bool ok = WriteSectionTitle(ctx, "Printer Port Status") && BeginFieldTable(ctx) &&
              WriteByteRow(ctx, 0, "Status", 1, v, nullptr);
    if (ok && ctx.expand) {
        auto reserved = [&](uint32_t mask) {
            if (!ctx.detail) return true;
            return (v & mask) ? WriteErrorBitFieldRow(ctx, "Reserved", 1, mask, v, "Should be zero")
                              : WriteBitFieldRow(ctx, "Reserved", 1, mask, v, nullptr);
        };
        ok = reserved(0x07) && WriteBitFieldRow(ctx, "Not Error", 1, 0x08, v, (v & 0x08) ? "No Error" : "Error") &&
             WriteBitFieldRow(ctx, "Select", 1, 0x10, v, (v & 0x10) ? "Selected" : "Not Selected") &&
             WriteBitFieldRow(ctx, "Paper Empty", 1, 0x20, v, (v & 0x20) ? "Paper Empty" : "Paper Not Empty") &&
             reserved(0xC0);
    }
    return ok && EndFieldTable(ctx);
}

bool DecodePrinterRequest(DECODE_CONTEXT& ctx) {
    SetupFields s;
    if (ctx.page == nullptr || !s.Read(ctx.bytes) || RequestTypeOf(s.type) != REQUEST_TYPE_CLASS ||
        ctx.request.interfaceInfo.interfaceClass != kClassPrinter)
        return false;
    const bool open =
        BeginClassRequestTable(ctx, PrinterRequestName(s.raw, NAME_FRIENDLY), PrinterRequestDescription(s.raw));
    auto close = [&](bool ok) { return ok && EndFieldTable(ctx); };
    switch (s.request) {
    case GET_DEVICE_ID: {
        if (open)
            close(WriteSetupValueRow(ctx, "Config Index") && WriteSetupIndexLowByteRow(ctx, "Alt Setting") &&
                  WriteSetupIndexHighByteRow(ctx, "Interface") && WriteSetupLengthRow(ctx, "Maximum Length"));
        RenderPrinterDeviceId(ctx, ClassRequestData(ctx, true, 2));
        break;
    }
    case GET_PORT_STATUS: {
        if (open)
            close(WriteCheckedSetupValueRow(ctx, 0, nullptr) && WriteSetupIndexRow(ctx, "Interface") &&
                  WriteCheckedSetupLengthRow(ctx, 1, nullptr));
        const auto d = ClassRequestData(ctx, true, 1);
        if (!d.empty()) RenderPrinterPortStatus(ctx, d[0]);
        break;
    }
    case SOFT_RESET:
        if (open)
            close(WriteCheckedSetupValueRow(ctx, 0, nullptr) && WriteSetupIndexRow(ctx, "Interface") &&
                  WriteCheckedSetupLengthRow(ctx, 0, nullptr));
        break;
    default:
        if (open)
            close(WriteSetupValueRow(ctx, nullptr) && WriteSetupIndexRow(ctx, nullptr) &&
                  WriteSetupLengthRow(ctx, nullptr));
        break;
    }
    return true;
}

} // namespace brx
