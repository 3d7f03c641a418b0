#!/usr/bin/env python3
"""Writes tshark's reading of Bulk-Only mass-storage stages, as fixtures for
the mass-storage page tests.

The stages are the simulated stick's commands with the SCSI replies that the
protocol tests use (tests/protocols/ScsiFixtures.h: QEMU's disk emulation,
hw/scsi/scsi-disk.c and hw/scsi/scsi-bus.c, and Linux's mass-storage gadget,
drivers/usb/gadget/function/f_mass_storage.c). They are wrapped in a small
Linux usbmon capture (link type 220): a configuration descriptor with one
interface of class 08h, subclass 06h, protocol 50h and its two bulk
endpoints, then per command the CBW (bulk OUT), the data stage and the CSW
(bulk IN), each as submission and completion. tshark dissects the capture on
its own; its fields are written beside the stage bytes.

Each line: case|stage (cbw, data, csw)|stage bytes in hex|pending CDB in
hex|field=value;field=value... (tshark's values as shown, -E occurrence=f).
Run from the repository root; writes tests/data/details/msc_tshark.txt.
"""
import os
import struct
import subprocess
import sys
import tempfile


def text(s, n=None):
    b = s.encode('ascii')
    return b if n is None else b.ljust(n, b' ')


QEMU_INQUIRY = bytes([0x00, 0x00, 0x05, 0x12, 0x1F, 0x00, 0x00, 0x12]) + text('QEMU', 8) + \
    text('QEMU HARDDISK', 16) + text('2.5+')
GADGET_INQUIRY = bytes([0x00, 0x80, 0x02, 0x02, 0x1F, 0x00, 0x00, 0x00]) + text('Linux', 8) + \
    text('File-Stor Gadget', 16) + text('0404')
SENSE_MEDIUM = bytes([0x70, 0, 0x02, 0, 0, 0, 0, 0x0A, 0, 0, 0, 0, 0x3A, 0x00, 0, 0, 0, 0])
SENSE_INVALID = bytes([0x70, 0, 0x05, 0, 0, 0, 0, 0x0A, 0, 0, 0, 0, 0x24, 0x00, 0, 0, 0, 0])
CAPACITY10 = bytes([0x00, 0x1F, 0xFF, 0xFF, 0x00, 0x00, 0x02, 0x00])
CAPACITY10_BIG = bytes([0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00])

# name, CDB, data direction ('in', 'out', None), data, CSW status, residue
CASES = [
    ('inquiry_qemu', bytes([0x12, 0, 0, 0, 36, 0]), 'in', QEMU_INQUIRY, 0, 0),
    ('inquiry_gadget', bytes([0x12, 0, 0, 0, 36, 0]), 'in', GADGET_INQUIRY, 0, 0),
    ('request_sense', bytes([0x03, 0, 0, 0, 18, 0]), 'in', SENSE_MEDIUM, 0, 0),
    ('request_sense_invalid', bytes([0x03, 0, 0, 0, 18, 0]), 'in', SENSE_INVALID, 0, 0),
    ('read_capacity10', bytes([0x25] + [0] * 9), 'in', CAPACITY10, 0, 0),
    ('read_capacity10_big', bytes([0x25] + [0] * 9), 'in', CAPACITY10_BIG, 0, 0),
    ('read10', bytes([0x28, 0, 0x00, 0x01, 0x00, 0x00, 0, 0x00, 0x08, 0]), 'in', bytes(4096), 0, 0),
    ('read10_high_lba', bytes([0x28, 0, 0x80, 0x00, 0x00, 0x00, 0, 0x00, 0x01, 0]), 'in', bytes(512), 1, 512),
    ('write10', bytes([0x2A, 0, 0x00, 0x00, 0x12, 0x34, 0, 0x00, 0x02, 0]), 'out', bytes(1024), 0, 0),
    ('read6', bytes([0x08, 0x01, 0x02, 0x03, 0x00, 0]), 'in', bytes(512), 0, 0x1FE00),
    ('test_unit_ready', bytes([0x00, 0, 0, 0, 0, 0]), None, b'', 1, 0),
]


def usbmon(urb_id, kind, xfer, ep, setup, data, length, status=0):
    flag_setup = 0 if setup is not None else ord('-')
    flag_data = ord('=') if data else ord('<')
    h = struct.pack('<QBBBBHBBqiiII', urb_id, ord(kind), xfer, ep, 5, 1, flag_setup, flag_data,
                    0, 0, -115 if kind == 'S' else status, length, len(data))
    h += setup if setup is not None else b'\0' * 8
    h += struct.pack('<iiII', 0, 0, 0, 0)
    return h + data


def cbw(tag, length, flags, cdb):
    return b'USBC' + struct.pack('<IIBBB', tag, length, flags, 0, len(cdb)) + cdb.ljust(16, b'\0')


