// UTF-16 text (char16_t) and the 8-bit Windows ANSI code page of western
// systems (Windows-1252), converted without any OS call.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brx {

using WString = std::u16string;

// Windows-1252 byte to UTF-16 (undefined bytes 81h, 8Dh, 8Fh, 90h, 9Dh map to
// the same-valued control characters, as Windows does).
char16_t Cp1252ToWide(uint8_t byte);
// UTF-16 unit to Windows-1252; false when the character has no byte there.
bool WideToCp1252(char16_t ch, uint8_t& byte);

WString AnsiToWide(std::string_view ansi);
// Characters without a Windows-1252 byte become the default character '?'.
std::string WideToAnsi(std::u16string_view wide);

WString Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::u16string_view wide);

// Length of a NUL-terminated UTF-16 text within at most max units.
size_t WideLength(const char16_t* s, size_t max);

// Whole texts equal when the letters A-Z and a-z are taken as the same (device
// instance IDs and object names are ASCII).
bool WideEqualsIgnoreCase(std::u16string_view a, std::u16string_view b);

} // namespace brx
