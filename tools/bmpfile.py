"""The one writer of the bitmap generators: a 24-bit BMP from rows of
(red, green, blue) pixels, top row first."""
import struct


def write_bmp(path, rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        data += line + b"\0" * (stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_cur(path, rows, hotspot):
    """A monochrome cursor file (.cur) from rows of characters, top row
    first: "X" black, "o" white, anything else transparent; hotspot (x, y)."""
    height, width = len(rows), len(rows[0])
    assert width % 32 == 0 or width <= 32
    stride = ((width + 31) // 32) * 4

    def plane(bit_of):
        data = bytearray()
        for row in reversed(rows):
            line = bytearray(stride)
            for x, ch in enumerate(row):
                if bit_of(ch):
                    line[x // 8] |= 0x80 >> (x % 8)
            data += line
        return data

    xor = plane(lambda ch: ch == "o")
    mask = plane(lambda ch: ch not in "Xo")
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    image = info + palette + xor + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)
