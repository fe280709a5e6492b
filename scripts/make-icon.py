#!/usr/bin/env python3
"""Writes the program icon: one 32 x 32 image in 16 colours (4 bits per pixel).

A parcel on a dark blue tile: the install program's mark. Run it to regenerate
src/res/setup.ico; the build uses the committed file.
"""
import struct
import sys

# The 16-colour standard palette (B, G, R, 0).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128), (128, 128, 0),
    (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255), (255, 0, 0),
    (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
BLACK, NAVY, YELLOW, WHITE, RED = 0, 4, 11, 15, 9


def pixel(x, y):
    """Colour index of pixel (x, y), y = 0 at the top."""
    if x in (0, 31) or y in (0, 31):
        return BLACK
    if 6 <= x <= 25 and 10 <= y <= 26:          # the parcel
        if x in (6, 25) or y in (10, 26):
            return BLACK
        if 14 <= x <= 17:                       # the band around it
            return RED
        return YELLOW
    if 9 <= x <= 22 and 4 <= y <= 9 and abs(x - 15.5) <= (y - 3) * 1.2:   # the arrow into it
        return WHITE
    return NAVY


def icon():
    rows = []
    for y in range(31, -1, -1):                 # bottom-up
        row = bytearray()
        for x in range(0, 32, 2):
            row.append(pixel(x, y) << 4 | pixel(x + 1, y))
        rows.append(bytes(row))
    xor = b"".join(rows)
    andmask = bytes(4 * 32)                     # fully opaque
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(andmask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (b, g, r) in PALETTE)
    image = header + palette + xor + andmask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 22)
    return directory + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "src/res/setup.ico"
    with open(out, "wb") as f:
        f.write(icon())
