#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine with the project's prefix (quiet, no
# browser engine). Used as CMake's cross-compiling emulator.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/win64/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINELOADER=/usr/lib/wine/wine64
exec /usr/lib/wine/wine64 "$@"
