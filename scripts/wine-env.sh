# Sourced by the scripts that run Windows programs: a Wine prefix inside the
# build tree (created once), a persistent wineserver and a virtual X display.
# brx_wine_up starts them, brx_wine_down stops them; brx_wine runs a program.
#
# BRX_WINE_SLOTS=N (default 1) makes brx_wine_up start N test slots, each an
# X display with a Wine prefix and wineserver of its own (slot 1 is the
# session above; the others' prefixes are copies of it), so that N window
# tests can run side by side without taking focus or activation from each
# other (scripts/gui-slot.sh puts a window test into a slot). They are
# described in build/win64/wine-slots/: K.env for slot K and slots.json, the
# slot list ctest reads (its --resource-spec-file option).
brx_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=$brx_root/build/win64/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADER=/usr/lib/wine/wine64
brx_wine_slot_dir=$brx_root/build/win64/wine-slots
brx_xvfb_pids=""

brx_wine() { /usr/lib/wine/wine64 "$@"; }

# Wine's own fonts that the prefix does not find by itself: Marlett draws the
# caption buttons' symbols (without it they show as letters). Debian's
# fonts-wine ships it; the prefix's Fonts folder makes it reach programs.
brx_wine_fonts() { # [prefix]
  local fonts=${1:-$WINEPREFIX}/drive_c/windows/Fonts f
  mkdir -p "$fonts"
  for f in marlett.ttf; do
    if [ -f "/usr/share/wine/fonts/$f" ] && [ ! -f "$fonts/$f" ]; then
      cp "/usr/share/wine/fonts/$f" "$fonts/$f"
    fi
  done
}

# Starts an Xvfb on the first free display number and waits for it; its
# display in brx_xvfb_display, its pid added to brx_xvfb_pids. Another run
# may take the same number at the same moment: then the next one is tried.
brx_xvfb_start() {
  local n=99 pid
  while :; do
    while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 100); do
      kill -0 "$pid" 2>/dev/null || break
      xdpyinfo -display :$n >/dev/null 2>&1 && break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
      brx_xvfb_pids="$brx_xvfb_pids $pid"
      brx_xvfb_display=:$n
      return 0
    fi
    n=$((n + 1))
  done
}

# A copy of the session's prefix for another slot: the Windows folder (the
# bulk: DLLs, fonts) as hard links, which Wine only reads, the rest (the
# registry, the user folders) as copies.
brx_wine_copy_prefix() { # from to
  local from=$1 to=$2
  rm -rf "$to" "$to.new"
  mkdir -p "$to.new/drive_c"
  (cd "$from" && find . -mindepth 1 -maxdepth 1 ! -name drive_c -exec cp -a {} "$to.new/" \;)
  (cd "$from/drive_c" && find . -mindepth 1 -maxdepth 1 ! -name windows -exec cp -a {} "$to.new/drive_c/" \;)
  cp -al "$from/drive_c/windows" "$to.new/drive_c/windows"
  mv "$to.new" "$to"
}

# Starts a persistent wineserver for the prefix, Wine's own services and the
# desktop process (explorer.exe /desktop), detached from the caller's output.
# Started by a test, they would hold its pipes open and keep the test runner
# waiting: the desktop process gets the standard error of the program that
# first needs the desktop and lives while any program uses it, so a test that
# started it ran on in ctest for as long as the tests after it (minutes). Run
# from here it also keeps the desktop for the whole session.
# Whether a desktop process of the prefix runs.
brx_wine_desktop_running() { # prefix
  local p
  for p in $(pgrep -f 'system32.explorer\.exe /desktop'); do
    tr '\0' '\n' 2>/dev/null < "/proc/$p/environ" | grep -qx "WINEPREFIX=$1" && return 0
  done
  return 1
}

brx_wine_session() { # prefix display
  WINEPREFIX=$1 /usr/lib/wine/wineserver64 -p
  WINEPREFIX=$1 DISPLAY=$2 brx_wine wineboot </dev/null >/dev/null 2>&1 || true
  # wineboot's own desktop process ends a moment after wineboot, while one
  # started before that ends at once: wait for it to go, then start ours
  # (again should it end all the same).
  local pid
  for _ in $(seq 100); do
    brx_wine_desktop_running "$1" || break
    sleep 0.1
  done
  for _ in $(seq 10); do
    WINEPREFIX=$1 DISPLAY=$2 brx_wine explorer.exe /desktop </dev/null >/dev/null 2>&1 &
    pid=$!
    sleep 1.5
    kill -0 "$pid" 2>/dev/null && return 0
  done
}

brx_wine_up() {
  if [ -z "${DISPLAY:-}" ]; then
    brx_xvfb_start
    export DISPLAY=$brx_xvfb_display
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    brx_wine wineboot -i >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver64 -w
  fi
  brx_wine_fonts
  local slots=${BRX_WINE_SLOTS:-1} k prefix ids=""
  rm -rf "$brx_wine_slot_dir"
  mkdir -p "$brx_wine_slot_dir"
  # The other slots' prefixes are copied while the session's server is not
  # yet up (its registry is on disk).
  for k in $(seq 2 "$slots"); do
    prefix=$WINEPREFIX-slot$k
    [ -f "$prefix/system.reg" ] || brx_wine_copy_prefix "$WINEPREFIX" "$prefix"
    brx_wine_fonts "$prefix"
  done
  brx_wine_session "$WINEPREFIX" "$DISPLAY"
  printf 'export DISPLAY=%s WINEPREFIX=%s\n' "$DISPLAY" "$WINEPREFIX" > "$brx_wine_slot_dir/1.env"
  ids='{"id":"1","slots":1}'
  for k in $(seq 2 "$slots"); do
    prefix=$WINEPREFIX-slot$k
    brx_xvfb_start
    brx_wine_session "$prefix" "$brx_xvfb_display"
    printf 'export DISPLAY=%s WINEPREFIX=%s\n' "$brx_xvfb_display" "$prefix" > "$brx_wine_slot_dir/$k.env"
    ids="$ids,{\"id\":\"$k\",\"slots\":1}"
  done
  printf '{"version":{"major":1,"minor":0},"local":[{"display":[%s]}]}\n' "$ids" > "$brx_wine_slot_dir/slots.json"
}

brx_wine_down() {
  local env
  for env in "$brx_wine_slot_dir"/*.env; do
    [ -f "$env" ] || continue
    (. "$env"; /usr/lib/wine/wineserver64 -k 2>/dev/null) || true
  done
  rm -rf "$brx_wine_slot_dir"
  /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  if [ -n "$brx_xvfb_pids" ]; then kill $brx_xvfb_pids 2>/dev/null || true; fi
  brx_xvfb_pids=""
}
