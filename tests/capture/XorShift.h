// A small, fast pseudo-random sequence for tests that walk many cases
// (xorshift32: the same numbers on every toolchain).
#pragma once
#include <cstdint>

namespace brx::fixtures {

// The next number of the sequence whose state is x (x must not be 0).
inline uint32_t NextRandom(uint32_t& x) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}

} // namespace brx::fixtures
