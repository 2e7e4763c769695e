#!/usr/bin/env python3
"""Draws Kestrine's tool bar bitmap and its two icons from the shapes below and writes
them as 16-colour BMP and ICO files.

    make_art.py OUTPUT_DIR

The pictures are described as a few plain shapes (boxes, lines, dots, words in a
small pixel font) on the standard 16-colour palette, so they stay easy to change and
no binary artwork has to live in the repository.
"""
import os
import struct
import sys

# The standard 16-colour palette, in the order Windows uses for 4-bit bitmaps.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
CLEAR = -1  # icon pixels left transparent by the mask

# A small proportional pixel font: '#' is ink. Lower-case letters with descenders
# use the last two rows.
GLYPH_ROWS = 9
FONT = {
    "E": ["####", "#...", "#...", "###.", "#...", "#...", "####", "....", "...."],
    "D": ["###.", "#..#", "#..#", "#..#", "#..#", "#..#", "###.", "....", "...."],
    "S": [".###", "#...", "#...", ".##.", "...#", "...#", "###.", "....", "...."],
    "A": [".##.", "#..#", "#..#", "####", "#..#", "#..#", "#..#", "....", "...."],
    "n": ["...", "...", "##.", "#.#", "#.#", "#.#", "#.#", "...", "..."],
    "c": ["...", "...", ".##", "#..", "#..", "#..", ".##", "...", "..."],
    "r": ["...", "...", "#.#", "##.", "#..", "#..", "#..", "...", "..."],
    "y": ["...", "...", "#.#", "#.#", "#.#", "#.#", ".##", "..#", "##."],
    "p": ["...", "...", "##.", "#.#", "#.#", "#.#", "##.", "#..", "#.."],
    "t": [".#.", ".#.", "###", ".#.", ".#.", ".#.", "..#", "...", "..."],
    "e": ["...", "...", ".#.", "#.#", "###", "#..", ".##", "...", "..."],
    "h": ["#..", "#..", "##.", "#.#", "#.#", "#.#", "#.#", "...", "..."],
    "d": ["..#", "..#", ".##", "#.#", "#.#", "#.#", ".##", "...", "..."],
    "b": ["#..", "#..", "##.", "#.#", "#.#", "#.#", "##.", "...", "..."],
    "o": ["...", "...", ".#.", "#.#", "#.#", "#.#", ".#.", "...", "..."],
    "u": ["...", "...", "#.#", "#.#", "#.#", "#.#", ".##", "...", "..."],
}

QUESTION_MARK = [
    ".#####.",
    "##...##",
    "##...##",
    "....##.",
    "...##..",
    "..##...",
    "..##...",
    ".......",
    "..##...",
    "..##...",
]


