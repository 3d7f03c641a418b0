// The capture list's rows: the colours of a row by request kind and outcome,
// the filling of the text cache for the rows of one cache hint, and the
// column layout the list keeps in the registry.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/list/ColumnText.h"
#include "app/list/ListCache.h"

namespace brx {

class CFilter;

constexpr LIST_COLOR MakeListColor(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<LIST_COLOR>(r) | (static_cast<LIST_COLOR>(g) << 8) | (static_cast<LIST_COLOR>(b) << 16);
}
// Text of failed requests and drop markers.
constexpr LIST_COLOR kErrorTextColor = MakeListColor(204, 0, 0);

// The colour class of a request row (0: none) and the colour of a class.
int32_t GetKindColorClass(const CRecordView& record);
LIST_COLOR GetKindColor(int32_t colorClass);
// A request row's background: its class colour, or the window colour.
LIST_COLOR GetKindBkColor(const CRecordView& record, LIST_COLOR windowColor);
// A failed completion: negative NTSTATUS, negative USBD status of a URB, or a
// mass-storage status wrapper that reports a failed command.
bool IsFailedCompletion(const CRecordView& record, const RECORD_LAYOUT& layout);
LIST_COLOR GetErrorTextColor(const CRecordView& record, const RECORD_LAYOUT& layout, LIST_COLOR windowText);
// The window colour with each of red, green and blue less by 4 (modulo 256).
LIST_COLOR GetOddRowShade(LIST_COLOR windowColor);

struct LIST_ROW_COLORS {
    LIST_COLOR window = MakeListColor(255, 255, 255);
    LIST_COLOR windowText = 0;
    bool colorizeBk = true;
    bool colorizeErrorFg = true;
};

// Reads the rows from..to (inclusive) of the filter into the cache, as the
// list does for a cache hint: the cache is cleared first; a row that cannot
// be read gets no cells. Each row is read into `pair` (bound to buffers by
// the caller); the context's pair, text and size are set here, the rest is
// the caller's.
void FillListCacheRows(CListCache& cache, CFilter& filter, CRecordPairView& pair, COLUMN_TEXT_CONTEXT& ctx,
                       int32_t from, int32_t to, int32_t columns, const LIST_ROW_COLORS& colors);

// ---------------------------------------------------------------------------
// Column state: count n (1 to 64), then n display positions, n widths and n
// visibility flags, all 32-bit little-endian: exactly 4 + 12 * n bytes.

constexpr uint32_t MAX_STATE_COLUMNS = 64;

struct COLUMN_STATE {
    std::vector<int32_t> order;
    std::vector<int32_t> widths;
    std::vector<int32_t> visible;
};

// n at most 64, every entry in 0..n-1, none twice.
bool IsValidColumnOrder(const int32_t* order, size_t n);
// False (state untouched) for anything but a well-formed value.
bool ParseColumnState(const uint8_t* bytes, size_t size, COLUMN_STATE& state);
// Empty for a state whose three arrays differ in size or hold more than 64.
std::vector<uint8_t> BuildColumnState(const COLUMN_STATE& state);
// The default layout of `count` columns (at most 15): table order and widths, all visible.
COLUMN_STATE DefaultColumnState(size_t count);

} // namespace brx
