#!/usr/bin/env python3
"""Writes protocols/HidUsageTables.inc: the usage names of the HID usage pages.

Source: the HID usage lists of usb.ids (Debian's usb.ids package,
/usr/share/misc/usb.ids), corrected to the HID Usage Tables' own texts where
usb.ids words them its own way, and completed where usb.ids stops short of a
page's named range (Generic Desktop, Keyboard/Keypad, Consumer, Digitizer,
Alphanumeric Display, Monitor) or lacks the page (Generic Device Controls,
Sensor, Medical Instruments, VESA Command).

Usage: tools/gen_hid_usage_names.py [usb.ids]
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# page: (page name in the comment, highest named usage)
PAGES = {
    0x01: 183, 0x02: 208, 0x03: 33, 0x04: 99, 0x05: 57, 0x06: 38, 0x07: 231, 0x08: 77,
    0x0B: 191, 0x0C: 668, 0x0D: 86, 0x0F: 172, 0x14: 149, 0x20: 255, 0x40: 161,
    0x80: 12, 0x82: 212, 0x83: 2, 0x84: 255, 0x85: 243,
}

GENERIC_DESKTOP = """
00 Undefined|01 Pointer|02 Mouse|04 Joystick|05 Game Pad|06 Keyboard|07 Keypad|
08 Multi-axis Controller|09 Tablet PC System Controls|0A Water Cooling Device|
0B Computer Chassis Device|0C Wireless Radio Controls|0D Portable Device Control|
0E System Multi-Axis Controller|0F Spatial Controller|10 Assistive Control|11 Device Dock|
12 Dockable Device|13 Call State Management Control|
30 X|31 Y|32 Z|33 Rx|34 Ry|35 Rz|36 Slider|37 Dial|38 Wheel|39 Hat switch|3A Counted Buffer|
3B Byte Count|3C Motion Wakeup|3D Start|3E Select|40 Vx|41 Vy|42 Vz|43 Vbrx|44 Vbry|45 Vbrz|
46 Vno|47 Feature Notification|48 Resolution Multiplier|49 Qx|4A Qy|4B Qz|4C Qw|
80 System Control|81 System Power Down|82 System Sleep|83 System Wake Up|
84 System Context Menu|85 System Main Menu|86 System App Menu|87 System Menu Help|
88 System Menu Exit|89 System Menu Select|8A System Menu Right|8B System Menu Left|
8C System Menu Up|8D System Menu Down|8E System Cold Restart|8F System Warm Restart|
90 D-pad Up|91 D-pad Down|92 D-pad Right|93 D-pad Left|94 Index Trigger|95 Palm Trigger|
96 Thumbstick|97 System Function Shift|98 System Function Shift Lock|
99 System Function Shift Lock Indicator|9A System Dismiss Notification|
9B System Do Not Disturb|
A0 System Dock|A1 System Undock|A2 System Setup|A3 System Break|A4 System Debugger Break|
A5 Application Break|A6 Application Debugger Break|A7 System Speaker Mute|
A8 System Hibernate|A9 System Microphone Mute|
B0 System Display Invert|B1 System Display Internal|B2 System Display External|
B3 System Display Both|B4 System Display Dual|B5 System Display Toggle Int/Ext|
B6 System Display Swap Primary/Secondary|B7 System Display LCD Autoscale
"""

GENERIC_DEVICE = """
00 Undefined|01 Background/Nonuser Controls|20 Battery Strength|21 Wireless Channel|
22 Wireless ID|23 Discover Wireless Control|24 Security Code Character Entered|
25 Security Code Character Erased|26 Security Code Cleared
"""

KEYPAD_TAIL = """
B0 Keypad 00|B1 Keypad 000|B2 Thousands Separator|B3 Decimal Separator|B4 Currency Unit|
B5 Currency Sub-unit|B6 Keypad (|B7 Keypad )|B8 Keypad {|B9 Keypad }|BA Keypad Tab|
BB Keypad Backspace|BC Keypad A|BD Keypad B|BE Keypad C|BF Keypad D|C0 Keypad E|C1 Keypad F|
C2 Keypad XOR|C3 Keypad ^|C4 Keypad %|C5 Keypad <|C6 Keypad >|C7 Keypad &|C8 Keypad &&|
C9 Keypad BAR|CA Keypad BARBAR|CB Keypad :|CC Keypad #|CD Keypad Space|CE Keypad @|CF Keypad !|
D0 Keypad Memory Store|D1 Keypad Memory Recall|D2 Keypad Memory Clear|D3 Keypad Memory Add|
D4 Keypad Memory Subtract|D5 Keypad Memory Multiply|D6 Keypad Memory Divide|D7 Keypad +/-|
D8 Keypad Clear|D9 Keypad Clear Entry|DA Keypad Binary|DB Keypad Octal|DC Keypad Decimal|
DD Keypad Hexadecimal|
E0 Keyboard LeftControl|E1 Keyboard LeftShift|E2 Keyboard LeftAlt|E3 Keyboard Left GUI|
E4 Keyboard RightControl|E5 Keyboard RightShift|E6 Keyboard RightAlt|E7 Keyboard Right GUI
"""


def keyboard():
    rows = {0x01: 'Keyboard ErrorRollOver',
            0x02: 'Keyboard POSTFail', 0x03: 'Keyboard ErrorUndefined'}
    for i in range(26):
        rows[0x04 + i] = 'Keyboard %s and %s' % (chr(ord('a') + i), chr(ord('A') + i))
    for i, shifted in enumerate('!@#$%^&*('):
        rows[0x1E + i] = 'Keyboard %d and %s' % (i + 1, shifted)
    rows[0x27] = 'Keyboard 0 and )'
    more = ['Keyboard Return (ENTER)', 'Keyboard ESCAPE', 'Keyboard DELETE (Backspace)',
            'Keyboard Tab', 'Keyboard Spacebar', 'Keyboard - and (underscore)', 'Keyboard = and +',
            'Keyboard [ and {', 'Keyboard ] and }', 'Keyboard \\ and |', 'Keyboard Non-US # and ~',
            'Keyboard ; and :', 'Keyboard \' and "', 'Keyboard Grave Accent and Tilde',
            'Keyboard , and <', 'Keyboard . and >', 'Keyboard / and ?', 'Keyboard Caps Lock']
    for i, t in enumerate(more):
        rows[0x28 + i] = t
    for i in range(12):
        rows[0x3A + i] = 'Keyboard F%d' % (i + 1)
    more = ['Keyboard PrintScreen', 'Keyboard Scroll Lock', 'Keyboard Pause', 'Keyboard Insert',
            'Keyboard Home', 'Keyboard PageUp', 'Keyboard Delete Forward', 'Keyboard End',
            'Keyboard PageDown', 'Keyboard RightArrow', 'Keyboard LeftArrow', 'Keyboard DownArrow',
            'Keyboard UpArrow', 'Keypad Num Lock and Clear', 'Keypad /', 'Keypad *', 'Keypad -',
            'Keypad +', 'Keypad ENTER', 'Keypad 1 and End', 'Keypad 2 and Down Arrow',
            'Keypad 3 and PageDn', 'Keypad 4 and Left Arrow', 'Keypad 5', 'Keypad 6 and Right Arrow',
            'Keypad 7 and Home', 'Keypad 8 and Up Arrow', 'Keypad 9 and PageUp',
            'Keypad 0 and Insert', 'Keypad . and Delete', 'Keyboard Non-US \\ and |',
            'Keyboard Application', 'Keyboard Power', 'Keypad =']
    for i, t in enumerate(more):
        rows[0x46 + i] = t
    for i in range(12):
        rows[0x68 + i] = 'Keyboard F%d' % (i + 13)
    more = ['Keyboard Execute', 'Keyboard Help', 'Keyboard Menu', 'Keyboard Select', 'Keyboard Stop',
            'Keyboard Again', 'Keyboard Undo', 'Keyboard Cut', 'Keyboard Copy', 'Keyboard Paste',
            'Keyboard Find', 'Keyboard Mute', 'Keyboard Volume Up', 'Keyboard Volume Down',
            'Keyboard Locking Caps Lock', 'Keyboard Locking Num Lock', 'Keyboard Locking Scroll Lock',
            'Keypad Comma', 'Keypad Equal Sign']
    for i, t in enumerate(more):
        rows[0x74 + i] = t
    for i in range(9):
        rows[0x87 + i] = 'Keyboard International%d' % (i + 1)
        rows[0x90 + i] = 'Keyboard LANG%d' % (i + 1)
    more = ['Keyboard Alternate Erase', 'Keyboard SysReq/Attention', 'Keyboard Cancel',
            'Keyboard Clear', 'Keyboard Prior', 'Keyboard Return', 'Keyboard Separator',
            'Keyboard Out', 'Keyboard Oper', 'Keyboard Clear/Again', 'Keyboard CrSel/Props',
            'Keyboard ExSel']
    for i, t in enumerate(more):
        rows[0x99 + i] = t
    # BAR stands for "|" in the compact list, whose separator it is.
    rows.update(parse(KEYPAD_TAIL.replace('BAR', '\0')))
    return rows


CONSUMER_TAIL = [
    'AC Edit', 'AC Bold', 'AC Italics', 'AC Underline', 'AC Strikethrough', 'AC Subscript',
    'AC Superscript', 'AC All Caps', 'AC Rotate', 'AC Resize', 'AC Flip horizontal',
    'AC Flip Vertical', 'AC Mirror Horizontal', 'AC Mirror Vertical', 'AC Font Select',
    'AC Font Color', 'AC Font Size', 'AC Justify Left', 'AC Justify Center H', 'AC Justify Right',
    'AC Justify Block H', 'AC Justify Top', 'AC Justify Center V', 'AC Justify Bottom',
    'AC Justify Block V', 'AC Indent Decrease', 'AC Indent Increase', 'AC Numbered List',
    'AC Restart Numbering', 'AC Bulleted List', 'AC Promote', 'AC Demote', 'AC Yes', 'AC No',
    'AC Cancel', 'AC Catalog', 'AC Buy/Checkout', 'AC Add to Cart', 'AC Expand', 'AC Expand All',
    'AC Collapse', 'AC Collapse All', 'AC Print Preview', 'AC Paste Special', 'AC Insert Mode',
    'AC Delete', 'AC Lock', 'AC Unlock', 'AC Protect', 'AC Unprotect', 'AC Attach Comment',
    'AC Delete Comment', 'AC View Comment', 'AC Select Word', 'AC Select Sentence',
    'AC Select Paragraph', 'AC Select Column', 'AC Select Row', 'AC Select Table',
    'AC Select Object', 'AC Redo/Repeat', 'AC Sort', 'AC Sort Ascending', 'AC Sort Descending',
    'AC Filter', 'AC Set Clock', 'AC View Clock', 'AC Select Time Zone', 'AC Edit Time Zones',
    'AC Set Alarm', 'AC Clear Alarm', 'AC Snooze Alarm', 'AC Reset Alarm', 'AC Synchronize',
    'AC Send/Receive', 'AC Send To', 'AC Reply', 'AC Reply All', 'AC Forward Msg', 'AC Send',
    'AC Attach File', 'AC Upload', 'AC Download (Save Target As)', 'AC Set Borders',
    'AC Insert Row', 'AC Insert Column', 'AC Insert File', 'AC Insert Picture',
    'AC Insert Object', 'AC Insert Symbol', 'AC Save and Close', 'AC Rename', 'AC Merge',
    'AC Split', 'AC Disribute Horizontally', 'AC Distribute Vertically',
]

MEDICAL = """
00 Undefined|01 Medical Ultrasound|20 VCR/Acquisition|21 Freeze/Thaw|22 Clip Store|23 Update|
24 Next|25 Save|26 Print|27 Microphone Enable|40 Cine|41 Transmit Power|42 Volume|43 Focus|
44 Depth|60 Soft Step - Primary|61 Soft Step - Secondary|70 Depth Gain Compensation|
80 Zoom Select|81 Zoom Adjust|82 Spectral Doppler Mode Select|83 Spectral Doppler Adjust|
84 Color Doppler Mode Select|85 Color Doppler Adjust|86 Motion Mode Select|
87 Motion Mode Adjust|88 2-D Mode Select|89 2-D Mode Adjust|A0 Soft Control Select|
A1 Soft Control Adjust
"""

ALPHANUMERIC_TAIL = """
42 Font 7-Segment|43 7-Segment Direct Map|44 Font 14-Segment|45 14-Segment Direct Map|
46 Display Brightness|47 Display Contrast|48 Character Attribute|49 Attribute Readback|
4A Attribute Data|4B Char Attr Enhance|4C Char Attr Underline|4D Char Attr Blink|
80 Bitmap Size X|81 Bitmap Size Y|83 Bit Depth Format|84 Display Orientation|
85 Palette Report|86 Palette Data Size|87 Palette Data Offset|88 Palette Data|8A Blit Report|
8B Blit Rectangle X1|8C Blit Rectangle Y1|8D Blit Rectangle X2|8E Blit Rectangle Y2|
8F Blit Data|90 Soft Button|91 Soft Button ID|92 Soft Button Side|93 Soft Button Offset 1|
94 Soft Button Offset 2|95 Soft Button Report
"""

# Sensor categories: (first id, category name, type names from first id + 1).
SENSOR = [
    (0x01, 'Sensor', []),
    (0x10, 'Biometric', ['Human Presence', 'Human Proximity', 'Human Touch']),
    (0x20, 'Electrical', ['Capacitance', 'Current', 'Power', 'Inductance', 'Resistance',
                          'Voltage', 'Potentiometer', 'Frequency', 'Period']),
    (0x30, 'Environmental', ['Atmospheric Pressure', 'Humidity', 'Temperature',
                             'Wind Direction', 'Wind Speed']),
    (0x40, 'Light', ['Ambient Light', 'Consumer Infrared']),
    (0x50, 'Location', ['Broadcast', 'Dead Reckoning', 'GPS (Global Positioning System)',
                        'Lookup', 'Other', 'Static', 'Triangulation']),
    (0x60, 'Mechanical', ['Boolean Switch', 'Boolean Switch Array', 'Multivalue Switch', 'Force',
                          'Pressure', 'Strain', 'Weight', 'Haptic Vibrator',
                          'Hall Effect Switch']),
    (0x70, 'Motion', ['Accelerometer 1D', 'Accelerometer 2D', 'Accelerometer 3D', 'Gyrometer 1D',
                      'Gyrometer 2D', 'Gyrometer 3D', 'Motion Detector', 'Speedometer',
                      'Accelerometer', 'Gyrometer']),
    (0x80, 'Orientation', ['Compass 1D', 'Compass 2D', 'Compass 3D', 'Inclinometer 1D',
                           'Inclinometer 2D', 'Inclinometer 3D', 'Distance 1D', 'Distance 2D',
                           'Distance 3D', 'Device Orientation', 'Compass', 'Inclinometer',
                           'Distance']),
    (0x90, 'Scanner', ['Barcode', 'RFID', 'NFC']),
    (0xA0, 'Time', ['Alarm Timer', 'Real Time Clock']),
    (0xE0, 'Other', ['Custom', 'Generic', 'Generic Enumerator']),
]


def sensor():
    rows = {0: 'Undefined'}
    for first, category, types in SENSOR:
        rows[first] = category
        for i in range(first + 1, (first | 0x0F) + 1):
            k = i - first - 1
            rows[i] = '%s: %s' % (category, types[k] if k < len(types) else 'Reserved')
    for i in range(0xF0, 0x100):
        rows[i] = 'Reserved for Vendors/OEMs'
    return rows


# Texts of usb.ids corrected to the HID Usage Tables' wording (page: {usage:
# text}, None for a usage the tables do not name). Found by comparing every
# name with tshark's (tools/hid_usage_names_tshark.py asks tshark one usage at
# a time) and settled one by one by the tables' text.
CORRECTIONS = {
    0x02: {0x09: 'Airplane Simulation Device', 0xB6: 'Dive Brake', 0xBC: 'Flight Communications',
           0xBF: 'Toe Brake', 0xC1: 'Weapons Arm', 0xCB: 'Dive Plane', 0xCD: 'Bicycle Crank'},
    0x04: {0x47: 'Stick Tempo'},
    0x05: {0x20: 'Point of View', 0x22: 'Pitch Forward/Backward', 0x23: 'Roll Right/Left',
           0x38: None},
    0x08: {0x01: 'Num Lock', 0x02: 'Caps Lock', 0x08: 'Do Not Disturb', 0x0A: 'Tone Enable',
           0x0E: 'Sound Field On', 0x3C: 'Usage Multi Mode Indicator', 0x47: 'Usage Indicator Color'},
    0x0B: dict([(0x74, 'Answer On/Off'), (0x98, 'Reorder Tone')] +
               [(0xB0 + i, 'Phone Key %d' % i) for i in range(10)] +
               [(0xBA, 'Phone Key Star'), (0xBB, 'Phone Key Pound'), (0xBC, 'Phone Key A'),
                (0xBD, 'Phone Key B'), (0xBE, 'Phone Key C'), (0xBF, 'Phone Key D')]),
    0x14: {0x30: 'Err Not a loadable character', 0x31: 'Err Font data cannot be read',
           0x32: 'Cursor Position Report'},
    0x82: {0x40: 'Parallelogram Distortion (Key Balance)', 0xA4: 'Polarity Horizontal Synchronization',
           0xAC: 'Horizontal Frequency', 0xAE: 'Vertical Frequency', 0xCA: 'On Screen Display',
           0xD4: 'StereoMode'},
    0x0D: {0x06: 'Whiteboard', 0x0E: 'Device Configuration', 0x23: 'Device settings',
           0x47: 'Touch Valid', 0x51: 'Contact Identifier', 0x52: 'Device Mode',
           0x53: 'Device Identifier', 0x55: 'Contact Count Maximum', 0x56: 'Scan Time'},
    0x0C: {0x060: 'Data On Screen', 0x0C4: 'Repeat From Mark', 0x0C5: 'Return To Mark',
           0x0C7: 'Search Mark Backwards', 0x170: 'Sub-channel', 0x171: 'Sub-channel Increment',
           0x172: 'Sub-channel Decrement', 0x173: 'Alternate Audio Increment',
           0x174: 'Alternate Audio Decrement', 0x182: 'AL Programmable Button Configuration',
           0x190: 'AL Log/Journal/Timecard', 0x195: 'AL LAN/WAN Browser',
           0x19E: 'AL Terminal Lock/Screensaver', 0x203: 'AC Close', 0x247: 'AC Flip Horizontal',
           0x6F: 'Display Brightness Increment', 0x70: 'Display Brightness Decrement',
           0x71: 'Display Brightness', 0x72: 'Display Backlight Toggle',
           0x73: 'Display Set Brightness to Minimum', 0x74: 'Display Set Brightness to Maximum',
           0x75: 'Display Set Auto Brightness'},
    0x83: {0x01: 'Settings', 0x02: 'Degauss'},
}


def one_word(name):
    words = name.replace('.', '').split()
    return ''.join(w if re.match(r'^i[A-Z]', w) else w[:1].upper() + w[1:] for w in words)


def parse(text):
    rows = {}
    for part in text.replace('\n', '').split('|'):
        part = part.strip().replace('\0', '|')
        if part:
            code, name = part.split(' ', 1)
            rows[int(code, 16)] = name
    return rows


def read_usb_ids(path):
    pages, page = {}, None
    with open(path, encoding='latin-1') as f:
        for line in f:
            m = re.match(r'^HUT ([0-9a-f]{2})\s', line)
            if m:
                page = pages.setdefault(int(m.group(1), 16), {})
                continue
            m = re.match(r'^\t([0-9a-f]{3})\s+(.*)$', line)
            if m and page is not None:
                page[int(m.group(1), 16)] = m.group(2).strip()
            elif line[:1] not in ('\t', '#', '\n'):
                page = None
    return pages


def tables(usb_ids):
    ids = read_usb_ids(usb_ids)
    out = {}
    for page in PAGES:
        out[page] = dict(ids.get(page, {}))
    out[0x01] = parse(GENERIC_DESKTOP)
    out[0x06] = parse(GENERIC_DEVICE)
    out[0x07] = keyboard()
    for i, t in enumerate(CONSUMER_TAIL):
        out[0x0C][0x23D + i] = t
    out[0x14].update(parse(ALPHANUMERIC_TAIL))
    out[0x20] = sensor()
    out[0x40] = parse(MEDICAL)
    # The power pages' usage names are written as one word each ("PresentStatus").
    for page in (0x84, 0x85):
        out[page] = {u: one_word(n) for u, n in out[page].items()}
    for page, fixes in CORRECTIONS.items():
        for usage, name in fixes.items():
            if name is None:
                out[page].pop(usage, None)
            else:
                out[page][usage] = name
    for page, rows in out.items():
        rows[0] = 'Undefined'  # every table's row 0, which reserved usages read too
        for usage, name in list(rows.items()):
            if usage > PAGES[page]:
                raise SystemExit('page %02X usage %X lies above the named range' % (page, usage))
            if not name.isascii() or '"' in name and page != 0x07:
                raise SystemExit('page %02X usage %X: %r' % (page, usage, name))
    return out


def c_string(s):
    return '"' + s.replace('\\', '\\\\').replace('"', '\\"') + '"'


def main():
    usb_ids = sys.argv[1] if len(sys.argv) > 1 else '/usr/share/misc/usb.ids'
    out = tables(usb_ids)
    lines = ['// Generated by tools/gen_hid_usage_names.py from usb.ids and the HID Usage',
             '// Tables; do not edit. Rows sorted by usage; a page\'s highest named usage',
             '// bounds it.', '']
    for page in sorted(out):
        rows = out[page]
        lines.append('constexpr HidUsageRow kUsagePage%02X[] = {' % page)
        for usage in sorted(rows):
            lines.append('    {0x%03X, %s},' % (usage, c_string(rows[usage])))
        lines.append('};')
    lines.append('')
    lines.append('constexpr HidUsagePageTable kUsagePages[] = {')
    for page in sorted(out):
        lines.append('    {0x%02X, %d, kUsagePage%02X, std::size(kUsagePage%02X)},' %
                     (page, PAGES[page], page, page))
    lines.append('};')
    with open(os.path.join(ROOT, 'protocols', 'HidUsageTables.inc'), 'w') as f:
        f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main()
