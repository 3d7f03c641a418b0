// The log the list benchmarks read: a mixed stream of `count` records,
// indexed as the store indexes it, built once per program.
#pragma once
#include <cstdint>

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

} // namespace brx::bench
