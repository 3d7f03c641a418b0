#include "app/commands/GoTo.h"

#include <cstdio>

#include "capture/Filter.h"

namespace brx {

std::optional<uint32_t> ParseSequenceNumber(std::u16string_view text) {
    if (text.empty()) return std::nullopt;
    uint32_t value = 0;
    for (char16_t ch : text) {
        if (ch < u'0' || ch > u'9') return std::nullopt;
        const uint32_t digit = static_cast<uint32_t>(ch - u'0');
        if (value > (UINT32_MAX - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// Sequence numbers are unsigned 32-bit values and are shown as such: a
// number above 2147483647 is not printed as a negative one.
std::string GoToOutOfRangeText(uint32_t sequence, bool visible, uint32_t first, uint32_t last) {
    char text[128];
    std::snprintf(text, sizeof text, "The record with sequence number %u is out of%s range (%u-%u).", sequence,
                  visible ? " visible" : "", first, last);
    return text;
}

std::string GoToFilteredOutText(uint32_t sequence) {
    char text[80];
    std::snprintf(text, sizeof text, "The record with sequence number %u is filtered out.", sequence);
    return text;
}

GoToResult ResolveGoTo(uint32_t sequence, const std::optional<SequenceRange>& logRange, CFilter& filter) {
    GoToResult result;
    if (!logRange) return result;
    if (sequence < logRange->first || sequence > logRange->last) {
        result.kind = GoToResult::Message;
        result.message = GoToOutOfRangeText(sequence, false, logRange->first, logRange->last);
        return result;
    }
    if (filter.IsApplied()) {
        uint32_t first = 0, last = 0;
        if (!filter.GetSequenceRange(first, last)) return result;
        if (sequence < first || sequence > last) {
            result.kind = GoToResult::Message;
            result.message = GoToOutOfRangeText(sequence, true, first, last);
            return result;
        }
    }
    const uint32_t row = filter.FindRowBySequence(sequence);
    if (row == NO_ROW) {
        result.kind = GoToResult::Message;
        result.message = GoToFilteredOutText(sequence);
        return result;
    }
    result.kind = GoToResult::Select;
    result.row = row;
    return result;
}

} // namespace brx
