#include "protocols/ScsiTables.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

#include "decode/HtmlWriters.h"
#include "decode/SetupRows.h"
#include "protocols/ScsiNames.h"
#include "protocols/ScsiOpcodes.h"

namespace brx {

ScsiText& ScsiText::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text_, sizeof text_, format, args);
    va_end(args);
    set_ = n >= 0;
    return *this;
}

ScsiText DecimalText(uint64_t value) {
    ScsiText t;
    if (value >= 10) t.Format("%" PRIu64, value);
    return t;
}

ScsiText ByteCountText(uint64_t value) {
    ScsiText t;
    if (value >= 10) t.Format("%" PRIu64 " bytes", value);
    return t;
}

ScsiText AddressText(uint64_t value, uint32_t bits) {
    const uint64_t ones = bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
    if (value == ones) return {};
    return DecimalText(value);
}

ScsiText BlockCountText(uint64_t value) {
    ScsiText t;
    t.Format("%" PRIu64 " contiguous logical block%s", value, value == 1 ? "" : "s");
    return t;
}

namespace {

const char* OperationName(const DECODE_CONTEXT& ctx, uint32_t code, uint32_t cdb1) {
    return ScsiOpcodeName(code, cdb1, ctx.bulk.deviceKind, ctx.bulk.spcVersion, 1);
}

// Row frame: name cell, the caller's value cell, description cell.
template <class F>
bool ScsiRow(DECODE_CONTEXT& ctx, const char* name, const char* description, F value) {
    if (ctx.page == nullptr) return false;
    const PageMark mark = ctx.page->Mark();
    if (BeginTableRow(ctx) && WriteFieldNameCell(ctx, name) && value() && WriteDescriptionCell(ctx, description) &&
        EndTableRow(ctx)) {
        return true;
    }
    ctx.page->Rollback(mark);
    return false;
}

bool BitsRow(DECODE_CONTEXT& ctx, const char* name, uint32_t value, int count, const char* description) {
    return ScsiRow(ctx, name, description, [&] {
        char digits[16];
        int n = 0;
        for (int bit = count - 1; bit >= 0; --bit) digits[n++] = ((value >> bit) & 1u) ? '1' : '0';
        digits[n] = '\0';
        return ctx.page->AppendF("<td class=\"udval\">%sb</td>\r\n", digits);
    });
}

} // namespace

bool BeginScsiTable(DECODE_CONTEXT& ctx) {
    if (ctx.page == nullptr) return false;
    const PageMark mark = ctx.page->Mark();
    if (ctx.page->Open(PageElement::Table, "<table cellspacing=\"0\">\r\n") &&
        (!ctx.headerRow || ctx.page->Append("<tr valign=\"top\"><th class=\"ud\">Field</th><th class=\"ud\">Value</th>"
                                            "<th class=\"ud\">Description</th></tr>\r\n"))) {
        return true;
    }
    ctx.page->Rollback(mark);
    return false;
}

bool EndScsiTable(DECODE_CONTEXT& ctx) { return EndFieldTable(ctx); }

bool WriteScsiSpacerRow(DECODE_CONTEXT& ctx) { return WriteSpacerRow(ctx); }

bool WriteCdbTitle(DECODE_CONTEXT& ctx) {
    const char* name = OperationName(ctx, ctx.bulk.opCode, ctx.bulk.cdbByte1);
    if (name == nullptr) return WriteSectionTitle(ctx, "CDB");
    ScsiText title;
    title.Format("CDB - %s", name);
    return WriteSectionTitle(ctx, title);
}

bool WriteScsiCommandHeading(DECODE_CONTEXT& ctx) {
    const char* name = OperationName(ctx, ctx.bulk.opCode, ctx.bulk.cdbByte1);
    if (name == nullptr) return ctx.page != nullptr && !ctx.page->full();
    if (!WriteSectionTitle(ctx, name)) return false;
    const char* description =
        ScsiCommandDescription(ctx.bulk.opCode, ctx.bulk.cdbByte1, ctx.bulk.deviceKind, ctx.bulk.spcVersion);
    return description == nullptr || WriteSubsectionTitle(ctx, description);
}

bool WriteModePageTitle(DECODE_CONTEXT& ctx, uint32_t pageCode, uint32_t subpageCode) {
    const char* name = ModePageName(pageCode, subpageCode, ctx.bulk.deviceKind, ctx.bulk.spcVersion);
    ScsiText title;
    if (name != nullptr) {
        title.Format("%s Mode Page", name);
    } else {
        title.Format("%02Xh Mode Page", pageCode & 0xFFu);
    }
    return WriteSectionTitle(ctx, title);
}

