// The field tables of the data-analysis pages: cells, rows, table and
// division frames, the "ud" style sheet and the few descriptor helpers every
// decoder shares (titles, anchors, the bLength row, unrecognized descriptors,
// interval names, string texts).
//
// Tables have the columns Offset (with ctx.offsetColumn), Field, Size (with
// ctx.sizeColumn), Value, Description. Every line ends with "\r\n". Every
// writer appends at ctx.page and returns true when all it wrote fit; false
// means the page is full (ctx.full()) and the decoder should stop. Texts given
// to the writers (field names, descriptions, titles, quoted values) are plain
// Windows-1252 text and are escaped here; only arguments named "markup" are
// written as they are.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "decode/DecodeContext.h"

namespace brx {

// The "ud" sheet (rules only, each line ending "\r\n").
extern const std::string_view DESCRIPTOR_STYLE_SHEET;

// --- Cells -----------------------------------------------------------------
bool WriteEmptyCell(DECODE_CONTEXT& ctx);
bool WriteFieldNameCell(DECODE_CONTEXT& ctx, const char* name);   // null: empty name
bool WriteOffsetCell(DECODE_CONTEXT& ctx, uint32_t offset);        // only with offsetColumn
bool WriteSizeCell(DECODE_CONTEXT& ctx, uint32_t size);            // only with sizeColumn
bool WriteDescriptionCell(DECODE_CONTEXT& ctx, const char* text);      // null: empty cell
bool WriteErrorDescriptionCell(DECODE_CONTEXT& ctx, const char* text); // null: empty cell
bool WriteNibbleValueCell(DECODE_CONTEXT& ctx, uint8_t value);
bool WriteByteValueCell(DECODE_CONTEXT& ctx, uint8_t value);
bool WriteErrorByteValueCell(DECODE_CONTEXT& ctx, uint8_t value);
bool WriteWordValueCell(DECODE_CONTEXT& ctx, uint16_t value);
bool WriteErrorWordValueCell(DECODE_CONTEXT& ctx, uint16_t value);
bool WriteTriByteValueCell(DECODE_CONTEXT& ctx, uint32_t value);   // low 24 bits
bool WriteDwordValueCell(DECODE_CONTEXT& ctx, uint32_t value);
bool WriteQwordValueCell(DECODE_CONTEXT& ctx, uint64_t value);
bool WriteBytePairValueCell(DECODE_CONTEXT& ctx, uint8_t first, uint8_t second);
bool WriteQuotedValueCell(DECODE_CONTEXT& ctx, std::string_view text); // escaped, in double quotes
bool WriteGuidValueCell(DECODE_CONTEXT& ctx, std::span<const uint8_t> guid); // 16 bytes as captured
bool WriteBitPatternValueCell(DECODE_CONTEXT& ctx, const char* pattern);
bool WriteErrorBitPatternValueCell(DECODE_CONTEXT& ctx, const char* pattern);
bool WriteBitFieldNameCell(DECODE_CONTEXT& ctx, const char* bitLabel, const char* name);
// At most kHexDumpLimit bytes, 8 to a line; a longer run is cut and the cut
// says how many bytes were left out.
constexpr size_t kHexDumpLimit = 4096;
bool WriteHexDumpCell(DECODE_CONTEXT& ctx, std::span<const uint8_t> bytes);
bool WriteErrorHexDumpCell(DECODE_CONTEXT& ctx, std::span<const uint8_t> bytes);
// Little-endian 16-bit words, 4 to a line (at most kHexDumpLimit bytes); an
// odd last byte shows as "XXh".
bool WriteWordArrayCell(DECODE_CONTEXT& ctx, std::span<const uint8_t> bytes);

// --- Table, row and division frames ------------------------------------------
bool BeginFieldTable(DECODE_CONTEXT& ctx);  // with the header row when ctx.headerRow
bool EndFieldTable(DECODE_CONTEXT& ctx);
bool BeginTableRow(DECODE_CONTEXT& ctx);
bool EndTableRow(DECODE_CONTEXT& ctx);
bool WriteSpacerRow(DECODE_CONTEXT& ctx);
bool BeginIndentDiv(DECODE_CONTEXT& ctx);   // adds 1 to ctx.divisionDepth
bool EndIndentDiv(DECODE_CONTEXT& ctx);     // subtracts 1

// --- Rows (offset, field name, size, value, description) -----------------------
// A null description leaves the description cell empty. Error members show
// value and description in the error style.
bool WriteByteRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, uint8_t value,
                  const char* description);
