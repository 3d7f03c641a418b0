#include "app/list/ListRows.h"

#include "base/ByteReader.h"
#include "capture/Filter.h"
#include "capture/MatchCriteria.h"
#include "capture/RequestKind.h"

namespace brx {

int32_t GetKindColorClass(const CRecordView& record) {
    const uint32_t kind = record.kind;
    if (kind >= KIND_CREATE && kind <= KIND_CLEANUP) return 2;
    if (IsPnpKind(kind)) return 3;
    if (IsPowerKind(kind)) return 4;
    if (IsKernelIoctlKind(kind)) return 7;
    if (IsUserIoctlKind(kind)) return 8;
    if (IsUrbKind(kind)) return record.massStorage ? 15 : 6;
    return 0;
}

LIST_COLOR GetKindColor(int32_t colorClass) {
    switch (colorClass) {
    case 2: return MakeListColor(255, 232, 210);
    case 3: return MakeListColor(255, 255, 224);
    case 4: return MakeListColor(255, 228, 228);
    case 7: return MakeListColor(255, 232, 255);
    case 8: return MakeListColor(230, 255, 255);
    case 9: return MakeListColor(230, 238, 255);
    case 13: return MakeListColor(230, 255, 255);
    case 15: return MakeListColor(237, 255, 242);
    default: return kNoColor;
    }
}

LIST_COLOR GetKindBkColor(const CRecordView& record, LIST_COLOR windowColor) {
    const LIST_COLOR color = GetKindColor(GetKindColorClass(record));
    return color == kNoColor ? windowColor : color;
}

bool IsFailedCompletion(const CRecordView& record, const RECORD_LAYOUT& layout) {
    if (record.type != RECORD_TYPE_REQUEST || !record.completion || !record.buffer) return false;
    const uint8_t* request = GetRecordRequest(record.buffer, record.copied, layout);
    if (request && static_cast<int32_t>(ByteReader(request, REQUEST_PART_SIZE).u32le_or(REQ_STATUS)) < 0) return true;
    if (!IsUrbKind(record.kind) || !record.urb || record.urbLength < 16 || !record.block || record.blockLength < 32)
        return false;
    if (static_cast<int32_t>(ByteReader(record.urb, record.urbLength).u32le_or(4)) < 0) return true;
    return IsFailedStatusWrapper(record);
}

LIST_COLOR GetErrorTextColor(const CRecordView& record, const RECORD_LAYOUT& layout, LIST_COLOR windowText) {
    return IsFailedCompletion(record, layout) ? kErrorTextColor : windowText;
}

LIST_COLOR GetOddRowShade(LIST_COLOR windowColor) {
    LIST_COLOR shade = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint8_t byte = static_cast<uint8_t>((windowColor >> shift) - 4);
        shade |= static_cast<LIST_COLOR>(byte) << shift;
    }
    return shade;
}

void FillListCacheRows(CListCache& cache, CFilter& filter, CRecordPairView& pair, COLUMN_TEXT_CONTEXT& ctx,
                       int32_t from, int32_t to, int32_t columns, const LIST_ROW_COLORS& colors) {
    char16_t text[COLUMN_TEXT_SIZE];
    text[0] = 0;
    ctx.pair = &pair;
    ctx.text = text;
    ctx.textSize = COLUMN_TEXT_SIZE;
    cache.Clear();
    for (int32_t row = from < 0 ? 0 : from; row <= to; ++row) {
        pair.Reset();
        if (filter.ReadRecordData(static_cast<uint32_t>(row), pair) != S_OK32) continue;
        const CRecordView& r = pair.record;
        if (r.type == RECORD_TYPE_REQUEST) {
            for (int32_t column = 0; column < columns; ++column) {
                GetColumnText(ctx, static_cast<uint32_t>(column));
                cache.Add(row, column, text);
                text[0] = 0;
                if (column == 0) {
                    if (colors.colorizeBk) cache.SetRowBkColor(row, GetKindBkColor(r, colors.window));
                    if (colors.colorizeErrorFg)
                        cache.SetRowTextColor(row, GetErrorTextColor(r, ctx.layout, colors.windowText));
                }
            }
        } else if (r.type == RECORD_TYPE_START || r.type == RECORD_TYPE_DROP) {
            const bool drop = r.type == RECORD_TYPE_DROP;
            for (int32_t column = 0; column < 3 && column < columns; ++column) {
                if (drop) {
                    GetDropMarkerColumnText(ctx, static_cast<uint32_t>(column));
                } else {
                    GetStartMarkerColumnText(ctx, static_cast<uint32_t>(column));
                }
                cache.Add(row, column, text);
                text[0] = 0;
                if (column == 0) {
                    if (colors.colorizeBk) cache.SetRowBkColor(row, colors.window);
                    if (drop && colors.colorizeErrorFg) cache.SetRowTextColor(row, kErrorTextColor);
                }
            }
        }
        if (row == INT32_MAX) break;
    }
    ctx.text = nullptr;
    ctx.textSize = 0;
}

bool IsValidColumnOrder(const int32_t* order, size_t n) {
    if (n > MAX_STATE_COLUMNS || (n && !order)) return false;
    bool seen[MAX_STATE_COLUMNS] = {};
    for (size_t i = 0; i < n; ++i) {
        if (order[i] < 0 || static_cast<size_t>(order[i]) >= n || seen[order[i]]) return false;
        seen[order[i]] = true;
    }
    return true;
}

bool ParseColumnState(const uint8_t* bytes, size_t size, COLUMN_STATE& state) {
    if (!bytes || size <= 3) return false;
    const ByteReader reader(bytes, size);
    const uint32_t n = reader.u32le_or(0);
    if (n < 1 || n > MAX_STATE_COLUMNS || size != 4 + 12 * static_cast<size_t>(n)) return false;
    COLUMN_STATE parsed;
    parsed.order.resize(n);
    parsed.widths.resize(n);
    parsed.visible.resize(n);
    for (uint32_t i = 0; i < n; ++i) {
        parsed.order[i] = static_cast<int32_t>(reader.u32le_or(4 + 4 * i));
        parsed.widths[i] = static_cast<int32_t>(reader.u32le_or(4 + 4 * (n + i)));
        parsed.visible[i] = static_cast<int32_t>(reader.u32le_or(4 + 4 * (2 * n + i)));
    }
    if (!IsValidColumnOrder(parsed.order.data(), n)) return false;
    state = std::move(parsed);
    return true;
}

std::vector<uint8_t> BuildColumnState(const COLUMN_STATE& state) {
    const size_t n = state.order.size();
    if (n > MAX_STATE_COLUMNS || state.widths.size() != n || state.visible.size() != n) return {};
    std::vector<uint8_t> out;
    out.reserve(4 + 12 * n);
    auto put = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(static_cast<uint32_t>(n));
    for (int32_t v : state.order) put(static_cast<uint32_t>(v));
    for (int32_t v : state.widths) put(static_cast<uint32_t>(v));
    for (int32_t v : state.visible) put(static_cast<uint32_t>(v));
    return out;
}

COLUMN_STATE DefaultColumnState(size_t count) {
    if (count > COLUMN_COUNT) count = COLUMN_COUNT;
    COLUMN_STATE state;
    for (size_t i = 0; i < count; ++i) {
        state.order.push_back(static_cast<int32_t>(i));
        state.widths.push_back(CAPTURE_LIST_COLUMNS[i].width);
        state.visible.push_back(1);
    }
    return state;
}

} // namespace brx
