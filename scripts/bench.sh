#!/usr/bin/env bash
# Builds and runs every benchmark: Google Benchmark natively (optimised, no
# sanitizers) and the benchmark programs under Wine. Not part of the test command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
if [ ! -f build/bench/build.ninja ]; then
  cmake -S . -B build/bench -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/native.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DBRX_SANITIZE=OFF -DBRX_BENCH=ON >/dev/null
fi
cmake --build build/bench -j "$(nproc)"
for b in build/bench/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" "$@"
done
# The Windows benchmarks build optimised (-O2) in a tree of their own: the
# test tree build/win64 builds -O1 for the test command's time.
if [ ! -f build/winbench/build.ninja ]; then
  cmake -S . -B build/winbench -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw64.cmake" \
        -DBRX_TESTS=OFF >/dev/null
fi
cmake --build build/winbench -j "$(nproc)"
. "$root/scripts/wine-env.sh"
trap brx_wine_down EXIT
brx_wine_up
for b in build/winbench/bench/winbench_*.exe; do
  [ -f "$b" ] || continue
  echo "== $(basename "$b")"
  brx_wine "$b"
done
