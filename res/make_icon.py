#!/usr/bin/env python3
"""Draws Vexlorn.ico: a memory card with a green check mark on its label.

Two images, 32 x 32 and 16 x 16, each 16 colours (4 bits per pixel) in the standard Windows
palette, stored as BMP-in-ICO with an AND mask for the transparent corners.
Run from any folder: python3 make_icon.py [output path], default Vexlorn.ico next to this script.
"""

import math
import os
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_GREEN, DARK_YELLOW, DARK_BLUE = 0, 2, 3, 4
LIGHT_GREY, GREEN, YELLOW, BLUE, WHITE = 7, 10, 11, 12, 15
TRANSPARENT = None


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def draw_card(size):
    """Returns size rows of size palette indices (or TRANSPARENT), top row first."""
    s = size / 32.0
    left, right, top, bottom = round(5 * s), round(26 * s), round(1 * s), size - 1 - round(1 * s)
    cut = round(7 * s)  # the cut-off top right corner of the card

    def on_card(x, y):
        return left <= x <= right and top <= y <= bottom and (x - (right - cut)) <= (y - top)

    pixels = [[TRANSPARENT] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if not on_card(x, y):
                continue
            edge = not all(on_card(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            pixels[y][x] = BLACK if edge else BLUE
            if not edge and (x == left + 1 or y == top + 1):
                pixels[y][x] = LIGHT_GREY

    # Gold contacts along the top edge.
    contact_width, contact_step = max(1, round(2 * s)), round(4 * s)
    for first in range(left + round(3 * s), right - cut, contact_step):
        for y in range(top + round(2 * s), top + round(8 * s)):
            for x in range(first, first + contact_width):
                if pixels[y][x] not in (TRANSPARENT, BLACK):
                    pixels[y][x] = YELLOW if x == first else DARK_YELLOW

    # A white label with a dark blue frame.
    label_left, label_right = left + round(3 * s), right - round(3 * s)
    label_top, label_bottom = top + round(11 * s), bottom - round(3 * s)
    for y in range(label_top, label_bottom + 1):
        for x in range(label_left, label_right + 1):
            frame = x in (label_left, label_right) or y in (label_top, label_bottom)
            pixels[y][x] = DARK_BLUE if frame else WHITE

    # The check mark: two thick strokes, green with a dark green rim.
    stroke = [(9.5, 20.0), (13.5, 24.0), (22.5, 14.5)]
    points = [(x * s, y * s) for x, y in stroke]
    inner, outer = 1.6 * s + 0.2, 2.5 * s + 0.2
    for y in range(size):
        for x in range(size):
            d = min(distance_to_segment(x, y, *points[k], *points[k + 1]) for k in range(2))
            if d <= inner:
                pixels[y][x] = GREEN
            elif d <= outer and pixels[y][x] is not TRANSPARENT:
                pixels[y][x] = DARK_GREEN
    return pixels


def bmp_image(pixels):
    """The icon image: BITMAPINFOHEADER, palette, XOR bitmap (4 bpp) and AND mask, bottom-up."""
    size = len(pixels)
    xor_row = (size * 4 + 31) // 32 * 4
    and_row = (size + 31) // 32 * 4
    xor_bits, and_bits = bytearray(), bytearray()
    for row in reversed(pixels):
        line = bytearray(xor_row)
        mask = bytearray(and_row)
        for x, index in enumerate(row):
            if index is TRANSPARENT:
                mask[x // 8] |= 0x80 >> (x % 8)
                index = 0
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor_bits += line
        and_bits += mask
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(xor_bits) + len(and_bits), 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(xor_bits) + bytes(and_bits)


def icon_file(sizes):
    images = [bmp_image(draw_card(size)) for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "Vexlorn.ico")
    with open(output, "wb") as f:
        f.write(icon_file([32, 16]))


if __name__ == "__main__":
    main()
