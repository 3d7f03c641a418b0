// The tables every SCSI page section shares: the three-column field table
// (Field, Value, Description), its row kinds, the CDB and command titles, the
// decimal descriptions of addresses, lengths and block counts, and the
// big-endian readers of CDB and parameter data fields.
//
// Writers append at ctx.page and answer true when everything they wrote fit;
// texts (names, descriptions, quoted values) are escaped on the way.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "decode/DecodeContext.h"

namespace brx {

// Big-endian fields; the caller has checked that the bytes are there.
inline uint16_t ReadBigEndian16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t ReadBigEndian24(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
}
inline uint32_t ReadBigEndian32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | ReadBigEndian24(p + 1);
}
inline uint64_t ReadBigEndian64(const uint8_t* p) {
    return (static_cast<uint64_t>(ReadBigEndian32(p)) << 32) | ReadBigEndian32(p + 4);
}

// A description built from a number: null (no text) or the formatted text.
// Every count, address and length is printed unsigned.
class ScsiText {
public:
    const char* get() const { return set_ ? text_ : nullptr; }
    operator const char*() const { return get(); }
    ScsiText& Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    char text_[112] = {};
    bool set_ = false;
};
// "%u" from 10 up (below 10 the hexadecimal value reads the same).
ScsiText DecimalText(uint64_t value);
// "%u bytes" from 10 up.
ScsiText ByteCountText(uint64_t value);
// Addresses: the decimal rule, and no text for an all-ones address of `bits` bits.
ScsiText AddressText(uint64_t value, uint32_t bits);
// "%u contiguous logical block(s)", always.
ScsiText BlockCountText(uint64_t value);

// --- Table frame and titles ----------------------------------------------------
bool BeginScsiTable(DECODE_CONTEXT& ctx);
bool EndScsiTable(DECODE_CONTEXT& ctx);
bool WriteScsiSpacerRow(DECODE_CONTEXT& ctx);
// "CDB - <operation name>" (just "CDB" without a name) over the pending command.
bool WriteCdbTitle(DECODE_CONTEXT& ctx);
// The operation name of the pending command and its description; nothing
// when the operation has no name under the device kind.
bool WriteScsiCommandHeading(DECODE_CONTEXT& ctx);
// "<page name> Mode Page", or "<page code>h Mode Page" without a name.
bool WriteModePageTitle(DECODE_CONTEXT& ctx, uint32_t pageCode, uint32_t subpageCode);
// "Operation Code", named with CDB byte 1 taken as 0.
bool WriteCdbOperationCodeRow(DECODE_CONTEXT& ctx, uint8_t code);
bool WriteCdbControlRow(DECODE_CONTEXT& ctx, uint8_t value);

// --- Rows: field name, value, description (null: an empty cell) ----------------
bool WriteScsiByteRow(DECODE_CONTEXT& ctx, const char* name, uint8_t value, const char* description);
bool WriteScsiNibbleRow(DECODE_CONTEXT& ctx, const char* name, uint8_t value, const char* description);
bool WriteScsiWordRow(DECODE_CONTEXT& ctx, const char* name, uint16_t value, const char* description);
bool WriteScsiTriByteRow(DECODE_CONTEXT& ctx, const char* name, uint32_t value, const char* description);
bool WriteScsiDwordRow(DECODE_CONTEXT& ctx, const char* name, uint32_t value, const char* description);
bool WriteScsiQwordRow(DECODE_CONTEXT& ctx, const char* name, uint64_t value, const char* description);
bool WriteScsiBytePairRow(DECODE_CONTEXT& ctx, const char* name, uint8_t first, uint8_t second,
                          const char* description);
bool WriteScsiErrorByteRow(DECODE_CONTEXT& ctx, const char* name, uint8_t value, const char* description);
bool WriteScsiQuotedRow(DECODE_CONTEXT& ctx, const char* name, std::string_view text, const char* description);
bool WriteScsiHexRow(DECODE_CONTEXT& ctx, const char* name, std::span<const uint8_t> bytes, const char* description);
// The low 8, 6, 3, 2 or 1 bits as binary digits, most significant first, then "b".
bool WriteScsiBits8Row(DECODE_CONTEXT& ctx, const char* name, uint32_t value, const char* description);
bool WriteScsiBits6Row(DECODE_CONTEXT& ctx, const char* name, uint32_t value, const char* description);
bool WriteScsiBits3Row(DECODE_CONTEXT& ctx, const char* name, uint32_t value, const char* description);
bool WriteScsiBits2Row(DECODE_CONTEXT& ctx, const char* name, uint32_t value, const char* description);
bool WriteScsiBitRow(DECODE_CONTEXT& ctx, const char* name, uint32_t value, const char* description);
// Two single bits: "<first>b <second>b".
bool WriteScsiBitPairRow(DECODE_CONTEXT& ctx, const char* name, uint32_t first, uint32_t second,
                         const char* description);

} // namespace brx
