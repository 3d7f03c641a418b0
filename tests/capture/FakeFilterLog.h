// An in-memory capture log for the filter and criteria tests: records are
// appended as the driver's reads deliver them, indexed by the store's own
// indexing core, and read back into views as the store reads them. It takes
// its own lock like the store and counts the record reads, so tests can see
// how much of the log a filter looked at.
#pragma once
#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

#include "capture/FilterLog.h"
#include "capture/RecordIndexer.h"
#include "capture/RecordView.h"
#include "capture/Result.h"
#include "sim/RecordBuilder.h"

namespace brx::testing {

class FakeFilterLog final : public IFilterLog {
public:
    explicit FakeFilterLog(const RECORD_LAYOUT& layout = kDriverRecordLayout) : layout_(layout) {}

    // Appends one read's worth of records (as one commit).
    void Append(const std::vector<Bytes>& records) {
        std::lock_guard<std::mutex> lock(store_);
        Bytes window;
        for (const Bytes& r : records) window.insert(window.end(), r.begin(), r.end());
        const uint32_t base = static_cast<uint32_t>(bytes_.size());
        bytes_.insert(bytes_.end(), window.begin(), window.end());
        indexer_.Commit(window.data(), static_cast<uint32_t>(window.size()), base, layout_, index_);
    }
    void Append(const Bytes& record) { Append(std::vector<Bytes>{record}); }
    void Clear() {
        std::lock_guard<std::mutex> lock(store_);
        bytes_.clear();
        index_.Clear();
        indexer_.Clear();
    }

    uint32_t GetRecordCount() override {
        std::lock_guard<std::mutex> lock(store_);
        return index_.GetCount();
    }
    HRESULT32 GetIndexEntry(uint32_t index, RECORD_INDEX_ENTRY& entry) override {
        std::lock_guard<std::mutex> lock(store_);
        if (index >= index_.GetCount()) return STG_E_READFAULT;
        entry = *index_.GetAt(index);
        return S_OK32;
    }
    HRESULT32 ReadRecord(uint32_t index, CRecordView& view) override {
        std::lock_guard<std::mutex> lock(store_);
        return ReadLocked(index, view);
    }
    HRESULT32 ReadRecordPair(uint32_t index, CRecordPairView& pair) override {
        std::lock_guard<std::mutex> lock(store_);
        pair.companionPresent = 0;
        pair.cdbPresent = 0;
        HRESULT32 hr = ReadLocked(index, pair.record);
        if (hr != S_OK32) return hr;
        if (pair.record.type == RECORD_TYPE_REQUEST && pair.record.companion != NO_INDEX) {
            hr = ReadLocked(pair.record.companion, pair.companion);
            if (hr == S_OK32) pair.companionPresent = 1;
        }
        return hr;
    }
    RECORD_LAYOUT GetRecordLayout() override { return layout_; }

    uint64_t reads() const { return reads_.load(); }
    void ResetReads() { reads_.store(0); }

private:
    HRESULT32 ReadLocked(uint32_t index, CRecordView& view) {
        ++reads_;
        if (index >= index_.GetCount()) return STG_E_READFAULT;
        const RECORD_INDEX_ENTRY& e = *index_.GetAt(index);
        const uint32_t size = GetEntryRecordSize(e);
        uint32_t copy = view.bufferSize < size ? view.bufferSize : size;
        if (e.position > bytes_.size() || copy > bytes_.size() - e.position) return STG_E_READFAULT;
        if (copy) std::memcpy(view.buffer, bytes_.data() + e.position, copy);
        FillRecordView(view, index, e, copy);
        return S_OK32;
    }

    RECORD_LAYOUT layout_;
    std::mutex store_;
    Bytes bytes_;
    CVectorRecordIndex index_;
    CRecordIndexer indexer_{1024};
    std::atomic<uint64_t> reads_{0};
};

} // namespace brx::testing
