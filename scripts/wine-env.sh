# Sourced by the scripts that run Windows programs: a Wine prefix inside the
# build tree (created once), a persistent wineserver and a virtual X display.
# brx_wine_up starts them, brx_wine_down stops them; brx_wine runs a program.
brx_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=$brx_root/build/win64/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADER=/usr/lib/wine/wine64
brx_xvfb_pid=""

brx_wine() { /usr/lib/wine/wine64 "$@"; }

# Wine's own fonts that the prefix does not find by itself: Marlett draws the
# caption buttons' symbols (without it they show as letters). Debian's
# fonts-wine ships it; the prefix's Fonts folder makes it reach programs.
brx_wine_fonts() {
  local fonts=$WINEPREFIX/drive_c/windows/Fonts f
  mkdir -p "$fonts"
  for f in marlett.ttf; do
    if [ -f "/usr/share/wine/fonts/$f" ] && [ ! -f "$fonts/$f" ]; then
      cp "/usr/share/wine/fonts/$f" "$fonts/$f"
    fi
  done
}

brx_wine_up() {
  if [ -z "${DISPLAY:-}" ]; then
    local n=99
    while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    brx_xvfb_pid=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    brx_wine wineboot -i >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver64 -w
  fi
  brx_wine_fonts
  /usr/lib/wine/wineserver64 -p
  # Start Wine's own services now, detached from the caller's output: started by
  # a test they would hold its pipes open and keep the test runner waiting.
  brx_wine wineboot </dev/null >/dev/null 2>&1 || true
}

brx_wine_down() {
  /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  if [ -n "$brx_xvfb_pid" ]; then kill "$brx_xvfb_pid" 2>/dev/null || true; fi
}
