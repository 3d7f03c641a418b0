#!/usr/bin/env python3
"""Writes tshark's reading of the HID requests of the shared keyboard capture.

captures/usbmon-hub-keyboard.pcapng holds real HID class requests (SET_IDLE,
SET_REPORT) and the GET_DESCRIPTOR of the keyboard's report descriptor. One
line per request: its setup packet, its data stage (the completion's data for
an IN request, "-" for none) and the fields tshark decodes:

    request SETUP DATA bRequest=.. ReportType=.. ReportID=.. Duration=.. wIndex=.. bDescriptorType=..
            wInterfaceNumber=.. wDescriptorLength=..

Usage: tools/hid_class_requests_tshark.py OUT   (needs tshark and the shared data)
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from hid_tshark_fixtures import DATA, frame_bytes  # noqa: E402

CAPTURE = 'usbmon-hub-keyboard.pcapng'
FIELDS = ['usbhid.setup.bRequest', 'usbhid.setup.ReportType', 'usbhid.setup.ReportID',
          'usbhid.setup.Duration', 'usbhid.setup.wIndex', 'usbhid.descriptor.hid.bDescriptorType',
          'usbhid.descriptor.hid.wInterfaceNumber', 'usbhid.descriptor.hid.wDescriptorLength']


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    path = os.path.join(DATA, 'captures', CAPTURE)
    # HID class requests, and standard GET_DESCRIPTOR requests of a HID class
    # descriptor (wValue's high byte 21h-23h), with their completions.
    query = ('usb.urb_type==\'S\' && usb.transfer_type==2 && (usb.bmRequestType==0x21 || '
             'usb.bmRequestType==0xa1 || usbhid.descriptor.hid.bDescriptorType)')
    out = subprocess.run(['tshark', '-2', '-r', path, '-Y', query, '-T', 'fields', '-E', 'separator=;',
                          '-e', 'frame.number', '-e', 'usb.response_in'] +
                         sum([['-e', f] for f in FIELDS], []),
                         check=True, capture_output=True, text=True).stdout
    lines = ['# HID requests of captures/%s as tshark reads them' % CAPTURE,
             '# written by tools/hid_class_requests_tshark.py; do not edit']
    for row in out.splitlines():
        cells = row.split(';')
        frame, response = int(cells[0]), cells[1]
        setup = frame_bytes(path, frame)[40:48]
        data = b''
        if setup[0] & 0x80 and response:
            data = frame_bytes(path, int(response))[64:]
        fields = ' '.join('%s=%s' % (f.rsplit('.', 1)[1], v or '-') for f, v in zip(FIELDS, cells[2:]))
        lines.append('request %s %s %s' % (setup.hex(), data.hex() or '-', fields))
    with open(sys.argv[1], 'w') as f:
        f.write('\n'.join(lines) + '\n')
    print(len(lines) - 2, 'requests')


if __name__ == '__main__':
    main()
