#include "app/panes/SummaryDocument.h"

#include <string_view>

namespace brx {

size_t BeginSummaryDocument(SUMMARY_CONTEXT& ctx, char* buffer, uint32_t size, const CRecordView* record,
                            const RECORD_LAYOUT& layout, const ISummaryNames* names, const char* proportionalFont,
                            const char* fixedFont) {
    InitSummaryContext(ctx, buffer, size ? size - 1 : 0, record, layout, names);
    if (!size) return 0;
    AppendSummaryHead(ctx, proportionalFont, fixedFont);
    return static_cast<size_t>(ctx.cursor - buffer);
}

size_t CloseSummaryDocument(SUMMARY_CONTEXT& ctx, char* buffer, size_t headLength) {
    if (!buffer || !ctx.cursor) return 0;
    if (ctx.remaining <= 1) {  // the body ran out of room
        const size_t length = static_cast<size_t>(ctx.cursor - buffer);
        const size_t kept = TrimCutSummary(buffer, headLength, length);
        ctx.remaining += static_cast<uint32_t>(length - kept);
        ctx.cursor = buffer + kept;
        *ctx.cursor = '\0';
    }
    // The character kept back by BeginSummaryDocument.
    ctx.cursor[0] = '}';
    ctx.cursor[1] = '\0';
    return static_cast<size_t>(ctx.cursor + 1 - buffer);
}

size_t TrimCutSummary(const char* text, size_t from, size_t length) {
    if (!text || from >= length) return from;
    const std::string_view body(text + from, length - from);
    // "\par" followed by something that cannot continue the word ("\pard"
    // is another word); a "\par" at the very end may have been cut from a
    // longer one.
    for (size_t at = body.rfind("\\par"); at != std::string_view::npos; at = at ? body.rfind("\\par", at - 1) : std::string_view::npos) {
        const size_t end = at + 4;
        if (end >= body.size()) continue;
        const char next = body[end];
        const bool wordEnds = !(next >= 'a' && next <= 'z') && !(next >= 'A' && next <= 'Z') &&
                              !(next >= '0' && next <= '9') && next != '-';
        if (!wordEnds) continue;
        // A backslash before it escapes it as text ("\\par").
        size_t slashes = 0;
        for (size_t i = at; i > 0 && body[i - 1] == '\\'; --i) ++slashes;
        if (slashes % 2) continue;
        return from + end;
    }
    return from;
}

} // namespace brx
