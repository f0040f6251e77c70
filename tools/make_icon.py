#!/usr/bin/env python3
"""Writes the module's icon: one 32x32 image in 16 colours (4 bits per pixel), a white page with
a folded corner and a blue "V" on a transparent background.

Usage: make_icon.py OUTPUT.ico
"""
import math
import struct
import sys

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


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as out:
        out.write(icon_bytes())


if __name__ == "__main__":
    main()
