#!/bin/sh
# The test command's independent check of the capture file: the Windows test
# binary saves a sample .bdx with its expectations, then a second compound-file
# implementation (olefile, Debian's python3) reads it.
# Usage: check_bdx.sh EMULATOR TEST_BINARY OUTPUT_DIR
set -e
emulator=$1 binary=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out"
BRX_BDX_EXPORT="Z:$out/sample.bdx" "$emulator" "$binary" --gtest_filter=CaptureFile.WritesASampleForTheIndependentCheck
exec /usr/bin/python3 "$here/check_bdx.py" "$out/sample.bdx" "$out/sample.bdx.json"
