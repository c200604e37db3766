#!/usr/bin/env python3
"""Draws the installer window's two pictures: the logo and the cancel button.

Logo: 546 x 99, 8 bits per pixel, on white (the window's logo band is white).
The palette is two ramps of 128 entries, white to indigo and white to
viridian, both inks taken from the descriptor, so every one of the 256 entries
is a real anti-aliasing shade. "Quill" and the version are indigo, "fern" is
viridian, and a rule below fades through the viridian ramp.

Button: 16 x 16, 24 bits per pixel: a red disc with a white cross on the
light grey of a button face, the usual picture for "cancel".

Usage: mkbitmaps.py DESCRIPTOR LOGO_OUTPUT BUTTON_OUTPUT
"""

import sys

from qfcommon import DescriptorError, bmp_file, fail, load_descriptor, write_bytes
from qfdraw import Coverage, distance_to_segment, lerp, text_width

LOGO_W, LOGO_H = 546, 99
LOGO_PPM = 2931  # 74.4 dpi, as the window's original artwork
BUTTON_SIZE = 16
BUTTON_PPM = 3779  # 96 dpi

WHITE = (255, 255, 255)
RAMP = 128


def ink(d, name):
    value = next(c["value"] for c in d["constants"] if c["name"] == "#Quill_" + name)
    return (value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF)


def logo_palette(d):
    first = [lerp(WHITE, ink(d, "Indigo"), i / (RAMP - 1)) for i in range(RAMP)]
    second = [lerp(WHITE, ink(d, "Viridian"), (i + 1) / RAMP) for i in range(RAMP)]
    return first + second


def logo(d):
    name, version = d["library"], "V" + d["version"]
    big, small, gap = 8, 4, 16
    split = len(name) - 4  # "Quill" | "fern"
    total = text_width(name, big) + gap + text_width(version, small)
    left = (LOGO_W - total) // 2
    baseline = 72

    indigo, viridian = Coverage(LOGO_W, LOGO_H), Coverage(LOGO_W, LOGO_H)
    indigo.text(name[:split], left, baseline, big)
    fern_left = left + text_width(name[:split], big) + big  # one gap cell
    viridian.text(name[split:], fern_left, baseline, big)
    indigo.text(version, left + text_width(name, big) + gap, baseline, small)
    for x in range(left, left + total):
        # the rule fades from full viridian to its palest tint
        viridian.rect(x, baseline + 12, 1, 3, 1.0 - 0.9 * (x - left) / total)

    rows = []
    for y in range(LOGO_H):
        row = bytearray(LOGO_W)
        for x in range(LOGO_W):
            a, b = indigo[x, y], viridian[x, y]
            if b > a:
                j = int(round(b * RAMP)) - 1
                row[x] = RAMP + j if j >= 0 else 0
            else:
                row[x] = int(round(a * (RAMP - 1)))
        rows.append(bytes(row))
    return bmp_file(LOGO_W, LOGO_H, 8, rows, logo_palette(d), LOGO_PPM)


def cancel_button():
    face, red, edge, white = (240, 240, 240), (214, 40, 40), (150, 20, 20), (255, 255, 255)
    c, radius, arm, pen = 7.5, 7.0, 2.9, 1.0  # pixel-centre coordinates
    n = 4
    rows = []
    for y in range(BUTTON_SIZE):
        row = bytearray()
        for x in range(BUTTON_SIZE):
            acc = [0, 0, 0]
            for j in range(n):
                for i in range(n):
                    sx, sy = x + (i + 0.5) / n - 0.5, y + (j + 0.5) / n - 0.5
                    r = ((sx - c) ** 2 + (sy - c) ** 2) ** 0.5
                    colour = face
                    if r <= radius:
                        colour = edge if r > radius - 0.9 else red
                        d1 = distance_to_segment(sx, sy, c - arm, c - arm, c + arm, c + arm)
                        d2 = distance_to_segment(sx, sy, c - arm, c + arm, c + arm, c - arm)
                        if min(d1, d2) <= pen:
                            colour = white
                    acc = [p + q for p, q in zip(acc, colour)]
            r_, g_, b_ = (int(round(v / (n * n))) for v in acc)
            row += bytes((b_, g_, r_))
        rows.append(bytes(row))
    return bmp_file(BUTTON_SIZE, BUTTON_SIZE, 24, rows, None, BUTTON_PPM)


def main(argv):
    if len(argv) != 4:
        fail("usage: mkbitmaps.py DESCRIPTOR LOGO_OUTPUT BUTTON_OUTPUT")
    try:
        d = load_descriptor(argv[1])
    except DescriptorError as e:
        fail(str(e))
    write_bytes(argv[2], logo(d))
    write_bytes(argv[3], cancel_button())


if __name__ == "__main__":
    main(sys.argv)
