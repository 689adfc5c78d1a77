#!/usr/bin/env python3
"""Turns the application icon's text art in resources/ into the file the resource script includes.

    make_bitmaps.py OUTPUT_DIR

resources/icon/qel-32.txt with qel-16.txt become OUTPUT_DIR/qel.ico (8 bits per pixel, palette).

Text-art format: lines starting with ';' are comments; "palette C RRGGBB" gives the colour of
character C; every other non-empty line is one row of pixels, top row first, one character per
pixel. Without palette lines the characters are the grey ramp . : + * # (black to white).
Standard library only, so the build needs nothing but Python 3.
"""
import os
import struct
import sys

GREY_RAMP = {".": (0, 0, 0), ":": (64, 64, 64), "+": (128, 128, 128), "*": (192, 192, 192), "#": (255, 255, 255)}


def read_art(path):
    palette = {}
    rows = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line or line.startswith(";"):
                continue
            if line.startswith("palette "):
                _, char, rgb = line.split()
                palette[char] = (int(rgb[0:2], 16), int(rgb[2:4], 16), int(rgb[4:6], 16))
                continue
            rows.append(line)
    if not palette:
        palette = dict(GREY_RAMP)
    if not rows or any(len(r) != len(rows[0]) for r in rows):
        sys.exit(f"{path}: rows missing or of unequal width")
    for y, row in enumerate(rows):
        for ch in row:
            if ch not in palette:
                sys.exit(f"{path}: row {y + 1}: character {ch!r} has no colour")
    chars = list(palette)
    if len(chars) > 256:
        sys.exit(f"{path}: more than 256 colours")
    return rows, chars, palette


def dib(rows, chars, palette, with_mask):
    """BITMAPINFOHEADER, palette and bottom-up 8-bit pixels (plus an all-opaque AND mask for icons)."""
    width, height = len(rows[0]), len(rows)
    index = {c: i for i, c in enumerate(chars)}
    stride = (width + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytes(index[c] for c in row)
        pixels += line + bytes(stride - width)
    mask = b""
    if with_mask:
        mask_stride = ((width + 31) // 32) * 4
        mask = bytes(mask_stride * height)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * (2 if with_mask else 1), 1, 8, 0,
                         len(pixels) + len(mask), 2835, 2835, len(chars), len(chars))
    table = b"".join(struct.pack("<BBBB", palette[c][2], palette[c][1], palette[c][0], 0) for c in chars)
    return header + table + bytes(pixels) + mask, width, height


def write_ico(sources, target):
    images = []
    for source in sources:
        rows, chars, palette = read_art(source)
        images.append(dib(rows, chars, palette, True))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b""
    for body, width, height in images:
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 8, len(body), offset + len(data))
        data += body
    with open(target, "wb") as f:
        f.write(directory + data)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    here = os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    icon = os.path.join(here, "icon")
    write_ico([os.path.join(icon, "qel-32.txt"), os.path.join(icon, "qel-16.txt")], os.path.join(out, "qel.ico"))


if __name__ == "__main__":
    main()
