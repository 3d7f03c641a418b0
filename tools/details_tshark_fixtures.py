#!/usr/bin/env python3
"""Writes the control requests of the shared real captures, with tshark's own
reading of each, as fixtures for the request-details tests.

Each line: capture, frame number, the 8 setup bytes in hex, tshark's Info
column. The setup bytes are taken from the capture file itself (usbmon: the
64-byte header's setup field at 40; USBPcap: after the packet header of a
control transfer's setup stage); tshark reads the same frames independently.
Run from the repository root; writes tests/data/details/control_requests.txt.
"""
import os
import struct
import subprocess
import sys

CAPTURES = "../shared/testdata/captures"
NAMES = ["usbpcap-hid-0627-0001.pcap", "usbmon-enum-small.pcap", "usbmon-hub-keyboard.pcapng"]


def packets(path):
    """(link type, packet bytes) of every packet of a pcap or pcapng file."""
    data = open(path, "rb").read()
    if data[:4] == b"\x0a\x0d\x0d\x0a":  # pcapng
        pos, links = 0, []
        while pos + 12 <= len(data):
            kind, length = struct.unpack_from("<II", data, pos)
            if kind == 1:
                links.append(struct.unpack_from("<H", data, pos + 8)[0])
            elif kind == 6:
                iface, _, _, captured = struct.unpack_from("<IIII", data, pos + 8)
                yield links[iface], data[pos + 28:pos + 28 + captured]
            pos += length
    else:
        link = struct.unpack_from("<I", data, 20)[0]
        pos = 24
        while pos + 16 <= len(data):
            captured = struct.unpack_from("<I", data, pos + 8)[0]
            yield link, data[pos + 16:pos + 16 + captured]
            pos += 16 + captured


def setup_bytes(link, p):
    if link in (189, 220):  # usbmon: event 'S', transfer type 2 (control), setup flag 0
        if len(p) >= 48 and p[8:9] == b"S" and p[9] == 2 and p[14] == 0:
            return p[40:48]
    elif link == 249:  # USBPcap: control transfer, setup stage, issued (info bit 0 clear)
        if len(p) >= 28:
            header = struct.unpack_from("<H", p, 0)[0]
            info, transfer = p[16], p[22]
            if transfer == 2 and not info & 1 and header >= 28 and p[27] == 0 and len(p) >= header + 8:
                return p[header:header + 8]
    return None


def main():
    out = []
    for name in NAMES:
        path = os.path.join(CAPTURES, name)
        setups = {}
        for number, (link, p) in enumerate(packets(path), 1):
            s = setup_bytes(link, p)
            if s is not None:
                setups[number] = s
        info = subprocess.run(["tshark", "-r", path, "-T", "fields", "-e", "frame.number", "-e", "_ws.col.Info"],
                              check=True, capture_output=True, text=True).stdout
        for line in info.splitlines():
            number, text = line.split("\t", 1)
            number = int(number)
            if number in setups:
                out.append("%s|%d|%s|%s" % (name, number, setups[number].hex(), " ".join(text.split())))
    os.makedirs("tests/data/details", exist_ok=True)
    with open("tests/data/details/control_requests.txt", "w") as f:
        f.write("# capture|frame|setup|tshark Info (written by tools/details_tshark_fixtures.py)\n")
        f.write("\n".join(out) + "\n")
    print("%d control requests" % len(out))


if __name__ == "__main__":
    sys.exit(main())
