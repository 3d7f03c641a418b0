#!/bin/sh
# The browser check of the pages the page writers write: the golden pages
# (tests/data/pages/*.html, compared by the native tests) must pass
# tools/check_page.py, and each page of tests/data/pages/faulty must fail it,
# so the check is known to catch what it is for. Screenshots go to $1.
# Exit 77 (skipped) without chromium.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/check_pages}
python3 "$root/tools/check_page.py" --shots "$out" "$root"/tests/data/pages/*.html
rc=$?
[ $rc -eq 77 ] && exit 77
[ $rc -eq 0 ] || exit 1
for page in "$root"/tests/data/pages/faulty/*.html; do
  if python3 "$root/tools/check_page.py" --shots "$out/faulty" "$page" >"$out/faulty.log" 2>&1; then
    echo "NOT CAUGHT $page"
    exit 1
  fi
  echo "caught     $page: $(sed -n 2p "$out/faulty.log" | sed 's/^ *//')"
done
