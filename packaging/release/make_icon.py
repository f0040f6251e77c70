#!/usr/bin/env python3
"""Writes the module's icon: one 32x32 image in 16 colours (4 bits per pixel), a white page with
a folded corner and a blue "V" on a transparent background. With --png, writes the same picture
as a SIZE x SIZE PNG image with an alpha channel instead (the package logos).

Usage: make_icon.py OUTPUT.ico
       make_icon.py --png SIZE OUTPUT.png
"""
import math
import struct
import sys
import zlib

SIZE = 32

# The standard 16-colour palette as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, GRAY, SILVER, BLUE, WHITE = 0, 8, 7, 12, 15
TRANSPARENT = None

# The page, in pixel coordinates from the top left, and the size of its folded corner.
LEFT, TOP, RIGHT, BOTTOM = 5, 1, 26, 30
FOLD = 7


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def pixel(x, y):
    """The palette index of pixel (x, y), or TRANSPARENT outside the page."""
    if x < LEFT or x > RIGHT or y < TOP or y > BOTTOM:
        return TRANSPARENT
    # Distance into the folded corner along the diagonal; > 0 is cut away.
    corner = (x - (RIGHT - FOLD)) - (y - TOP)
    if corner > 0:
        return TRANSPARENT
    if corner == 0:
        return BLACK
    if x >= RIGHT - FOLD and y <= TOP + FOLD:
        # The flap folded down over the page: outlined, shaded.
        if x == RIGHT - FOLD or y == TOP + FOLD:
            return BLACK
        return SILVER if corner < -1 else GRAY
    if x in (LEFT, RIGHT) or y in (TOP, BOTTOM):
        return BLACK
    cx, cy = x + 0.5, y + 0.5
    arms = min(distance_to_segment(cx, cy, 9.5, 11.0, 15.5, 26.0),
               distance_to_segment(cx, cy, 21.5, 11.0, 15.5, 26.0))
    if arms <= 1.6:
        return BLUE
    return WHITE


def image_bytes():
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colours = bytearray()
    mask = bytearray()
    # Both bitmaps run from the bottom row up; 32 pixels make whole 32-bit rows in either.
    for y in reversed(range(SIZE)):
        row = [pixel(x, y) for x in range(SIZE)]
        for x in range(0, SIZE, 2):
            high, low = (BLACK if v is TRANSPARENT else v for v in row[x:x + 2])
            colours.append(high << 4 | low)
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (1 if row[x] is TRANSPARENT else 0)
        mask += struct.pack(">I", bits)
    return header + palette + bytes(colours) + bytes(mask)


def icon_bytes():
    image = image_bytes()
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png_bytes(size):
    """The picture scaled to size x size by nearest pixel, as 8-bit RGBA rows."""
    rows = bytearray()
    for y in range(size):
        rows.append(0)  # no filter
        for x in range(size):
            index = pixel(x * SIZE // size, y * SIZE // size)
            rows += bytes(4) if index is TRANSPARENT else bytes(PALETTE[index]) + b"\xff"
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + png_chunk(b"IDAT", zlib.compress(bytes(rows), 9))
            + png_chunk(b"IEND", b""))


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--png" and sys.argv[2].isdigit():
        image, output = png_bytes(int(sys.argv[2])), sys.argv[3]
    elif len(sys.argv) == 2:
        image, output = icon_bytes(), sys.argv[1]
    else:
        sys.exit(__doc__)
    with open(output, "wb") as out:
        out.write(image)


if __name__ == "__main__":
    main()
