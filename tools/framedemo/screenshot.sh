#!/usr/bin/env bash
# Runs the framework demo under Wine on the test display, takes a screenshot
# while its context menu is open and checks that the picture is not blank.
#   screenshot.sh FRAMEDEMO.EXE OUTPUT.png
set -euo pipefail
exe=$1
out=$2
here=$(cd "$(dirname "$0")/../.." && pwd)
: "${DISPLAY:?the demo needs a display (run it from scripts/test.sh)}"
ready="$out.ready"
rm -f "$ready" "$out"
# Without a window manager nobody draws the title bar: let Wine draw it for
# this program, as Windows would.
"$here/scripts/wine-run.sh" reg add 'HKCU\Software\Wine\AppDefaults\framedemo.exe\X11 Driver' \
  /v Decorated /d N /f >/dev/null 2>&1 || true
"$here/scripts/wine-run.sh" "$exe" --tour "Z:$ready" 4000 &
pid=$!
for _ in $(seq 300); do
  [ -e "$ready" ] && break
  if ! kill -0 "$pid" 2>/dev/null; then echo "the demo ended before it was ready"; exit 1; fi
  sleep 0.1
done
[ -e "$ready" ] || { echo "the demo did not get ready"; kill "$pid"; exit 1; }
sleep 0.5
import -window root -crop 700x520+0+0 +repage "$out"
wait "$pid"
rm -f "$ready"
colours=$(convert "$out" -format '%k' info:)
echo "screenshot: $out ($colours colours)"
[ "$colours" -gt 8 ]
