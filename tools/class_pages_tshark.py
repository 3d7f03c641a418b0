#!/usr/bin/env python3
"""Writes tshark's reading of the CDC and DFU fixtures of the class page tests.

Each case is a small Linux usbmon capture (link type 220, built as
tools/hid_tshark_fixtures.py builds its captures): GET_DESCRIPTOR of a
configuration holding CDC functional descriptors (Linux gadget functions
f_acm, f_ecm, f_ncm, f_obex; a crafted ECM variant with statistics and
filters) or a DFU functional descriptor (U-Boot's f_dfu), then class
requests and notifications. One line per functional descriptor and per
request or notification, with the fields tshark decodes:

    descriptor SETHEX OFFSET field=value ...
    request SETUPHEX DATAHEX|- field=value ...
    notification HEADERHEX DATAHEX|- field=value ...

Values with spaces have them replaced by "_". Usage:
tools/class_pages_tshark.py OUT   (needs tshark)
"""
import os
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from hid_tshark_fixtures import usbmon  # noqa: E402


def cfg(*descs):
    body = b''.join(bytes(x) for x in descs)
    n = sum(1 for x in descs if x[1] == 4 and x[3] == 0)
    total = 9 + len(body)
    return bytes([9, 2, total & 255, total >> 8, n, 1, 0, 0xC0, 50]) + body


ACM = cfg([8, 0x0B, 0, 2, 2, 2, 1, 6], [9, 4, 0, 0, 1, 2, 2, 1, 4], [5, 0x24, 0x00, 0x10, 0x01],
          [5, 0x24, 0x01, 0x00, 0x01], [4, 0x24, 0x02, 0x02], [5, 0x24, 0x06, 0x00, 0x01],
          [7, 5, 0x82, 3, 10, 0, 32], [9, 4, 1, 0, 2, 0x0A, 0, 0, 5], [7, 5, 0x81, 2, 64, 0, 0],
          [7, 5, 0x01, 2, 64, 0, 0])
ACM_CM = cfg([9, 4, 0, 0, 1, 2, 2, 1, 4], [5, 0x24, 0x01, 0x03, 0x01], [4, 0x24, 0x02, 0x0F],
             [9, 4, 1, 0, 2, 0x0A, 0, 0, 5])
ECM_CRAFTED = cfg([9, 4, 0, 0, 1, 2, 6, 0, 4], [5, 0x24, 0x00, 0x10, 0x01], [6, 0x24, 0x06, 0x00, 0x01, 0x02],
                  [13, 0x24, 0x0F, 7, 0x03, 0x00, 0x10, 0x80, 0xEA, 0x05, 0x05, 0x80, 2], [7, 5, 0x82, 3, 16, 0, 32],
                  [9, 4, 1, 0, 0, 0x0A, 0, 0, 0], [9, 4, 2, 0, 0, 0x0A, 0, 0, 0])
NCM = cfg([8, 0x0B, 0, 2, 2, 0x0D, 0, 4], [9, 4, 0, 0, 1, 2, 0x0D, 0, 4], [5, 0x24, 0x00, 0x10, 0x01],
          [5, 0x24, 0x06, 0x00, 0x01], [13, 0x24, 0x0F, 7, 0, 0, 0, 0, 0xEA, 0x05, 0, 0, 0],
          [6, 0x24, 0x1A, 0x00, 0x01, 0x11], [7, 5, 0x82, 3, 16, 0, 32], [9, 4, 1, 0, 0, 0x0A, 0, 1, 0],
          [9, 4, 1, 1, 2, 0x0A, 0, 1, 5], [7, 5, 0x81, 2, 64, 0, 0], [7, 5, 0x01, 2, 64, 0, 0])
OBEX = cfg([9, 4, 0, 0, 0, 2, 0x0B, 0, 4], [5, 0x24, 0x00, 0x20, 0x01], [5, 0x24, 0x06, 0x00, 0x01],
           [5, 0x24, 0x15, 0x00, 0x01], [9, 4, 1, 0, 0, 0x0A, 0, 0, 5], [9, 4, 1, 1, 2, 0x0A, 0, 0, 5])
DFU = cfg([9, 4, 0, 0, 0, 0xFE, 1, 2, 0], [9, 0x21, 0x0F, 0x00, 0x00, 0x00, 0x10, 0x10, 0x01],
          [9, 4, 0, 1, 0, 0xFE, 1, 2, 0], [7, 0x21, 0x01, 0xFF, 0x00, 0x40, 0x00])

