#include "decode/StructRenderer.h"

#include <algorithm>
#include <cstdio>

#include "base/ByteReader.h"

namespace brx {

namespace {

constexpr int kMaxLevel = 5;

} // namespace

bool ReadFieldValue(const uint8_t* data, size_t length, size_t offset, size_t size, uint32_t& value) {
    ByteReader r(data, length);
    switch (size) {
    case 1: {
        uint8_t v;
        if (!r.u8(offset, v)) return false;
        value = v;
        return true;
    }
    case 2: {
        uint16_t v;
        if (!r.u16le(offset, v)) return false;
        value = v;
        return true;
    }
    case 4: return r.u32le(offset, value);
    default: return false;
    }
}

void SetHexValue(ITreeSink& tree, TREE_ITEM row, uint32_t value, size_t size) {
    char text[16];
    switch (size) {
    case 1: std::snprintf(text, sizeof text, "%02Xh", value & 0xFF); break;
    case 2: std::snprintf(text, sizeof text, "%04Xh", value & 0xFFFF); break;
    case 4: std::snprintf(text, sizeof text, "%08Xh", value); break;
    default: return;
    }
    tree.SetItemText(row, DETAILS_COLUMN_VALUE, text);
}

TREE_ITEM InsertCommentRow(ITreeSink& tree, TREE_ITEM parent, const char* text, const char* comment) {
    TREE_ITEM row = tree.InsertItem(text, parent);
    if (row && comment) tree.SetItemText(row, DETAILS_COLUMN_COMMENT, comment);
    return row;
}

TREE_ITEM InsertValueRow(ITreeSink& tree, TREE_ITEM parent, const char* text, uint32_t value, size_t size,
                         const char* comment) {
    TREE_ITEM row = InsertCommentRow(tree, parent, text, comment);
    if (row) SetHexValue(tree, row, value, size);
    return row;
}

void RenderBitFlagNames(ITreeSink& tree, TREE_ITEM row, uint32_t value, size_t size, const BIT_NAMES* table) {
    if (!table || size < 1 || size > 4 || !row) return;
    TREE_ITEM parent = tree.GetParentItem(row);
    if (!parent) return;
    const char* format = size == 1 ? "%s (0x%02X)" : size == 2 ? "%s (0x%04X)" : "%s (0x%08X)";
    TREE_ITEM current = row;
    bool written = false;
    for (uint32_t bit = 0; bit < size * 8; ++bit) {
        const uint32_t mask = 1u << bit;
        if (!(value & mask)) continue;
        if (written) {
            current = tree.InsertItem("", parent);
            if (!current) return;
        }
        const char* name = LookupIndexedName(bit, *table);
        char unknown[32];
        if (!name) {
            std::snprintf(unknown, sizeof unknown, format, "Unknown", mask);
            name = unknown;
        }
        tree.SetItemText(current, DETAILS_COLUMN_COMMENT, name);
        written = true;
    }
}

void RenderStructFields(ITreeSink& tree, TREE_ITEM parent, const uint8_t* data, size_t length, FieldTable table,
                        bool fromHeader) {
    if (!data) length = 0;
    TREE_ITEM p0 = parent;
    TREE_ITEM levels[kMaxLevel + 1] = {};  // levels[1..5]: the last row of each level
    TREE_ITEM last = nullptr;

    for (size_t i = fromHeader ? 0 : 1; i < table.size(); ++i) {
        const FIELD_DESC& f = table[i];
        // The walk ends at the first field that starts at or past the end.
        if (f.offset >= length) break;
        const int level = std::min<int>(f.level, kMaxLevel);
        TREE_ITEM under = level <= 1 ? p0 : levels[level - 1];
        for (int k = std::max(level, 0) + 1; k <= kMaxLevel; ++k) levels[k] = nullptr;
        const size_t remaining = length - f.offset;
        const size_t fieldBytes = std::min<size_t>(f.size, remaining);
        const uint8_t* field = data + f.offset;

        if ((f.flags & (FD_STRUCT | FD_CALLBACK)) == (FD_STRUCT | FD_CALLBACK)) {
            FieldTable chosen = f.chooser ? f.chooser(tree, last, data, length) : FieldTable{};
            if (chosen.empty()) continue;
            if (f.name) {
                TREE_ITEM row = tree.InsertItem(f.name, under);
                if (!row) continue;
                last = row;
                if (level >= 1) levels[level] = row;
                if (const char* header = TableHeaderText(chosen)) tree.SetItemText(row, DETAILS_COLUMN_COMMENT, header);
                RenderStructFields(tree, row, field, fieldBytes, chosen, false);
            } else {
                RenderStructFields(tree, under, field, fieldBytes, chosen, true);
            }
            continue;
        }

        if (f.flags & FD_ARRAY) {
            TREE_ITEM arrayRow = nullptr;
            char text[300];
            for (uint32_t e = 0; e < f.count; ++e) {
                const size_t at = f.offset + static_cast<size_t>(e) * f.size;
                if (at >= length) break;
                if (!arrayRow) {
                    std::snprintf(text, sizeof text, "%s[%d]", f.name ? f.name : "", static_cast<int>(f.count));
                    arrayRow = tree.InsertItem(text, under);
                    if (!arrayRow) break;
                }
                std::snprintf(text, sizeof text, "[%d]", static_cast<int>(e));
                TREE_ITEM element = tree.InsertItem(text, arrayRow);
                if (!element) continue;
                last = element;
                uint32_t value;
                if (ReadFieldValue(data, length, at, f.size, value)) SetHexValue(tree, element, value, f.size);
            }
            continue;
        }

        TREE_ITEM row = tree.InsertItem(f.name, under);
        if (level == 0) {
            p0 = row;
            for (TREE_ITEM& l : levels) l = nullptr;
        } else {
            levels[level] = row;
        }
        if (!row) continue;
        last = row;

        if (f.flags & FD_STRUCT) {
            if (const char* header = TableHeaderText(f.nested)) tree.SetItemText(row, DETAILS_COLUMN_COMMENT, header);
            RenderStructFields(tree, row, field, fieldBytes, f.nested, false);
            continue;
        }

        uint32_t value = 0;
        const bool hasValue = ReadFieldValue(data, length, f.offset, f.size, value);
        if (hasValue) SetHexValue(tree, row, value, f.size);

        const bool byCallback = (f.flags & FD_CALLBACK) != 0;
        if ((f.flags & FD_COMMENT) && !byCallback) {
            if (f.comment) tree.SetItemText(row, DETAILS_COLUMN_COMMENT, f.comment);
        } else if ((f.flags & FD_BITS) && !byCallback) {
            if (hasValue) RenderBitFlagNames(tree, row, value, f.size, f.bits);
        } else if ((f.flags & FD_CODE) && !byCallback) {
            if (hasValue && f.codes) {
                if (const char* name = LookupCodeName(value, *f.codes)) tree.SetItemText(row, DETAILS_COLUMN_COMMENT, name);
            }
        } else if (byCallback) {
            if ((f.flags & FD_COMMENT) && f.commentBy) {
                if (const char* text = f.commentBy(tree, row, data, length)) {
                    tree.SetItemText(row, DETAILS_COLUMN_COMMENT, text);
                }
            } else if ((f.flags & FD_BITS) && f.bitsBy) {
                const BIT_NAMES* names = f.bitsBy(tree, row, data, length);
                if (names && hasValue) RenderBitFlagNames(tree, row, value, f.size, names);
            }
        }
    }
}

} // namespace brx
