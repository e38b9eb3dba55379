#!/usr/bin/env python3
"""Draws the program's icon and writes it as app/KorvetEmu.ico.

The picture is a small desktop computer: a grey monitor with a dark green
screen showing a bright "K" and a cursor bar, on a keyboard slab. It is drawn
on a 48x48 grid and scaled down to 32x32 and 16x16 by area averaging; every
size is stored as a 32-bit BMP entry with its AND mask, which every Windows
version reads. Run it from anywhere; it writes next to the sources.
"""
import os
import struct

GRID = 48

# ARGB colours of the drawing.
CLEAR = (0, 0, 0, 0)
CASE = (255, 190, 190, 180)
CASE_DARK = (255, 120, 120, 112)
SCREEN = (255, 12, 48, 20)
GLYPH = (255, 90, 240, 110)
KEYS = (255, 70, 70, 66)
KEY_TOP = (255, 215, 215, 205)

# The letter K on a 5x7 cell, one string per row.
LETTER_K = ["X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"]


def draw():
    img = [[CLEAR] * GRID for _ in range(GRID)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                img[y][x] = colour

    rect(4, 3, 44, 35, CASE_DARK)        # monitor shell with its shadow edge
    rect(5, 4, 43, 33, CASE)
    rect(9, 7, 39, 29, SCREEN)           # the screen
    for row, line in enumerate(LETTER_K):  # "K" at 3x scale
        for col, mark in enumerate(line):
            if mark == "X":
                rect(12 + col * 3, 8 + row * 3, 15 + col * 3, 11 + row * 3, GLYPH)
    rect(31, 25, 37, 28, GLYPH)          # the cursor
    rect(20, 35, 28, 38, CASE_DARK)      # the stand
    rect(3, 38, 45, 46, KEYS)            # the keyboard
    for x in range(5, 43, 4):
        rect(x, 40, x + 3, 42, KEY_TOP)
        rect(x, 43, x + 3, 45, KEY_TOP)
    return img


def scale(img, size):
    out = []
    for y in range(size):
        row = []
        for x in range(size):
            # Box filter over the source cells this pixel covers.
            x0, x1 = x * GRID // size, (x + 1) * GRID // size
            y0, y1 = y * GRID // size, (y + 1) * GRID // size
            cells = [img[j][i] for j in range(y0, y1) for i in range(x0, x1)]
            alpha = sum(c[0] for c in cells)
            if alpha == 0:
                row.append(CLEAR)
                continue
            colour = tuple(sum(c[0] * c[k] for c in cells) // alpha for k in (1, 2, 3))
            row.append((alpha // len(cells),) + colour)
        out.append(row)
    return out


def bmp_entry(img):
    size = len(img)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(img):  # bottom-up rows
        for a, r, g, b in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(img):
        bits = bytearray(mask_stride)
        for x, (a, _, _, _) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def main():
    big = draw()
    entries = [bmp_entry(scale(big, s)) for s in (48, 32, 16)]
    sizes = (48, 32, 16)
    data = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, entry in zip(sizes, entries):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(entry), offset)
        offset += len(entry)
    for entry in entries:
        data += entry
    here = os.path.dirname(os.path.abspath(__file__))
    target = os.path.join(here, "..", "..", "app", "KorvetEmu.ico")
    with open(target, "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