bool WriteCdbOperationCodeRow(DECODE_CONTEXT& ctx, uint8_t code) {
    return WriteScsiByteRow(ctx, "Operation Code", code, OperationName(ctx, code, 0));
}

bool WriteCdbControlRow(DECODE_CONTEXT& ctx, uint8_t value) { return WriteScsiByteRow(ctx, "Control", value, nullptr); }

bool WriteScsiByteRow(DECODE_CONTEXT& ctx, const char* name, uint8_t value, const char* description) {
    return ScsiRow(ctx, name, description, [&] { return WriteByteValueCell(ctx, value); });
}

bool WriteScsiNibbleRow(DECODE_CONTEXT& ctx, const char* name, uint8_t value, const char* description) {
    return ScsiRow(ctx, name, description, [&] { return WriteNibbleValueCell(ctx, value & 0x0F); });
}

bool WriteScsiWordRow(DECODE_CONTEXT& ctx, const char* name, uint16_t value, const char* description) {
    return ScsiRow(ctx, name, description, [&] { return WriteWordValueCell(ctx, value); });
}

bool WriteScsiTriByteRow(DECODE_CONTEXT& ctx, const char* name, uint32_t value, const char* description) {
    return ScsiRow(ctx, name, description, [&] { return WriteTriByteValueCell(ctx, value & 0xFFFFFFu); });
}

bool WriteScsiDwordRow(DECODE_CONTEXT& ctx, const char* name, uint32_t value, const char* description) {
    return ScsiRow(ctx, name, description, [&] { return WriteDwordValueCell(ctx, value); });
}

bool WriteScsiQwordRow(DECODE_CONTEXT& ctx, const char* name, uint64_t value, const char* description) {
    return ScsiRow(ctx, name, description, [&] { return WriteQwordValueCell(ctx, value); });
}

bool WriteScsiBytePairRow(DECODE_CONTEXT& ctx, const char* name, uint8_t first, uint8_t second,
                          const char* description) {
    return ScsiRow(ctx, name, description, [&] { return WriteBytePairValueCell(ctx, first, second); });
}

bool WriteScsiErrorByteRow(DECODE_CONTEXT& ctx, const char* name, uint8_t value, const char* description) {
    if (ctx.page == nullptr) return false;
    const PageMark mark = ctx.page->Mark();
    if (BeginTableRow(ctx) && WriteFieldNameCell(ctx, name) && WriteErrorByteValueCell(ctx, value) &&
        WriteErrorDescriptionCell(ctx, description) && EndTableRow(ctx)) {
        return true;
    }
    ctx.page->Rollback(mark);
    return false;
}

bool WriteScsiQuotedRow(DECODE_CONTEXT& ctx, const char* name, std::string_view text, const char* description) {
    return ScsiRow(ctx, name, description, [&] { return WriteQuotedValueCell(ctx, text); });
}

bool WriteScsiHexRow(DECODE_CONTEXT& ctx, const char* name, std::span<const uint8_t> bytes, const char* description) {
    return ScsiRow(ctx, name, description, [&] { return WriteHexDumpCell(ctx, bytes); });
}

bool WriteScsiBits8Row(DECODE_CONTEXT& ctx, const char* name, uint32_t value, const char* description) {
    return BitsRow(ctx, name, value, 8, description);
}
bool WriteScsiBits6Row(DECODE_CONTEXT& ctx, const char* name, uint32_t value, const char* description) {
    return BitsRow(ctx, name, value, 6, description);
}
bool WriteScsiBits3Row(DECODE_CONTEXT& ctx, const char* name, uint32_t value, const char* description) {
    return BitsRow(ctx, name, value, 3, description);
}
bool WriteScsiBits2Row(DECODE_CONTEXT& ctx, const char* name, uint32_t value, const char* description) {
    return BitsRow(ctx, name, value, 2, description);
}
bool WriteScsiBitRow(DECODE_CONTEXT& ctx, const char* name, uint32_t value, const char* description) {
    return BitsRow(ctx, name, value, 1, description);
}

bool WriteScsiBitPairRow(DECODE_CONTEXT& ctx, const char* name, uint32_t first, uint32_t second,
                         const char* description) {
    return ScsiRow(ctx, name, description, [&] {
        return ctx.page->AppendF("<td class=\"udval\">%ub %ub</td>\r\n", first & 1u, second & 1u);
    });
}

} // namespace brx
