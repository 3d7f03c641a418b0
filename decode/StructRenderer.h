// The table-driven structure renderer: walks a constant field table over
// captured bytes and appends one tree row per field, with the field's value
// and a comment (a fixed text, code name, bit names or a callback's text).
// Nested structures, unions, arrays and run-time table choices are flags on
// the table entries. Bytes are read by offset, little-endian, and only where
// a field lies wholly inside the bytes handed in.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "decode/CodeNames.h"
#include "decode/TreeSink.h"

namespace brx {

struct FIELD_DESC;
using FieldTable = std::span<const FIELD_DESC>;

enum : uint32_t {
    FD_COMMENT = 0x001,
    FD_BITS = 0x002,
    FD_CODE = 0x004,
    FD_STRUCT = 0x008,
    FD_CALLBACK = 0x010,
    FD_ARRAY = 0x100,
};

// Callbacks get the row of their field and the structure being walked (its
// first byte and the length handed to this walk). A comment callback returns
// the Comment text (or null); a bits callback the bit-name table (or null);
// a chooser the nested table to show (empty for none) and gets the last row
// the walk inserted before it (null when none).
using CommentCallback = const char* (*)(ITreeSink& tree, TREE_ITEM row, const uint8_t* data, size_t length);
using BitsCallback = const BIT_NAMES* (*)(ITreeSink& tree, TREE_ITEM row, const uint8_t* data, size_t length);
using TableChooser = FieldTable (*)(ITreeSink& tree, TREE_ITEM lastRow, const uint8_t* data, size_t length);

// One entry of a field table. The first entry of a table is its header (the
// structure's type text, level 0); unions and anonymous structs are entries
// of size 0 that only parent deeper levels.
struct FIELD_DESC {
    const char* name;    // null only for a chooser whose table's header becomes the row
    uint8_t offset;
    uint8_t size;        // element size for FD_ARRAY, byte length of a nested structure
    uint8_t count;       // FD_ARRAY elements
    uint8_t level;       // 0..5
    uint32_t flags;
    const char* comment = nullptr;                       // FD_COMMENT
    const BIT_NAMES* bits = nullptr;                     // FD_BITS
    const std::span<const CODE_NAME>* codes = nullptr;   // FD_CODE
    FieldTable nested = {};                              // FD_STRUCT
    CommentCallback commentBy = nullptr;                 // FD_CALLBACK | FD_COMMENT
    BitsCallback bitsBy = nullptr;                       // FD_CALLBACK | FD_BITS
    TableChooser chooser = nullptr;                      // FD_CALLBACK | FD_STRUCT
};

// Entry builders for the tables (level 1 unless given).
constexpr FIELD_DESC Header(const char* name) { return {name, 0, 0, 0, 0, 0}; }
constexpr FIELD_DESC Field(const char* name, uint8_t off, uint8_t size, uint8_t level = 1) {
    return {name, off, size, 0, level, 0};
}
constexpr FIELD_DESC Array(const char* name, uint8_t off, uint8_t size, uint8_t count, uint8_t level = 1) {
    return {name, off, size, count, level, FD_ARRAY};
}
constexpr FIELD_DESC Note(const char* name, uint8_t off, uint8_t size, const char* text, uint8_t level = 1) {
    FIELD_DESC d{name, off, size, 0, level, FD_COMMENT};
    d.comment = text;
    return d;
}
constexpr FIELD_DESC Bits(const char* name, uint8_t off, uint8_t size, const BIT_NAMES* bits, uint8_t level = 1) {
    FIELD_DESC d{name, off, size, 0, level, FD_BITS};
    d.bits = bits;
    return d;
}
constexpr FIELD_DESC Code(const char* name, uint8_t off, uint8_t size, const std::span<const CODE_NAME>* codes,
                          uint8_t level = 1) {
    FIELD_DESC d{name, off, size, 0, level, FD_CODE};
    d.codes = codes;
    return d;
}
constexpr FIELD_DESC Nested(const char* name, uint8_t off, uint8_t size, FieldTable table, uint8_t level = 1) {
    FIELD_DESC d{name, off, size, 0, level, FD_STRUCT};
    d.nested = table;
    return d;
}
constexpr FIELD_DESC CommentBy(const char* name, uint8_t off, uint8_t size, CommentCallback fn, uint8_t level = 1) {
    FIELD_DESC d{name, off, size, 0, level, FD_CALLBACK | FD_COMMENT};
    d.commentBy = fn;
    return d;
}
constexpr FIELD_DESC BitsBy(const char* name, uint8_t off, uint8_t size, BitsCallback fn, uint8_t level = 1) {
    FIELD_DESC d{name, off, size, 0, level, FD_CALLBACK | FD_BITS};
    d.bitsBy = fn;
    return d;
}
constexpr FIELD_DESC Choose(const char* name, uint8_t off, uint8_t size, TableChooser fn, uint8_t level = 1) {
    FIELD_DESC d{name, off, size, 0, level, FD_CALLBACK | FD_STRUCT};
    d.chooser = fn;
    return d;
}

// The header text of a table, or null for an empty one.
inline const char* TableHeaderText(FieldTable table) { return table.empty() ? nullptr : table[0].name; }

// Renders length bytes of data with the table: from its header entry on, or
// (fromHeader false) from the entry after it, when the caller has inserted
// the header row itself as parent. A null parent makes the first level-0 row
// a top-level row after the existing ones.
void RenderStructFields(ITreeSink& tree, TREE_ITEM parent, const uint8_t* data, size_t length, FieldTable table,
                        bool fromHeader = true);

// Spreads the names of the set bits of value over the Comment of row and of
// new rows appended under row's parent (one per further set bit). size must be
// 1..4 and the table non-null, else nothing happens.
void RenderBitFlagNames(ITreeSink& tree, TREE_ITEM row, uint32_t value, size_t size, const BIT_NAMES* table);

// "%02Xh", "%04Xh" or "%08Xh" of a 1-, 2- or 4-byte value into the Value
// column; reads nothing and writes nothing for other sizes or a cut field.
bool ReadFieldValue(const uint8_t* data, size_t length, size_t offset, size_t size, uint32_t& value);
void SetHexValue(ITreeSink& tree, TREE_ITEM row, uint32_t value, size_t size);

// Rows that renderers draw by hand: a row with an optional Comment, and one
// with a hex Value (by size, as above) as well. Null when the row was refused.
TREE_ITEM InsertCommentRow(ITreeSink& tree, TREE_ITEM parent, const char* text, const char* comment = nullptr);
TREE_ITEM InsertValueRow(ITreeSink& tree, TREE_ITEM parent, const char* text, uint32_t value, size_t size,
                         const char* comment = nullptr);

} // namespace brx
