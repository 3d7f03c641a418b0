#!/usr/bin/env python3
"""Writes tshark's names of every usage that the shared report descriptors use.

All descriptors of ../shared/testdata/hid-descriptors go into one small Linux
usbmon capture (one HID interface, one GET_DESCRIPTOR(Report) per
descriptor); tshark dissects each item. The script follows the usage page
(Usage Page items, Push and Pop, four-byte usages that carry their page) and
writes one line per distinct usage: `PAGE USAGE NAME` (hexadecimal page and
usage, then tshark's name, "-" when tshark shows the number only).

tshark 4.0 keeps the usage page across a Pop, stops at a zero-size main item,
takes a four-byte usage under the current page, follows pages by collection
and reads two-byte usages big-endian: every usage is therefore asked on its
own, from a descriptor of Usage Page and Usage items written the way tshark
reads them; where tshark names it in place under the same page, the two
answers are compared (differences are printed).

With --tables, the usages are instead every one that our usage tables name
(protocols/HidUsageTables.inc; the sensor page, whose names follow a rule of
their own, aside).

Usage: tools/hid_usage_names_tshark.py [--tables] OUT   (needs tshark; without
--tables the shared data too)
"""
import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from hid_tshark_fixtures import DATA, usbmon  # noqa: E402


def write_pcap(path, descriptors):
    cfg = bytearray([9, 2, 0, 0, 1, 1, 0, 0x80, 50, 9, 4, 0, 0, 1, 3, 0, 0, 0,
                     9, 0x21, 0x11, 1, 0, 1, 0x22, 0, 0, 7, 5, 0x81, 3, 64, 0, 10])
    cfg[2:4] = struct.pack('<H', len(cfg))
    frames = [
        usbmon(1, 'S', 2, 0x80, bytes([0x80, 6, 0, 2, 0, 0]) + struct.pack('<H', len(cfg)), b'', len(cfg)),
        usbmon(1, 'C', 2, 0x80, None, bytes(cfg), len(cfg)),
    ]
    for i, desc in enumerate(descriptors):
        setup = bytes([0x81, 6, 0, 0x22, 0, 0]) + struct.pack('<H', len(desc))
        frames.append(usbmon(2 + i, 'S', 2, 0x80, setup, b'', len(desc)))
        frames.append(usbmon(2 + i, 'C', 2, 0x80, None, desc, len(desc)))
    with open(path, 'wb') as f:
        f.write(struct.pack('<IHHiIII', 0xa1b2c3d4, 2, 4, 0, 0, 262144, 220))
        for i, fr in enumerate(frames):
            f.write(struct.pack('<IIII', i, 0, len(fr), len(fr)) + fr)


def dissect(descriptors):
    with tempfile.TemporaryDirectory() as tmp:
        pcap = os.path.join(tmp, 'all.pcap')
        write_pcap(pcap, descriptors)
        xml = subprocess.run(['tshark', '-r', pcap, '-T', 'pdml'],
                             check=True, capture_output=True).stdout
    # The completion of descriptor i is frame 4 + 2i.
    packets = ET.fromstring(xml).findall('packet')[3::2]
    if len(packets) != len(descriptors):
        raise SystemExit('tshark read %d of %d descriptors' % (len(packets), len(descriptors)))
    return packets


def ask_one_by_one(keys):
    """tshark's name of each (page, usage), from one descriptor made of Usage
    Page and Usage items. tshark 4.0 reads a two-byte usage big-endian, so
    such usages are written that way here."""
    desc = bytearray()
    for page, usage in keys:
        desc += bytes([0x06]) + struct.pack('<H', page)
        desc += bytes([0x09, usage]) if usage < 0x100 else bytes([0x0A]) + struct.pack('>H', usage)
    names = [f.get('showname', '') for f in dissect([bytes(desc)])[0].iter('field')
             if f.get('name') == 'usbhid.item.local.usage']
    if len(names) != len(keys):
        raise SystemExit('tshark named %d of %d usages' % (len(names), len(keys)))
    out = {}
    for (page, usage), showname in zip(keys, names):
        m = re.match(r'^Usage: (.*) \((0x[0-9a-f]+)\)$', showname)
        if m and int(m.group(2), 16) != usage:
            raise SystemExit('tshark read %04X:%04X as %s' % (page, usage, m.group(2)))
        out[(page, usage)] = m.group(1) if m else '-'
    return out


