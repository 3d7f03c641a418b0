#!/bin/sh
# The independent checks of the export's golden files (tests/data/export,
# compared byte for byte by test_export): xmllint reads the XML report, Python's
# csv module reads the tab-separated file back to the list's cells, and the
# HTML report passes tools/check_page.py in headless Chromium (screenshot in
# $1). Each check must also catch a spoilt copy, so it is known to look.
# Exit 77 (skipped) when xmllint or chromium is missing.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/check_export}
data=$root/tests/data/export
mkdir -p "$out"
command -v xmllint >/dev/null || { echo "SKIP: xmllint is not installed (apt-get install libxml2-utils)"; exit 77; }

xmllint --noout "$data/capture.xml" || exit 1
echo "ok   $data/capture.xml (xmllint)"
sed 's|&lt;Ger|<Ger|' "$data/capture.xml" >"$out/spoilt.xml"
if xmllint --noout "$out/spoilt.xml" 2>/dev/null; then echo "NOT CAUGHT spoilt.xml"; exit 1; fi

python3 "$root/tools/check_export_csv.py" "$data/capture.csv" "$data/capture.cells" || exit 1
# A cell whose tab was not folded shifts the columns.
sed 's|\tUSBPDO-5\t|\tUSB\tPDO-5\t|' "$data/capture.csv" >"$out/spoilt.csv"
if python3 "$root/tools/check_export_csv.py" "$out/spoilt.csv" "$data/capture.cells" >/dev/null; then
  echo "NOT CAUGHT spoilt.csv"; exit 1
fi

python3 "$root/tools/check_page.py" --width 1400 --height 700 --shots "$out" "$data/capture.html"
rc=$?
[ $rc -eq 77 ] && exit 77
[ $rc -eq 0 ] || exit 1
sed 's|&lt;Ger|<Ger|' "$data/capture.html" >"$out/spoilt.html"
if python3 "$root/tools/check_page.py" --source-only --shots "$out/spoilt" "$out/spoilt.html" >/dev/null; then
  echo "NOT CAUGHT spoilt.html"; exit 1
fi
echo "spoilt copies caught"
