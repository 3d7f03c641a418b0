#!/usr/bin/env python3
"""Writes the tshark-derived expectations of the HID parser test.

For each descriptor it builds a small Linux usbmon capture (link type 220):
a configuration descriptor with one HID interface, GET_DESCRIPTOR(Report)
with the descriptor bytes, and optional interrupt IN reports. tshark dissects
the descriptor item by item and the reports field by field. From tshark's
items this script walks the descriptor the way the HID specification defines
(globals, Push/Pop, report ids, local items closed by every main item) and
writes collections, main items and report bit lengths; from tshark's report
fields it writes the buttons that are down and the axis values.

Usage: tools/hid_tshark_fixtures.py OUTDIR   (needs tshark and the shared data)
"""
import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, '..', 'shared', 'testdata')

# name -> (descriptor source, synthetic reports as hex)
# The keyboard's descriptor and reports come from a real capture.
CASES = [
    ('boot_mouse', ('file', '241.bin'), ['0105fe01', '0781807f', '0200ff81', '00000000']),
    ('keyboard_capture', ('capture', 'usbmon-hub-keyboard.pcapng', 139, '1.11.1'), None),
    ('keyboard_logitech', ('file', '234.bin'), ['0200040500000000', '1100290000000000']),
    ('mouse_report_ids', ('file', '249.bin'), ['02' + '0300' + 'fb4f06' + '01' + '02' + '00' * 7,
                                                 '02' + '0001' + '05a0ff' + '7f' + '81' + '00' * 7]),
    ('gamepad', ('file', '000.bin'),
     ['01' + '2301' + 'ff07' + '0002' + '0000' + 'ff03' + '1000' + '0004' + '2000' +
      '05000010' + '00' * 12 + '0300' + '00' * 29]),
    ('multitouch_2k', ('file', '026.bin'), []),
    ('multitouch_small', ('file', '008.bin'), []),
    ('tablet', ('file', '201.bin'), []),
    ('mouse_razer', ('file', '256.bin'), []),
]


def usbmon(urb_id, kind, xfer, ep, setup, data, length):
    flag_setup = 0 if setup is not None else ord('-')
    flag_data = ord('=') if data else ord('<')
    h = struct.pack('<QBBBBHBBqiiII', urb_id, ord(kind), xfer, ep, 5, 1, flag_setup, flag_data,
                    0, 0, -115 if kind == 'S' else 0, length, len(data))
    h += setup if setup is not None else b'\0' * 8
    h += struct.pack('<iiII', 0, 0, 0, 0)
    return h + data


def write_pcap(path, desc, reports):
    cfg = bytearray([9, 2, 0, 0, 1, 1, 0, 0x80, 50, 9, 4, 0, 0, 1, 3, 0, 0, 0,
                     9, 0x21, 0x11, 1, 0, 1, 0x22]) + struct.pack('<H', len(desc)) + \
        bytes([7, 5, 0x81, 3, 64, 0, 10])
    cfg[2:4] = struct.pack('<H', len(cfg))
    frames = [
        usbmon(1, 'S', 2, 0x80, bytes([0x80, 6, 0, 2, 0, 0]) + struct.pack('<H', len(cfg)), b'', len(cfg)),
        usbmon(1, 'C', 2, 0x80, None, bytes(cfg), len(cfg)),
        usbmon(2, 'S', 2, 0x80, bytes([0x81, 6, 0, 0x22, 0, 0]) + struct.pack('<H', len(desc)), b'', len(desc)),
        usbmon(2, 'C', 2, 0x80, None, desc, len(desc)),
    ]
    for i, r in enumerate(reports):
        frames.append(usbmon(10 + i, 'S', 1, 0x81, None, b'', 64))
        frames.append(usbmon(10 + i, 'C', 1, 0x81, None, r, len(r)))
    with open(path, 'wb') as f:
        f.write(struct.pack('<IHHiIII', 0xa1b2c3d4, 2, 4, 0, 0, 65535, 220))
        for i, fr in enumerate(frames):
            f.write(struct.pack('<IIII', i, 0, len(fr), len(fr)) + fr)


def pdml(path, frames):
    out = subprocess.run(['tshark', '-r', path, '-T', 'pdml', '-Y',
                          ' || '.join('frame.number==%d' % n for n in frames)],
                         check=True, capture_output=True).stdout
    return ET.fromstring(out).findall('packet')


