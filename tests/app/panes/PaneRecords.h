// Records of the pane tests: built by the record builder, indexed by the
// store's own indexer through the in-memory log, and read back as the
// capture list reads a selected row (record and companion).
#pragma once
#include <algorithm>
#include <memory>
#include <vector>

#include "capture/RecordView.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/FakeFilterLog.h"

namespace brx::testing {

// A pair read back from a log, in buffers of exactly the records' sizes.
struct ReadPair {
    std::vector<uint8_t> a, b;
    CRecordPairView pair;
    RECORD_LAYOUT layout{};
};

inline std::unique_ptr<ReadPair> ReadBack(FakeFilterLog& log, uint32_t index) {
    auto r = std::make_unique<ReadPair>();
    RECORD_INDEX_ENTRY entry{};
    if (log.GetIndexEntry(index, entry) != S_OK32) return nullptr;
    r->a.resize(GetEntryRecordSize(entry));
    uint32_t companionSize = 4096;
    RECORD_INDEX_ENTRY other{};
    if (GetEntryCompanion(entry) != NO_INDEX && log.GetIndexEntry(GetEntryCompanion(entry), other) == S_OK32)
        companionSize = GetEntryRecordSize(other);
    r->b.resize(companionSize);
    r->pair.Init(r->a.data(), static_cast<uint32_t>(r->a.size()), r->b.data(), static_cast<uint32_t>(r->b.size()));
    if (log.ReadRecordPair(index, r->pair) != S_OK32) return nullptr;
    r->layout = log.GetRecordLayout();
    return r;
}

// One record alone in a log of its own.
inline std::unique_ptr<ReadPair> ReadOne(const Bytes& record, const RECORD_LAYOUT& layout = kDriverRecordLayout) {
    FakeFilterLog log(layout);
    log.Append(record);
    return ReadBack(log, 0);
}

// A GET_DESCRIPTOR completion of a configuration of n endpoint descriptors:
// one summary line per endpoint.
inline std::unique_ptr<ReadPair> ConfigurationCompletion(size_t endpoints) {
    Bytes data(9 + 7 * endpoints, 0);
    const uint8_t head[9] = {9, 2, 0, 0, 1, 1, 0, 0x80, 50};
    std::copy(head, head + 9, data.begin());
    PutU16(data, 2, static_cast<uint16_t>(data.size()));
    for (size_t i = 0; i < endpoints; ++i) {
        const uint8_t endpoint[7] = {7, 5, static_cast<uint8_t>(0x81 + i % 15), 2, 0x00, 0x02, 0};
        std::copy(endpoint, endpoint + 7, data.begin() + static_cast<long>(9 + 7 * i));
    }
    RecordBuilder b;
    return ReadOne(b.UrbCompletion(DeviceSpec{}, GetDescriptor(2, 0, 0, static_cast<uint32_t>(data.size()), data),
                                   Issued{1, 0x8A123000}));
}

} // namespace brx::testing
