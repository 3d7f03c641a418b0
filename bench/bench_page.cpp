// A data-analysis page of 2 MB: field tables of setup packets, bit rows, hex
// dumps and escaped descriptions written until the page meets its cap, then
// closed. One reserved page buffer, reset per page (as the pane does); the
// rows format in place. Reported per page, with the bytes written.
#include <benchmark/benchmark.h>

#include <vector>

#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "decode/SetupRows.h"

using namespace brx;

namespace {

void BM_TwoMegabytePage(benchmark::State& state) {
    PageBuffer page;
    const uint8_t setup[8] = {0x80, 0x06, 0x00, 0x02, 0x00, 0x00, 0x22, 0x00};
    std::vector<uint8_t> data(64);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 13);
    const std::string_view heads[] = {DESCRIPTOR_STYLE_SHEET};
    size_t bytes = 0;
    uint64_t rows = 0;
    for (auto _ : state) {
        page.Reset();
        DECODE_CONTEXT ctx;
        ctx.page = &page;
        ctx.bytes = setup;
        BeginPage(page, "", heads);
        while (!ctx.full()) {
            WriteSectionTitle(ctx, "Setup Packet");
            BeginFieldTable(ctx);
            WriteSetupRequestTypeRow(ctx);
            WriteSetupRecipientRow(ctx);
            WriteSetupTypeRow(ctx);
            WriteSetupDirectionRow(ctx);
            WriteSetupRequestRow(ctx, "GET_DESCRIPTOR");
            WriteSetupValueRow(ctx, "CONFIGURATION <0>");
            WriteCheckedSetupIndexRow(ctx, 0, nullptr);
            WriteCheckedSetupLengthRow(ctx, 9, nullptr);
            WriteBytesRow(ctx, 8, "Data", data, "Caf\xE9 & co");
            EndFieldTable(ctx);
            rows += 9;
        }
        ClosePage(page);
        bytes = page.size();
        benchmark::DoNotOptimize(page.data());
    }
    state.counters["page_bytes"] = static_cast<double>(bytes);
    state.counters["rows_per_page"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}

BENCHMARK(BM_TwoMegabytePage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
