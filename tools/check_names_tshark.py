#!/usr/bin/env python3
"""Compares our name tables with tshark's own (tshark -G values).

    tools/check_names_tshark.py path/to/brx-names

For URB functions, USBD status codes, language IDs and vendor IDs, every code
that both tshark and we name must carry the same text, except for the
differences listed in INTENDED. Language IDs: tshark carries the USB-IF
names ("German (Standard)"), we the Windows language names ("German
(Germany)"), so there the language must agree and the region may differ.
Exit status 77 (skipped) when tshark is missing.
"""
import re
import shutil
import subprocess
import sys

# tshark field -> our table (brx-names) and the fewest codes both must name.
FIELDS = {
    "usb.function": ("urb", 50),
    "usb.usbd_status": ("usbd", 50),
    "usb.wLANGID": ("langid", 100),
    "usb.idVendor": ("vendor", 3000),
}

# (table, code): (tshark's text, ours, why).
INTENDED = {
    ("usbd", 0xC0000F00): ("USBD_STATUS_INVALID_CONFIGURATION_DESCRIPTOR",
                           "USBD_STATUS_INAVLID_CONFIGURATION_DESCRIPTOR",
                           "the older header's spelling comes first and wins, as captures show it"),
    ("usbd", 0xC0005000): ("USBD_STATUS_INVALID_PIPE_FLAGS", "USBD_STATUS_INAVLID_PIPE_FLAGS",
                           "the older header's spelling comes first and wins, as captures show it"),
    ("urb", 0x33): ("URB_FUNCTION_RESERVE_0X0033", "URB_FUNCTION_SET_PIPE_IO_POLICY",
                    "tshark predates the pipe I/O policy functions"),
    ("urb", 0x34): ("URB_FUNCTION_RESERVE_0X0034", "URB_FUNCTION_GET_PIPE_IO_POLICY",
                    "tshark predates the pipe I/O policy functions"),
    ("vendor", 0x03E9): ("Thesys Microelectronics", "Melexis (formerly Thesys Microelectronics)",
                         "a newer usb.ids"),
    ("vendor", 0x08DE): ("?", "???", "a newer usb.ids"),
    ("vendor", 0x1183): ("Compaq Computer Corp. [hex] (Digital Dream ?)",
                         "Compaq Computer Corp. [hex] (Digital Dream ??)", "a newer usb.ids"),
}


def language(text):
    return re.split(r" \(|,", text)[0]


def tshark_values():
    out = subprocess.run(["tshark", "-G", "values"], capture_output=True, check=True).stdout
    rows = []
    for line in out.decode("utf-8", errors="replace").splitlines():
        parts = line.split("\t")
        if len(parts) == 4 and parts[0] == "V" and parts[1] in FIELDS:
            rows.append((FIELDS[parts[1]][0], int(parts[2]), parts[3]))
    return rows


def our_names(tool, rows):
    query = "".join("%s %d\n" % (table, code) for table, code, _ in rows)
    out = subprocess.run([tool], input=query.encode(), capture_output=True, check=True).stdout
    names = {}
    for line in out.decode("cp1252").splitlines():
        table, code, name = line.split("\t", 2)
        names[(table, int(code))] = name
    return names


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    if not shutil.which("tshark"):
        print("tshark is not installed: skipped")
        return 77
    rows = tshark_values()
    ours = our_names(sys.argv[1], rows)
    failures = []
    compared = {table: 0 for table, _ in FIELDS.values()}
    seen_intended = set()
    for table, code, theirs in rows:
        mine = ours.get((table, code), "")
        if not mine:
            continue
        compared[table] += 1
        key = (table, code)
        if key in INTENDED:
            seen_intended.add(key)
            want_theirs, want_mine, _ = INTENDED[key]
            if (theirs, mine) != (want_theirs, want_mine):
                failures.append("%s %04Xh: tshark %r, ours %r; the listed difference was %r / %r"
                                % (table, code, theirs, mine, want_theirs, want_mine))
            continue
        same = language(theirs) == language(mine) if table == "langid" else theirs == mine
        if not same:
            failures.append("%s %04Xh: tshark %r, ours %r" % (table, code, theirs, mine))
    for key in sorted(set(INTENDED) - seen_intended):
        failures.append("%s %04Xh: listed as an intended difference but not met" % key)
    for table, least in FIELDS.values():
        if compared[table] < least:
            failures.append("%s: only %d codes compared (at least %d expected)" % (table, compared[table], least))
    print("compared: " + ", ".join("%s %d" % item for item in compared.items()))
    for f in failures:
        print("DIFFERENT: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
