#!/usr/bin/env bash
# Runs the analyzer. Until the main window exists this builds the Windows
# program and runs, under Wine, the device tree of the simulated machine with
# its driver stacks, then a headless capture of a few seconds from the
# simulated driver into a new capture log, saves it as a capture file and
# prints what was captured. Arguments: [file.bdx [seconds]].
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
BRX_TREES=win64 "$root/scripts/build.sh" brx-capture brx-devices >/dev/null
. "$root/scripts/wine-env.sh"
trap brx_wine_down EXIT
brx_wine_up
if [ $# -eq 0 ]; then
  set -- build/win64/tools/brx-capture.bdx 3
fi
brx_wine build/win64/tools/brx-devices.exe
echo
brx_wine build/win64/tools/brx-capture.exe "$@"