def frame_bytes(path, frame):
    out = subprocess.run(['tshark', '-r', path, '-x', '-Y', 'frame.number==%d' % frame],
                         check=True, capture_output=True, text=True).stdout
    data = bytearray()
    for line in out.splitlines():
        m = re.match(r'^[0-9a-f]{4}  ((?:[0-9a-f]{2} ){1,16})', line)
        if m:
            data += bytes.fromhex(m.group(1).replace(' ', ''))
    return bytes(data)


def num(s):
    return int(s, 0)


def items_of(packet):
    """The descriptor items as tshark dissected them: (type, tag, size, value, fields)."""
    items = []
    for f in packet.iter('field'):
        name = f.get('name', '')
        if name == 'usbhid.item.bSize':
            items.append({'size': num(f.get('show')), 'fields': {}})
        elif name == 'usbhid.item.bType':
            items[-1]['type'] = num(f.get('show'))
        elif name == 'usbhid.item.bTag':
            items[-1]['tag'] = num(f.get('show'))
        elif name.startswith('usbhid.item.') and items:
            # tshark 4.0 shows multi-byte usages and counts cut to 8 bits: the
            # unsigned fields are taken from the item's data bytes instead.
            items[-1]['fields'][name[len('usbhid.item.'):]] = (f.get('show'), f.get('value'))
    return items


MAIN_BITS = {'main.readonly': 0x01, 'main.variable': 0x02, 'main.relative': 0x04, 'main.wrap': 0x08,
             'main.nonlinear': 0x10, 'main.no_preferred_state': 0x20, 'main.nullstate': 0x40,
             'main.volatile': 0x80}


def walk(items):
    """Collections, main items and report lengths, as the HID specification defines them."""
    g = {'page': 0, 'lmin': 0, 'lmax': 0, 'size': 0, 'count': 0, 'id': 0}
    stack, collections, mains, bits = [], [], [], {}
    local = []
    umin = umax = None
    for it in items:
        t, tag, f = it['type'], it['tag'], it['fields']
        def val(key, default=0):
            if key not in f: return default
            show, raw = f[key]
            if key in ('global.log_min', 'global.log_max', 'main.colltype') or key.startswith('main.'):
                return num(show)
            return int.from_bytes(bytes.fromhex(raw), 'little') if raw else num(show)
        if t == 1:
            if tag == 0: g['page'] = val('global.usage') & 0xFFFF
            elif tag == 1: g['lmin'] = val('global.log_min')
            elif tag == 2: g['lmax'] = val('global.log_max')
            elif tag == 7: g['size'] = val('global.report_size')
            elif tag == 8: g['id'] = val('global.report_id')
            elif tag == 9: g['count'] = val('global.report_count')
            elif tag == 10: stack.append(dict(g))
            elif tag == 11: g = stack.pop()
        elif t == 2:
            def usage(key):
                v = val(key)
                page = v >> 16 if it['size'] == 4 else g['page']
                return page, v & 0xFFFF
            if tag == 0:
                local.append('%04X:%04X' % usage('local.usage'))
            elif tag in (1, 2):
                if tag == 1: umin = usage('local.usage_min')
                else: umax = usage('local.usage_max')
                if umin and umax:
                    local.append('%04X:%04X-%04X' % (umax[0], umin[1], umax[1]))
                    umin = umax = None
        elif t == 0:
            if tag == 10:
                collections.append('collection type %d page %04X usages %s' %
                                   (val('main.colltype'), g['page'], ','.join(local) or '-'))
            elif tag in (8, 9, 11):
                kind = {8: 0, 9: 1, 11: 2}[tag]
                key = g['id']
                rec = bits.setdefault(key, [8, 8, 8] if key else [0, 0, 0])
                data = 0
                for k, b in MAIN_BITS.items():
                    if k in f and f[k][0] == '1': data |= b
                lmin, lmax = g['lmin'], g['lmax']
                if lmax < lmin: lmin, lmax = lmax, lmin
                mains.append('main %s id %d offset %d size %d count %d data %02X logical %d %d usages %s' %
                             ('IOF'[kind], key, rec[kind], g['size'], g['count'], data & 0xFF,
                              lmin, lmax, ','.join(local) or '-'))
                rec[kind] += g['size'] * g['count']
            local = []
            umin = umax = None
    reports = ['report %d %d %d %d' % (k, *v) for k, v in sorted(bits.items())]
    return collections, mains, reports


