// Small helpers of the benchmark programs run under Wine: a message target
// that drops everything, and the performance counter in seconds.
#pragma once
#include <windows.h>

#include <cstdint>

#include "capture/MessageTarget.h"

namespace brx::bench {

class NoWindow final : public IMessageTarget {
public:
    bool Post(uint32_t, uintptr_t, intptr_t) override { return true; }
    intptr_t Send(uint32_t, uintptr_t, intptr_t) override { return 0; }
};

inline LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

inline double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

} // namespace brx::bench
