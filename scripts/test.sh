#!/usr/bin/env bash
# The test command: installs what is missing, builds both trees and runs every
# test (native under ASan/UBSan with the fuzzers, Windows under Wine and Xvfb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"

jobs=${BRX_JOBS:-$(nproc)}
# A test slot (display and Wine session) per parallel job, up to four: the
# window tests run side by side, one per slot.
. "$root/scripts/wine-env.sh"
trap brx_wine_down EXIT
BRX_WINE_SLOTS=${BRX_WINE_SLOTS:-$((jobs < 4 ? jobs : 4))} brx_wine_up

status=0
echo "== native tests (ASan/UBSan, fuzzers)"
ctest --test-dir build/native --output-on-failure -j "$jobs" || status=1
echo "== Windows tests (64-bit Wine, Xvfb)"
ctest --test-dir build/win64 --output-on-failure -j "$jobs" \
  --resource-spec-file "$root/build/win64/wine-slots/slots.json" || status=1
exit $status
