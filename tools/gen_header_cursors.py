#!/usr/bin/env python3
"""Writes the extended header's divider cursors into toolkit/controls/res/:
header_divider.cur (resource 136: a bar with arrows left and right, for
resizing the column left of a divider) and header_split.cur (resource 138: a
split bar with the same arrows, for a divider that hides a zero-width column).
Both 32 x 32, black with a white outline, hot spot in the middle."""
import os
import sys

from bmpfile import write_cur

SIZE = 32
HOT = (15, 15)


def cursor(bars, left_tip, right_tip):
    black = set()
    for x0 in bars:  # vertical bars, 2 pixels wide
        for y in range(7, 25):
            black |= {(x0, y), (x0 + 1, y)}
    inner_left, inner_right = min(bars) - 2, max(bars) + 3
    for x in range(left_tip + 4, inner_left + 1):  # shafts, 2 pixels high
        black |= {(x, 15), (x, 16)}
    for x in range(inner_right, right_tip - 3):
        black |= {(x, 15), (x, 16)}
    for d in range(5):  # arrow heads
        for y in range(15 - d, 17 + d):
            black |= {(left_tip + d, y), (right_tip - d, y)}
    rows = []
    for y in range(SIZE):
        row = ""
        for x in range(SIZE):
            if (x, y) in black:
                row += "X"
            elif any((x + dx, y + dy) in black for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                row += "o"
            else:
                row += "."
        rows.append(row)
    return rows


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "toolkit", "controls", "res")
    write_cur(os.path.join(out, "header_divider.cur"), cursor([15], 4, 27), HOT)
    write_cur(os.path.join(out, "header_split.cur"), cursor([12, 17], 2, 29), HOT)
    for name in ("header_divider.cur", "header_split.cur"):
        print(os.path.join(out, name))


if __name__ == "__main__":
    main()
