// Loading the name and HID tables of a crafted file: every name in one
// bucket, one HID item with a great many keys, many distinct descriptors.
// Twice the items should take about twice the time. Then the HID queries on a
// descriptor with 1,000 usages, through HidGetUsages and through the parsed
// cache.
#include <benchmark/benchmark.h>

#include <vector>

#include "capture/HidParser.h"
#include "capture/HidTables.h"
#include "capture/NameTables.h"
#include "tests/capture/HostileTables.h"
#include "tests/capture/hid_test_util.h"

using namespace brx;

namespace {

void BM_NamesInOneBucket(benchmark::State& state) {
    const uint32_t n = uint32_t(state.range(0));
    const std::vector<uint8_t> block = test::OneBucketNameBlock(n, NAME_BLOCK_DEVICES, NAME_ITEM_DEVICE);
    for (auto _ : state) {
        CDeviceNameHash names;
        benchmark::DoNotOptimize(names.AddFromBlock(block.data(), block.size(), kDefaultRecordLayout));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}
BENCHMARK(BM_NamesInOneBucket)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_HidKeysOfOneItem(benchmark::State& state) {
    const uint32_t n = uint32_t(state.range(0));
    const std::vector<uint8_t> block = test::ManyKeysHidBlock(n);
    for (auto _ : state) {
        CHIDDeviceRDHash rd;
        rd.AddFromBlock(block.data(), block.size(), kDefaultRecordLayout);
        benchmark::DoNotOptimize(rd.GetIdByPipe({0x40000000u, 7, 0, 0}, HID_ANY_INTERFACE));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * n * 2);
}
BENCHMARK(BM_HidKeysOfOneItem)->Arg(150000)->Arg(300000)->Unit(benchmark::kMillisecond);

void BM_DistinctDescriptors(benchmark::State& state) {
    const uint32_t n = uint32_t(state.range(0));
    // n items of one block, each descriptor differing in its last usage byte
    // pair.
    std::vector<std::vector<uint8_t>> items;
    for (uint32_t i = 0; i < n; ++i) {
        std::vector<uint8_t> desc = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x0A, uint8_t(i), uint8_t(i >> 8),
                                     0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0};
        items.push_back(test::DescriptorItem(desc));
    }
    for (auto _ : state) {
        CHIDDeviceRDHash rd;
        for (const auto& item : items) rd.AddDescriptor(ByteReader(item.data(), item.size()));
        benchmark::DoNotOptimize(rd.GetDescriptorLength(n));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}
BENCHMARK(BM_DistinctDescriptors)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);

// The descriptor with 1,000 usages and an Input report with every one-bit
// field set and the array fields naming usages 1..1000 in turn; false (and
// the benchmark skipped) when the descriptor is refused.
bool ThousandUsages(benchmark::State& state, std::vector<uint8_t>& d, std::vector<uint8_t>& r) {
    d = test::ManyUsagesDescriptor(1000);
    HIDP_PREPARSED* pp = nullptr;
    if (!HidParseReportDescriptor(d.data(), d.size(), &pp)) {
        state.SkipWithError("descriptor refused");
        return false;
    }
    HID_CAPS caps;
    HidGetCaps(pp, &caps);
    HidFreePreparsedData(pp);
    r.assign(caps.inputReportByteLength, 0xFF);
    for (uint32_t f = 0; f < 1000; ++f) {
        const uint32_t at = 125 + 2 * f;
        r[at] = uint8_t(f);
        r[at + 1] = uint8_t(f >> 8);
    }
    state.counters["descriptor bytes"] = double(d.size());
    return true;
}

void BM_GetUsagesThousandUsages(benchmark::State& state) {
    std::vector<uint8_t> d, r;
    if (!ThousandUsages(state, d, r)) return;
    test::ParsedHid pp(d);
    std::vector<uint16_t> usages(4096);
    uint32_t n = 0;
    for (auto _ : state) {
        n = uint32_t(usages.size());
        benchmark::DoNotOptimize(
            HidGetUsages(HidP_Input, 9, 0, usages.data(), &n, pp.get(), r.data(), uint32_t(r.size())));
    }
    state.counters["usages"] = n;
}
BENCHMARK(BM_GetUsagesThousandUsages)->Unit(benchmark::kMicrosecond);

void BM_CacheThousandUsages(benchmark::State& state) {
    std::vector<uint8_t> d, r;
    if (!ThousandUsages(state, d, r)) return;
    test::HidCache c(d);
    std::vector<HID_REPORT_ITEM> items(4096);
    uint32_t count = 0;
    for (auto _ : state) {
        count = uint32_t(items.size());
        benchmark::DoNotOptimize(
            c.cache.GetReportItems(r.data(), uint32_t(r.size()), 0, HidP_Input, 1, items.data(), &count));
    }
    state.counters["items"] = count;
}
BENCHMARK(BM_CacheThousandUsages)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
