# Native Linux build with clang: pure libraries, their tests under sanitizers, fuzzers, benchmarks.
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
