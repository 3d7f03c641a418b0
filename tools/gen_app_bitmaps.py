#!/usr/bin/env python3
"""Draws the panes' images as a 24-bit BMP strip (magenta 0xFF00FF is the
transparent colour) and the program's icon.

    gen_app_bitmaps.py OUTDIR

Writes panes16.bmp (9 images of 16 x 16) and brindlex.ico (16, 32 and 48 pixels, through
ImageMagick's convert)."""
import os
import struct
import subprocess
import sys

MAGENTA = (255, 0, 255)


class Canvas:
    """One image drawn on a 16-unit grid, scaled to `size` pixels."""

    def __init__(self, size):
        self.size = size
        self.px = [[MAGENTA] * size for _ in range(size)]

    def _s(self, v):
        return int(round(v * self.size / 16.0))

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(self._s(y0), max(self._s(y0) + 1, self._s(y1))):
            for x in range(self._s(x0), max(self._s(x0) + 1, self._s(x1))):
                if 0 <= x < self.size and 0 <= y < self.size:
                    self.px[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour, fill=None):
        if fill:
            self.rect(x0, y0, x1, y1, fill)
        self.rect(x0, y0, x1, y0 + 1, colour)
        self.rect(x0, y1 - 1, x1, y1, colour)
        self.rect(x0, y0, x0 + 1, y1, colour)
        self.rect(x1 - 1, y0, x1, y1, colour)

    def shape(self, inside, colour):
        """Fills every pixel whose centre (in grid units) satisfies inside(x, y)."""
        for py in range(self.size):
            for px in range(self.size):
                gx = (px + 0.5) * 16.0 / self.size
                gy = (py + 0.5) * 16.0 / self.size
                if inside(gx, gy):
                    self.px[py][px] = colour

    def disc(self, cx, cy, r, colour):
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour)

    def ring(self, cx, cy, r0, r1, colour):
        self.shape(lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1, colour)


BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
NAVY = (0, 0, 128)
BLUE = (40, 90, 200)
GREEN = (0, 150, 0)
RED = (200, 0, 0)
YELLOW = (240, 200, 40)
TEAL = (0, 128, 128)


def page(c, fill=WHITE):
    c.frame(3, 1, 13, 15, BLACK, fill)


def pane_image(i, c):
    if i == 0:  # device tree
        c.rect(2, 2, 6, 5, NAVY)
        c.rect(3, 5, 4, 13, BLACK)
        c.rect(4, 8, 8, 9, BLACK)
        c.rect(4, 12, 8, 13, BLACK)
        c.rect(8, 7, 13, 10, GREEN)
        c.rect(8, 11, 13, 14, GREEN)
    elif i == 1:  # device stack
        for n, y in enumerate((2, 6, 10)):
            c.frame(2, y, 14, y + 4, BLACK, (YELLOW, WHITE, TEAL)[n])
    elif i == 2:  # USB properties
        c.rect(7, 2, 9, 14, BLACK)
        c.shape(lambda x, y: y <= 4 and abs(x - 8) <= (y - 0.5), BLACK)
        c.rect(3, 7, 5, 10, BLACK)
        c.rect(3, 9, 8, 10, BLACK)
        c.disc(12, 8, 1.8, BLACK)
        c.rect(9, 11, 12, 12, BLACK)
        c.disc(8, 14, 2, BLACK)
    elif i == 3:  # PnP properties
        page(c)
        c.rect(5, 4, 11, 5, BLUE)
        c.rect(5, 7, 11, 8, BLUE)
        c.rect(5, 10, 9, 11, BLUE)
    elif i == 4:  # request summary
        c.frame(1, 2, 15, 14, BLACK, WHITE)
        for y in (4, 7, 10):
            c.rect(3, y, 13, y + 1, BLACK)
    elif i in (5, 6):  # URB details, IRP details
        c.frame(1, 1, 15, 15, BLACK, WHITE)
        c.rect(3, 3, 5, 5, NAVY if i == 5 else RED)
        c.rect(5, 7, 7, 9, NAVY if i == 5 else RED)
        c.rect(5, 11, 7, 13, NAVY if i == 5 else RED)
        c.rect(7, 3, 13, 4, BLACK)
        c.rect(9, 7, 13, 8, BLACK)
        c.rect(9, 11, 13, 12, BLACK)
    elif i == 7:  # raw data
        c.frame(1, 1, 15, 15, BLACK, WHITE)
        for y in (3, 6, 9, 12):
            for x in (3, 7, 11):
                c.rect(x, y, x + 2, y + 2, TEAL)
    elif i == 8:  # data analysis
        c.frame(1, 1, 15, 15, BLACK, WHITE)
        c.rect(3, 9, 5, 13, BLUE)
        c.rect(7, 5, 9, 13, GREEN)
        c.rect(11, 3, 13, 13, RED)


def strip(count, size, draw):
    images = []
    for i in range(count):
        c = Canvas(size)
        draw(i, c)
        images.append(c.px)
    width = count * size
    rows = []
    for y in range(size):
        row = []
        for img in images:
            row.extend(img[y])
        rows.append(row)
    return width, size, rows


def write_bmp(path, width, height, rows):
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def icon_image(i, c):
    c.frame(0, 1, 16, 15, NAVY, WHITE)
    c.rect(0, 1, 16, 4, NAVY)
    c.shape(lambda x, y: 5 <= y <= 13 and 2 <= x <= 14 and abs(y - 9 - 3 * (((x - 2) // 3) % 2 * 2 - 1) * 0.5) < 1.2, GREEN)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, "panes16.bmp"), *strip(9, 16, pane_image))
    sizes = []
    for size in (16, 32, 48):
        path = os.path.join(out, "icon%d.bmp" % size)
        write_bmp(path, *strip(1, size, icon_image))
        sizes.append(path)
    subprocess.run(["convert"] + sizes + ["-transparent", "#FF00FF", os.path.join(out, "brindlex.ico")], check=True)
    for path in sizes:
        os.remove(path)


if __name__ == "__main__":
    main()
