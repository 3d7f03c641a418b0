// HID page speed: the item table of a 64 KB report descriptor (the boot
// keyboard's descriptor repeated to 65,536 bytes, whole items only) written
// into a data-analysis page of the usual capacity, and one report's field
// table.
#include <benchmark/benchmark.h>

#include <string_view>
#include <vector>

#include "decode/PageWriter.h"
#include "protocols/HidReportDescriptorPage.h"
#include "protocols/HidReportValues.h"
#include "tests/capture/hid_test_util.h"

using namespace brx;

namespace {

std::vector<uint8_t> LargeDescriptor() {
    const std::vector<uint8_t> one = test::BootKeyboardDescriptor();
    std::vector<uint8_t> d;
    while (d.size() + one.size() <= 65536) d.insert(d.end(), one.begin(), one.end());
    // Fill the rest with one-byte Push/Pop pairs and zero-size Usage items.
    while (d.size() < 65536) d.push_back(0x08);  // Usage, no data
    return d;
}

void BM_ReportDescriptorPage64K(benchmark::State& state) {
    const std::vector<uint8_t> d = LargeDescriptor();
    PageBuffer page;
    const std::string_view sheets[] = {HID_REPORT_DESCRIPTOR_STYLE_SHEET};
    size_t bytes = 0;
    bool full = false;
    for (auto _ : state) {
        page.Reset();
        BeginPage(page, "HID Report Descriptor", sheets);
        DECODE_CONTEXT ctx;
        ctx.page = &page;
        ctx.bytes = d;
        ctx.anchorBase = d;
        RenderHidReportDescriptor(ctx, 0, HRD_HEADER_ROW);
        full = page.full();
        ClosePage(page);
        bytes = page.size();
        benchmark::DoNotOptimize(page.data());
    }
    state.counters["descriptor_bytes"] = double(d.size());
    state.counters["page_bytes"] = double(bytes);
    state.counters["page_full"] = full ? 1 : 0;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(d.size()));
}
BENCHMARK(BM_ReportDescriptorPage64K)->Unit(benchmark::kMillisecond);

void BM_ReportFields(benchmark::State& state) {
    std::vector<HID_REPORT_ITEM> items(64);
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].usagePage = i % 2 ? 1 : 9;
        items[i].usage = uint16_t(i % 2 ? 0x30 + i % 8 : i);
        items[i].isButton = i % 2 ? 0 : 1;
        items[i].value = uint32_t(i * 977);
        items[i].logicalMin = i % 4 == 1 ? -2047 : 0;
        items[i].logicalMax = 2047;
        items[i].physicalMax = 4095;
    }
    PageBuffer page;
    for (auto _ : state) {
        page.Reset();
        HID_REPORT_TABLE_CONTEXT t;
        t.page = &page;
        t.items = items.data();
        t.itemCount = uint32_t(items.size());
        t.reportType = 1;
        RenderHidReportFields(t);
        benchmark::DoNotOptimize(page.data());
    }
}
BENCHMARK(BM_ReportFields)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
