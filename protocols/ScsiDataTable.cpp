#include "protocols/ScsiDataTable.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

#include "decode/HtmlWriters.h"
#include "decode/SetupRows.h"
#include "protocols/ScsiOpcodes.h"
#include "protocols/ScsiTables.h"

namespace brx {

void ScsiDataTable::Title(const char* text) { WriteSectionTitle(ctx_, text); }
void ScsiDataTable::ModePageTitle(uint32_t page, uint32_t subpage) { WriteModePageTitle(ctx_, page & 0x3F, subpage); }
void ScsiDataTable::Begin() { BeginScsiTable(ctx_); }
void ScsiDataTable::End() { EndScsiTable(ctx_); }
void ScsiDataTable::Spacer() { WriteScsiSpacerRow(ctx_); }

void ScsiDataTable::Byte(const char* name, uint32_t value, const char* description) {
    WriteScsiByteRow(ctx_, name, static_cast<uint8_t>(value), description);
}
void ScsiDataTable::ErrorByte(const char* name, uint32_t value, const char* description) {
    WriteScsiErrorByteRow(ctx_, name, static_cast<uint8_t>(value), description);
}
// A 16-bit value in the error style (a mode data length shorter than its header).
void ScsiDataTable::ErrorWord(const char* name, uint32_t value, const char* description) {
    if (ctx_.page == nullptr) return;
    const PageMark mark = ctx_.page->Mark();
    if (!(BeginTableRow(ctx_) && WriteFieldNameCell(ctx_, name) &&
          WriteErrorWordValueCell(ctx_, static_cast<uint16_t>(value)) && WriteErrorDescriptionCell(ctx_, description) &&
          EndTableRow(ctx_))) {
        ctx_.page->Rollback(mark);
    }
}
void ScsiDataTable::Nibble(const char* name, uint32_t value, const char* description) {
    WriteScsiNibbleRow(ctx_, name, static_cast<uint8_t>(value & 0xF), description);
}
void ScsiDataTable::Word(const char* name, uint32_t value, const char* description) {
    WriteScsiWordRow(ctx_, name, static_cast<uint16_t>(value), description);
}
void ScsiDataTable::TriByte(const char* name, uint32_t value, const char* description) {
    WriteScsiTriByteRow(ctx_, name, value & 0xFFFFFF, description);
}
void ScsiDataTable::Dword(const char* name, uint32_t value, const char* description) {
    WriteScsiDwordRow(ctx_, name, value, description);
}
void ScsiDataTable::Qword(const char* name, uint64_t value, const char* description) {
    WriteScsiQwordRow(ctx_, name, value, description);
}
void ScsiDataTable::Bits(const char* name, uint32_t value, uint32_t digits, const char* description) {
    switch (digits) {
    case 8: WriteScsiBits8Row(ctx_, name, value & 0xFF, description); break;
    case 6: WriteScsiBits6Row(ctx_, name, value & 0x3F, description); break;
    case 3: WriteScsiBits3Row(ctx_, name, value & 0x7, description); break;
    case 2: WriteScsiBits2Row(ctx_, name, value & 0x3, description); break;
    default: WriteScsiBitRow(ctx_, name, value & 0x1, description); break;
    }
}
void ScsiDataTable::Hex(const char* name, std::span<const uint8_t> bytes, const char* description) {
    WriteScsiHexRow(ctx_, name, bytes, description);
}
void ScsiDataTable::Quoted(const char* name, std::string_view text, const char* description) {
    WriteScsiQuotedRow(ctx_, name, text, description);
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

} // namespace brx
