#include "decode/RequestDetailsText.h"

#include <cstdarg>
#include <cstdio>

#include "base/Text.h"

namespace brx {

HRESULT32 RequestDetailsPutText(const REQUEST_DETAILS_CONTEXT& ctx, const char* text) {
    if (!ctx.text || ctx.textSize == 0 || !text) return E_FAIL32;
    uint32_t n = 0;
    for (; text[n] && n + 1 < ctx.textSize; ++n) ctx.text[n] = Cp1252ToWide(static_cast<uint8_t>(text[n]));
    ctx.text[n] = 0;
    return S_OK32;
}

HRESULT32 RequestDetailsPrintf(const REQUEST_DETAILS_CONTEXT& ctx, const char* format, ...) {
    if (!format) return E_FAIL32;
    char text[REQUEST_DETAILS_MAX_TEXT];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0) return E_FAIL32;
    return RequestDetailsPutText(ctx, text);
}

HRESULT32 RequestDetailsPutWide(const REQUEST_DETAILS_CONTEXT& ctx, const char16_t* text, size_t count) {
    if (!ctx.text || ctx.textSize == 0 || !text) return E_FAIL32;
    size_t n = 0;
    for (; n < count && text[n] && n + 1 < ctx.textSize; ++n) ctx.text[n] = text[n];
    ctx.text[n] = 0;
    return S_OK32;
}

} // namespace brx
