#include "capture/CodePages.h"

#include "base/Text.h"

namespace brx {

namespace {

struct KanjiRow {
    char16_t unit;
    uint16_t code;
};
constexpr KanjiRow kKanji932[] = {
    {u'\u4E2D', 0x9286}, // 中
    {u'\u65E5', 0x93FA}, // 日
    {u'\u672C', 0x967B}, // 本
    {u'\u8868', 0x955C}, // 表 (trail byte 5Ch, a backslash on its own)
};

// The code-page 932 bytes of one unit: 1 or 2 (code in the low 8 or 16 bits).
uint32_t To932(char16_t u, uint16_t& code) {
    if (u < 0x80) {
        code = u;
        return 1;
    }
    if (u >= 0xFF61 && u <= 0xFF9F) { // half-width katakana A1h-DFh
        code = static_cast<uint16_t>(0xA1 + (u - 0xFF61));
        return 1;
    }
    if (u == 0x3000) code = 0x8140;
    else if (u >= 0x3041 && u <= 0x3093) code = static_cast<uint16_t>(0x829F + (u - 0x3041));
    else if (u >= 0x30A1 && u <= 0x30DF) code = static_cast<uint16_t>(0x8340 + (u - 0x30A1));
    else if (u >= 0x30E0 && u <= 0x30F6) code = static_cast<uint16_t>(0x8380 + (u - 0x30E0)); // 837Fh unused
    else if (u >= 0xFF10 && u <= 0xFF19) code = static_cast<uint16_t>(0x824F + (u - 0xFF10));
    else if (u >= 0xFF21 && u <= 0xFF3A) code = static_cast<uint16_t>(0x8260 + (u - 0xFF21));
    else if (u >= 0xFF41 && u <= 0xFF5A) code = static_cast<uint16_t>(0x8281 + (u - 0xFF41));
    else {
        for (const KanjiRow& row : kKanji932) {
            if (row.unit == u) {
                code = row.code;
                return 2;
            }
        }
        code = '?';
        return 1;
    }
    return 2;
}

class CTableCodePages final : public ICodePages {
public:
    uint32_t WideCharToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* text, uint32_t units,
                                 char* out, uint32_t capacity) override {
        constexpr uint32_t known = CONV_DEFAULTCHAR | CONV_COMPOSITECHECK | CONV_NO_BEST_FIT_CHARS;
        if (!text || units == 0 || (flags & ~known) != 0) return 0;
        if (codePage != CP_ANSI && codePage != CP_WESTERN && codePage != CP_JAPANESE) return 0;
        uint32_t written = 0;
        for (uint32_t i = 0; i < units; ++i) {
            uint8_t bytes[2];
            uint32_t n = 1;
            if (codePage == CP_JAPANESE) {
                uint16_t code = 0;
                n = To932(text[i], code);
                bytes[0] = static_cast<uint8_t>(n == 2 ? code >> 8 : code);
                bytes[1] = static_cast<uint8_t>(code);
            } else if (!WideToCp1252(text[i], bytes[0])) {
                bytes[0] = '?';
            }
            if (capacity != 0) {
                if (capacity - written < n) return 0;
                for (uint32_t k = 0; k < n; ++k) out[written + k] = static_cast<char>(bytes[k]);
            }
            written += n;
        }
        return written;
    }

    bool IsDBCSLeadByteEx(uint32_t codePage, uint8_t b) override {
        return codePage == CP_JAPANESE && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
    }
};

} // namespace

ICodePages& TableCodePages() {
    static CTableCodePages pages;
    return pages;
}

} // namespace brx
