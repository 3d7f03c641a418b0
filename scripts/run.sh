#!/usr/bin/env bash
# Runs the analyzer on the simulated machine (brindlex-sim.exe: the program
# with the simulated capture driver and USB host) under Wine.
#
# With a usable X display the window opens there and the script waits until
# it is closed. Without one the program runs on a virtual display (Xvfb); once
# its main window is up a screenshot is saved, the script says where, and the
# program is ended. Arguments go to the program (a capture file to open).
#
# BRX_SCREENSHOT=path chooses the screenshot file (default
# build/win64/brindlex-sim.png); BRX_RUN_SECONDS how long the virtual-display
# run keeps the program open before the screenshot (default 8).
# The headless capture tool stays available: build/win64/tools/brx-capture.exe.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
BRX_TREES=win64 "$root/scripts/build.sh" brindlex-sim >/dev/null
program=build/win64/app/brindlex-sim.exe

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  . "$root/scripts/wine-env.sh"
  trap brx_wine_down EXIT
  brx_wine_up
  echo "Brindlex (simulated machine) runs on display $DISPLAY; close its window to end."
  brx_wine "$program" "$@"
  exit 0
fi

# No display: a virtual one.
unset DISPLAY
. "$root/scripts/wine-env.sh"
trap brx_wine_down EXIT
brx_wine_up
shot=${BRX_SCREENSHOT:-$root/build/win64/brindlex-sim.png}
# Without a window manager Wine draws the title bar itself, as Windows would.
brx_wine reg add 'HKCU\Software\Wine\AppDefaults\brindlex-sim.exe\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
brx_wine "$program" "$@" &
pid=$!
up=""
for _ in $(seq 300); do
  # The main window: the program's first large window on the display.
  if xwininfo -root -tree 2>/dev/null | grep '"brindlex-sim.exe"' |
     grep -Eq ') +([3-9][0-9]{2}|[0-9]{4,})x[0-9]+[+-]'; then up=1; break; fi
  if ! kill -0 "$pid" 2>/dev/null; then break; fi
  sleep 0.2
done
if [ -z "$up" ]; then
  echo "The main window did not appear." >&2
  exit 1
fi
sleep "${BRX_RUN_SECONDS:-8}"
import -window root "$shot"
echo "No display: Brindlex ran on a virtual display ($DISPLAY); its screenshot is $shot"