def csw(tag, residue, status):
    return b'USBS' + struct.pack('<IIB', tag, residue, status)


def build(path):
    """Writes the capture; returns the (case, stage, bytes, cdb, frame) of every stage."""
    cfg = bytes([9, 2, 32, 0, 1, 1, 0, 0x80, 50,
                 9, 4, 0, 0, 2, 0x08, 0x06, 0x50, 0,
                 7, 5, 0x81, 2, 0x00, 0x02, 0,
                 7, 5, 0x02, 2, 0x00, 0x02, 0])
    frames = [
        usbmon(1, 'S', 2, 0x80, bytes([0x80, 6, 0, 2, 0, 0]) + struct.pack('<H', len(cfg)), b'', len(cfg)),
        usbmon(1, 'C', 2, 0x80, None, cfg, len(cfg)),
        usbmon(2, 'S', 2, 0x00, bytes([0x00, 9, 1, 0, 0, 0, 0, 0]), b'', 0),
        usbmon(2, 'C', 2, 0x00, None, b'', 0),
    ]
    stages = []
    urb = 10
    for tag, (name, cdb, direction, data, status, residue) in enumerate(CASES, 1):
        w = cbw(0x4D530000 + tag, len(data), 0x80 if direction == 'in' else 0x00, cdb)
        frames.append(usbmon(urb, 'S', 3, 0x02, None, w, len(w)))
        stages.append((name, 'cbw', w, cdb, len(frames)))
        frames.append(usbmon(urb, 'C', 3, 0x02, None, b'', len(w)))
        urb += 1
        if direction == 'in':
            frames.append(usbmon(urb, 'S', 3, 0x81, None, b'', len(data)))
            frames.append(usbmon(urb, 'C', 3, 0x81, None, data, len(data)))
            stages.append((name, 'data', data, cdb, len(frames)))
            urb += 1
        elif direction == 'out':
            frames.append(usbmon(urb, 'S', 3, 0x02, None, data, len(data)))
            stages.append((name, 'data', data, cdb, len(frames)))
            frames.append(usbmon(urb, 'C', 3, 0x02, None, b'', len(data)))
            urb += 1
        s = csw(0x4D530000 + tag, residue, status)
        frames.append(usbmon(urb, 'S', 3, 0x81, None, b'', 13))
        frames.append(usbmon(urb, 'C', 3, 0x81, None, s, 13))
        stages.append((name, 'csw', s, cdb, len(frames)))
        urb += 1
    with open(path, 'wb') as f:
        f.write(struct.pack('<IHHiIII', 0xa1b2c3d4, 2, 4, 0, 0, 65535, 220))
        for i, fr in enumerate(frames):
            f.write(struct.pack('<IIII', i, 0, len(fr), len(fr)) + fr)
    return stages


FIELDS = ['usbms.dCBWTag', 'usbms.dCBWDataTransferLength', 'usbms.dCBWLUN', 'usbms.dCSWDataResidue',
          'usbms.dCSWStatus', 'scsi_sbc.opcode', 'scsi_sbc.rdwr10.lba', 'scsi_sbc.rdwr10.xferlen',
          'scsi_sbc.rdwr6.lba', 'scsi_sbc.rdwr6.xferlen', 'scsi.inquiry.vendor_id', 'scsi.inquiry.product_id',
          'scsi.inquiry.product_rev', 'scsi.inquiry.devtype', 'scsi.inquiry.version', 'scsi_sbc.returned_lba',
          'scsi_sbc.blocksize', 'scsi.sns.key', 'scsi.sns.asc', 'scsi.sns.ascq']


def main():
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, 'msc.pcap')
        stages = build(path)
        args = ['tshark', '-r', path, '-T', 'fields', '-E', 'occurrence=f', '-E', 'separator=|',
                '-e', 'frame.number']
        for f in FIELDS:
            args += ['-e', f]
        out = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    by_frame = {}
    for line in out.splitlines():
        cells = line.split('|')
        by_frame[int(cells[0])] = {f: v for f, v in zip(FIELDS, cells[1:]) if v != ''}
    lines = []
    for name, stage, data, cdb, frame in stages:
        fields = by_frame.get(frame, {})
        lines.append('%s|%s|%s|%s|%s' % (name, stage, data.hex(), cdb.hex(),
                                         ';'.join('%s=%s' % kv for kv in sorted(fields.items()))))
    os.makedirs('tests/data/details', exist_ok=True)
    with open('tests/data/details/msc_tshark.txt', 'w') as f:
        f.write('# case|stage|bytes|pending CDB|tshark fields (written by tools/msc_tshark_fixtures.py)\n')
        f.write('\n'.join(lines) + '\n')
    print('%d stages' % len(lines))


if __name__ == '__main__':
    sys.exit(main())