def usages_of(desc, packet):
    """(page, usage, tshark name) of every Usage item, in order; '?' where
    tshark names another usage than the item's."""
    # The descriptor's own items give page and usage (tshark 4.0 cuts
    # multi-byte usages to 8 bits in its numbers); tshark's Usage fields,
    # in the same order, give the names.
    names = [f.get('showname', '') for f in packet.iter('field')
             if f.get('name') == 'usbhid.item.local.usage']
    out, page, tshark_page, stack, pos = [], 0, 0, [], 0
    while pos < len(desc):
        prefix = desc[pos]
        if prefix == 0xFE:
            if pos + 2 >= len(desc): break
            pos += 3 + desc[pos + 1]
            continue
        size = (0, 1, 2, 4)[prefix & 3]
        if pos + 1 + size > len(desc): break
        data = int.from_bytes(desc[pos + 1:pos + 1 + size], 'little')
        kind, tag = (prefix >> 2) & 3, prefix >> 4
        if kind == 1 and tag == 0: page = tshark_page = data & 0xFFFF
        elif kind == 1 and tag == 10: stack.append(page)
        elif kind == 1 and tag == 11 and stack:
            page = stack.pop()
        elif kind == 2 and tag == 0:
            # The page by the HID specification, and the one tshark takes.
            p = data >> 16 if size == 4 else page
            out.append((p, data & 0xFFFF, tshark_page))
        pos += 1 + size
    # tshark 4.0 stops at a zero-size main item (malformed to it): the usages
    # after it get no name from tshark.
    if len(out) < len(names):
        raise SystemExit('tshark shows more usages than the descriptor holds')
    result = [(p, u, '?') for p, u, _ in out[len(names):]]
    for (p, u, tp), showname in zip(out, names):
        m = re.match(r'^Usage: (.*) \((0x[0-9a-f]+)\)$', showname)
        if p != tp:
            # tshark took the usage under another page: a Pop, which it does
            # not follow, or a four-byte usage, whose page it ignores.
            result.append((p, u, '?'))
        elif m and int(m.group(2), 16) != u:
            # tshark 4.0 reads a two-byte usage big-endian: its name is
            # another usage's.
            result.append((p, u, '?'))
        else:
            result.append((p, u, m.group(1) if m else '-'))
    return result


def table_usages():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    text = open(os.path.join(root, 'protocols', 'HidUsageTables.inc')).read()
    keys = []
    for m in re.finditer(r'kUsagePage([0-9A-F]{2})\[\] = \{(.*?)\n\};', text, re.S):
        page = int(m.group(1), 16)
        if page != 0x20:
            keys += [(page, int(u, 16)) for u in re.findall(r'\{0x([0-9A-F]+), "', m.group(2))]
    return keys


def write(path, title, names):
    with open(path, 'w') as f:
        f.write('# %s\n' % title)
        f.write('# made by tools/hid_usage_names_tshark.py; page usage name\n')
        f.write('# (- = tshark shows the number only)\n')
        for (p, u), name in sorted(names.items()):
            f.write('%04X %04X %s\n' % (p, u, name))


def main():
    if len(sys.argv) == 3 and sys.argv[1] == '--tables':
        write(sys.argv[2], 'tshark -V names of every usage our tables name',
              ask_one_by_one(table_usages()))
        return
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    folder = os.path.join(DATA, 'hid-descriptors')
    files = sorted(f for f in os.listdir(folder) if f.endswith('.bin'))
    descriptors = [open(os.path.join(folder, f), 'rb').read() for f in files]
    packets = dissect(descriptors)
    names = {}
    for desc, packet in zip(descriptors, packets):
        for p, u, name in usages_of(desc, packet):
            names.setdefault((p, u), set()).add(name)
    used = set(names)
    # tshark's names in place serve only where it took the usage the way the
    # HID specification reads it; every usage is asked again on its own, with
    # its page just before it, and both answers must agree.
    seen = ask_one_by_one(sorted(used))
    for key, found in names.items():
        found.discard('?')
        if found and found != {seen[key]}:
            sys.stderr.write('%04X:%04X in place %s, alone %s\n' % (*key, sorted(found), seen[key]))
    write(sys.argv[1], 'tshark -V names of the usages of ../shared/testdata/hid-descriptors', seen)


if __name__ == '__main__':
    main()
