#include "capture/Convert.h"

#include "base/Format.h"

namespace brx {

std::string FormatGuidA(const GUID_DATA& g) {
    return StrFormat("{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", g.Data1, g.Data2, g.Data3,
                     g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                     g.Data4[7]);
}

WString FormatGuidW(const GUID_DATA& g) { return AnsiToWide(FormatGuidA(g)); }

std::optional<std::string> RtfEscapeText(const char16_t* text, uint32_t byteLength, uint32_t codePage) {
    if (!text || byteLength < 2 || byteLength > 2048) return std::nullopt;
    // Only the Windows-1252 conversion exists without the system; it has no
    // double-byte characters, so every converted byte stands alone.
    (void)codePage;
    size_t units = WideLength(text, byteLength / 2);
    std::string ansi = WideToAnsi(std::u16string_view(text, units));

    std::string out;
    out.reserve(ansi.size() + 10);
    for (char c : ansi) {
        uint8_t b = static_cast<uint8_t>(c);
        if (b == '{' || b == '}') {
            out.push_back('\\');
            out.push_back(c);
        } else if (b < 0x20 || b == ';' || b == '\\' || b >= 0x80) {
            StrAppendF(out, "\\'%02x", static_cast<unsigned>(b));
        } else {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace brx
