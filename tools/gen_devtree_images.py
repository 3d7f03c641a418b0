#!/usr/bin/env python3
"""Draws the device views' images: the capture check-box strip (a 24-bit BMP
on magenta) and the 16 x 16 icons of the tree and the stack (32-bit ICO files
with an AND mask). Run from the source root; writes app/res/devtree/."""
import os
import struct

from bmpfile import write_bmp

OUT = os.path.join("app", "res", "devtree")

PALETTE = {
    ".": None,                  # transparent
    "k": (0, 0, 0),
    "K": (64, 64, 64),
    "g": (128, 128, 128),
    "G": (192, 192, 192),
    "w": (255, 255, 255),
    "b": (0, 64, 160),
    "B": (96, 160, 232),
    "c": (0, 128, 128),
    "C": (120, 208, 208),
    "r": (200, 0, 0),
    "y": (240, 200, 40),
    "Y": (255, 240, 160),
    "n": (0, 120, 0),
    "N": (120, 200, 120),
    "o": (200, 100, 0),
}

ICONS = {
    "computer": [
        "................",
        ".kkkkkkkkkkkkk..",
        ".kGGGGGGGGGGGk..",
        ".kGbbbbbbbbbGk..",
        ".kGbBBBBBBBbGk..",
        ".kGbBBBBBBBbGk..",
        ".kGbBBBBBBBbGk..",
        ".kGbBBBBBBBbGk..",
        ".kGbbbbbbbbbGk..",
        ".kGGGGGGGGGGGk..",
        ".kkkkkkkkkkkkk..",
        "......kgk.......",
        "....kkkkkkk.....",
        "..kGGGGGGGGGk...",
        "..kkkkkkkkkkk...",
        "................",
    ],
    "unknown": [
        "................",
        "....kkkkkkkk....",
        "...kYYYYYYYYk...",
        "...kYYkkkkYYk...",
        "...kYkYYYYkYk...",
        "...kYYYYYYkYk...",
        "...kYYYYYkYYk...",
        "...kYYYYkYYYk...",
        "...kYYYkYYYYk...",
        "...kYYYkYYYYk...",
        "...kYYYYYYYYk...",
        "...kYYYkYYYYk...",
        "...kYYYYYYYYk...",
        "....kkkkkkkk....",
        "................",
        "................",
    ],
    "host_controller": [
        "................",
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kNNNNNNNNNNNNk.",
        ".kNkkkkNNkkkkNk.",
        ".kNkGGkNNkGGkNk.",
        ".kNkkkkNNkkkkNk.",
        ".kNNNNNNNNNNNNk.",
        ".kNNyyNNNNyyNNk.",
        ".kNNNNNNNNNNNNk.",
        ".kkkkkkkkkkkkkk.",
        "..kykykykykyk...",
        "..kykykykykyk...",
        "................",
        "................",
        "................",
    ],
    "hub": [
        "................",
        "................",
        "................",
        "kkkkkkkkkkkkkkkk",
        "kGGGGGGGGGGGGGGk",
        "kGkkkGkkkGkkkGGk",
        "kGkwkGkwkGkwkGGk",
        "kGkkkGkkkGkkkGGk",
        "kGGGGGGGGGGGnGGk",
        "kggggggggggggggk",
        "kkkkkkkkkkkkkkkk",
        "................",
        "................",
        "................",
        "................",
        "................",
    ],
    "empty_port": [
        "................",
        "................",
        "................",
        "................",
        "...kkkkkkkkkk...",
        "...kgggggggggk..",
        "...kgkkkkkkkgk..",
        "...kgkwwwwwkgk..",
        "...kgkkkkkkkgk..",
        "...kgggggggggk..",
        "...kkkkkkkkkkk..",
        "................",
        "................",
        "................",
        "................",
        "................",
    ],
    "problem": [
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "..........rrr...",
        ".........rrwrr..",
        "........rrrwrrr.",
        "........rrrwrrr.",
        "........rrrrrrr.",
        ".........rrwrr..",
        "..........rrr...",
    ],
    "stack_bottom": [
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kbbbbbbbbbbbbk.",
        ".kbBBBBBBBBBBbk.",
        ".kbbbbbbbbbbbbk.",
        ".kkkkkkkkkkkkkk.",
        "................",
    ],
    "stack_middle": [
        "................",
        "................",
        "................",
        "................",
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kcccccccccccck.",
        ".kcCCCCCCCCCCck.",
        ".kcccccccccccck.",
        ".kkkkkkkkkkkkkk.",
        "................",
        ".kggggggggggggk.",
        ".kggggggggggggk.",
        ".kkkkkkkkkkkkkk.",
        "................",
        "................",
    ],
    "stack_top": [
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kooooooooooook.",
        ".koYYYYYYYYYYok.",
        ".kooooooooooook.",
        ".kkkkkkkkkkkkkk.",
        "................",
        ".kggggggggggggk.",
        ".kkkkkkkkkkkkkk.",
        "................",
        ".kggggggggggggk.",
        ".kkkkkkkkkkkkkk.",
        "................",
        "................",
        "................",
        "................",
    ],
}

