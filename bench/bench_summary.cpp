// The request summary: the RTF summary of records of mixed kinds (Bulk-Only
// commands, interrupt and control transfers, PnP and power IRPs, hub device
// control, markers), each read into its pair view as the pane reads the
// selected row, summarised into the pane's 512 KB buffer with the log's name
// tables. Reported as the time per summary, with the read alone beside it.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/MixedLog.h"
#include "decode/RequestSummary.h"

using namespace brx;

namespace {

constexpr uint32_t kRecords = 100000;
constexpr uint32_t kSummaryBuffer = 0x80000;

void Run(benchmark::State& state, bool summarize) {
    testing::FakeFilterLog& log = bench::MixedLog<kRecords>();
    const RECORD_LAYOUT layout = log.GetRecordLayout();
    CDeviceNameHash devices;
    CDriverNameHash drivers;
    devices.Add({0x87770020, 0x87770000}, u"\\Device\\USBPDO-4");
    drivers.Add({0x89B00200, 1}, u"\\Driver\\usbccgp");
    CSummaryNameTables names(&devices, &drivers, nullptr);
    std::vector<char> out(kSummaryBuffer);
    auto summary = [&](const CRecordPairView& pair) {
        SUMMARY_CONTEXT ctx;
        InitSummaryContext(ctx, out.data(), kSummaryBuffer, &pair.record, layout, &names);
        AppendSummaryHead(ctx, "Arial", "Courier New");
        switch (pair.record.type) {
        case RECORD_TYPE_REQUEST: SummarizeRequestHeader(ctx); break;
        case RECORD_TYPE_START: SummarizeStartMarker(ctx); break;
        case RECORD_TYPE_DROP: SummarizeDropMarker(ctx); break;
        default: break;
        }
        benchmark::DoNotOptimize(out[0]);
    };
    bench::RunOverPairs<kRecords>(state, "per_summary", summarize ? &summary : nullptr);
}

void BM_ReadPairOnly(benchmark::State& state) { Run(state, false); }
void BM_RequestSummary(benchmark::State& state) { Run(state, true); }

BENCHMARK(BM_ReadPairOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RequestSummary)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
