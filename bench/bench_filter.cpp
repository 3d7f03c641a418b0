// The record filter over a large log: applying it to 10 million index entries
// (a full rebuild) and appending 100,000 records to an applied filter (its
// incremental growth). The log holds a pool of typical records and repeats
// them through its index, reading each record into the filter's view under a
// lock as the capture store does.
#include <benchmark/benchmark.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "capture/Filter.h"
#include "capture/RecordIndexer.h"
#include "sim/RecordBuilder.h"

using namespace brx;

namespace {

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

std::vector<uint8_t> Criteria(bool everything) {
    std::vector<uint8_t> image(CRITERIA_IMAGE_SIZE, 0);
    image[CRITERIA_ISSUE] = 1;
    image[CRITERIA_FAILURE] = 1;
    image[CRITERIA_INPUT] = 1;
    image[CRITERIA_SUCCESS] = everything;
    image[CRITERIA_OUTPUT] = everything;
    if (everything) {
        for (uint32_t i = 0; i < KIND_SELECTION_COUNT; ++i) image[CRITERIA_KINDS + i] = 1;
    } else {
        for (int p : {64 + 9, 32 + 7, 196}) image[CRITERIA_KINDS + p] = 1;
    }
    return image;
}

// Arg 0: a typical selection (bulk-in issues and failures, one PnP minor, one
// hub request); arg 1: every phase, direction and kind.
void BM_FilterFullRebuild10M(benchmark::State& state) {
    RepeatingLog log;
    log.SetCount(10000000);
    CFilter filter;
    filter.SetLogSource([&log] { return static_cast<IFilterLog*>(&log); });
    const std::vector<uint8_t> image = Criteria(state.range(0) != 0);
    filter.SetCriteria(image.data(), image.size());
    for (auto _ : state) {
        filter.Apply(1);
        benchmark::DoNotOptimize(filter.GetRowCount());
    }
    state.counters["rows"] = filter.GetRowCount();
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 10000000);
}
BENCHMARK(BM_FilterFullRebuild10M)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// 100,000 records appended in reads of 500 records to a log of 10 million.
void BM_FilterAppend100K(benchmark::State& state) {
    RepeatingLog log;
    CFilter filter;
    filter.SetLogSource([&log] { return static_cast<IFilterLog*>(&log); });
    const std::vector<uint8_t> image = Criteria(state.range(0) != 0);
    filter.SetCriteria(image.data(), image.size());
    for (auto _ : state) {
        state.PauseTiming();
        log.SetCount(10000000);
        filter.Apply(1);
        state.ResumeTiming();
        for (uint32_t count = 10000000; count < 10100000;) {
            count += 500;
            log.SetCount(count);
            filter.OnLogNotify(LOG_NOTIFY_AFTER);
        }
        benchmark::DoNotOptimize(filter.GetRowCount());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 100000);
}
BENCHMARK(BM_FilterAppend100K)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