bool WriteErrorByteRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, uint8_t value,
                       const char* description);
bool WriteWordRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, uint16_t value,
                  const char* description);
bool WriteErrorWordRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, uint16_t value,
                       const char* description);
bool WriteDwordRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, uint32_t value,
                   const char* description);
bool WriteQwordRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, uint64_t value,
                   const char* description);
// The field's bytes as captured: 1, 2, 3 (24-bit little-endian) or 4 bytes as
// a number, any other count as a hex dump. The size cell is value.size().
bool WriteValueRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, std::span<const uint8_t> value,
                   const char* description);
bool WriteBytesRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, std::span<const uint8_t> bytes,
                   const char* description);
bool WriteErrorBytesRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, std::span<const uint8_t> bytes,
                        const char* description);
bool WriteWordArrayRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, std::span<const uint8_t> bytes,
                       const char* description);
bool WriteGuidRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, std::span<const uint8_t> guid,
                  const char* description);
bool WriteQuotedRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, std::string_view text,
                    const char* description);
// Bit sub-field rows: byteCount 1-4 gives the width of the pattern; the
// offset and size cells are empty; the name cell is "label: name".
bool WriteBitFieldRow(DECODE_CONTEXT& ctx, const char* name, uint32_t byteCount, uint32_t mask, uint32_t value,
                      const char* description);
bool WriteErrorBitFieldRow(DECODE_CONTEXT& ctx, const char* name, uint32_t byteCount, uint32_t mask,
                           uint32_t value, const char* description);
// Bytes a decoder could not place: an error row "Undecoded" with their hex
// dump and their count; nothing for an empty span.
bool WriteUndecodedBytesRow(DECODE_CONTEXT& ctx, uint32_t offset, std::span<const uint8_t> bytes);

// --- Formatting helpers ----------------------------------------------------------
// "L" or "H..L" for the lowest run of set bits of mask (empty for mask 0).
// out needs 6 bytes; returns the characters written.
size_t FormatBitLabel(uint32_t mask, char* out, size_t size);
// One character per bit from the most significant down, a space between
// bytes: "." outside the mask, "1"/"0" inside. byteCount 1-4, else an empty
// text and 0. out needs byteCount * 9 bytes.
size_t FormatBitPattern(uint32_t byteCount, uint32_t mask, uint32_t value, char* out, size_t size);
// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" of 16 captured bytes (the first
// three fields little-endian); 38, or 0 when out has fewer than 39 bytes or
// guid fewer than 16.
size_t FormatGuid(std::span<const uint8_t> guid, char* out, size_t size);

// --- Descriptor helpers --------------------------------------------------------
// "n<set>_<offset>" of a descriptor inside ctx.anchorBase ("n<set>_x" when it
// lies outside). out needs 24 bytes.
size_t FormatDescriptorAnchorName(const DECODE_CONTEXT& ctx, const uint8_t* descriptor, char* out, size_t size);
// <div class="uddiv1"><a name="anchor">titleMarkup</a></div>; a null anchor
// name writes "#".
bool WriteDescriptorAnchorTitle(DECODE_CONTEXT& ctx, const char* anchorName, std::string_view titleMarkup);
// "<b>name Descriptor</b> text" and "<b>title</b> text" as markup (the texts
// escaped); null texts are empty. Return the characters written; out is
// NUL-terminated, a title that does not fit whole is empty.
size_t FormatDescriptorTitle(const char* name, const char* text, char* out, size_t size);
size_t FormatBoldTitle(const char* title, const char* text, char* out, size_t size);
// The bLength row (detail rows only): error row "Incorrect, should be XXh"
// when the descriptor's first byte is not `expected`.
bool WriteBLengthRow(DECODE_CONTEXT& ctx, uint8_t expected);
// "125 us" ... "4 s" for exponents 1-16; "" otherwise.
const char* IntervalName(uint32_t exponent);
// Title and byte table of a descriptor no decoder knows (ctx.bytes); false
// for fewer than 2 bytes or a bLength below 2. Bytes past bLength are not
// part of it; bytes short of bLength are shown as held.
bool RenderUnrecognizedDescriptor(DECODE_CONTEXT& ctx);
// The quoted text of string descriptor `index` from ctx.stringCallback, with
// characters outside printable ASCII shown as "."; 0 and an empty text when
// there is no callback, no text or no room (out needs length + 3 bytes).
size_t GetStringDescriptorText(const DECODE_CONTEXT& ctx, uint32_t index, char* out, size_t size);

} // namespace brx
