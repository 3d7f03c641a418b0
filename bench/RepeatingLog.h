// The log the filter benchmarks run over: record i is pool record i % kPool,
// a pool of typical records (control, bulk in/out, mass-storage, PnP and hub
// requests) read into the filter's view under a lock as the capture store
// does.
#pragma once
#include <cstring>
#include <mutex>
#include <vector>

#include "capture/Filter.h"
#include "capture/RecordIndexer.h"
#include "sim/RecordBuilder.h"

namespace brx::bench {

constexpr uint32_t kPool = 4096;

// A log whose record i is pool record i % kPool.
class RepeatingLog final : public IFilterLog {
public:
    RepeatingLog() {
        RecordBuilder b;
        RecordStream s;
        DeviceSpec d;
        MassStorageDevice disk = MakeMassStorageDevice(0x85550000);
        const PipeSpec in{0x81, 0x8A0C2000, 0}, out{0x02, 0x8A0C2100, 0};
        for (uint32_t turn = 0; s.count() < kPool; ++turn) {
            const uint32_t n = 64u << (turn % 4);
            switch (turn % 6) {
            case 0: {
                const uint8_t setup[8] = {0x80, 0x06, 0, 1, 0, 0, 18, 0};
                s.Add(b.UrbIssue(d, ControlTransfer(setup), b.NewIrp()));
                s.Add(b.UrbCompletion(d, ControlTransfer(setup, Bytes(18, 0x11)), b.Last()));
                break;
            }
            case 1:
            case 2:
                s.Add(b.UrbIssue(d, BulkTransfer(in, n), b.NewIrp()));
                s.Add(b.UrbCompletion(d, BulkTransfer(in, n, Bytes(n, 0x22)), b.Last()));
                break;
            case 3:
                s.Add(b.UrbIssue(d, BulkTransfer(out, n, Bytes(n, 0x33)), b.NewIrp()));
                s.Add(b.UrbCompletion(d, BulkTransfer(out, n), b.Last()));
                break;
            case 4: {
                std::vector<Bytes> recs;
                AppendMassStorageCommand(b, disk, {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, true, 512, Bytes(512, 0xAB),
                                         turn % 12 == 4, recs);
                s.Add(recs);
                break;
            }
            default:
                s.Add(b.Pnp(d, static_cast<uint8_t>(turn % 25), b.NewIrp()));
                s.Add(b.Complete(d, static_cast<uint16_t>(40 + turn % 25), b.Last(), 0));
                s.Add(b.IoctlIssue(d, 4351, 0x220424, 0, {}, b.NewIrp()));
                break;
            }
        }
        bytes_ = s.bytes();
        CRecordIndexer indexer(1024);
        indexer.Commit(bytes_.data(), static_cast<uint32_t>(bytes_.size()), 0, kDriverRecordLayout, pool_);
    }

    void SetCount(uint32_t count) {
        std::lock_guard<std::mutex> lock(store_);
        count_ = count;
    }
    uint32_t GetRecordCount() override {
        std::lock_guard<std::mutex> lock(store_);
        return count_;
    }
    HRESULT32 GetIndexEntry(uint32_t index, RECORD_INDEX_ENTRY& entry) override {
        std::lock_guard<std::mutex> lock(store_);
        if (index >= count_) return STG_E_READFAULT;
        entry = pool_.entries()[index % pool_.GetCount()];
        return S_OK32;
    }
    HRESULT32 ReadRecord(uint32_t index, CRecordView& view) override {
        std::lock_guard<std::mutex> lock(store_);
        if (index >= count_) return STG_E_READFAULT;
        const RECORD_INDEX_ENTRY& e = pool_.entries()[index % pool_.GetCount()];
        const uint32_t size = GetEntryRecordSize(e);
        const uint32_t copy = view.bufferSize < size ? view.bufferSize : size;
        std::memcpy(view.buffer, bytes_.data() + e.position, copy);
        FillRecordView(view, index, e, copy);
        return S_OK32;
    }
    HRESULT32 ReadRecordPair(uint32_t index, CRecordPairView& pair) override { return ReadRecord(index, pair.record); }
    RECORD_LAYOUT GetRecordLayout() override { return kDriverRecordLayout; }

private:
    std::mutex store_;
    Bytes bytes_;
    CVectorRecordIndex pool_;
    uint32_t count_ = 0;
};

} // namespace brx::bench