AXES = {'x': 0x30, 'y': 0x31, 'z': 0x32, 'rx': 0x33, 'ry': 0x34, 'rz': 0x35, 'slider': 0x36}


def report_expectations(packet):
    data, usages, values = None, {}, []
    for f in packet.iter('field'):
        name, showname = f.get('name', ''), f.get('showname', '')
        if name == 'usbhid.data':
            data = f.get('value')
        elif name == 'usbhid.data.button':
            m = re.search(r'Button: (\d+)', showname)
            if m and showname.endswith('DOWN'):
                usages.setdefault(9, []).append(int(m.group(1)))
        elif name == 'usbhid.data.key.variable':
            m = re.search(r'\((0x[0-9a-f]+)\): (UP|DOWN)', showname)
            if m and m.group(2) == 'DOWN':
                usages.setdefault(7, []).append(int(m.group(1), 16))
        elif name == 'usbhid.data.array.usage':
            m = re.search(r'\((0x[0-9a-f]+), (0x[0-9a-f]+)\)$', showname)
            if m:
                usages.setdefault(int(m.group(1), 16), []).append(int(m.group(2), 16))
        elif name.startswith('usbhid.data.axis.'):
            values.append((1, AXES[name.rsplit('.', 1)[1]], int(f.get('show'))))
        elif name == 'usbhid.item.local.usage' and data:
            m = re.search(r': (-?\d+)$', showname)
            if m:  # a field tshark names by usage only; its page is not shown
                values.append((0, num(f.get('show')), int(m.group(1))))
    lines = ['report-data %s' % data]
    for page, us in sorted(usages.items()):
        lines.append('  usages %04X %s' % (page, ','.join('%04X' % u for u in sorted(us))))
    # Only the first field of a usage: a value query answers for that one, and
    # tshark names some fields by a usage cut to 8 bits (page 0 = any page).
    seen = set()
    for page, usage, v in values:
        if usage in seen: continue
        seen.add(usage)
        lines.append('  value %04X %04X %d' % (page, usage, v))
    return lines


def main():
    out_dir = sys.argv[1]
    version = subprocess.run(['tshark', '--version'], capture_output=True, text=True).stdout.splitlines()[0]
    with tempfile.TemporaryDirectory() as tmp:
        for name, source, reports in CASES:
            head = ['# %s: expectations derived from %s' % (name, version),
                    '# written by tools/hid_tshark_fixtures.py; do not edit']
            if source[0] == 'file':
                desc = open(os.path.join(DATA, 'hid-descriptors', source[1]), 'rb').read()
                head.append('descriptor-file %s' % source[1])
                rep = [bytes.fromhex(r) for r in reports]
                pcap = os.path.join(tmp, name + '.pcap')
                write_pcap(pcap, desc, rep)
                packets = pdml(pcap, [4] + [6 + 2 * i for i in range(len(rep))])
                desc_packet, report_packets = packets[0], packets[1:]
            else:
                capture = os.path.join(DATA, 'captures', source[1])
                desc = frame_bytes(capture, source[2])[64:]
                head.append('# descriptor and reports from captures/%s (frame %d, interrupt IN of %s)' %
                            (source[1], source[2], source[3]))
                head.append('descriptor-hex %s' % desc.hex())
                desc_packet = pdml(capture, [source[2]])[0]
                out = subprocess.run(['tshark', '-r', capture, '-T', 'fields', '-e', 'frame.number', '-Y',
                                      'usb.src=="%s" && usb.data_len>0' % source[3]],
                                     check=True, capture_output=True, text=True).stdout
                report_packets = pdml(capture, [int(x) for x in out.split()])
            collections, mains, lengths = walk(items_of(desc_packet))
            lines = head + ['length %d' % len(desc)] + collections + mains + lengths
            for p in report_packets:
                lines += report_expectations(p)
            with open(os.path.join(out_dir, name + '.txt'), 'w') as f:
                f.write('\n'.join(lines) + '\n')
            print(name, len(collections), 'collections', len(mains), 'main items')


if __name__ == '__main__':
    main()
