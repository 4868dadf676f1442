#!/usr/bin/env python3
"""Writes the page cursors of the sample UI resource module: a hand (hand.cur) and a
pressed hand (hand_pressed.cur), 32 x 32 monochrome cursors with the hot spot at the
fingertip. Usage: make_cursors.py OUTPUT_DIR"""
import struct
import sys

HAND = [
    "......XX........",
    ".....X..X.......",
    ".....X..X.......",
    ".....X..X.......",
    ".....X..XXX.....",
    ".....X..X..XX...",
    ".XX..X..X..X.X..",
    "X..X.X.....X..X.",
    "X...XX........X.",
    ".X............X.",
    "..X...........X.",
    "..X..........X..",
    "...X.........X..",
    "....X.......X...",
    ".....X......X...",
    ".....XXXXXXXX...",
]
PRESSED = [
    "................",
    "................",
    "................",
    "................",
    "......XX.XX.....",
    ".....X..X..XX...",
    ".....X.....X.X..",
    "..XX.X.....X..X.",
    ".X..XX........X.",
    ".X............X.",
    "..X...........X.",
    "..X..........X..",
    "...X.........X..",
    "....X.......X...",
    ".....X......X...",
    ".....XXXXXXXX...",
]


def cursor(rows, hot_x, hot_y):
    """A .cur file of one 32 x 32 image: every cell of `rows` is a 2 x 2 block; X is black,
    the inside of the outline white, the rest transparent."""
    size = 32
    black = [[False] * size for _ in range(size)]
    for y, row in enumerate(rows):
        for x, c in enumerate(row):
            if c == "X":
                for dy in (0, 1):
                    for dx in (0, 1):
                        black[2 * y + dy][2 * x + dx] = True
    # Opaque: the outline and what lies between its leftmost and rightmost cell on a row.
    opaque = [[False] * size for _ in range(size)]
    for y in range(size):
        xs = [x for x in range(size) if black[y][x]]
        if xs:
            for x in range(xs[0], xs[-1] + 1):
                opaque[y][x] = True

    def plane(bit):
        out = b""
        for y in reversed(range(size)):  # bottom-up rows
            value = 0
            for x in range(size):
                if bit(x, y):
                    value |= 1 << (31 - x)
            out += struct.pack(">I", value)
        return out

    # XOR plane: 1 = white where opaque and not outline; AND plane: 1 = transparent.
    xor = plane(lambda x, y: opaque[y][x] and not black[y][x])
    and_ = plane(lambda x, y: not opaque[y][x])
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(xor) + len(and_), 0, 0, 2, 0)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    image = header + palette + xor + and_
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 2, 0, hot_x, hot_y, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    with open(f"{out}/hand.cur", "wb") as f:
        f.write(cursor(HAND, 13, 0))
    with open(f"{out}/hand_pressed.cur", "wb") as f:
        f.write(cursor(PRESSED, 13, 8))


if __name__ == "__main__":
    main()
