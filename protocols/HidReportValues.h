// One captured HID report as a table of fields: every button that is on and
// every value, with its usage, optionally its logical and physical range, and
// its value. The fields come decoded by the parsed-descriptor cache
// (CHIDDeviceDataHash::GetReportItems*); this only writes them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "capture/HidTables.h"
#include "decode/PageBuffer.h"

namespace brx {

// The "hrpt" sheet (rules only, each line ending "\r\n").
extern const std::string_view HID_REPORT_STYLE_SHEET;

// Options of RenderHidReportFields.
enum : uint32_t {
    HRPT_TITLE = 0x01,           // "Input Report (ID 2)" line
    HRPT_HEADER_ROW = 0x02,
    HRPT_TYPE_COLUMN = 0x04,     // "Btn" / "Val"
    HRPT_RANGE_COLUMN = 0x08,    // "Range Lg/Ph"
    HRPT_PHYSICAL_ALWAYS = 0x10, // the physical range even when it equals the logical one
    HRPT_HEXADECIMAL = 0x20,
};
// What the data-analysis page passes.
constexpr uint32_t kHidReportPageOptions = HRPT_TITLE | HRPT_HEADER_ROW | HRPT_RANGE_COLUMN;

struct HID_REPORT_TABLE_CONTEXT {
    PageBuffer* page = nullptr;
    uint32_t options = kHidReportPageOptions;
    const HID_REPORT_ITEM* items = nullptr;
    uint32_t itemCount = 0;
    uint8_t reportType = 0;   // 1 Input, 2 Output, 3 Feature
    uint8_t reportId = 0;     // 0: none
    uint16_t usagePage = 0;   // the report's collection for the title; 0: none
    uint16_t usage = 0;
};

// True when the table was written; false, writing nothing, for no page, no
// items or a page too full for the whole table.
bool RenderHidReportFields(const HID_REPORT_TABLE_CONTEXT& ctx);

// The usage's name, or "Unknown %u" when the usage is 0 or has no name.
// buf holds kHidNameSize characters.
const char* HidReportUsageText(uint16_t page, uint16_t usage, char* buf, size_t size);

// A value field's value as text: signed when the field's logical limits are
// (either is negative, the parser's rule: the cache sign-extends such
// fields), else unsigned; hexadecimal with a trailing "h" (none for 0).
void FormatHidReportValue(const HID_REPORT_ITEM& item, bool hexadecimal, char* buf, size_t size);

} // namespace brx
