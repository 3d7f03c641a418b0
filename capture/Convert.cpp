#include "capture/Convert.h"

#include "base/Format.h"

namespace brx {

std::string FormatGuidA(const GUID_DATA& g) {
    return StrFormat("{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", g.Data1, g.Data2, g.Data3,
                     g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                     g.Data4[7]);
}

WString FormatGuidW(const GUID_DATA& g) { return AnsiToWide(FormatGuidA(g)); }

std::optional<std::string> RtfEscapeText(const char16_t* text, uint32_t byteLength, uint32_t codePage,
                                         ICodePages& codePages) {
    if (!text || byteLength < 2 || byteLength > 2048) return std::nullopt;
    const uint32_t units = static_cast<uint32_t>(WideLength(text, byteLength / 2));
    if (units == 0) return std::string();

    std::string converted;
    auto convert = [&](uint32_t page, uint32_t flags) {
        uint32_t needed = codePages.WideCharToMultiByte(page, flags, text, units, nullptr, 0);
        if (needed == 0) return false;
        converted.assign(needed, '\0');
        uint32_t written = codePages.WideCharToMultiByte(page, flags, text, units, converted.data(), needed);
        converted.resize(written);
        return written != 0;
    };
    uint32_t usedPage = codePage;
    if (!convert(codePage, 0)) {
        if (codePage == CP_ANSI) return std::nullopt;
        usedPage = CP_ANSI;
        if (!convert(CP_ANSI, CONV_COMPOSITECHECK | CONV_DEFAULTCHAR | CONV_NO_BEST_FIT_CHARS))
            return std::nullopt;
    }

    const bool doubleBytes = converted.size() > units;
    std::string out;
    out.reserve(converted.size() + 10);
    for (size_t i = 0; i < converted.size(); ++i) {
        const uint8_t b = static_cast<uint8_t>(converted[i]);
        if (doubleBytes && i + 1 < converted.size() && codePages.IsDBCSLeadByteEx(usedPage, b)) {
            StrAppendF(out, "\\'%02x\\'%02x", static_cast<unsigned>(b),
                       static_cast<unsigned>(static_cast<uint8_t>(converted[i + 1])));
            ++i;
        } else if (b == '{' || b == '}') {
            out.push_back('\\');
            out.push_back(static_cast<char>(b));
        } else if (b < 0x20 || b == ';' || b == '\\' || b >= 0x80) {
            StrAppendF(out, "\\'%02x", static_cast<unsigned>(b));
        } else {
            out.push_back(static_cast<char>(b));
        }
    }
    return out;
}

} // namespace brx
