#include "base/Markup.h"

#include <cstdio>

#include "base/Text.h"

namespace brx {

std::string_view MarkupForCodePoint(uint32_t cp, char (&scratch)[kMarkupScratch]) {
    switch (cp) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\t':
    case '\n':
    case '\r': return {};
    case 0xB5: return "&micro;";
    default: break;
    }
    if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) return ".";
    if (cp < 0x80) return {};
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
    const int n = std::snprintf(scratch, sizeof scratch, "&#%u;", static_cast<unsigned>(cp));
    return {scratch, static_cast<size_t>(n)};
}

std::string_view MarkupForByte(uint8_t byte, char (&scratch)[kMarkupScratch]) {
    return MarkupForCodePoint(byte < 0x80 ? byte : Cp1252ToWide(byte), scratch);
}

namespace {

// Calls emit(run) for every piece of markup of a UTF-16 text.
template <class Emit>
void ForEachWideMarkup(std::u16string_view wide, Emit emit) {
    char scratch[kMarkupScratch];
    for (size_t i = 0; i < wide.size(); ++i) {
        uint32_t cp = wide[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00u);
            ++i;
        }
        std::string_view m = MarkupForCodePoint(cp, scratch);
        if (m.empty()) {
            const char c = static_cast<char>(cp);
            emit(std::string_view(&c, 1));
        } else {
            emit(m);
        }
    }
}

template <class Emit>
void ForEachAnsiMarkup(std::string_view ansi, Emit emit) {
    char scratch[kMarkupScratch];
    size_t run = 0;
    for (size_t i = 0; i < ansi.size(); ++i) {
        std::string_view m = MarkupForByte(static_cast<uint8_t>(ansi[i]), scratch);
        if (m.empty()) continue;
        if (i > run) emit(ansi.substr(run, i - run));
        emit(m);
        run = i + 1;
    }
    if (ansi.size() > run) emit(ansi.substr(run));
}

std::string_view UpToNul(std::string_view s) {
    const size_t z = s.find('\0');
    return z == std::string_view::npos ? s : s.substr(0, z);
}

std::u16string_view UpToNul(std::u16string_view s) {
    const size_t z = s.find(u'\0');
    return z == std::u16string_view::npos ? s : s.substr(0, z);
}

template <class ForEach, class Text>
size_t FormatBounded(ForEach forEach, Text text, char* out, size_t size) {
    if (out == nullptr || size == 0) return 0;
    size_t n = 0;
    bool fits = true;
    forEach(UpToNul(text), [&](std::string_view piece) {
        if (!fits) return;
        if (piece.size() >= size - n) {
            fits = false;
            return;
        }
        for (char c : piece) out[n++] = c;
    });
    if (!fits) n = 0;
    out[n] = '\0';
    return n;
}

} // namespace

void AppendMarkupText(std::string& out, std::string_view ansi) {
    ForEachAnsiMarkup(ansi, [&](std::string_view piece) { out.append(piece); });
}

void AppendMarkupWide(std::string& out, std::u16string_view wide) {
    ForEachWideMarkup(wide, [&](std::string_view piece) { out.append(piece); });
}

std::string MarkupText(std::string_view ansi) {
    std::string out;
    AppendMarkupText(out, ansi);
    return out;
}

std::string MarkupWide(std::u16string_view wide) {
    std::string out;
    AppendMarkupWide(out, wide);
    return out;
}

size_t FormatMarkupText(std::string_view ansi, char* out, size_t size) {
    return FormatBounded([](std::string_view t, auto emit) { ForEachAnsiMarkup(t, emit); }, ansi, out, size);
}

size_t FormatUnicodeCharRefs(std::u16string_view wide, char* out, size_t size) {
    return FormatBounded([](std::u16string_view t, auto emit) { ForEachWideMarkup(t, emit); }, wide, out, size);
}

} // namespace brx
