#!/usr/bin/env python3
"""Draws the preferences sheet's images: the tree property sheet's state
image strip (two 8 x 16 images on magenta, toolkit/controls/res/) and the
16 x 16 icons of the sheet and its pages (app/res/prefs/). Run from the
source root."""
import os

from bmpfile import write_bmp
from gen_devtree_images import PALETTE, write_icon

# The state strip: a small pointer beside every page name, then a spare dot.
STATE = [
    "........",
    "........",
    "........",
    "........",
    "..k.....",
    "..kk....",
    "..kbk...",
    "..kBbk..",
    "..kbk...",
    "..kk....",
    "..k.....",
    "........",
    "........",
    "........",
    "........",
    "........",
]
DOT = ["........"] * 6 + ["...kk...", "..kggk..", "..kggk..", "...kk..."] + ["........"] * 6

ICONS = {
    # General: a sheet with lines.
    "general": [
        "................",
        "..kkkkkkkkkk....",
        "..kwwwwwwwwkk...",
        "..kwkkkkkwwkwk..",
        "..kwwwwwwwwkkkk.",
        "..kwkkkkkkkwwwk.",
        "..kwwwwwwwwwwwk.",
        "..kwkkkkkkkkwwk.",
        "..kwwwwwwwwwwwk.",
        "..kwkkkkkkwwwwk.",
        "..kwwwwwwwwwwwk.",
        "..kwkkkkkkkkwwk.",
        "..kwwwwwwwwwwwk.",
        "..kwwwwwwwwwwwk.",
        "..kkkkkkkkkkkkk.",
        "................",
    ],
    # Driver: a chip with pins.
    "driver": [
        "................",
        "...k.k.k.k.k....",
        "...k.k.k.k.k....",
        ".kkkkkkkkkkkkk..",
        ".kKKKKKKKKKKKk..",
        ".kKgggggggggKk..",
        ".kKgKKKKKKKgKk..",
        ".kKgKCCCCCKgKk..",
        ".kKgKCCCCCKgKk..",
        ".kKgKKKKKKKgKk..",
        ".kKgggggggggKk..",
        ".kKKKKKKKKKKKk..",
        ".kkkkkkkkkkkkk..",
        "...k.k.k.k.k....",
        "...k.k.k.k.k....",
        "................",
    ],
    # Capture: a disk with a red record dot.
    "capture": [
        "................",
        ".kkkkkkkkkkkkk..",
        ".kbbbwwwwwwbbk..",
        ".kbbbwwwwwwbbk..",
        ".kbbbwwwwwwbbk..",
        ".kbbbbbbbbbbbk..",
        ".kbbbbbbbbbbbk..",
        ".kbGGGGGGGGGbk..",
        ".kbGGGGGGGGGbk..",
        ".kbGGGGGGGGGbk..",
        ".kbGGGGGGGGGbk..",
        ".kkkkkkkkkkkkk..",
        "..........rrr...",
        ".........rrrrr..",
        "..........rrr...",
        "................",
    ],
    # Coloring: three colour stripes.
    "coloring": [
        "................",
        ".kkkkkkkkkkkkkk.",
        ".krrrrrrrrrrrrk.",
        ".krrrrrrrrrrrrk.",
        ".kkkkkkkkkkkkkk.",
        ".kYYYYYYYYYYYYk.",
        ".kYYYYYYYYYYYYk.",
        ".kkkkkkkkkkkkkk.",
        ".kNNNNNNNNNNNNk.",
        ".kNNNNNNNNNNNNk.",
        ".kkkkkkkkkkkkkk.",
        ".kBBBBBBBBBBBBk.",
        ".kBBBBBBBBBBBBk.",
        ".kkkkkkkkkkkkkk.",
        "................",
        "................",
    ],
    # Time: a clock face.
    "time": [
        "................",
        ".....kkkkkk.....",
        "...kkwwwwwwkk...",
        "..kwwwwkwwwwwk..",
        "..kwwwwkwwwwwk..",
        ".kwwwwwkwwwwwwk.",
        ".kwwwwwkwwwwwwk.",
        ".kwwwwwkkkkkwwk.",
        ".kwwwwwwwwwwwwk.",
        ".kwwwwwwwwwwwwk.",
        "..kwwwwwwwwwwk..",
        "..kwwwwwwwwwwk..",
        "...kkwwwwwwkk...",
        ".....kkkkkk.....",
        "................",
        "................",
    ],
    # The sheet's window icon: a sheet with check marks.
    "preferences": [
        "................",
        ".kkkkkkkkkkkkk..",
        ".kwwwwwwwwwwwk..",
        ".kwkkkwwwwwwwk..",
        ".kwknkwkkkkkwk..",
        ".kwkkkwwwwwwwk..",
        ".kwwwwwwwwwwwk..",
        ".kwkkkwwwwwwwk..",
        ".kwknkwkkkkkwk..",
        ".kwkkkwwwwwwwk..",
        ".kwwwwwwwwwwwk..",
        ".kwkkkwwwwwwwk..",
        ".kwkwkwkkkkkwk..",
        ".kwkkkwwwwwwwk..",
        ".kkkkkkkkkkkkk..",
        "................",
    ],
}


def strip(images):
    rows = []
    for y in range(16):
        row = []
        for img in images:
            for ch in img[y]:
                c = PALETTE[ch]
                row.append(c if c else (255, 0, 255))
        rows.append(row)
    return rows


def main():
    write_bmp(os.path.join("toolkit", "controls", "res", "tree_page_state.bmp"), strip([STATE, DOT]))
    out = os.path.join("app", "res", "prefs")
    os.makedirs(out, exist_ok=True)
    for name, rows in ICONS.items():
        assert len(rows) == 16 and all(len(r) == 16 for r in rows), name
        write_icon(os.path.join(out, name + ".ico"), rows)


if __name__ == "__main__":
    main()
