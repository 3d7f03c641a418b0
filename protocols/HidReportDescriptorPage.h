// A HID report descriptor as an HTML item table: one row per short item,
// indented by collection depth, with the item's tag, its value read the way
// the item's type says, its raw bytes and optionally the item-type letter.
// Written with the page writers (decode/HtmlWriters.h) into the context's
// page; the caller writes the page around it and puts the "hrd" style sheet
// into the page's style block.
#pragma once
#include <cstdint>
#include <string_view>

#include "decode/DecodeContext.h"

namespace brx {

// The "hrd" sheet (rules only, each line ending "\r\n").
extern const std::string_view HID_REPORT_DESCRIPTOR_STYLE_SHEET;

// Options of RenderHidReportDescriptor.
enum : uint32_t {
    HRD_HEADER_ROW = 0x01,       // a header row
    HRD_SEPARATE_VALUE = 0x02,   // "Item Tag" and "Value" columns, else "Item Tag (Value)"
    HRD_TYPE_COLUMN = 0x04,      // "T": m, g or l
    HRD_COMMENT_COLUMN = 0x08,   // "Comment" (empty cells)
    HRD_REPORT_CLASSES = 0x10,   // cells coloured by the report kind of the row's main item
};
constexpr uint8_t kHidNoInterface = 0xFF;

// Renders ctx.bytes as a report descriptor: the title (with the interface
// number unless kHidNoInterface, and the name of the descriptor's first
// usage), then the item table. An item whose data runs past the end of the
// bytes shows as a cut row with the bytes that are there. False, writing
// nothing, for no page or no bytes; true otherwise (the page may have met its
// cap: ctx.full()).
bool RenderHidReportDescriptor(DECODE_CONTEXT& ctx, uint32_t interfaceNumber, uint32_t options);

} // namespace brx
