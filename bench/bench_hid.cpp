// HID parser speed: parsing a 2 KB multitouch descriptor (026.bin of the
// shared data, 2,271 bytes) and reading one of its Input reports through the
// queries and through the parsed-descriptor cache.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "capture/HidParser.h"
#include "capture/HidTables.h"
#include "tests/capture/hid_test_util.h"

using namespace brx;

namespace {

std::vector<uint8_t> Descriptor() {
    std::ifstream f(std::string(BRX_TESTDATA_DIR) + "/hid-descriptors/026.bin", std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// The first Input report id with its report filled with a bit pattern.
std::vector<uint8_t> Report(const HIDP_PREPARSED* pp) {
    HID_CAPS caps;
    HidGetCaps(pp, &caps);
    std::vector<uint8_t> r(caps.inputReportByteLength);
    for (size_t i = 0; i < r.size(); ++i) r[i] = uint8_t(0x5A ^ (i * 37));
    for (uint32_t i = 0; i < pp->mainItemCount; ++i)
        if (pp->mainItems[i].reportType == HidP_Input) {
            r[0] = uint8_t(pp->mainItems[i].global.reportId);
            break;
        }
    return r;
}

void BM_ParseDescriptor(benchmark::State& state) {
    const std::vector<uint8_t> d = Descriptor();
    if (d.empty()) {
        state.SkipWithError("shared test data not found");
        return;
    }
    for (auto _ : state) {
        HIDP_PREPARSED* pp = nullptr;
        benchmark::DoNotOptimize(HidParseReportDescriptor(d.data(), d.size(), &pp));
        HidFreePreparsedData(pp);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(d.size()));
}
BENCHMARK(BM_ParseDescriptor);

// The parsed descriptor, or null (and the benchmark skipped) without the data.
HIDP_PREPARSED* ParseOrSkip(benchmark::State& state, const std::vector<uint8_t>& d) {
    HIDP_PREPARSED* pp = nullptr;
    if (d.empty() || !HidParseReportDescriptor(d.data(), d.size(), &pp)) state.SkipWithError("shared test data not found");
    return pp;
}

void BM_ReadReportQueries(benchmark::State& state) {
    const std::vector<uint8_t> d = Descriptor();
    HIDP_PREPARSED* pp = ParseOrSkip(state, d);
    if (!pp) return;
    const std::vector<uint8_t> r = Report(pp);
    std::vector<HID_BUTTON_CAPS> bc(512);
    std::vector<HID_VALUE_CAPS> vc(512);
    uint16_t nb = uint16_t(bc.size()), nv = uint16_t(vc.size());
    HidGetButtonCaps(HidP_Input, bc.data(), &nb, pp);
    HidGetValueCaps(HidP_Input, vc.data(), &nv, pp);
    for (auto _ : state) {
        // Every button page and every value usage of the report's id.
        for (uint16_t i = 0; i < nb; ++i) {
            if (bc[i].reportId != r[0]) continue;
            uint16_t usages[256];
            uint32_t n = 256;
            benchmark::DoNotOptimize(HidGetUsages(HidP_Input, bc[i].usagePage, 0, usages, &n, pp, r.data(),
                                                  uint32_t(r.size())));
        }
        for (uint16_t i = 0; i < nv; ++i) {
            if (vc[i].reportId != r[0]) continue;
            uint32_t v;
            benchmark::DoNotOptimize(HidGetUsageValue(HidP_Input, vc[i].usagePage, 0, vc[i].usageMin, &v, pp,
                                                      r.data(), uint32_t(r.size())));
        }
    }
    HidFreePreparsedData(pp);
}
BENCHMARK(BM_ReadReportQueries);

void BM_ReadReportCache(benchmark::State& state) {
    const std::vector<uint8_t> d = Descriptor();
    HIDP_PREPARSED* pp = ParseOrSkip(state, d);
    if (!pp) return;
    const std::vector<uint8_t> r = Report(pp);
    HidFreePreparsedData(pp);
    test::HidCache c(d);
    std::vector<HID_REPORT_ITEM> items(1024);
    uint32_t count = 0;
    for (auto _ : state) {
        count = uint32_t(items.size());
        benchmark::DoNotOptimize(c.cache.GetReportItems(r.data(), uint32_t(r.size()), r[0], HidP_Input, 1,
                                                        items.data(), &count));
    }
    state.counters["items"] = count;
}
BENCHMARK(BM_ReadReportCache);

} // namespace

BENCHMARK_MAIN();
