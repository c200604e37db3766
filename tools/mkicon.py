#!/usr/bin/env python3
"""Draws the program's icon: one 16 x 16 image, 8 bits per pixel (256 colours).

A round indigo ink well with a viridian quill feather across it, the library's
two inks from the descriptor. The palette is three 86/85/85-step ramps between
indigo, viridian and white, so each pixel where two of them meet is exact.
Outside the disc the AND mask makes the icon transparent.

Usage: mkicon.py DESCRIPTOR OUTPUT
"""

import struct
import sys

from qfcommon import DescriptorError, fail, load_descriptor, write_bytes
from qfdraw import distance_to_segment, lerp

SIZE = 16
WHITE = (255, 255, 255)


def ink(d, name):
    value = next(c["value"] for c in d["constants"] if c["name"] == "#Quill_" + name)
    return (value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF)


def palette(indigo, viridian):
    ramps = [(indigo, viridian, 86), (indigo, WHITE, 85), (viridian, WHITE, 85)]
    return [lerp(a, b, i / (n - 1)) for a, b, n in ramps for i in range(n)]


def nearest(pal, colour):
    return min(range(len(pal)), key=lambda i: (sum((p - q) ** 2 for p, q in zip(pal[i], colour)), i))


def draw(indigo, viridian):
    """Returns (colour, inside) per pixel, top row first."""
    c, n = 7.5, 4
    pixels = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            acc, inside = [0.0, 0.0, 0.0], 0
            for j in range(n):
                for i in range(n):
                    sx, sy = x + (i + 0.5) / n - 0.5, y + (j + 0.5) / n - 0.5
                    colour = indigo
                    if (sx - c) ** 2 + (sy - c) ** 2 <= 7.6 ** 2:
                        inside += 1
                    # the feather: an ellipse along the rising diagonal, with a white shaft
                    u = ((sx - c) + (c - sy)) / 2 ** 0.5
                    v = ((sx - c) - (c - sy)) / 2 ** 0.5
                    if (u / 6.2) ** 2 + (v / 2.6) ** 2 <= 1:
                        colour = viridian
                    if distance_to_segment(sx, sy, 2.5, 12.5, 11.5, 3.5) <= 0.45:
                        colour = WHITE
                    acc = [a + b for a, b in zip(acc, colour)]
            row.append((tuple(v / (n * n) for v in acc), inside * 2 >= n * n))
        pixels.append(row)
    return pixels


def icon(d):
    indigo, viridian = ink(d, "Indigo"), ink(d, "Viridian")
    pal = palette(indigo, viridian)
    pixels = draw(indigo, viridian)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):  # bottom-up like any DIB
        bits = 0
        for x, (colour, inside) in enumerate(row):
            xor.append(nearest(pal, colour) if inside else 0)
            if not inside:
                bits |= 0x8000 >> x
        mask += struct.pack(">H", bits) + b"\0\0"  # mask rows pad to 32 bits
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 8, 0, len(xor) + len(mask), 0, 0, 0, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in pal)
    image = header + table + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def main(argv):
    if len(argv) != 3:
        fail("usage: mkicon.py DESCRIPTOR OUTPUT")
    try:
        d = load_descriptor(argv[1])
    except DescriptorError as e:
        fail(str(e))
    write_bytes(argv[2], icon(d))


if __name__ == "__main__":
    main(sys.argv)
