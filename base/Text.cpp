#include "base/Text.h"

namespace brx {
namespace {

// Windows-1252 bytes 80h-9Fh; 0 marks the five undefined positions.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

char16_t Cp1252ToWide(uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        char16_t c = kHigh[byte - 0x80];
        return c ? c : static_cast<char16_t>(byte);
    }
    return static_cast<char16_t>(byte);
}

bool WideToCp1252(char16_t ch, uint8_t& byte) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) {
        byte = static_cast<uint8_t>(ch);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        char16_t c = kHigh[i] ? kHigh[i] : static_cast<char16_t>(0x80 + i);
        if (c == ch) {
            byte = static_cast<uint8_t>(0x80 + i);
            return true;
        }
    }
    return false;
}

WString AnsiToWide(std::string_view ansi) {
    WString out;
    out.reserve(ansi.size());
    for (char c : ansi) out.push_back(Cp1252ToWide(static_cast<uint8_t>(c)));
    return out;
}

std::string WideToAnsi(std::u16string_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (char16_t c : wide) {
        uint8_t b;
        out.push_back(WideToCp1252(c, b) ? static_cast<char>(b) : '?');
    }
    return out;
}

WString Utf8ToWide(std::string_view s) {
    WString out;
    size_t i = 0;
    while (i < s.size()) {
        uint8_t b = static_cast<uint8_t>(s[i]);
        uint32_t cp;
        size_t n;
        if (b < 0x80) { cp = b; n = 1; }
        else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; n = 2; }
        else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; n = 3; }
        else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; n = 4; }
        else { out.push_back(0xFFFD); ++i; continue; }
        if (i + n > s.size()) { out.push_back(0xFFFD); break; }
        bool ok = true;
        for (size_t k = 1; k < n; ++k) {
            uint8_t c = static_cast<uint8_t>(s[i + k]);
            if ((c & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) { out.push_back(0xFFFD); ++i; continue; }
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string WideToUtf8(std::u16string_view w) {
    std::string out;
    for (size_t i = 0; i < w.size(); ++i) {
        uint32_t cp = w[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (w[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

size_t WideLength(const char16_t* s, size_t max) {
    size_t n = 0;
    if (!s) return 0;
    while (n < max && s[n]) ++n;
    return n;
}

bool WideEqualsIgnoreCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

} // namespace brx
