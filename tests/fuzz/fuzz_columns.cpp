// The capture list's cell texts and colours, and the detail panes' choice of
// data bytes and status picture, for every record of an arbitrary record
// stream. Each record is read back into a buffer of its exact size (so ASan
// sees any read past a part); every column is written into a buffer of a size
// the input chooses, which must come back terminated inside it; the data
// bytes chosen must lie inside the copied record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/list/ColumnText.h"
#include "app/list/ListRows.h"
#include "app/panes/RecordData.h"
#include "tests/capture/FakeFilterLog.h"

using namespace brx;

namespace {

bool Terminated(const std::vector<char16_t>& text) {
    for (char16_t ch : text) {
        if (ch == 0) return true;
    }
    return false;
}

bool Inside(const RECORD_DATA_BYTES& bytes, const CRecordView& record) {
    if (bytes.length == 0) return true;
    const uint8_t* begin = record.buffer;
    const uint8_t* end = record.buffer + record.copied;
    return bytes.bytes >= begin && bytes.bytes <= end && bytes.length <= static_cast<size_t>(end - bytes.bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint32_t textSize = 1u + (data[0] >> 2) * 5u;  // 1 .. 316 characters
    const uint32_t timeFormat = data[0] & 3;
    ++data;
    --size;
    if (size > (1u << 20)) return 0;
    testing::FakeFilterLog log;
    log.Append(Bytes(data, data + size));
    const RECORD_LAYOUT layout = log.GetRecordLayout();
    const uint32_t count = log.GetRecordCount();
    for (uint32_t i = 0; i < count && i < 4096; ++i) {
        RECORD_INDEX_ENTRY entry;
        if (log.GetIndexEntry(i, entry) != S_OK32) continue;
        const uint32_t bytes = GetEntryRecordSize(entry);
        if (bytes == 0 || bytes > (1u << 20)) continue;
        std::vector<uint8_t> a(bytes), b(1u << 12);
        CRecordPairView pair;
        pair.Init(a.data(), bytes, b.data(), static_cast<uint32_t>(b.size()));
        if (log.ReadRecordPair(i, pair) != S_OK32) continue;
        const CRecordView& r = pair.record;

        std::vector<char16_t> text(textSize);
        COLUMN_TEXT_CONTEXT ctx;
        ctx.pair = &pair;
        ctx.text = text.data();
        ctx.textSize = textSize;
        ctx.layout = layout;
        ctx.frequency = 10000000;
        ctx.reference = static_cast<int64_t>(i) * 12345;
        ctx.timeFormat = timeFormat;
        ctx.elapsedFormat = timeFormat;
        ctx.durationFormat = timeFormat;
        for (uint32_t column = 0; column < COLUMN_COUNT; ++column) {
            text.assign(textSize, u'\xFFFF');
            text[0] = 0;
            if (r.type == RECORD_TYPE_START) {
                GetStartMarkerColumnText(ctx, column);
            } else if (r.type == RECORD_TYPE_DROP) {
                GetDropMarkerColumnText(ctx, column);
            } else {
                GetColumnText(ctx, column);
            }
            if (!Terminated(text)) std::abort();
        }
        (void)GetKindBkColor(r, 0xFFFFFF);
        (void)GetErrorTextColor(r, layout, 0);
        (void)GetStatusImage(r, layout);
        if (!Inside(GetRecordDataBytes(r, layout), r) || !Inside(GetIoctlBufferBytes(r, layout), r)) std::abort();
    }
    return 0;
}
