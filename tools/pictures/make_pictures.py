#!/usr/bin/env python3
"""Draws the program's three pictures into src/resources:

  vocalinka.ico  the application icon: a grey and white ear, 32x32 and 16x16, 16 colours
  idle.bmp       40x40, 24 bits: a black "play" triangle on light grey (192, 192, 192)
  busy.bmp       40x40, 24 bits: a black "stop" square on the same grey

Shapes are sampled 8x8 times per pixel: the bitmaps blend their edges into the grey; the icon,
limited to 16 colours, takes the colour that covers most of each pixel.
Run: python3 tools/pictures/make_pictures.py  (writes the files; deterministic output)
"""
import math
import os
import struct
import sys

GREY = (192, 192, 192)
SAMPLES = 8

# The 16 colours of the standard Windows palette.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, LIGHT_GREY, DARK_GREY, WHITE = 0, 7, 8, 15


def in_polygon(x, y, points):
    inside = False
    for i in range(len(points)):
        (x1, y1), (x2, y2) = points[i], points[(i + 1) % len(points)]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            inside = not inside
    return inside


def in_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def coverage(size, x, y, inside):
    hits = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            px = (x + (sx + 0.5) / SAMPLES) * 32.0 / size
            py = (y + (sy + 0.5) / SAMPLES) * 32.0 / size
            hits += inside(px, py)
    return hits / (SAMPLES * SAMPLES)


def bmp_40(shape):
    """A 40x40 24-bit bitmap with the shape in black over the grey, edges blended."""
    rows = []
    for y in range(39, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(40):
            c = coverage(32, x * 32 / 40, y * 32 / 40, lambda px, py: shape(px * 40 / 32, py * 40 / 32))
            row += bytes(round(channel * (1 - c)) for channel in reversed(GREY))  # BGR
        rows.append(bytes(row))  # 120 bytes: already a multiple of 4
    pixels = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, 40, 40, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 54) + header + pixels


def play(x, y):
    return in_polygon(x, y, [(13.5, 9.0), (13.5, 31.0), (30.5, 20.0)])


def stop(x, y):
    return 11.0 <= x <= 29.0 and 11.0 <= y <= 29.0


def ear_layers(x, y):
    """The palette index at a point of the 32x32 design, or None where it is transparent."""
    outer = in_ellipse(x, y, 16.5, 12.5, 10.5, 11.5) or in_ellipse(x, y, 14.0, 23.0, 6.5, 7.0)
    if not outer:
        # The thin dark rim that makes the ear read on any background.
        rim = in_ellipse(x, y, 16.5, 12.5, 11.7, 12.7) or in_ellipse(x, y, 14.0, 23.0, 7.7, 8.2)
        return DARK_GREY if rim else None
    if in_ellipse(x, y, 17.5, 15.0, 3.0, 4.2) and x > 16.0:
        return BLACK  # the ear canal
    if in_ellipse(x, y, 17.5, 14.5, 6.2, 8.0):
        return DARK_GREY  # the hollow of the ear
    fold = in_ellipse(x, y, 16.5, 12.0, 8.5, 9.3) and not in_ellipse(x, y, 17.0, 12.8, 7.2, 8.3)
    if fold and y < 17.0:
        return LIGHT_GREY  # the inner fold of the rim
    if x < 10.5 and y > 8.0:
        return LIGHT_GREY  # shade on the side away from the light
    return WHITE


def icon_image(size):
    indices = []
    for y in range(size):
        row = []
        for x in range(size):
            votes = {}
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    px = (x + (sx + 0.5) / SAMPLES) * 32.0 / size
                    py = (y + (sy + 0.5) / SAMPLES) * 32.0 / size
                    colour = ear_layers(px, py)
                    votes[colour] = votes.get(colour, 0) + 1
            row.append(max(votes.items(), key=lambda kv: (kv[1], kv[0] is not None))[0])
        indices.append(row)
    xor = b""
    mask = b""
    for row in reversed(indices):  # bottom-up
        nibbles = [0 if c is None else c for c in row]
        line = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor += line + b"\0" * (-len(line) % 4)
        bits = 0
        mline = bytearray()
        for i, c in enumerate(row):
            bits = (bits << 1) | (1 if c is None else 0)
            if i % 8 == 7:
                mline.append(bits)
                bits = 0
        mask += bytes(mline) + b"\0" * (-len(mline) % 4)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    return header + palette + xor + mask


def ico():
    images = [(32, icon_image(32)), (16, icon_image(16))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "resources")
    for name, data in (("vocalinka.ico", ico()), ("idle.bmp", bmp_40(play)), ("busy.bmp", bmp_40(stop))):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
