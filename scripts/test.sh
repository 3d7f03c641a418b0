#!/usr/bin/env bash
# The test command: installs what is missing, builds both trees and runs every
# test (native under ASan/UBSan with the fuzzers, Windows under Wine and Xvfb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"

. "$root/scripts/wine-env.sh"
trap brx_wine_down EXIT
brx_wine_up

status=0
echo "== native tests (ASan/UBSan, fuzzers)"
ctest --test-dir build/native --output-on-failure -j "${BRX_JOBS:-$(nproc)}" || status=1
echo "== Windows tests (64-bit Wine, Xvfb)"
ctest --test-dir build/win64 --output-on-failure -j "${BRX_JOBS:-$(nproc)}" || status=1
exit $status
