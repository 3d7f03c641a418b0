// The request summary document around the summary writers' body: the
// writers stop one character short of the size they are given, which keeps
// the place of the document's closing brace. A body that ran out of room
// stops wherever the buffer ended, perhaps inside a control word (a lone
// backslash there would turn the closing brace into a literal one), so it
// is cut back to its last whole paragraph first.
#pragma once
#include <cstddef>
#include <cstdint>

#include "decode/SummaryWriter.h"

namespace brx {

// Binds the context to a buffer of `size` characters, keeping the last one
// for the closing brace, and writes the document head with the two font
// names. Returns the head's length.
size_t BeginSummaryDocument(SUMMARY_CONTEXT& ctx, char* buffer, uint32_t size, const CRecordView* record,
                            const RECORD_LAYOUT& layout, const ISummaryNames* names, const char* proportionalFont,
                            const char* fixedFont);

// Ends the document at the cursor with "}" (cutting a full body back
// first) and returns its length. The cursor stays before the brace, so that
// more body can follow and the document be closed again.
size_t CloseSummaryDocument(SUMMARY_CONTEXT& ctx, char* buffer, size_t headLength);

// Where a cut-off summary body is cut back to: behind the last whole "\par"
// at or after `from`, or `from` itself when the body has none.
size_t TrimCutSummary(const char* text, size_t from, size_t length);

} // namespace brx