class Canvas:
    def __init__(self, width, height, fill):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]

    def dot(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def box(self, left, top, right, bottom, fill, outline=None):
        """Fills the inclusive rectangle and, when given, draws its one-pixel outline."""
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                edge = x in (left, right) or y in (top, bottom)
                self.dot(x, y, outline if edge and outline is not None else fill)

    def hline(self, left, right, y, colour, step=1):
        for x in range(left, right + 1, step):
            self.dot(x, y, colour)

    def vline(self, x, top, bottom, colour):
        for y in range(top, bottom + 1):
            self.dot(x, y, colour)

    def pattern(self, left, top, rows, colours):
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch in colours:
                    self.dot(left + dx, top + dy, colours[ch])

    def word(self, text, centre_x, top, colour):
        width = sum(len(FONT[c][0]) + 1 for c in text) - 1
        x = centre_x - width // 2
        for c in text:
            self.pattern(x, top, FONT[c], {"#": colour})
            x += len(FONT[c][0]) + 1


# Tool bar images: 48 x 48 each, pictures above, label word in the lower part.
CELL = 48
LABEL_TOP = 38


def lined_sheet(c, left, top, right, bottom):
    c.box(left, top, right, bottom, WHITE, BLACK)
    for y in range(top + 3, bottom - 1, 3):
        c.hline(left + 2, right - 2, y, BLUE)


def dotted_sheet(c, left, top, right, bottom):
    c.box(left, top, right, bottom, WHITE, BLACK)
    for row, y in enumerate(range(top + 3, bottom - 1, 3)):
        c.hline(left + 2 + row % 2, right - 2, y, BLACK, step=2)


def cipher_bar(c, x, light):
    c.box(x, 4, x + 9, 33, SILVER, BLACK)
    c.box(x + 2, 6, x + 7, 31, GREY)
    for y in range(9, 31, 5):
        c.box(x + 4, y, x + 5, y + 1, light)


def draw_crypt(c, ox, plain_first, light, label):
    """A sheet passes through the cipher bar and leaves changed: lines in, dots out
    for encryption, the reverse for decryption."""
    left_sheet, right_sheet = (lined_sheet, dotted_sheet) if plain_first else (dotted_sheet, lined_sheet)
    left_sheet(c, ox + 1, 8, ox + 15, 29)
    right_sheet(c, ox + 32, 8, ox + 46, 29)
    # The text lines run on through the bar in the sheet's own kind.
    for y in range(11, 28, 3):
        if plain_first:
            c.hline(ox + 16, ox + 18, y, BLUE)
            c.hline(ox + 29, ox + 31, y, BLACK, step=2)
        else:
            c.hline(ox + 16, ox + 18, y, BLACK, step=2)
            c.hline(ox + 29, ox + 31, y, BLUE)
    cipher_bar(c, ox + 19, light)
    c.word(label, ox + CELL // 2, LABEL_TOP, BLACK)


def draw_shred(c, ox):
    lined_sheet(c, ox + 14, 1, ox + 33, 15)
    c.box(ox + 6, 12, ox + 41, 22, GREY, BLACK)
    c.hline(ox + 12, ox + 35, 14, BLACK)  # the feed slot
    c.box(ox + 36, 17, ox + 38, 19, LIME)
    for x in range(ox + 13, ox + 35, 3):
        c.vline(x, 23, 35, WHITE)
        c.vline(x + 1, 23, 33, BLUE if (x // 3) % 2 else WHITE)
    c.word("Shred", ox + CELL // 2, LABEL_TOP, BLACK)


def draw_about(c, ox):
    for left, top in ((ox + 2, 8), (ox + 17, 2), (ox + 32, 8)):
        # A black shadow one pixel down and right keeps yellow readable on grey.
        c.pattern(left + 1, top + 1, QUESTION_MARK, {"#": BLACK})
        c.pattern(left, top, QUESTION_MARK, {"#": YELLOW})
    c.word("About", ox + CELL // 2, LABEL_TOP, BLACK)


def toolbar():
    c = Canvas(4 * CELL, CELL, SILVER)
    draw_crypt(c, 0, True, LIME, "Encrypt")
    draw_crypt(c, CELL, False, RED, "Decrypt")
    draw_shred(c, 2 * CELL)
    draw_about(c, 3 * CELL)
    return c


# Icons: 32 x 32, transparent around the picture.
PADLOCK = [
    "...XXXXXX...",
    "..XX....XX..",
    "..X......X..",
    "..X......X..",
    "..X......X..",
    "XXXXXXXXXXXX",
    "XyyyyyyyyyyX",
    "XyyyyyyyyyyX",
    "XyyyyXXyyyyX",
    "XyyyyXXyyyyX",
    "XyyyyyXyyyyX",
    "XyyyyyXyyyyX",
    "XyyyyyyyyyyX",
    "XXXXXXXXXXXX",
]


def padlock(c):
    c.pattern(19, 17, PADLOCK, {"X": BLACK, "y": YELLOW})


def diskette_icon():
    c = Canvas(32, 32, CLEAR)
    c.box(2, 2, 27, 28, GREY, BLACK)
    c.box(8, 2, 21, 10, SILVER, BLACK)   # metal shutter
    c.box(16, 4, 18, 8, GREY)            # its window
    c.box(6, 15, 23, 28, WHITE, BLACK)   # label
    for y in (18, 21, 24):
        c.hline(8, 21, y, BLUE)
    padlock(c)
    return c


def notepad_icon():
    c = Canvas(32, 32, CLEAR)
    c.box(3, 3, 24, 30, WHITE, BLACK)
    for x in range(6, 23, 3):            # the spiral binding
        c.vline(x, 1, 4, BLACK)
    for y in range(8, 29, 3):
        c.hline(6, 21, y, BLACK)
    padlock(c)
    return c


def pack_rows(c, colour_of):
    """4-bit rows, bottom-up, each padded to a multiple of four bytes."""
    out = bytearray()
    row_bytes = ((c.width + 1) // 2 + 3) & ~3
    for y in reversed(range(c.height)):
        row = bytearray(row_bytes)
        for x in range(c.width):
            v = colour_of(c.pixels[y][x])
            row[x // 2] |= v << 4 if x % 2 == 0 else v
        out += row
    return bytes(out)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 0, 0, 16, 16)


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)


def write_bmp(path, c):
    pixels = pack_rows(c, lambda v: v)
    header_size = 14 + 40 + 64
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", header_size + len(pixels), 0, 0, header_size))
        f.write(info_header(c.width, c.height, len(pixels)))
        f.write(palette_bytes())
        f.write(pixels)


def write_ico(path, c):
    xor = pack_rows(c, lambda v: 0 if v == CLEAR else v)
    mask = bytearray()
    mask_row = ((c.width + 7) // 8 + 3) & ~3
    for y in reversed(range(c.height)):
        row = bytearray(mask_row)
        for x in range(c.width):
            if c.pixels[y][x] == CLEAR:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    image = info_header(c.width, 2 * c.height, len(xor) + len(mask)) + palette_bytes() + xor + bytes(mask)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHII", c.width, c.height, 16, 0, 1, 4, len(image), 6 + 16))
        f.write(image)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, "toolbar.bmp"), toolbar())
    write_ico(os.path.join(out, "kestrine.ico"), diskette_icon())
    write_ico(os.path.join(out, "locked_document.ico"), notepad_icon())


if __name__ == "__main__":
    main()
