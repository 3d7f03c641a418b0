#!/bin/sh
# The browser check of every shared report descriptor's page (about four
# seconds a page, so not part of the test command): test_protocols writes the
# pages to build/native/tests/hid_pages, tools/check_page.py loads each in
# headless Chromium. Screenshots go to $1. Exit 77 (skipped) without chromium
# or without the shared data.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/check_hid_pages}
"$root/build/native/tests/test_protocols" --gtest_filter='HidReportDescriptorPage.SharedDescriptors' >/dev/null || exit 1
pages=$(ls "$root"/build/native/tests/hid_pages/*.html 2>/dev/null) || exit 77
python3 "$root/tools/check_page.py" --shots "$out" $pages
