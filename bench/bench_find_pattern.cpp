// Filter rebuild and data-pattern search over 1 million records: a full
// rebuild of the applied filter, and find next with a 4-byte data pattern
// that no record holds (every row is tested: the worst case), against the
// same search without a pattern. The log repeats a pool of typical records
// (control, bulk in/out, mass-storage, PnP and hub requests).
#include <benchmark/benchmark.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "app/commands/RecordCommands.h"
#include "capture/Filter.h"
#include "capture/RecordIndexer.h"
#include "sim/RecordBuilder.h"
#include "bench/RepeatingLog.h"

using namespace brx;
using brx::bench::kPool;
using brx::bench::RepeatingLog;

namespace {

constexpr uint32_t kRecords = 1000000;

std::vector<uint8_t> Everything() {
    std::vector<uint8_t> image(CRITERIA_IMAGE_SIZE, 0);
    for (uint32_t at : {CRITERIA_ISSUE, CRITERIA_SUCCESS, CRITERIA_FAILURE, CRITERIA_INPUT, CRITERIA_OUTPUT})
        image[at] = 1;
    for (uint32_t i = 0; i < KIND_SELECTION_COUNT; ++i) image[CRITERIA_KINDS + i] = 1;
    return image;
}

void BM_FilterRebuild1M(benchmark::State& state) {
    RepeatingLog log;
    log.SetCount(kRecords);
    CFilter filter;
    filter.SetLogSource([&log] { return static_cast<IFilterLog*>(&log); });
    const std::vector<uint8_t> image = Everything();
    filter.SetCriteria(image.data(), image.size());
    for (auto _ : state) {
        filter.Apply(1);
        benchmark::DoNotOptimize(filter.GetRowCount());
    }
    state.counters["rows"] = filter.GetRowCount();
    state.counters["ns_per_record"] =
        benchmark::Counter(static_cast<double>(kRecords) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FilterRebuild1M)->Unit(benchmark::kMillisecond)->Iterations(3);

// Arg: pattern length (0: no pattern).
void BM_FindPattern1M(benchmark::State& state) {
    RepeatingLog log;
    log.SetCount(kRecords);
    CFilter filter;
    filter.SetLogSource([&log] { return static_cast<IFilterLog*>(&log); });
    std::vector<uint8_t> image = Everything();
    const uint8_t pattern[] = {0xFE, 0xED, 0xFA, 0xCE};
    image[CRITERIA_PATTERN_COUNT] = static_cast<uint8_t>(state.range(0));
    std::memcpy(image.data() + CRITERIA_PATTERN, pattern, sizeof pattern);
    CFindSettings criteria;
    criteria.SetImage(image.data(), image.size());
    std::optional<uint32_t> found;
    for (auto _ : state) {
        // Without a pattern the first row matches: search for a row past the
        // end instead, so that both runs test every row.
        if (state.range(0) == 0) {
            for (uint32_t row = 0; row < kRecords; ++row)
                benchmark::DoNotOptimize(FindRecord(filter, kDriverRecordLayout, criteria, row));
        } else {
            found = FindMatchingRow(filter, kDriverRecordLayout, criteria, kRecords, -1, true);
            benchmark::DoNotOptimize(found);
        }
    }
    state.counters["found"] = found.has_value() ? 1 : 0;
    state.counters["ns_per_record"] =
        benchmark::Counter(static_cast<double>(kRecords) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FindPattern1M)->Arg(0)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
