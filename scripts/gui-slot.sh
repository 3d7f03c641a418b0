#!/usr/bin/env bash
# Runs a window test in a test slot of its own: an X display with its own
# Wine prefix and wineserver (started by brx_wine_up, scripts/wine-env.sh),
# so that window tests running side by side never take focus, activation or
# the screen from each other. CTest names the slot (the "display" resource of
# build/win64/wine-slots/slots.json, given with --resource-spec-file); without
# it the test takes the first free slot and waits while all are busy. A lock
# per slot keeps one test in a slot either way, and without slots at all the
# tests take turns on the display they were given.
#   gui-slot.sh COMMAND [ARGS...]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
slots=$root/build/win64/wine-slots
busy=75   # flock's answer when the slot is taken

run_in() { # slot-number wait|nowait command...
  local k=$1 mode=$2
  shift 2
  (
    . "$slots/$k.env" || exit 1
    if [ "$mode" = wait ]; then exec flock "$slots/$k.lock" "$@"; fi
    exec flock -n -E $busy "$slots/$k.lock" "$@"
  )
}

if ! ls "$slots"/*.env >/dev/null 2>&1; then
  mkdir -p "$root/build/win64"
  exec flock "$root/build/win64/display.lock" "$@"
fi

# The slot CTest gave: "id:K,slots:1".
given=${CTEST_RESOURCE_GROUP_0_DISPLAY:-}
given=${given#id:}
given=${given%%,*}
if [ -n "$given" ] && [ -f "$slots/$given.env" ]; then
  run_in "$given" wait "$@"
  exit $?
fi

while :; do
  for env in "$slots"/*.env; do
    k=${env##*/}
    k=${k%.env}
    run_in "$k" nowait "$@"
    status=$?
    [ $status -ne $busy ] && exit $status
  done
  sleep 0.2
done
