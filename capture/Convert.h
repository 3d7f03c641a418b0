// Text conversions shared by the capture core and the writers: GUID text and
// RTF-safe text.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/Text.h"
#include "capture/CodePages.h"

namespace brx {

// A GUID in its in-memory form (Data1-3 little-endian in captured bytes).
struct GUID_DATA {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
static_assert(sizeof(GUID_DATA) == 16);

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", lower-case hexadecimal.
std::string FormatGuidA(const GUID_DATA& guid);
WString FormatGuidW(const GUID_DATA& guid);

// UTF-16 text of at most byteLength bytes (it ends at its first NUL or there)
// as 8-bit text safe inside RTF. The text is converted into codePage through
// the code pages given (the system's in the product); when that code page
// fails, into the ANSI code page without best-fit characters. Of the bytes, a
// two-byte character becomes "\'xx\'xx" (so that a trail byte is never read
// as a brace or backslash); "{" and "}" get a backslash before them; bytes
// below 20h, ";", "\" and bytes from 80h on become "\'xx" (lower-case hex);
// other bytes are copied. Nothing for a null text, a byte length outside
// 2..2048, or when neither conversion succeeds.
std::optional<std::string> RtfEscapeText(const char16_t* text, uint32_t byteLength, uint32_t codePage,
                                         ICodePages& codePages);

} // namespace brx