# (configuration, [(setup, data)], [(notification header, data)])
CASES = [
    (ACM, [(bytes([0x21, 0x20, 0, 0, 0, 0, 7, 0]), bytes([0x00, 0xC2, 0x01, 0x00, 0, 0, 8])),
           (bytes([0xA1, 0x21, 0, 0, 0, 0, 7, 0]), bytes([0x80, 0x25, 0, 0, 2, 2, 7])),
           (bytes([0x21, 0x22, 3, 0, 0, 0, 0, 0]), b''),
           (bytes([0x21, 0x23, 0xFF, 0xFF, 0, 0, 0, 0]), b'')],
     [(bytes([0xA1, 0x20, 0, 0, 0, 0, 2, 0]), bytes([3, 0]))]),
    (ACM_CM, [], []),
    (ECM_CRAFTED, [(bytes([0x21, 0x43, 0x0E, 0, 0, 0, 0, 0]), b''),
                   (bytes([0x21, 0x40, 2, 0, 0, 0, 12, 0]), bytes([1, 0, 0x5E, 0, 0, 1, 0x33, 0x33, 0, 0, 0, 1])),
                   (bytes([0xA1, 0x44, 1, 0, 0, 0, 4, 0]), bytes([0x10, 0x27, 0, 0]))],
     [(bytes([0xA1, 0x00, 1, 0, 0, 0, 0, 0]), b'')]),
    (NCM, [(bytes([0xA1, 0x80, 0, 0, 0, 0, 28, 0]), b'')], []),
    (OBEX, [], []),
    (DFU, [], []),
]


def build(path, case):
    config, requests, notes = case
    frames = [usbmon(1, 'S', 2, 0x80, bytes([0x80, 6, 0, 2, 0, 0]) + struct.pack('<H', len(config)), b'', len(config)),
              usbmon(1, 'C', 2, 0x80, None, config, len(config))]
    for i, (setup, data) in enumerate(requests):
        if setup[0] & 0x80:
            frames.append(usbmon(10 + i, 'S', 2, 0x80, setup, b'', len(data)))
            frames.append(usbmon(10 + i, 'C', 2, 0x80, None, data, len(data)))
        else:
            frames.append(usbmon(10 + i, 'S', 2, 0x00, setup, data, len(data)))
            frames.append(usbmon(10 + i, 'C', 2, 0x00, None, b'', 0))
    for i, (head, data) in enumerate(notes):
        frames.append(usbmon(50 + i, 'S', 1, 0x82, None, b'', 16))
        frames.append(usbmon(50 + i, 'C', 1, 0x82, None, head + data, len(head + data)))
    with open(path, 'wb') as f:
        f.write(struct.pack('<IHHiIII', 0xa1b2c3d4, 2, 4, 0, 0, 65535, 220))
        for i, fr in enumerate(frames):
            f.write(struct.pack('<IIII', i, 0, len(fr), len(fr)) + fr)


def fields(elem):
    for f in elem.iter('field'):
        name = f.get('name', '')
        if name.startswith('usbcom.') or name.startswith('usbdfu.'):
            yield name, f.get('show', ''), f.get('showname', '')


def text(v):
    return v.replace(' ', '_') or '-'


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    lines = ['# tshark\'s reading of the class page fixtures; written by tools/class_pages_tshark.py; do not edit']
    with tempfile.TemporaryDirectory() as tmp:
        for n, case in enumerate(CASES):
            path = os.path.join(tmp, 'case%d.pcap' % n)
            build(path, case)
            out = subprocess.run(['tshark', '-r', path, '-T', 'pdml'], check=True, capture_output=True).stdout
            packets = ET.fromstring(out).findall('packet')
            config = case[0]
            offsets = []
            at = 9
            while at + 2 <= len(config):
                if config[at + 1] in (0x24, 0x21):
                    offsets.append(at)
                at += config[at]
            current = None
            out_desc = []
            for name, show, showname in fields(packets[1]):
                if name in ('usbcom.descriptor.subtype', 'usbdfu.descriptor'):
                    current = [offsets[len(out_desc)]]
                    out_desc.append(current)
                    if name == 'usbcom.descriptor.subtype':
                        current.append('subtype=' + text(showname.split(': ', 1)[1].rsplit(' (', 1)[0]))
                    continue
                if current is not None:
                    current.append('%s=%s' % (name.split('.', 2)[2], text(show)))
            for d in out_desc:
                lines.append('descriptor %s %d %s' % (config.hex(), d[0], ' '.join(d[1:])))
            frame = 2
            for setup, data in case[1]:
                got = []
                for p in packets[frame:frame + 2]:
                    for name, show, showname in fields(p):
                        if name in ('usbcom.control.request_code', 'usbcom.control.response_code'):
                            got.append('%s=%s' % (name.rsplit('.', 1)[1], text(showname.split(': ', 1)[1].rsplit(' (', 1)[0])))
                        elif name.startswith('usbcom.control.') and name.rsplit('.', 1)[1] in ('value', 'index', 'length'):
                            got.append('%s=%s' % (name.rsplit('.', 1)[1], show))
                lines.append('request %s %s %s' % (setup.hex(), data.hex() or '-', ' '.join(got)))
                frame += 2
            for head, data in case[2]:
                got = []
                for name, show, showname in fields(packets[frame + 1]):
                    if name == 'usbcom.interrupt.notification_code':
                        got.append('notification_code=' + text(showname.split(': ', 1)[1].rsplit(' (', 1)[0]))
                lines.append('notification %s %s %s' % (head.hex(), data.hex() or '-', ' '.join(got)))
                frame += 2
    with open(sys.argv[1], 'w') as f:
        f.write('\n'.join(lines) + '\n')
    print(len(lines) - 1, 'lines')


if __name__ == '__main__':
    main()
