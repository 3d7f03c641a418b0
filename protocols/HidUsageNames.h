// Names of everything a HID report descriptor or report can hold: usage
// pages, usages, item tags, main-item data flags, collection types, units and
// unit exponents.
//
// A lookup answers a constant text, a name formatted into the caller's buffer
// (at least kHidNameSize characters; nothing is kept between calls), or null
// when the value has no name. HidUsageText and HidUsagePageText never answer
// null: they fall back to the number in hexadecimal.
#pragma once
#include <cstddef>
#include <cstdint>

namespace brx {

constexpr size_t kHidNameSize = 32;
// Room for the longest main-item data or unit text.
constexpr size_t kHidItemTextSize = 64;

// The HID usage page's name, or null.
const char* HidUsagePageName(uint16_t page, char* buf, size_t size);
// The usage's name on its page, or null. A usage that a page's table leaves
// reserved inside its named range reads "Undefined".
const char* HidUsageName(uint16_t page, uint16_t usage, char* buf, size_t size);
// The same, or "0x%04X" of the number when there is no name.
const char* HidUsagePageText(uint16_t page, char* buf, size_t size);
const char* HidUsageText(uint16_t page, uint16_t usage, char* buf, size_t size);

// Item tags (bits 4-7 of the prefix); "Unknown" for a tag without a name.
const char* HidMainItemTagName(uint8_t tag);
const char* HidGlobalItemTagName(uint8_t tag);
const char* HidLocalItemTagName(uint8_t tag);
// Delimiter data: 0 "Close", 1 "Open", else null.
const char* HidDelimiterText(uint32_t data);
// The signed 4-bit unit exponent of values 0-15, else null.
const char* HidUnitExponentText(uint32_t exponent);
// The collection type of a Collection item's data, or null.
const char* HidCollectionTypeName(uint32_t data, char* buf, size_t size);

// A main item's data as words (Input, Output, Feature), its collection type
// (Collection), or empty text (End Collection). False, with empty text, for
// another tag or a collection type without a name. The buffer holds
// kHidItemTextSize characters.
bool FormatHidMainItemData(uint8_t tag, uint32_t data, char* buf, size_t size);
// The Unit item's value as text ("None", "SI Lin: Length (cm)", "SI Lin: cm *
// amp^-1", ...). False only for a buffer too small.
bool FormatHidUnit(uint32_t unit, char* buf, size_t size);

} // namespace brx
