#!/usr/bin/env python3
"""Draws resources/cadrel.ico: one 32 x 32 image in 16 colours, four short
columns of pixel glyphs falling on black, each with a bright head.

The icon is committed; run this again only to change the picture."""
import pathlib
import struct

# 3 x 5 pixel glyphs, one string of rows each.
GLYPHS = [
    "111101101101111", "010110010010111", "111001111100111", "111001011001111",
    "101101111001001", "111100111001111", "100100111101111", "111001010010010",
]
DIM, HEAD = 2, 10  # palette: dark green, lime
PALETTE = [
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
]
# (left pixel, first row of glyphs, number of glyphs); rows are 6 pixels apart.
COLUMNS = [(1, 0, 3), (9, 2, 3), (17, 1, 4), (25, 0, 2), (25, 4, 1)]


def draw():
    pixels = [[0] * 32 for _ in range(32)]
    n = 0
    for left, first, count in COLUMNS:
        for k in range(count):
            colour = HEAD if k == count - 1 else DIM
            glyph = GLYPHS[n % len(GLYPHS)]
            n += 3
            top = (first + k) * 6 + 1
            for i, bit in enumerate(glyph):
                y, x = top + i // 3, left + 2 * (i % 3)
                if bit == "1" and y < 32:
                    pixels[y][x] = pixels[y][x + 1] = colour
    return pixels


def ico(pixels):
    xor = bytearray()
    for row in reversed(pixels):  # bottom-up
        for x in range(0, 32, 2):
            xor.append(row[x] << 4 | row[x + 1])
    mask = bytes(32 * 4)  # every pixel opaque
    palette = b"".join(struct.pack("<BBBB", c & 0xFF, c >> 8 & 0xFF, c >> 16, 0) for c in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + bytes(xor) + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 22) + image


out = pathlib.Path(__file__).resolve().parent.parent / "resources" / "cadrel.ico"
out.write_bytes(ico(draw()))
print(out)
