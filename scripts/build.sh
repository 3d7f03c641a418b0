#!/usr/bin/env bash
# Configures (once) and builds the three trees:
#   build/native  clang, pure libraries and their tests under ASan/UBSan, fuzzers
#   build/win64   MinGW x86_64: Windows code and its tests, run under Wine
#   build/win32   MinGW i686: the 32-bit product (no tests)
# Extra arguments are passed to every build: names build only those targets,
# each in the trees that have it (a tree with none of them is skipped);
# options (starting with -) go to cmake --build as they are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${BRX_JOBS:-$(nproc)}
# The Windows trees compile with precompiled headers: ccache may cache such
# compilations only when told that the header's build time and the defines it
# was built with are checked by the compiler (-Winvalid-pch) instead.
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}

configure() { # dir toolchain [cmake args]
  local dir=$1 tc=$2; shift 2
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$tc" "$@" >/dev/null
  fi
}
configure build/native native.cmake
configure build/win64 mingw64.cmake
configure build/win32 mingw32.cmake -DBRX_TESTS=OFF
targets=()
options=()
for a in "$@"; do
  case $a in
    -*) options+=("$a") ;;
    *) targets+=("$a") ;;
  esac
done
for tree in ${BRX_TREES:-native win64 win32}; do
  dir=build/$tree
  here=()
  # Bring the build files up to date first, so that new targets are known.
  if [ ${#targets[@]} -gt 0 ]; then ninja -C "$dir" build.ninja >/dev/null; fi
  for t in ${targets[@]+"${targets[@]}"}; do
    if ninja -C "$dir" -t query "$t" >/dev/null 2>&1; then here+=("$t"); fi
  done
  if [ ${#targets[@]} -gt 0 ] && [ ${#here[@]} -eq 0 ]; then
    echo "build/$tree: none of the named targets; skipped"
    continue
  fi
  cmake --build "$dir" -j "$jobs" ${here[@]+--target "${here[@]}"} ${options[@]+"${options[@]}"}
done
