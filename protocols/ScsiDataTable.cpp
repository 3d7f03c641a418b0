#include "protocols/ScsiDataTable.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

#include "decode/HtmlWriters.h"
#include "decode/SetupRows.h"
#include "protocols/ScsiOpcodes.h"

namespace brx {

void ScsiDataTable::Title(const char* text) { WriteSectionTitle(ctx_, text); }

void ScsiDataTable::Begin() {
    // The SCSI tables have neither offset nor size column.
    const bool offset = ctx_.offsetColumn;
    const bool size = ctx_.sizeColumn;
    ctx_.offsetColumn = false;
    ctx_.sizeColumn = false;
    BeginFieldTable(ctx_);
    ctx_.offsetColumn = offset;
    ctx_.sizeColumn = size;
}

void ScsiDataTable::End() { EndFieldTable(ctx_); }
void ScsiDataTable::Spacer() { WriteSpacerRow(ctx_); }

template <class F>
void ScsiDataTable::Row(const char* name, F value, const char* description, bool error) {
    if (ctx_.full()) return;
    BeginTableRow(ctx_) && WriteFieldNameCell(ctx_, name) && value() &&
        (error ? WriteErrorDescriptionCell(ctx_, description) : WriteDescriptionCell(ctx_, description)) &&
        EndTableRow(ctx_);
}

void ScsiDataTable::Byte(const char* name, uint32_t value, const char* description) {
    Row(name, [&] { return WriteByteValueCell(ctx_, static_cast<uint8_t>(value)); }, description);
}
void ScsiDataTable::ErrorByte(const char* name, uint32_t value, const char* description) {
    Row(name, [&] { return WriteErrorByteValueCell(ctx_, static_cast<uint8_t>(value)); }, description, true);
}
void ScsiDataTable::ErrorWord(const char* name, uint32_t value, const char* description) {
    Row(name, [&] { return WriteErrorWordValueCell(ctx_, static_cast<uint16_t>(value)); }, description, true);
}
void ScsiDataTable::Nibble(const char* name, uint32_t value, const char* description) {
    Row(name, [&] { return WriteNibbleValueCell(ctx_, static_cast<uint8_t>(value & 0xF)); }, description);
}
void ScsiDataTable::Word(const char* name, uint32_t value, const char* description) {
    Row(name, [&] { return WriteWordValueCell(ctx_, static_cast<uint16_t>(value)); }, description);
}
void ScsiDataTable::TriByte(const char* name, uint32_t value, const char* description) {
    Row(name, [&] { return WriteTriByteValueCell(ctx_, value & 0xFFFFFF); }, description);
}
void ScsiDataTable::Dword(const char* name, uint32_t value, const char* description) {
    Row(name, [&] { return WriteDwordValueCell(ctx_, value); }, description);
}
void ScsiDataTable::Qword(const char* name, uint64_t value, const char* description) {
    Row(name, [&] { return WriteQwordValueCell(ctx_, value); }, description);
}
void ScsiDataTable::Bits(const char* name, uint32_t value, uint32_t digits, const char* description) {
    if (digits < 1) digits = 1;
    if (digits > 8) digits = 8;
    char cell[48] = "<td class=\"udval\">";
    size_t n = 18;
    for (uint32_t i = digits; i-- > 0;) cell[n++] = ((value >> i) & 1) ? '1' : '0';
    std::snprintf(cell + n, sizeof cell - n, "b</td>\r\n");
    Row(name, [&] { return ctx_.page->Append(cell); }, description);
}
void ScsiDataTable::Hex(const char* name, std::span<const uint8_t> bytes, const char* description) {
    Row(name, [&] { return WriteHexDumpCell(ctx_, bytes); }, description);
}
void ScsiDataTable::Quoted(const char* name, std::string_view text, const char* description) {
    Row(name, [&] { return WriteQuotedValueCell(ctx_, text); }, description);
}

char* ScsiDataTable::NextBuffer() {
    char* b = buffers_[next_];
    next_ = (next_ + 1) % kBuffers;
    return b;
}

const char* ScsiDataTable::Number(uint64_t value, const char* unit) {
    char* b = NextBuffer();
    if (unit) {
        std::snprintf(b, kBufferSize, "%" PRIu64 " %s", value, unit);
    } else {
        std::snprintf(b, kBufferSize, "%" PRIu64, value);
    }
    return b;
}

const char* ScsiDataTable::Dec(uint64_t value, const char* unit) { return value < 10 ? nullptr : Number(value, unit); }

const char* ScsiDataTable::Format(const char* fmt, ...) {
    char* b = NextBuffer();
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(b, kBufferSize, fmt, args);
    va_end(args);
    return b;
}

const char* ScsiDataTable::TrackControl(uint32_t control) {
    char* b = NextBuffer();
    return CdTrackControlText(control & 0xF, b, kBufferSize) ? b : nullptr;
}

const uint8_t* PendingCdb(const DECODE_CONTEXT& ctx, uint8_t op) {
    if (!ctx.bulk.cdbKnown || ctx.bulk.cdb[0] != op) return nullptr;
    return ctx.bulk.cdb.data();
}

} // namespace brx
