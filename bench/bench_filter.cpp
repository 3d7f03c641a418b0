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
#include "bench/RepeatingLog.h"

using namespace brx;
using brx::bench::kPool;
using brx::bench::RepeatingLog;

namespace {

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
