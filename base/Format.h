// printf-style formatting into std::string. Output is identical on both
// toolchains (MinGW builds with __USE_MINGW_ANSI_STDIO=1): format uint32_t with
// %u or %08X and 64-bit values with the <cinttypes> macros.
#pragma once
#include <cstdarg>
#include <string>

namespace brx {

std::string StrFormat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string StrFormatV(const char* fmt, va_list args);
// Appends to out; returns the number of characters appended.
size_t StrAppendF(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

} // namespace brx
