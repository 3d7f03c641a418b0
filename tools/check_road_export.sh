#!/bin/sh
# The second readers of the files the road test exported through the program's
# Export List (build/win64/tests/road): xmllint reads the XML report and counts
# its records, Python's csv module reads the tab-separated text and CSV files
# back, and the HTML report and the USB properties report (usb_properties.html,
# from the device's Export...) pass tools/check_page.py in headless Chromium.
# Each file must hold the rows the list showed (list_rows.txt: type, sequence
# and request of each row, as the road test read them from the list).
# Exit 77 (skipped) when xmllint or chromium is missing.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
command -v xmllint >/dev/null || { echo "SKIP: xmllint is not installed"; exit 77; }
for f in export.html export.xml export.csv export.txt list_rows.txt usb_properties.html; do
  [ -s "$dir/$f" ] || { echo "missing $dir/$f"; exit 1; }
done
xmllint --noout "$dir/export.xml" || exit 1
python3 "$root/tools/check_road_export.py" "$dir" || exit 1
grep -q "Mass Storage, 2 Endpoints" "$dir/usb_properties.html" || { echo "the stick is not in usb_properties.html"; exit 1; }
python3 "$root/tools/check_page.py" --width 1400 --height 700 --shots "$dir/export_page" "$dir/export.html" \
  "$dir/usb_properties.html"
rc=$?
[ $rc -eq 77 ] && exit 77
exit $rc
