// The capture list's Request Details column: formatting the text of records
// of mixed kinds (Bulk-Only commands, interrupt and control transfers, PnP and
// power IRPs, hub device control), each read into its pair view as the list
// reads a row. Reported per record, with the read alone beside it.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/MixedLog.h"
#include "protocols/RequestDetails.h"

using namespace brx;

namespace {

constexpr uint32_t kRecords = 100000;

void Run(benchmark::State& state, bool format) {
    testing::FakeFilterLog& log = bench::MixedLog<kRecords>();
    const RECORD_LAYOUT layout = log.GetRecordLayout();
    std::vector<uint8_t> a(8192), b(8192);
    char16_t text[260];
    const uint32_t count = log.GetRecordCount();
    for (auto _ : state) {
        for (uint32_t i = 0; i < count; ++i) {
            CRecordPairView pair;
            pair.Init(a.data(), 8192, b.data(), 8192);
            log.ReadRecordPair(i, pair);
            if (format) {
                REQUEST_DETAILS_CONTEXT ctx;
                ctx.pair = &pair;
                ctx.text = text;
                ctx.textSize = 260;
                ctx.layout = &layout;
                text[0] = 0;
                FormatRequestDetails(ctx);
            }
            benchmark::DoNotOptimize(text[0]);
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["ns/record"] =
        benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}

void BM_ReadPairOnly(benchmark::State& state) { Run(state, false); }
void BM_FormatRequestDetails(benchmark::State& state) { Run(state, true); }

BENCHMARK(BM_ReadPairOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatRequestDetails)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
