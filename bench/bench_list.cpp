// The capture list's cache fill: the texts of all fifteen columns of every
// row of a 1-million-record log, in pages of 50 rows as the list control asks
// for them with its cache hints (records read through the filter into the
// list's 612-byte buffers). Reported per row; goal below 5 us a row.
#include <benchmark/benchmark.h>

#include "app/list/ListRows.h"
#include "bench/MixedLog.h"
#include "capture/Filter.h"

using namespace brx;

namespace {

constexpr uint32_t kRecords = 1000000;
constexpr int32_t kPage = 50;

void BM_ListPages(benchmark::State& state) {
    testing::FakeFilterLog& log = bench::MixedLog<kRecords>();
    CFilter filter;
    filter.SetLogSource([&log] { return static_cast<IFilterLog*>(&log); });
    CListCache cache;
    uint8_t record[FILTER_MATCH_VIEW_SIZE], companion[FILTER_MATCH_VIEW_SIZE];
    CRecordPairView pair;
    pair.Init(record, sizeof record, companion, sizeof companion);
    COLUMN_TEXT_CONTEXT ctx;
    ctx.layout = log.GetRecordLayout();
    ctx.frequency = 3579545;
    ctx.reference = 1000000;
    const LIST_ROW_COLORS colors;
    const int32_t rows = static_cast<int32_t>(filter.GetRowCount());
    for (auto _ : state) {
        for (int32_t from = 0; from < rows; from += kPage) {
            const int32_t to = from + kPage - 1 < rows ? from + kPage - 1 : rows - 1;
            FillListCacheRows(cache, filter, pair, ctx, from, to, COLUMN_COUNT, colors);
            char16_t text[COLUMN_TEXT_SIZE];
            benchmark::DoNotOptimize(cache.Lookup(to, COLUMN_REQUEST_DETAILS, text, COLUMN_TEXT_SIZE));
        }
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.counters["per_row"] = benchmark::Counter(static_cast<double>(rows),
                                                  benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
}

BENCHMARK(BM_ListPages)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
