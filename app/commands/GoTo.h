// Going to a record by its sequence number: the strict reading of the number
// the user typed, the decision between selecting a row and explaining why
// there is none, and the explanations' texts.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brx {

class CFilter;

// The number in text: decimal digits only (no sign, blank or other
// character), at least one, the value at most 4294967295. Leading zeros are
// taken. Nothing for any other text.
std::optional<uint32_t> ParseSequenceNumber(std::u16string_view text);

// "The record with sequence number <n> is out of[ visible] range (<first>-<last>)."
std::string GoToOutOfRangeText(uint32_t sequence, bool visible, uint32_t first, uint32_t last);
// "The record with sequence number <n> is filtered out."
std::string GoToFilteredOutText(uint32_t sequence);

struct SequenceRange {
    uint32_t first = 0;
    uint32_t last = 0;
};

struct GoToResult {
    enum Kind { Nothing, Select, Message } kind = Nothing;
    uint32_t row = 0;     // Select: the list row to select
    std::string message;  // Message: the warning to show
};

// Where sequence number n is in the list: the log's range (nothing when the
// log could not give it) first, then the visible range of an applied filter,
// then the row holding n.
GoToResult ResolveGoTo(uint32_t sequence, const std::optional<SequenceRange>& logRange, CFilter& filter);

} // namespace brx
