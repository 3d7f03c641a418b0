#!/usr/bin/env python3
"""Writes every control transfer of the shared real captures, with its data
stage and tshark's own reading of it, as fixtures for the data-analysis page
tests (standard requests, descriptors, hub requests).

Each line of tests/data/details/control_transfers.txt:
  capture|setup frame|completion frame|setup hex|data hex|interface class|fields
- the 8 setup bytes and the data stage are taken from the capture file itself
  (usbmon: the 64-byte header, setup at 40, data after the header, the IN data
  in the completion and the OUT data in the submission; USBPcap: the setup
  stage's 8 bytes after the packet header, the data in the completion);
- the interface class is that of the device's first interface when the
  capture holds its configuration descriptor, 09h (hub) for requests to the
  "other" recipient (only hubs have ports), else -1;
- fields: tshark's values (name=value, several values of one field joined by
  ","), from the setup frame for the request fields and from the completion
  frame for the descriptor and hub status fields.
Run from the repository root (needs tshark and ../shared/testdata).
"""
import os
import struct
import subprocess
import sys

CAPTURES = "../shared/testdata/captures"
NAMES = ["usbpcap-hid-0627-0001.pcap", "usbmon-enum-small.pcap", "usbmon-hub-keyboard.pcapng"]

SETUP_FIELDS = ["usb.bmRequestType", "usb.setup.bRequest", "usb.setup.wValue", "usb.setup.wIndex",
                "usb.setup.wLength", "usbhub.setup.bRequest", "usbhub.setup.wValue", "usbhub.setup.wIndex",
                "usbhub.setup.wLength"]
DATA_FIELDS = ["usb.bLength", "usb.bDescriptorType", "usb.bcdUSB", "usb.bDeviceClass", "usb.bMaxPacketSize0",
               "usb.idVendor", "usb.idProduct", "usb.bcdDevice", "usb.bNumConfigurations", "usb.wTotalLength",
               "usb.bNumInterfaces", "usb.bConfigurationValue", "usb.configuration.bmAttributes",
               "usb.bMaxPower", "usb.bInterfaceNumber", "usb.bAlternateSetting", "usb.bNumEndpoints",
               "usb.bInterfaceClass", "usb.bInterfaceSubClass", "usb.bInterfaceProtocol", "usb.bEndpointAddress",
               "usb.bmAttributes", "usb.wMaxPacketSize", "usb.bInterval", "usb.wLANGID", "usb.bString",
               "usbhub.status.port", "usbhub.change.port",
               "usbhub.status.port.connection", "usbhub.status.port.enable", "usbhub.status.port.suspend",
               "usbhub.status.port.overcurrent", "usbhub.status.port.reset", "usbhub.status.port.power",
               "usbhub.status.port.low_speed", "usbhub.status.port.high_speed", "usbhub.status.port.test",
               "usbhub.status.port.indicator", "usbhub.change.port.connection", "usbhub.change.port.enable",
               
               "usb.setup.wStatus"]


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


def transfers(path):
    """Control transfers: dicts with setup/completion frame, setup, data, device."""
    pending, done = {}, []
    for number, (link, p) in enumerate(packets(path), 1):
        if link in (189, 220):
            if len(p) < 64 or p[9] != 2:
                continue
            urb, kind, device = struct.unpack_from("<Q", p, 0)[0], p[8:9], p[11]
            body = p[64:]
            if kind == b"S" and p[14] == 0:
                pending[urb] = {"setup_frame": number, "setup": p[40:48], "device": device,
                                "out": body}
            elif kind == b"C" and urb in pending:
                t = pending.pop(urb)
                t["completion_frame"] = number
                t["data"] = body if t["setup"][0] & 0x80 else t["out"]
                t["status"] = struct.unpack_from("<i", p, 28)[0]
                done.append(t)
        elif link == 249:
            if len(p) < 28:
                continue
            header = struct.unpack_from("<H", p, 0)[0]
            irp = struct.unpack_from("<Q", p, 2)[0]
            info, device, transfer = p[16], struct.unpack_from("<H", p, 19)[0], p[22]
            if transfer != 2 or header < 28:
                continue
            stage, body = p[27], p[header:]
            if not info & 1 and stage == 0 and len(body) >= 8:
                pending[irp] = {"setup_frame": number, "setup": body[:8], "device": device, "out": body[8:]}
            elif info & 1 and irp in pending:
                t = pending.pop(irp)
                t["completion_frame"] = number
                t["data"] = body if t["setup"][0] & 0x80 else t["out"]
                t["status"] = struct.unpack_from("<I", p, 10)[0]
                done.append(t)
    return done


def tshark_fields(path, fields):
    args = ["tshark", "-r", path, "-T", "fields", "-E", "separator=|", "-E", "occurrence=a",
            "-E", "aggregator=,", "-e", "frame.number"]
    for f in fields:
        args += ["-e", f]
    out = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    rows = {}
    for line in out.splitlines():
        cells = line.split("|")
        rows[int(cells[0])] = {f: v for f, v in zip(fields, cells[1:]) if v != ""}
    return rows


def main():
    out = []
    for name in NAMES:
        path = os.path.join(CAPTURES, name)
        found = transfers(path)
        setup_rows = tshark_fields(path, SETUP_FIELDS)
        data_rows = tshark_fields(path, DATA_FIELDS)
        classes = {}
        for t in found:
            d = t["data"]
            if t["setup"][:4] == b"\x80\x06\x00\x02" and len(d) >= 18 and d[10] == 4:
                classes.setdefault(t["device"], d[14])
        for t in found:
            s = t["setup"]
            cls = classes.get(t["device"], -1)
            if (s[0] & 0x1F) == 3:
                cls = 9
            fields = dict(setup_rows.get(t["setup_frame"], {}))
            fields.update(data_rows.get(t["completion_frame"], {}))
            text = ";".join("%s=%s" % (k, v.replace(";", " ").replace("|", " ")) for k, v in sorted(fields.items()))
            out.append("%s|%d|%d|%s|%s|%d|%s" % (name, t["setup_frame"], t["completion_frame"], s.hex(),
                                                   bytes(t["data"]).hex(), cls, text))
    with open("tests/data/details/control_transfers.txt", "w") as f:
        f.write("# capture|setup frame|completion frame|setup|data|interface class|tshark fields "
                "(written by tools/control_tshark_fixtures.py)\n")
        f.write("\n".join(out) + "\n")
    print("%d control transfers" % len(out))


if __name__ == "__main__":
    sys.exit(main())
