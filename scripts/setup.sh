#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12 (as root):
# chromium checks the HTML pages in a real browser (tools/check_page.py).
# xmllint (libxml2-utils) reads the exported XML reports (tools/check_export.sh).
# Idempotent: packages already present are skipped, so a second run takes seconds.
set -euo pipefail

packages=(
  cmake ninja-build ccache clang libclang-rt-14-dev
  googletest libbenchmark-dev
  g++-mingw-w64-i686-posix
  wine wine64 fonts-wine g++-mingw-w64-x86-64-posix xvfb xauth imagemagick x11-utils
  python3-olefile tshark usb.ids libgsf-bin
  chromium libxml2-utils
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
# Recommended packages come too: Wine draws with its fonts and X libraries.
# tshark asks whether non-root users may capture: the default answer serves.
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
echo "setup: done"
