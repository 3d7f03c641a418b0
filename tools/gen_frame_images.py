#!/usr/bin/env python3
"""Draws, into app/res/frame, the main toolbar's bitmaps (16 x 16 and 24 x 24 images in one strip,
magenta as the mask colour), the About and splash pictures and the tip icon.
Run it after changing a picture; the outputs are committed."""
import math
import os
import struct

from bmpfile import write_bmp

MASK = (255, 0, 255)

# A 3 x 5 digit font for the screen-set images.
DIGITS = {
    '1': ["010", "110", "010", "010", "111"],
    '2': ["111", "001", "111", "100", "111"],
    '3': ["111", "001", "011", "001", "111"],
    '4': ["101", "101", "111", "001", "001"],
}
# A 5 x 7 capital font for the pictures' lettering.
LETTERS = {
    'B': ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'I': ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    'N': ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    'D': ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'X': ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    'U': ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    'S': ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'Y': ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    'Z': ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'C': ["01111", "10000", "10000", "10000", "10000", "10000", "01111"],
    'P': ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    ' ': ["00000"] * 7,
}


def inside_poly(x, y, pts):
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def seg_dist(x, y, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy or 1)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


# Shapes on a 16-unit grid: each returns a colour for a point, or None.
def rect(x0, y0, x1, y1, c):
    return lambda x, y: c if x0 <= x < x1 and y0 <= y < y1 else None

def frame(x0, y0, x1, y1, c, w=1.0):
    return lambda x, y: c if (x0 <= x < x1 and y0 <= y < y1 and not (x0 + w <= x < x1 - w and y0 + w <= y < y1 - w)) else None

def disc(cx, cy, r, c):
    return lambda x, y: c if math.hypot(x - cx, y - cy) <= r else None

def ring(cx, cy, r, w, c):
    return lambda x, y: c if r - w <= math.hypot(x - cx, y - cy) <= r else None

def poly(pts, c):
    return lambda x, y: c if inside_poly(x, y, pts) else None

def line(a, b, w, c):
    return lambda x, y: c if seg_dist(x, y, a, b) <= w / 2 else None

