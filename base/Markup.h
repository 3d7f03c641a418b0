// Text into HTML markup: the one escaping helper every page writer uses.
//
// Pages are ASCII. The markup specials & < > " become entities, characters
// outside ASCII become numeric character references ("&#233;"), the micro
// sign becomes "&micro;". C0 control characters other than tab, line feed and
// carriage return (and DEL) have no place in a page, not even as references:
// they show as ".". Narrow texts are Windows-1252 (the decoders' code page);
// wide texts are UTF-16, where a surrogate pair is one reference and a lone
// surrogate shows as U+FFFD.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brx {

// Room for the longest replacement of one character ("&#1114111;").
constexpr size_t kMarkupScratch = 12;

// The markup of one Unicode code point: empty when the character stands for
// itself (printable ASCII other than the specials, tab, LF, CR), else its
// replacement, which may be written into scratch.
std::string_view MarkupForCodePoint(uint32_t codePoint, char (&scratch)[kMarkupScratch]);
// The markup of one Windows-1252 byte (as above).
std::string_view MarkupForByte(uint8_t byte, char (&scratch)[kMarkupScratch]);

// Appends the escaped text to out.
void AppendMarkupText(std::string& out, std::string_view ansi);
void AppendMarkupWide(std::string& out, std::u16string_view wide);
std::string MarkupText(std::string_view ansi);
std::string MarkupWide(std::u16string_view wide);

// Bounded form for fixed buffers: writes the escaped text and a NUL into out
// (size bytes) and returns the characters written (NUL not counted). A text
// whose markup does not fit whole writes an empty text and returns 0. The
// input stops at its first zero unit.
size_t FormatMarkupText(std::string_view ansi, char* out, size_t size);
size_t FormatUnicodeCharRefs(std::u16string_view wide, char* out, size_t size);

} // namespace brx
