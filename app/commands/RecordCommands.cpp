#include "app/commands/RecordCommands.h"

#include "base/ByteReader.h"
#include "capture/Filter.h"
#include "capture/FilterLog.h"
#include "capture/MatchCriteria.h"
#include "capture/RecordView.h"
#include "decode/RecordDataBytes.h"

namespace brx {

namespace {

// A record of the size its entry gives, read whole or not at all.
template <class Read>
std::optional<std::vector<uint8_t>> ReadSized(const RECORD_INDEX_ENTRY& entry, Read&& read) {
    const uint32_t size = GetEntryRecordSize(entry);
    if (size < RECORD_COUNTER_OFFSET + 8) return std::nullopt;
    std::vector<uint8_t> bytes(size);
    CRecordView view;
    view.Init(bytes.data(), size);
    if (read(view) != S_OK32 || view.copied != size) return std::nullopt;
    return bytes;
}

} // namespace

std::optional<std::vector<uint8_t>> ReadWholeRowRecord(CFilter& filter, uint32_t row) {
    RECORD_INDEX_ENTRY entry{};
    if (filter.GetIndexEntry(row, entry) != S_OK32) return std::nullopt;
    return ReadSized(entry, [&](CRecordView& view) { return filter.ReadRecord(row, view); });
}

std::optional<uint32_t> CorrespondingSequence(CFilter& filter, IFilterLog& log, uint32_t row) {
    RECORD_INDEX_ENTRY entry{};
    if (filter.GetIndexEntry(row, entry) != S_OK32) return std::nullopt;
    if (GetEntryRecordType(entry) != RECORD_TYPE_REQUEST) return std::nullopt;
    const uint32_t companion = GetEntryCompanion(entry);
    if (companion == NO_INDEX) return std::nullopt;
    RECORD_INDEX_ENTRY companionEntry{};
    if (log.GetIndexEntry(companion, companionEntry) != S_OK32) return std::nullopt;
    const auto bytes = ReadSized(companionEntry, [&](CRecordView& view) { return log.ReadRecord(companion, view); });
    if (!bytes) return std::nullopt;
    return GetRecordSequence(bytes->data(), bytes->size());
}

bool FindRecord(CFilter& filter, const RECORD_LAYOUT& layout, const CMatchCriteria& criteria, uint32_t row) {
    uint8_t buffer[FIND_VIEW_SIZE];
    CRecordView view;
    view.Init(buffer, sizeof buffer);
    if (filter.ReadRecord(row, view) != S_OK32) return false;
    if (!criteria.Match(view, layout)) return false;
    if (criteria.PatternLength() == 0) return true;
    // The data pattern is looked for in the record's data bytes, the ones the
    // raw data pane shows; a record larger than the view is read whole.
    if (view.copied >= view.size) {
        const RECORD_DATA_BYTES data = GetRecordDataBytes(view, layout);
        return criteria.MatchPattern(data.bytes, data.length) != 0;
    }
    std::vector<uint8_t> whole(view.size);
    CRecordView full;
    full.Init(whole.data(), view.size);
    if (filter.ReadRecord(row, full) != S_OK32 || full.copied != view.size) return false;
    const RECORD_DATA_BYTES data = GetRecordDataBytes(full, layout);
    return criteria.MatchPattern(data.bytes, data.length) != 0;
}

std::optional<uint32_t> FindMatchingRow(CFilter& filter, const RECORD_LAYOUT& layout, const CMatchCriteria& criteria,
                                        uint32_t count, int64_t selected, bool forward) {
    if (count == 0) return std::nullopt;
    if (forward) {
        for (int64_t row = selected < 0 ? 0 : selected + 1; row < count; ++row)
            if (FindRecord(filter, layout, criteria, static_cast<uint32_t>(row))) return static_cast<uint32_t>(row);
    } else {
        const int64_t last = int64_t{count} - 1;
        for (int64_t row = selected < 0 || selected > last ? last : selected - 1; row >= 0; --row)
            if (FindRecord(filter, layout, criteria, static_cast<uint32_t>(row))) return static_cast<uint32_t>(row);
    }
    return std::nullopt;
}

std::optional<ElapsedReference> ReferenceOfRecord(const std::vector<uint8_t>& record) {
    ElapsedReference ref;
    const ByteReader reader(record.data(), record.size());
    if (!reader.u64le(RECORD_COUNTER_OFFSET, ref.counter) || !reader.u32le(RECORD_SEQUENCE_OFFSET, ref.sequence))
        return std::nullopt;
    return ref;
}

std::optional<uint32_t> DeviceObjectOfRecord(const std::vector<uint8_t>& record, const RECORD_LAYOUT& layout) {
    if (GetRecordRequest(record.data(), record.size(), layout) == nullptr) return std::nullopt;
    return GetRequestDeviceObject(record.data(), record.size(), layout);
}

} // namespace brx
