#!/usr/bin/env python3
"""Writes tshark's reading of the real reports of the shared USBPcap capture.

captures/usbpcap-hid-0627-0001.pcap holds 246 interrupt IN reports of QEMU's
USB tablet (0627:0001, interface protocol 0) but not its report descriptor.
The descriptor below is the tablet's as QEMU's source writes it; its length
(74) is the wDescriptorLength of the capture's HID descriptor. The script
puts the descriptor and each distinct report into a small usbmon capture,
lets tshark decode the reports, and writes in the format of the parser's
fixtures:

    descriptor-hex HEX
    report-data HEX
      usages 0009 0001          (the buttons tshark shows down)
      value PAGE USAGE V        (the value fields; page 0 = named by usage only)

Usage: tools/hid_report_values_tshark.py OUT   (needs tshark and the shared data)
"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from hid_tshark_fixtures import DATA, pdml, report_expectations, write_pcap  # noqa: E402

TABLET = bytes.fromhex(
    '05010902a1010901a100050919012903150025019503750181029501750581010501093009311500'
    '26ff7f350046ff7f751095028102050109381581257f35004500750895018106c0c0')
CAPTURE = 'usbpcap-hid-0627-0001.pcap'


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    capture = os.path.join(DATA, 'captures', CAPTURE)
    out = subprocess.run(['tshark', '-r', capture, '-T', 'fields', '-e', 'usbhid.data',
                          '-e', 'usb.capdata', '-Y', 'usb.transfer_type==1 && usb.data_len>0'],
                         check=True, capture_output=True, text=True).stdout
    reports, seen = [], set()
    for line in out.splitlines():
        data = line.replace('\t', '').replace(':', '')
        if data and data not in seen:
            seen.add(data)
            reports.append(bytes.fromhex(data))
    version = subprocess.run(['tshark', '--version'], capture_output=True, text=True).stdout.splitlines()[0]
    lines = ['# QEMU USB tablet: the distinct reports of captures/%s; values by %s' % (CAPTURE, version),
             '# written by tools/hid_report_values_tshark.py; do not edit',
             'descriptor-hex %s' % TABLET.hex()]
    with tempfile.TemporaryDirectory() as tmp:
        pcap = os.path.join(tmp, 'tablet.pcap')
        write_pcap(pcap, TABLET, reports)
        for packet in pdml(pcap, [6 + 2 * i for i in range(len(reports))]):
            lines += report_expectations(packet)
    with open(sys.argv[1], 'w') as f:
        f.write('\n'.join(lines) + '\n')
    print(len(reports), 'reports')


if __name__ == '__main__':
    main()
