// Conversion of UTF-16 text into an 8-bit code page, with the shape of the
// system calls it stands for (WideCharToMultiByte, IsDBCSLeadByteEx). The
// product converts through the system (capture/win/SystemCodePages.h); the
// native build and tests use TableCodePages, which knows only the code pages
// below.
#pragma once
#include <cstdint>

namespace brx {

constexpr uint32_t CP_ANSI = 0;       // the system's ANSI code page
constexpr uint32_t CP_WESTERN = 1252; // Windows-1252
constexpr uint32_t CP_JAPANESE = 932; // Shift-JIS, a double-byte code page

// Conversion flags, with the values of the system's WC_ flags.
constexpr uint32_t CONV_DEFAULTCHAR = 0x40;
constexpr uint32_t CONV_COMPOSITECHECK = 0x200;
constexpr uint32_t CONV_NO_BEST_FIT_CHARS = 0x400;

class ICodePages {
public:
    virtual ~ICodePages() = default;
    // Converts `units` UTF-16 units (at least 1) into code page `codePage`:
    // the bytes written to out (at most capacity), or with capacity 0 the
    // bytes needed. 0 on failure: an unknown code page, flags the code page
    // does not take, or an output too small.
    virtual uint32_t WideCharToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* text,
                                         uint32_t units, char* out, uint32_t capacity) = 0;
    // Whether the byte starts a two-byte character in the code page.
    virtual bool IsDBCSLeadByteEx(uint32_t codePage, uint8_t byte) = 0;
};

// Code pages without the system: 0 and 1252 (Windows-1252, every character it
// lacks becomes "?"), and 932 with ASCII, the half-width katakana, the
// ideographic space, hiragana, full-width katakana, full-width digits and
// Latin letters and the kanji 中, 日, 本 and 表 (every other character becomes
// "?"). Other code pages fail, as unknown ones do on the system.
ICodePages& TableCodePages();

} // namespace brx
