#!/usr/bin/env bash
# Runs the analyzer. Until the main window exists this builds the Windows
# program and shows, under Wine, what the record model makes of built-in
# sample records (a headless simulated capture).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
BRX_TREES=win64 "$root/scripts/build.sh" brx-sample >/dev/null
. "$root/scripts/wine-env.sh"
trap brx_wine_down EXIT
brx_wine_up
brx_wine build/win64/tools/brx-sample.exe "$@"
