// Commit and index a stream of typical records (bulk and control URBs of 64 to
// 512 data bytes, at issue and completion) beside a plain memcpy of the same
// bytes. Reports records per second and bytes per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "capture/RecordIndexer.h"
#include "sim/RecordBuilder.h"

using namespace brx;

namespace {

constexpr size_t kRecords = 200000;

const RecordStream& TypicalStream() {
    static RecordStream s = [] {
        RecordStream out;
        RecordBuilder b;
        DeviceSpec d;
        d.interfaceClass = 0xFF;
        const PipeSpec in{0x81, 0x8A0C2000, 0}, outPipe{0x02, 0x8A0C2100, 0};
        const uint32_t sizes[] = {64, 128, 256, 512};
        size_t turn = 0;
        while (out.count() < kRecords) {
            const uint32_t n = sizes[turn % 4];
            if (turn % 3 == 0) {
                const uint8_t setup[8] = {0xC0, 0x01, 0, 0, 0, 0, static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8)};
                out.Add(b.UrbIssue(d, ControlTransfer(setup), b.NewIrp()));
                out.Add(b.UrbCompletion(d, ControlTransfer(setup, Bytes(n, 0x11)), b.Last()));
            } else if (turn % 3 == 1) {
                out.Add(b.UrbIssue(d, BulkTransfer(in, n), b.NewIrp()));
                out.Add(b.UrbCompletion(d, BulkTransfer(in, n, Bytes(n, 0x22)), b.Last()));
            } else {
                out.Add(b.UrbIssue(d, BulkTransfer(outPipe, n, Bytes(n, 0x33)), b.NewIrp()));
                out.Add(b.UrbCompletion(d, BulkTransfer(outPipe, n), b.Last()));
            }
            ++turn;
        }
        return out;
    }();
    return s;
}

void BM_CommitTypicalRecords(benchmark::State& state) {
    const RecordStream& s = TypicalStream();
    CRecordIndexer indexer;
    CVectorRecordIndex index;
    for (auto _ : state) {
        state.PauseTiming();
        indexer.Clear();
        index.Clear();
        state.ResumeTiming();
        // Windows of about 2 MB, as the reader thread commits them.
        const uint8_t* p = s.bytes().data();
        uint32_t left = static_cast<uint32_t>(s.bytes().size()), at = 0;
        while (left) {
            uint32_t n = left < (2u << 20) ? left : (2u << 20);
            CommitResult r = indexer.Commit(p + at, n, at, kDriverRecordLayout, index);
            if (r.consumed == 0) break;
            at += r.consumed;
            left -= r.consumed;
        }
        benchmark::DoNotOptimize(index.GetCount());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * s.count()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.bytes().size()));
}
BENCHMARK(BM_CommitTypicalRecords)->Unit(benchmark::kMillisecond);

void BM_MemcpyTypicalRecords(benchmark::State& state) {
    const RecordStream& s = TypicalStream();
    std::vector<uint8_t> dst(s.bytes().size());
    for (auto _ : state) {
        std::memcpy(dst.data(), s.bytes().data(), s.bytes().size());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * s.count()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.bytes().size()));
}
BENCHMARK(BM_MemcpyTypicalRecords)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
