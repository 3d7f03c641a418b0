#include "app/dialogs/CriteriaImage.h"

#include <cstring>

namespace brx {
namespace {

constexpr uint32_t kFlagBytes[] = {CRITERIA_ISSUE, CRITERIA_SUCCESS, CRITERIA_FAILURE, CRITERIA_INPUT,
                                   CRITERIA_OUTPUT};
constexpr size_t kTypedMax = 256;

int HexValue(wchar_t ch) {
    if (ch >= L'0' && ch <= L'9') return ch - L'0';
    if (ch >= L'a' && ch <= L'f') return ch - L'a' + 10;
    if (ch >= L'A' && ch <= L'F') return ch - L'A' + 10;
    return -1;
}

} // namespace

bool SameFilterImage(const uint8_t* a, const uint8_t* b) {
    for (uint32_t at : kFlagBytes)
        if (a[at] != b[at]) return false;
    return std::memcmp(a + CRITERIA_KINDS, b + CRITERIA_KINDS, KIND_SELECTION_COUNT) == 0;
}

bool SameFindImage(const uint8_t* a, const uint8_t* b) {
    if (!SameFilterImage(a, b) || a[CRITERIA_PATTERN_COUNT] != b[CRITERIA_PATTERN_COUNT]) return false;
    return std::memcmp(a + CRITERIA_PATTERN, b + CRITERIA_PATTERN, a[CRITERIA_PATTERN_COUNT]) == 0;
}

std::wstring FormatPattern(const uint8_t* image) {
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text;
    const uint32_t count = image[CRITERIA_PATTERN_COUNT] < CRITERIA_PATTERN_MAX ? image[CRITERIA_PATTERN_COUNT]
                                                                                 : CRITERIA_PATTERN_MAX;
    for (uint32_t i = 0; i < count; ++i) {
        text.push_back(kDigits[image[CRITERIA_PATTERN + i] >> 4]);
        text.push_back(kDigits[image[CRITERIA_PATTERN + i] & 15]);
    }
    return text;
}

void PutPatternText(const std::wstring& typed, uint8_t* image) {
    std::memset(image + CRITERIA_PATTERN_COUNT, 0, CRITERIA_KINDS - CRITERIA_PATTERN_COUNT);
    if (typed.empty()) return;
    std::wstring text = typed.substr(0, kTypedMax);
    if (text.size() % 2) {
        if (text.size() == kTypedMax) text.pop_back();
        else text.push_back(L'0');
    }
    uint32_t count = 0;
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        size_t at = i;
        // An optional "0X" prefix of the pair is skipped.
        if (text[at] == L'0' && (text[at + 1] == L'x' || text[at + 1] == L'X')) at += 2;
        int value = 0;
        for (; at < i + 2; ++at) {
            const int digit = HexValue(text[at]);
            if (digit < 0) break;
            value = value * 16 + digit;
        }
        image[CRITERIA_PATTERN + count++] = static_cast<uint8_t>(value);
    }
    image[CRITERIA_PATTERN_COUNT] = static_cast<uint8_t>(count);
}

} // namespace brx
