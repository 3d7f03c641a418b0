#!/usr/bin/python3
"""Reads a saved capture file (.bdx) with olefile, a compound-file reader
independent of the one that wrote it, and checks it against the expectations
the writing test left beside it (FILE.json): the class ids, the property set
values, the stream names made from their GUIDs, the stream sizes, and the
index against the records of the data stream.

Usage: check_bdx.py FILE.bdx FILE.bdx.json      (exit status 0 when all holds)
Runs with Debian's /usr/bin/python3 and python3-olefile.
"""
import json
import struct
import sys
import uuid

import olefile

CLSID_FILE = "BDC55ADB-D778-4BFE-A981-639FCC47B868"
CLSID_STORAGE = "E26DE9FE-0355-4160-AD4C-D7FFCC6DFB14"
FMTID_LOG = "E80838AF-5208-4150-ACAE-8D2C43E25441"
STREAMS = {
    "index": "C55AC14D-10B0-463C-98E4-2C9CC275C055",
    "data": "D7D99DB3-A831-4A9E-B8C2-52256322AAD5",
    "device_names": "BA4C2C22-7DDE-44B2-8F5F-2553C62CA57F",
    "driver_names": "C5CDCB62-813D-4B81-AC79-736FAA4409EE",
    "hid": "11C4A84A-1EA5-43C6-9B29-625E0ED3AAA3",
}
ALPHABET = "abcdefghijklmnopqrstuvwxyz012345"

failures = []


def check(what, ok, detail=""):
    if not ok:
        failures.append(f"{what}: {detail}")


def stream_name(guid):
    """The name OLE gives a property-set stream of this GUID: 0x0005, then
    the 16 bytes five bits at a time, low bits first; a letter that starts at
    a byte boundary is upper case."""
    data = uuid.UUID(guid).bytes_le
    value = int.from_bytes(data, "little")
    name = "\x05"
    for bit in range(0, 128, 5):
        c = ALPHABET[(value >> bit) & 0x1F]
        if bit % 8 == 0:
            c = c.upper()
        name += c
    return name


def text(v):
    if isinstance(v, bytes):
        v = v.decode("utf-16-le", "replace")
    return v.rstrip("\x00")


def main(path, expectations):
    exp = json.load(open(expectations))
    ole = olefile.OleFileIO(path)

    check("root class id", ole.root.clsid == CLSID_FILE, ole.root.clsid)
    check("storage 0000", ole.exists("0000") and ole.get_type("0000") == olefile.STGTY_STORAGE)
    check("storage class id", ole.getclsid("0000") == CLSID_STORAGE, ole.getclsid("0000"))

    # The log's own property set.
    own = stream_name(FMTID_LOG)
    check("own property set stream", ole.exists(own), repr(own))
    props = ole.getproperties(own, convert_time=False)
    check("version", props.get(2) == exp["version"], props.get(2))
    check("PID 3", props.get(3) == 2, props.get(3))
    check("PID 4", props.get(4) == 2, props.get(4))
    check("bitness", props.get(11) == exp["bitness"], props.get(11))
    check("base block", isinstance(props.get(10), bytes) and props[10].hex() == exp["base_block"],
          props.get(10))
    check("driver information", isinstance(props.get(12), bytes) and props[12].hex() == exp["driver_info"],
          props.get(12))
    for pid in (5, 6):
        blob = props.get(pid)
        ok = isinstance(blob, bytes) and len(blob) >= 22 and struct.unpack_from("<I", blob)[0] == 276
        ok = ok and blob[-2:] == b"\x00\x00" and (len(blob) - 20) % 2 == 0
        check(f"system version PID {pid}", ok, blob)

    # SummaryInformation.
    summary = ole.getproperties("\x05SummaryInformation", convert_time=False)
    check("revision", text(summary.get(9, "")) == exp["revision"], summary.get(9))
    check("application", text(summary.get(18, "")) == exp["application"], summary.get(18))
    check("created", summary.get(12) == exp["created"] // 10000000, summary.get(12))
    check("edit time", summary.get(10) == 0, summary.get(10))
    check("security", summary.get(19) == 0, summary.get(19))
    for pid in (2, 4, 6, 8):
        check(f"summary PID {pid}", text(summary.get(pid, "x")) == "", summary.get(pid))

    # The streams of storage 0000 and their sizes.
    names = {k: "0000/" + stream_name(g) for k, g in STREAMS.items()}
    for k, n in names.items():
        check(f"{k} stream", ole.exists(n), repr(n))
    n = exp["records"]
    sizes = {"index": 64 + 4 * n, "data": exp["data_size"], "device_names": exp["device_names_size"],
             "driver_names": exp["driver_names_size"], "hid": exp["hid_size"]}
    for k, size in sizes.items():
        if ole.exists(names[k]):
            check(f"{k} stream size", ole.get_size(names[k]) == size, f"{ole.get_size(names[k])} != {size}")

    # The index against the records: offsets from 0, each the previous plus
    # the previous record's size, the last record ending the data.
    index = ole.openstream(names["index"]).read()
    data = ole.openstream(names["data"]).read()
    header_size, count = struct.unpack_from("<II", index)
    check("index header", header_size == 64 and count == n and index[8:64] == bytes(56), (header_size, count))
    offsets = struct.unpack_from(f"<{count}I", index, 64)
    position = 0
    for i, offset in enumerate(offsets):
        if offset != position:
            check("record offset", False, f"record {i} at {offset}, expected {position}")
            break
        first = struct.unpack_from("<I", data, offset)[0]
        size, kind = first & 0xFFFFFF, first >> 24
        if size < 16 or kind not in (1, 2, 3, 4):
            check("record", False, f"record {i}: size {size} type {kind}")
            break
        position += size
    check("records end the data", position == len(data), f"{position} != {len(data)}")

    # The name blocks: kind 1 and 3 with their counts.
    for k, kind in (("device_names", 1), ("driver_names", 3), ("hid", 10)):
        block = ole.openstream(names[k]).read()
        total, block_kind = struct.unpack_from("<II", block)
        check(f"{k} block", total == len(block) and block_kind == kind, (total, block_kind))

    ole.close()
    for f in failures:
        print("check_bdx:", f)
    print(f"check_bdx: {path}: {'FAILED' if failures else 'ok'} ({n} records)")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
