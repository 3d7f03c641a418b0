#include "base/Format.h"

#include <cstdio>

namespace brx {

std::string StrFormatV(const char* fmt, va_list args) {
    std::string out;
    va_list copy;
    va_copy(copy, args);
    char small[256];
    int n = vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (n < 0) return out;
    if (static_cast<size_t>(n) < sizeof small) {
        out.assign(small, static_cast<size_t>(n));
        return out;
    }
    out.resize(static_cast<size_t>(n) + 1);
    vsnprintf(out.data(), out.size(), fmt, args);
    out.resize(static_cast<size_t>(n));
    return out;
}

std::string StrFormat(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string s = StrFormatV(fmt, args);
    va_end(args);
    return s;
}

size_t StrAppendF(std::string& out, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string s = StrFormatV(fmt, args);
    va_end(args);
    out += s;
    return s.size();
}

} // namespace brx
