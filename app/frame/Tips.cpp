#include "app/frame/Tips.h"

namespace brx {

std::vector<WString> TipsFromResource(const uint8_t* bytes, size_t size) {
    std::vector<WString> tips;
    if (!bytes || size < 2) return tips;
    WString piece;
    for (size_t at = 2; at + 1 < size; at += 2) {
        const char16_t c = static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8));
        if (c == u'\0') break;
        if (c == u'\r' || c == u'\n') {
            if (!piece.empty()) tips.push_back(std::move(piece));
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.empty()) tips.push_back(std::move(piece));
    return tips;
}

} // namespace brx
