#!/usr/bin/env bash
# Runs the analyzer on the simulated machine (brindlex-sim.exe: the program
# with the simulated capture driver and USB host) under Wine.
#
# With a usable X display the window opens there and the script waits until
# it is closed. Without one the program runs on a virtual display (Xvfb); once
# it has drawn its main window (it says so at its first idle pass after
# showing it) a screenshot is saved, the script says where, and the program is
# ended. Arguments go to the program (a capture file to open).
#
# BRX_SCREENSHOT=path chooses the screenshot file (default
# build/win64/brindlex-sim.png); BRX_RUN_SECONDS how much longer the
# virtual-display run keeps the program open before the screenshot (default 0).
# The headless capture tool stays available: build/win64/tools/brx-capture.exe.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
if ! built=$(BRX_TREES=win64 "$root/scripts/build.sh" brindlex-sim 2>&1); then
  echo "$built" >&2
  exit 1
fi
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
# The program creates this file once it has drawn its main window.
drawn=$root/build/win64/brindlex-sim.drawn
rm -f "$drawn"
BRX_DRAWN_FILE="Z:$drawn" brx_wine "$program" "$@" &
pid=$!
for _ in $(seq 600); do
  [ -e "$drawn" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
if [ -e "$drawn" ]; then
  # Wine copies drawing to the X screen from its message calls, at most
  # 50 ms late.
  sleep 0.5
elif kill -0 "$pid" 2>/dev/null && xwininfo -root -tree 2>/dev/null | grep -q '"brindlex-sim.exe"'; then
  # Shown but never idle (a dialog at start-up): once the picture settles,
  # grabs half a second apart alike.
  echo "The program did not go idle within 2 minutes; the screenshot shows it as it is." >&2
  previous=""
  for _ in $(seq 20); do
    current=$(import -window root rgb:- 2>/dev/null | md5sum)
    [ "$current" = "$previous" ] && break
    previous=$current
    sleep 0.5
  done
else
  echo "The main window did not appear." >&2
  exit 1
fi
sleep "${BRX_RUN_SECONDS:-0}"
rm -f "$drawn"
import -window root "$shot"
echo "No display: Brindlex ran on a virtual display ($DISPLAY); its screenshot is $shot"
