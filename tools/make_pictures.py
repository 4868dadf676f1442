#!/usr/bin/env python3
"""Writes the pictures of the sample UI resource module as 4-bit bitmaps (16-colour BMP files):
a portrait page (page_portrait.bmp, 50 x 69) and a landscape page (page_landscape.bmp,
68 x 50), the previews of the page layouts, and the paper orientation marks of the tray
labels, a sheet fed short edge first (feed_short.bmp) and long edge first (feed_long.bmp),
16 x 16. The bottom-left pixel of each picture is its background colour, which the driver
draws transparent. Usage: make_pictures.py OUTPUT_DIR"""
import struct
import sys

# The 16 colours of the bitmaps (the standard VGA palette): index -> (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BACKGROUND, BLACK, GREY, WHITE, BLUE = 13, 0, 8, 15, 12  # magenta is the transparent colour


def bmp(rows):
    """A 4-bit BI_RGB bitmap file of `rows` (top row first, lists of palette indexes)."""
    height, width = len(rows), len(rows[0])
    stride = ((width * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray(stride)
        for x, index in enumerate(row):
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        pixels += line
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def page(width, height):
    """A sheet of paper with a folded corner and lines of text, on the background colour."""
    rows = [[BACKGROUND] * width for _ in range(height)]
    left, top, right, bottom = 2, 2, width - 3, height - 3
    fold = min(width, height) // 5
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x - (right - fold) > y - top:  # the folded-away corner
                continue
            edge = x in (left, right) or y in (top, bottom) or x - (right - fold) == y - top
            rows[y][x] = BLACK if edge else WHITE
    for y in range(top + fold + 3, bottom - 3, 4):  # lines of text
        for x in range(left + 4, right - 4):
            rows[y][x] = GREY
    return rows


def feed(long_edge_first):
    """A sheet with an arrow showing which edge enters the printer first (upwards)."""
    rows = [[BACKGROUND] * 16 for _ in range(16)]
    left, top, right, bottom = (1, 4, 14, 13) if long_edge_first else (3, 1, 12, 14)
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            rows[y][x] = BLACK if x in (left, right) or y in (top, bottom) else WHITE
    middle = (left + right) // 2
    for y in range(top + 2, bottom - 1):
        rows[y][middle] = BLUE
    for d in (1, 2):
        rows[top + 2 + d][middle - d] = BLUE
        rows[top + 2 + d][middle + d] = BLUE
    return rows


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    out = argv[1]
    for name, rows in (("page_portrait.bmp", page(50, 69)), ("page_landscape.bmp", page(68, 50)),
                       ("feed_short.bmp", feed(False)), ("feed_long.bmp", feed(True))):
        with open(f"{out}/{name}", "wb") as f:
            f.write(bmp(rows))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
