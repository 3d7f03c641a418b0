// The export of the capture list without transfer buffers, in the
// tab-separated and text formats: every cell of every row of a mixed log of a
// million records through the record filter, into a sink that drops the
// bytes. Goal: 300,000 rows a second or more. Memory must not grow with the
// rows: "rss_growth_kb" is the largest growth of the resident size during
// the export (sampled at every progress step), "peak_rss_growth_kb" that of
// the process's peak, for 100,000 and for 1,000,000 rows.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include "app/export/ListExport.h"
#include "bench/MixedLog.h"
#include "capture/Filter.h"

using namespace brx;

namespace {

constexpr uint32_t kRecords = 1000000;

class FirstRows final : public IExportSource {
public:
    FirstRows(CFilter& filter, uint32_t rows) : inner_(filter), rows_(rows) {}
    uint32_t GetRowCount() override { return std::min(rows_, inner_.GetRowCount()); }
    HRESULT32 ReadRecordData(uint32_t row, CRecordPairView& pair) override { return inner_.ReadRecordData(row, pair); }

private:
    CFilterExportSource inner_;
    uint32_t rows_;
};

class NullSink final : public IExportSink {
public:
    uint64_t bytes = 0;
    bool Write(const char*, size_t size) override {
        bytes += size;
        return true;
    }
};

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Resident size now (/proc/self/statm), in kilobytes.
long RssKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BM_Export(benchmark::State& state) {
    testing::FakeFilterLog& log = bench::MixedLog<kRecords>();
    CFilter filter;
    filter.SetLogSource([&log] { return static_cast<IFilterLog*>(&log); });
    FirstRows source(filter, static_cast<uint32_t>(state.range(1)));
    EXPORT_JOB job;
    job.settings.format = static_cast<uint32_t>(state.range(0));
    job.settings.transferBuffer = 1;
    job.settings.transferBufferLimit = 0;  // no data
    job.order.resize(COLUMN_COUNT);
    job.visible.assign(COLUMN_COUNT, 1);
    for (uint32_t c = 0; c < COLUMN_COUNT; ++c) job.order[c] = static_cast<int32_t>(c);
    job.text.layout = log.GetRecordLayout();
    job.text.frequency = 3579545;
    job.text.reference = 1000000;
    const long before = PeakRssKb();
    const long residentBefore = RssKb();
    long residentMax = residentBefore;
    uint64_t bytes = 0;
    for (auto _ : state) {
        NullSink sink;
        // Progress samples the resident size a hundred times an export.
        class Sample final : public IExportProgress {
        public:
            long* max;
            bool OnExportProgress(uint32_t) override {
                *max = std::max(*max, RssKb());
                return true;
            }
        } sample;
        sample.max = &residentMax;
        const EXPORT_OUTCOME o = WriteListExport(job, source, sink, &sample);
        if (o.result != ExportResult::Done) state.SkipWithError("export failed");
        bytes = sink.bytes;
    }
    const uint32_t rows = source.GetRowCount();
    state.SetItemsProcessed(state.iterations() * rows);
    state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["peak_rss_growth_kb"] = static_cast<double>(PeakRssKb() - before);
    state.counters["rss_growth_kb"] = static_cast<double>(residentMax - residentBefore);
}

BENCHMARK(BM_Export)
    ->ArgNames({"format", "rows"})
    ->Args({EXPORT_FORMAT_CSV, 100000})
    ->Args({EXPORT_FORMAT_CSV, 1000000})
    ->Args({EXPORT_FORMAT_TEXT, 100000})
    ->Args({EXPORT_FORMAT_TEXT, 1000000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

} // namespace

BENCHMARK_MAIN();
