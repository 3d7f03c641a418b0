// The criteria image as the filter and find settings dialogs read and show
// it: which bytes each dialog compares, and the find pattern's text form.
#pragma once
#include <cstdint>
#include <string>

#include "capture/MatchCriteria.h"

namespace brx {

// The five flag bytes and the 640 kind selections are equal.
bool SameFilterImage(const uint8_t* a, const uint8_t* b);
// As SameFilterImage, and the pattern lengths and the pattern bytes are equal.
bool SameFindImage(const uint8_t* a, const uint8_t* b);

// The image's pattern as hex digits, two per byte, without separators.
std::wstring FormatPattern(const uint8_t* image);
// Clears the pattern area and stores the typed hex digits: a "0" completes an
// odd last digit; each pair is one byte (at most 128 bytes). A character
// that is not a hex digit ends its pair's value.
void PutPatternText(const std::wstring& typed, uint8_t* image);

} // namespace brx
