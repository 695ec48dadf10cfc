#!/usr/bin/env python3
"""Writes Bramolt.ico, the server's own application icon.

The icon is drawn here from a glyph grid instead of being stored as opaque
artwork: a white letter B on a teal tile, at 16 and 32 pixels, 32-bit BGRA
with an all-zero AND mask (transparency comes from the alpha channel).
Run it from this folder after changing the drawing; the .ico is committed so
the build needs no Python.
"""
import struct

GLYPH = [  # 8 x 10 cells of the letter B
    "111111..",
    "11...11.",
    "11...11.",
    "11...11.",
    "111111..",
    "11...11.",
    "11....11",
    "11....11",
    "11...11.",
    "111111..",
]
TILE = (0x80, 0x6B, 0x0F, 0xFF)  # BGRA teal
LETTER = (0xFF, 0xFF, 0xFF, 0xFF)
CLEAR = (0, 0, 0, 0)


def pixel(size, x, y):
    corner = size // 8
    # Cut the tile's corners for a rounded look.
    dx = min(x, size - 1 - x)
    dy = min(y, size - 1 - y)
    if dx + dy < corner:
        return CLEAR
    cell = size / 16.0
    gx = int((x - 4 * cell) / cell)
    gy = int((y - 3 * cell) / cell)
    if 0 <= gy < len(GLYPH) and 0 <= gx < len(GLYPH[0]) and GLYPH[gy][gx] == "1":
        return LETTER
    return TILE


def image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):  # bitmaps are stored bottom-up
        rows.append(b"".join(bytes(pixel(size, x, y)) for x in range(size)))
    mask_row = ((size + 31) // 32) * 4
    return header + b"".join(rows) + bytes(mask_row * size)


def main():
    sizes = [16, 32]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open("Bramolt.ico", "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
