// The tables of the mode parameter, MMC and DVD data decoders: a writer over
// the SCSI field tables (ScsiTables.h) that keeps the description texts it
// formats, and bounds-checked big-endian reads of a structure held in a
// ByteReader (a field past the captured bytes reads as 0; the decoders test
// their lengths before they write a row).
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/ByteReader.h"
#include "decode/DecodeContext.h"
#include "protocols/ScsiData.h"

namespace brx {

class ScsiDataTable {
public:
    explicit ScsiDataTable(DECODE_CONTEXT& ctx) : ctx_(ctx) {}

    DECODE_CONTEXT& ctx() { return ctx_; }

    // Section title (the "uddiv6" division), mode page title and the table frame.
    void Title(const char* text);
    void ModePageTitle(uint32_t page, uint32_t subpage);
    void Begin();
    void End();
    void Spacer();

    // Rows: field name, value, description (null: empty cell).
    void Byte(const char* name, uint32_t value, const char* description = nullptr);
    void ErrorByte(const char* name, uint32_t value, const char* description);
    void ErrorWord(const char* name, uint32_t value, const char* description);
    void Nibble(const char* name, uint32_t value, const char* description = nullptr);
    void Word(const char* name, uint32_t value, const char* description = nullptr);
    void TriByte(const char* name, uint32_t value, const char* description = nullptr);
    void Dword(const char* name, uint32_t value, const char* description = nullptr);
    void Qword(const char* name, uint64_t value, const char* description = nullptr);
    // The low `digits` bits (1, 2, 3, 6 or 8) as binary digits followed by "b".
    void Bits(const char* name, uint32_t value, uint32_t digits, const char* description = nullptr);
    void Bit(const char* name, uint32_t value, const char* description = nullptr) { Bits(name, value, 1, description); }
    void Hex(const char* name, std::span<const uint8_t> bytes, const char* description = nullptr);
    void Quoted(const char* name, std::string_view text, const char* description = nullptr);

    // Description texts, valid until the fourth call after: "%u" (and " unit")
    // of a value, or null below 10, where the hexadecimal value reads the same.
    const char* Dec(uint64_t value, const char* unit = nullptr);
    // The same without the lower limit.
    const char* Number(uint64_t value, const char* unit = nullptr);
    // A formatted text in the same rotating buffers.
    const char* Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    // CdTrackControlText of a CONTROL or Track Mode nibble (null when it does not fit).
    const char* TrackControl(uint32_t control);

private:
    char* NextBuffer();

    DECODE_CONTEXT& ctx_;
    static constexpr size_t kBuffers = 4;
    static constexpr size_t kBufferSize = 320;
    char buffers_[kBuffers][kBufferSize] = {};
    size_t next_ = 0;
};

// Big-endian fields of a structure; absent fields read as 0 (callers check lengths).
inline uint32_t Be8(const ByteReader& r, size_t off) { return r.u8or(off); }
inline uint32_t Be16(const ByteReader& r, size_t off) { return r.u16be_or(off); }
inline uint32_t Be24(const ByteReader& r, size_t off) {
    return (static_cast<uint32_t>(r.u8or(off)) << 16) | (static_cast<uint32_t>(r.u8or(off + 1)) << 8) | r.u8or(off + 2);
}
inline uint32_t Be32(const ByteReader& r, size_t off) { return r.u32be_or(off); }
inline uint64_t Be64(const ByteReader& r, size_t off) {
    uint64_t v = 0;
    return r.u64be(off, v) ? v : 0;
}
inline std::span<const uint8_t> Span(const ByteReader& r) { return {r.data(), r.size()}; }
inline uint32_t BitsOf(uint32_t value, uint32_t low, uint32_t count) { return (value >> low) & ((1u << count) - 1u); }

} // namespace brx
