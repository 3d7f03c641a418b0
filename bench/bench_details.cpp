// The capture list's Request Details column: formatting the text of records
// of mixed kinds (Bulk-Only commands, interrupt and control transfers, PnP and
// power IRPs, hub device control), each read into its pair view as the list
// reads a row. Reported per record, with the read alone beside it.
#include <benchmark/benchmark.h>

#include "bench/MixedLog.h"
#include "protocols/RequestDetails.h"

using namespace brx;

namespace {

constexpr uint32_t kRecords = 100000;

void Run(benchmark::State& state, bool format) {
    const RECORD_LAYOUT layout = bench::MixedLog<kRecords>().GetRecordLayout();
    char16_t text[260];
    auto details = [&](const CRecordPairView& pair) {
        REQUEST_DETAILS_CONTEXT ctx;
        ctx.pair = &pair;
        ctx.text = text;
        ctx.textSize = 260;
        ctx.layout = &layout;
        text[0] = 0;
        FormatRequestDetails(ctx);
        benchmark::DoNotOptimize(text[0]);
    };
    bench::RunOverPairs<kRecords>(state, "ns/record", format ? &details : nullptr);
}

void BM_ReadPairOnly(benchmark::State& state) { Run(state, false); }
void BM_FormatRequestDetails(benchmark::State& state) { Run(state, true); }

BENCHMARK(BM_ReadPairOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatRequestDetails)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