def digit(ch, x0, y0, scale, c):
    rows = DIGITS[ch]
    def f(x, y):
        col, row = int((x - x0) // scale), int((y - y0) // scale)
        if 0 <= row < 5 and 0 <= col < 3 and x >= x0 and y >= y0:
            return c if rows[row][col] == '1' else None
        return None
    return f

BLACK, WHITE, GREY = (0, 0, 0), (255, 255, 255), (128, 128, 128)
DARK, RED, GREEN = (64, 64, 64), (204, 0, 0), (0, 160, 0)
BLUE, YELLOW, NAVY = (0, 80, 200), (240, 200, 40), (0, 0, 128)

def page(extra=()):
    return list(extra) + [poly([(3, 1), (10, 1), (13, 4), (13, 15), (3, 15)], WHITE),
                          line((3, 1), (10, 1), 1, DARK), line((10, 1), (13, 4), 1, DARK),
                          line((13, 4), (13, 15), 1, DARK), line((13, 15), (3, 15), 1, DARK),
                          line((3, 15), (3, 1), 1, DARK)]

def magnifier(extra=()):
    return list(extra) + [ring(6.5, 6.5, 4.5, 1.5, NAVY), disc(6.5, 6.5, 3.2, (200, 230, 255)),
                          line((9.8, 9.8), (14, 14), 2.2, DARK)]

def funnel(filled):
    pts = [(1.5, 2), (14.5, 2), (9.5, 8), (9.5, 14), (6.5, 12.5), (6.5, 8)]
    shapes = [line(pts[i], pts[(i + 1) % len(pts)], 1, NAVY) for i in range(len(pts))]
    if filled:
        shapes.append(poly(pts, BLUE))
    return shapes

def screen_set(ch, locked):
    shapes = []
    if locked:
        shapes += [rect(9, 10, 15, 15, YELLOW), frame(9, 10, 15, 15, DARK),
                   ring(12, 10, 2.2, 0.9, DARK)]
    shapes += [digit(ch, 4.5, 4, 2, NAVY), rect(2, 2, 14, 14, WHITE), frame(1, 1, 15, 15, DARK)]
    return shapes

IMAGES = [
    [ring(8, 8, 6.5, 2.5, GREY), disc(8, 8, 2, GREY)] + [line((8 + 5 * math.cos(a), 8 + 5 * math.sin(a)), (8 + 7.5 * math.cos(a), 8 + 7.5 * math.sin(a)), 2, GREY) for a in [i * math.pi / 4 for i in range(8)]],  # 0 capture settings
    [poly([(4, 2), (14, 8), (4, 14)], GREEN)],                       # 1 start
    [rect(3, 3, 13, 13, RED)],                                       # 2 stop
    funnel(False),                                                   # 3 filter settings
    funnel(True),                                                    # 4 apply filter
    page([line((10, 1), (10, 4), 1, DARK), line((10, 4), (13, 4), 1, DARK)]),  # 5 new
    [poly([(1, 4), (6, 4), (7, 5), (14, 5), (14, 14), (1, 14)], YELLOW), frame(1, 4, 14, 14, DARK)],  # 6 open
    [rect(4, 2, 12, 7, WHITE), rect(5, 10, 11, 15, GREY), rect(1, 1, 15, 15, BLUE)],  # 7 save
    [],                                                              # 8 unused
    page([line((5, 7), (11, 13), 2, RED), line((11, 7), (5, 13), 2, RED)]),  # 9 clear list
    magnifier([poly([(0.5, 13), (4, 10), (4, 16)], GREEN)]),         # 10 find previous
    magnifier(),                                                     # 11 find
    magnifier([poly([(15.5, 3), (12, 0), (12, 6)], GREEN)]),         # 12 find next
    [],                                                              # 13 unused
    [line((3, 2), (13, 2), 1, GREY), line((3, 5), (13, 5), 1, GREY),
     poly([(8, 15), (3, 9), (6, 9), (6, 7), (10, 7), (10, 9), (13, 9)], NAVY)],  # 14 auto scroll
] + [screen_set(c, False) for c in "1234"] + [screen_set(c, True) for c in "1234"]
assert len(IMAGES) == 23


def render_strip(size):
    width = size * len(IMAGES)
    pixels = [[MASK] * width for _ in range(size)]
    for n, shapes in enumerate(IMAGES):
        for py in range(size):
            for px in range(size):
                x, y = (px + 0.5) * 16 / size, (py + 0.5) * 16 / size
                for s in shapes:
                    c = s(x, y)
                    if c is not None:
                        pixels[py][n * size + px] = c
                        break
    return pixels


def lettering(pixels, text, x0, y0, scale, colour):
    x = x0
    for ch in text:
        rows = LETTERS[ch]
        for r in range(7):
            for c in range(5):
                if rows[r][c] == '1':
                    for dy in range(scale):
                        for dx in range(scale):
                            pixels[y0 + r * scale + dy][x + c * scale + dx] = colour
        x += 6 * scale


def text_width(text, scale):
    return len(text) * 6 * scale - scale


def picture(w, h, top, bottom, title, scale, title_y):
    pixels = []
    for y in range(h):
        t = y / (h - 1)
        c = tuple(int(top[i] + (bottom[i] - top[i]) * t) for i in range(3))
        pixels.append([c] * w)
    # A cable and plug as the product's mark.
    cx = w // 2
    for y in range(title_y - 58, title_y - 18):
        for x in range(cx - 3, cx + 3):
            pixels[y][x] = (40, 60, 110)
    for y in range(title_y - 70, title_y - 56):
        for x in range(cx - 14, cx + 14):
            pixels[y][x] = (40, 60, 110) if abs(x - cx) > 9 or y < title_y - 66 else (220, 225, 235)
    lettering(pixels, title, (w - text_width(title, scale)) // 2, title_y, scale, (30, 45, 90))
    return pixels


def write_icon(path):
    size = 32
    shapes = [rect(14, 7, 18, 20, DARK), disc(16, 24, 2.2, DARK), ring(16, 16, 15, 1.5, DARK), disc(16, 16, 15, YELLOW)]
    xor = []
    andmask = []
    for py in range(size):
        row, mrow = [], []
        for px in range(size):
            c = None
            for s in shapes:
                c = s(px + 0.5, py + 0.5)
                if c is not None:
                    break
            row.append(c or (0, 0, 0))
            mrow.append(0 if c else 1)
        xor.append(row)
        andmask.append(mrow)
    body = bytearray()
    body += struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b = xor[y][x]
            body += bytes((b, g, r, 0 if andmask[y][x] else 255))
    for y in reversed(range(size)):
        bits = 0
        rowbytes = bytearray()
        for x in range(size):
            bits = (bits << 1) | andmask[y][x]
            if x % 8 == 7:
                rowbytes.append(bits)
                bits = 0
        body += rowbytes
    head = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(body), 22)
    with open(path, "wb") as f:
        f.write(head + body)


os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "res", "frame"))
write_bmp("toolbar_small.bmp", render_strip(16))
write_bmp("toolbar_large.bmp", render_strip(24))
write_bmp("about.bmp", picture(320, 140, (245, 248, 255), (200, 212, 235), "BRINDLEX", 4, 90))
write_bmp("splash.bmp", picture(400, 300, (250, 252, 255), (190, 205, 235), "BRINDLEX", 6, 120))
write_icon("tip.ico")

TIPS = [
    "Most commands can be accessed from toolbar, menu or using keyboard shortcuts.",
    "You can search for a specified request. Select the Navigate|Find... menu option to start the search.",
    "You can configure the application to stay always on top of other windows. Use the View|Always on Top menu option to switch the always on top mode.",
    "To keep the last Capture List entry in view select the Navigate|Auto Scroll menu option or use appropriate button on the toolbar.",
]
with open("tips.txt", "wb") as f:
    f.write(b"\xff\xfe" + "\r\n\r\n".join(TIPS).encode("utf-16-le") + "\r\n".encode("utf-16-le"))
