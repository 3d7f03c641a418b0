// The log the list benchmarks read: a mixed stream of `count` records,
// indexed as the store indexes it, built once per program.
#pragma once
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "tests/capture/FakeFilterLog.h"
#include "tests/capture/MixedStream.h"

namespace brx::bench {

template <uint32_t count>
testing::FakeFilterLog& MixedLog() {
    static testing::FakeFilterLog* log = [] {
        auto* l = new testing::FakeFilterLog;
        RecordBuilder b;
        l->Append(fixtures::MixedStream(count, b).bytes());
        return l;
    }();
    return *log;
}

// Reads every record of the log into a pair view as the list reads a row and
// hands it to `use` (a null `use` times the reads alone); reports records a
// second and the time per record under `counter`.
template <uint32_t count, typename Use>
void RunOverPairs(benchmark::State& state, const char* counter, Use* use) {
    testing::FakeFilterLog& log = MixedLog<count>();
    std::vector<uint8_t> a(8192), b(8192);
    const uint32_t records = log.GetRecordCount();
    for (auto _ : state) {
        for (uint32_t i = 0; i < records; ++i) {
            CRecordPairView pair;
            pair.Init(a.data(), 8192, b.data(), 8192);
            log.ReadRecordPair(i, pair);
            if (use) (*use)(pair);
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * records);
    state.counters[counter] = benchmark::Counter(
        static_cast<double>(records), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace brx::bench
