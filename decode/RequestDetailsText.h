// The one-line "Request Details" text of a capture-list row: the context the
// list hands over and the writers that put text into its buffer.
#pragma once
#include <cstddef>
#include <cstdint>

#include "capture/Record.h"
#include "capture/RecordView.h"
#include "capture/Result.h"

namespace brx {

class CHIDDeviceRDHash;

struct REQUEST_DETAILS_CONTEXT {
    const CRecordPairView* pair = nullptr; // the record, its companion and a mass-storage stage's CDB
    char16_t* text = nullptr;               // the column's buffer, left as it is when nothing applies
    uint32_t textSize = 0;                  // in characters, the terminator included
    const RECORD_LAYOUT* layout = nullptr;  // the log's layout; null reads the default layout
    const CHIDDeviceRDHash* reportDescriptors = nullptr; // the log's report descriptors, may be null
};

// The longest text a printf-style writer formats before conversion.
constexpr size_t REQUEST_DETAILS_MAX_TEXT = 512;

// Windows-1252 text converted into the buffer, cut to its size. S_OK32, or
// E_FAIL32 (buffer left as it was) without a buffer or text.
HRESULT32 RequestDetailsPutText(const REQUEST_DETAILS_CONTEXT& ctx, const char* text);
HRESULT32 RequestDetailsPrintf(const REQUEST_DETAILS_CONTEXT& ctx, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// UTF-16 characters copied into the buffer, cut to its size.
HRESULT32 RequestDetailsPutWide(const REQUEST_DETAILS_CONTEXT& ctx, const char16_t* text, size_t count);

} // namespace brx
