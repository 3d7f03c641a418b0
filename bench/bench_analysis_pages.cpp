// The Data Analysis pane's work per selected record: the record dispatch,
// its decoders and the page they write (what the pane hands the browser),
// for typical records (a configuration descriptor read, a HID report, a
// mass-storage command wrapper) and for every record of a mixed capture.
// One page buffer for the program, reset per page, as the pane keeps it.
// Goal: well under 50 ms a record.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "app/panes/AnalysisPages.h"
#include "bench/MixedLog.h"
#include "tests/app/panes/PaneRecords.h"

using namespace brx;
using namespace brx::testing;

namespace {

const Bytes kMouse = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19,
                      0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
                      0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15,
                      0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0};
const PipeSpec kMousePipe{0x81, 0x8A0C5000, 0x0007, PIPE_TYPE_INTERRUPT};

struct Sources {
    CHIDDeviceRDHash rd;
    CHIDDeviceDataHash cache;
    ANALYSIS_SOURCES sources;
    Sources() {
        const Bytes block = HidDescriptorBlock({{0, kMouse, {}, {{kMousePipe.handle, kMousePipe.hidKey}}}});
        rd.AddFromBlock(block.data(), block.size(), kDriverRecordLayout);
        cache.SetRDHash(&rd);
        sources = {&rd, &cache};
    }
    ~Sources() { cache.SetRDHash(nullptr); }
};

std::unique_ptr<ReadPair> Completion(const DeviceSpec& d, const UrbSpec& u, bool completion = true) {
    RecordBuilder b;
    const Bytes issue = b.UrbIssue(d, u, b.NewIrp());
    return ReadOne(completion ? b.UrbCompletion(d, u, b.Last()) : issue);
}

void RunPage(benchmark::State& state, const ReadPair& r) {
    static Sources sources;
    static PageBuffer page;
    size_t bytes = 0;
    for (auto _ : state) {
        BuildAnalysisPage(page, r.pair, r.layout, sources.sources);
        bytes = page.size();
        benchmark::DoNotOptimize(page.data());
    }
    state.counters["page_bytes"] = static_cast<double>(bytes);
}

void BM_ConfigurationDescriptorPage(benchmark::State& state) {
    // A composite device's configuration: 4 interfaces with 2 endpoints each.
    Bytes config = {9, 2, 0, 0, 4, 1, 0, 0x80, 50};
    for (uint8_t i = 0; i < 4; ++i) {
        const uint8_t intf[9] = {9, 4, i, 0, 2, 0x08, 0x06, 0x50, 0};
        config.insert(config.end(), intf, intf + 9);
        const uint8_t in[7] = {7, 5, static_cast<uint8_t>(0x81 + i), 2, 0x00, 0x02, 0};
        const uint8_t out[7] = {7, 5, static_cast<uint8_t>(0x01 + i), 2, 0x00, 0x02, 0};
        config.insert(config.end(), in, in + 7);
        config.insert(config.end(), out, out + 7);
    }
    PutU16(config, 2, static_cast<uint16_t>(config.size()));
    auto r = Completion(DeviceSpec{}, GetDescriptor(2, 0, 0, static_cast<uint32_t>(config.size()), config));
    RunPage(state, *r);
}
BENCHMARK(BM_ConfigurationDescriptorPage);

void BM_HidReportPage(benchmark::State& state) {
    DeviceSpec d;
    d.interfaceClass = 3;
    auto r = Completion(d, BulkTransfer(kMousePipe, 3, {0x05, 0x10, 0xF0}));
    RunPage(state, *r);
}
BENCHMARK(BM_HidReportPage);

void BM_CommandWrapperPage(benchmark::State& state) {
    DeviceSpec d;
    d.interfaceClass = 8;
    d.interfaceSubClass = 6;
    d.interfaceProtocol = 0x50;
    const PipeSpec out{0x02, 0x8A0C3000, 0, PIPE_TYPE_BULK};
    auto r = Completion(d, BulkTransfer(out, 31, CommandBlockWrapper(7, 512, true, 0, {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0})),
                        false);
    RunPage(state, *r);
}
BENCHMARK(BM_CommandWrapperPage);

// Every record of a mixed capture, pages or not: the time per record.
void BM_MixedCapturePerRecord(benchmark::State& state) {
    static Sources sources;
    static PageBuffer page;
    auto build = [](const CRecordPairView& pair) {
        BuildAnalysisPage(page, pair, kDriverRecordLayout, sources.sources);
    };
    bench::RunOverPairs<2000>(state, "us_per_record", &build);
}
BENCHMARK(BM_MixedCapturePerRecord)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