BOX = [
    "................",
    "................",
    "..kkkkkkkkkkk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kwwwwwwwwwk...",
    "..kkkkkkkkkkk...",
    "................",
    "................",
    "................",
]
CHECK = [(4, 7), (4, 8), (5, 8), (5, 9), (6, 9), (6, 10), (7, 9), (7, 8), (8, 8), (8, 7), (9, 7), (9, 6),
         (10, 6), (10, 5), (5, 7), (6, 8), (7, 7), (8, 6), (9, 5), (10, 4)]


def grid(rows):
    return [list(r) for r in rows]


def checked():
    g = grid(BOX)
    for x, y in CHECK:
        g[y][x] = "k"
    return g


def stacked():
    # Two checked boxes, one behind the other.
    g = [["."] * 16 for _ in range(16)]
    small = ["kkkkkkkkk", "kwwwwwwwk", "kwwwwwwwk", "kwwwwwwwk", "kwwwwwwwk", "kwwwwwwwk", "kwwwwwwwk",
             "kwwwwwwwk", "kkkkkkkkk"]
    tick = [(2, 4), (3, 5), (4, 6), (5, 5), (6, 4), (7, 3), (2, 5), (3, 6), (4, 5), (5, 4), (6, 3)]
    for ox, oy in ((5, 1), (1, 5)):
        for y, row in enumerate(small):
            for x, ch in enumerate(row):
                g[oy + y][ox + x] = ch
        for x, y in tick:
            g[oy + y][ox + x] = "g" if (ox, oy) == (5, 1) else "k"
    return g


def crossed():
    g = grid(BOX)
    for i in range(3, 12):
        g[i][i] = "r"
        g[i][14 - i] = "r"
    return g


def write_strip(path, images):
    rows = []
    for y in range(16):
        row = []
        for img in images:
            for x in range(16):
                c = PALETTE[img[y][x]]
                row.append(c if c else (255, 0, 255))
        rows.append(row)
    write_bmp(path, rows)


def write_icon(path, rows):
    xor = bytearray()
    mask = bytearray()
    for y in range(15, -1, -1):
        bits = 0
        for x in range(16):
            c = PALETTE[rows[y][x]]
            if c:
                xor += bytes((c[2], c[1], c[0], 255))
            else:
                xor += b"\0\0\0\0"
                bits |= 0x8000 >> x
        mask += struct.pack(">H", bits) + b"\0\0"   # rows padded to 32 bits
    dib = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0) + xor + mask
    header = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, 32, len(dib), 22)
    with open(path, "wb") as f:
        f.write(header + dib)


def main():
    os.makedirs(OUT, exist_ok=True)
    blank = grid(["." * 16] * 16)
    write_strip(os.path.join(OUT, "capture_state.bmp"), [blank, grid(BOX), checked(), stacked(), crossed()])
    for name, rows in ICONS.items():
        assert len(rows) == 16 and all(len(r) == 16 for r in rows), name
        write_icon(os.path.join(OUT, name + ".ico"), rows)


if __name__ == "__main__":
    main()
