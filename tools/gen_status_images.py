#!/usr/bin/env python3
"""Writes app/res/status_images.bmp: the request summary's status pictures,
nine 16 x 16 cells in one 24-bit strip on the mask colour (magenta):
blank, issued, succeeded, failed, pended, canceled, start, unused, drop."""
import sys

from bmpfile import write_bmp

W, H, CELLS = 16, 16, 9
MASK = (255, 0, 255)
px = [[MASK] * (W * CELLS) for _ in range(H)]


def put(cell, x, y, c):
    if 0 <= x < W and 0 <= y < H:
        px[y][cell * W + x] = c


def disc(cell, c, edge):
    for y in range(H):
        for x in range(W):
            d = (x - 7.5) ** 2 + (y - 7.5) ** 2
            if d <= 7.2 ** 2:
                put(cell, x, y, edge if d > 6.0 ** 2 else c)


WHITE, BLACK = (255, 255, 255), (0, 0, 0)
# 1 issued: blue disc, white arrow to the right
disc(1, (40, 90, 220), (10, 40, 140))
for x in range(4, 12):
    put(1, x, 7, WHITE); put(1, x, 8, WHITE)
for i in range(4):
    for y in range(7 - i, 9 + i):
        put(1, 11 - i, y, WHITE)
# 2 succeeded: green disc, white tick
disc(2, (40, 170, 60), (10, 100, 30))
for x, y in [(4, 8), (5, 9), (6, 10), (7, 9), (8, 8), (9, 7), (10, 6), (11, 5)]:
    for dy in (0, 1):
        put(2, x, y + dy, WHITE)
# 3 failed: red disc, white cross
disc(3, (220, 40, 40), (130, 10, 10))
for i in range(5, 11):
    for d in (0, 1):
        put(3, i + d, i, WHITE); put(3, 15 - i - d, i, WHITE)
# 4 pended: yellow disc, black clock hands
disc(4, (245, 200, 40), (150, 110, 0))
for y in range(4, 9):
    put(4, 7, y, BLACK); put(4, 8, y, BLACK)
for x in range(8, 12):
    put(4, x, 8, BLACK)
# 5 canceled: grey disc, white bar
disc(5, (140, 140, 140), (80, 80, 80))
for x in range(4, 12):
    for y in (7, 8):
        put(5, x, y, WHITE)
# 6 start: green triangle
for y in range(2, 14):
    half = min(y - 2, 13 - y)
    for x in range(3, 4 + half * 2 // 1 if half < 6 else 14):
        if x - 3 <= half * 1.9:
            put(6, x, y, (30, 150, 50))
# 8 drop: orange disc, white exclamation mark
disc(8, (240, 130, 20), (160, 70, 0))
for y in list(range(3, 10)) + [11, 12]:
    put(8, 7, y, WHITE); put(8, 8, y, WHITE)

out = sys.argv[1] if len(sys.argv) > 1 else "app/res/status_images.bmp"
write_bmp(out, px)
