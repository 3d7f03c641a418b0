#!/bin/sh
# Capture files re-packed by a second compound-file writer: the Windows test
# binary saves a small and a large sample, libgsf's gsf tool re-packs each
# stream by stream (tools/repack_bdx.py), and the binary opens both forms and
# compares their records, names and descriptors.
# Usage: check_other_writers.sh EMULATOR TEST_BINARY OUTPUT_DIR
set -e
emulator=$1 binary=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out"
export BRX_OTHER_WRITERS="Z:$out"
"$emulator" "$binary" --gtest_filter=OtherWriters.WritesSamplesForASecondWriter
for name in small large; do
  /usr/bin/python3 "$here/repack_bdx.py" "$out/$name.bdx" "$out/$name.gsf.bdx" "$out/$name.work"
done
exec "$emulator" "$binary" --gtest_filter=OtherWriters.RepackedFilesOpenWithTheSameRecords
