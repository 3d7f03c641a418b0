#include "capture/win/SystemCodePages.h"

#include <windows.h>

namespace brx {

namespace {

class CSystemCodePages final : public ICodePages {
public:
    uint32_t WideCharToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* text, uint32_t units,
                                 char* out, uint32_t capacity) override {
        int n = ::WideCharToMultiByte(codePage, flags, reinterpret_cast<LPCWCH>(text), static_cast<int>(units),
                                      out, static_cast<int>(capacity), nullptr, nullptr);
        return n > 0 ? static_cast<uint32_t>(n) : 0;
    }
    bool IsDBCSLeadByteEx(uint32_t codePage, uint8_t byte) override {
        return ::IsDBCSLeadByteEx(codePage, byte) != FALSE;
    }
};

} // namespace

ICodePages& SystemCodePages() {
    static CSystemCodePages pages;
    return pages;
}

} // namespace brx
