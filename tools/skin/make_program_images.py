#!/usr/bin/env python3
"""Draws the pictures that the program's resource script compiles in.

    make_program_images.py <res folder>

Writes Dodavozi.ico (the program's icon, 32 and 16 pixels), MainHeader.bmp and
LoginHeader.bmp (header strips that the windows stretch to their width). The
output depends on nothing but this file and make_default_skin.py, so the
committed pictures can be drawn again at any time.
"""
import os
import struct
import sys

from make_default_skin import Picture, fill_shape, rounded_box, triangle, box, union, vertical_gradient

HEADER_TOP, HEADER_BOTTOM = (56, 92, 140), (28, 52, 92)  # the main skin's header colours
ACCENT = (240, 170, 60)


def header(width, height, accent_rows):
    picture = Picture(width, height)
    vertical_gradient(picture, 0, 0, width, height - accent_rows, HEADER_TOP, HEADER_BOTTOM)
    vertical_gradient(picture, 0, height - accent_rows, width, accent_rows, (200, 140, 40), ACCENT)
    return picture


def icon_picture(size):
    picture = Picture(size, size, (255, 0, 255))
    fill_shape(picture, 0, 0, size, size, rounded_box(0.18, 0.02), HEADER_BOTTOM)
    fill_shape(picture, 0, 0, size, size, rounded_box(0.14, 0.08), HEADER_TOP)
    arrow = union(box(0.42, 0.18, 0.58, 0.52), triangle([(0.24, 0.48), (0.76, 0.48), (0.5, 0.74)]))
    fill_shape(picture, 0, 0, size, size, arrow, (255, 255, 255))
    fill_shape(picture, 0, 0, size, size, box(0.22, 0.78, 0.78, 0.84), ACCENT)
    return picture


def icon_image(picture):
    """One icon directory image: 32-bit colour rows (alpha from the magenta
    key), then the AND mask, both bottom-up."""
    size = picture.width
    colours = bytearray()
    mask = bytearray()
    mask_row_bytes = (size + 31) // 32 * 4
    for row in reversed(picture.rows):
        bits = bytearray(mask_row_bytes)
        for x, (r, g, b) in enumerate(row):
            outside = (r, g, b) == (255, 0, 255)
            colours += bytes((0, 0, 0, 0)) if outside else bytes((b, g, r, 255))
            if outside:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colours) + len(mask), 0, 0, 0, 0)
    return info + colours + mask


def write_icon(path, sizes):
    images = [icon_image(icon_picture(size)) for size in sizes]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(data + b"".join(images))


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    os.makedirs(argv[1], exist_ok=True)
    write_icon(os.path.join(argv[1], "Dodavozi.ico"), [32, 16])
    header(16, 91, 3).write_bmp(os.path.join(argv[1], "MainHeader.bmp"))
    header(16, 48, 3).write_bmp(os.path.join(argv[1], "LoginHeader.bmp"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
