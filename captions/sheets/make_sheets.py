#!/usr/bin/env python3
"""Writes the three glyph sheets from the text art beside this script:

    GXFont1Minimini.bmp  mode 1, 82 cells of  7 x  7 pixels, from glyphs_7x7.txt
    GXFont2Mini.bmp      mode 2, 82 cells of  8 x 14 pixels, from glyphs_8x14.txt
    GXFont3Big.bmp       mode 3, 82 cells of 14 x 28 pixels, from glyphs_8x14.txt doubled

Each sheet is one row of cells, cell k holding character k of the set, light
ink on a dark cell. The script refuses art that is missing a character, out
of order, of the wrong size, or that would give two cells the same tone
pattern (a caption could then not be read back). Run it from anywhere:

    python3 make_sheets.py                  # writes the sheets next to the script
    python3 make_sheets.py --preview DIR    # also writes enlarged PNG previews into DIR
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "samples"))
from bmp import write_bmp  # noqa: E402
from png import write_png  # noqa: E402

CHARACTER_SET = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz[]{|}#$%&'()*+,-./_!"
INK = (255, 255, 255)       # light: red byte 128 or more
BACKGROUND = (16, 24, 56)   # dark: red byte below 128

# file, art, cell width, cell height, art width, art rows, left, top, scale
SHEETS = [
    ("GXFont1Minimini.bmp", "glyphs_7x7.txt", 7, 7, 5, 7, 1, 0, 1),
    ("GXFont2Mini.bmp", "glyphs_8x14.txt", 8, 14, 5, 12, 1, 1, 1),
    ("GXFont3Big.bmp", "glyphs_8x14.txt", 14, 28, 5, 12, 2, 2, 2),
]


def read_art(path, width, max_rows):
    """Gives {character: [row, ...]} in file order, rows of '#' and '.'."""
    glyphs = {}
    order = []
    current = None
    for number, line in enumerate(open(path, encoding="ascii"), 1):
        line = line.rstrip("\n")
        if line == "" or line == "#" or line.startswith("# "):
            continue
        where = f"{os.path.basename(path)}:{number}"
        if line.startswith("= ") and len(line) == 3:
            current = line[2]
            if current in glyphs:
                sys.exit(f"{where}: {current!r} drawn twice")
            glyphs[current] = []
            order.append(current)
            continue
        if current is None or len(line) != width or set(line) - set("#."):
            sys.exit(f"{where}: expected a row of {width} '#' or '.'")
        glyphs[current].append(line)
        if len(glyphs[current]) > max_rows:
            sys.exit(f"{where}: {current!r} has more than {max_rows} rows")
    if "".join(order) != CHARACTER_SET:
        sys.exit(f"{os.path.basename(path)}: the glyphs must be exactly the character set, in its order")
    return glyphs


def cell_pixels(rows, cell_w, cell_h, left, top, scale):
    """The cell as a cell_h x cell_w grid of booleans (True is ink)."""
    cell = [[False] * cell_w for _ in range(cell_h)]
    for r, row in enumerate(rows):
        for c, mark in enumerate(row):
            if mark == "#":
                for dy in range(scale):
                    for dx in range(scale):
                        cell[top + r * scale + dy][left + c * scale + dx] = True
    return cell


def build_sheet(art, cell_w, cell_h, art_w, art_rows, left, top, scale):
    assert left + art_w * scale <= cell_w and top + art_rows * scale <= cell_h
    glyphs = read_art(os.path.join(HERE, art), art_w, art_rows)
    cells = [cell_pixels(glyphs[ch], cell_w, cell_h, left, top, scale) for ch in CHARACTER_SET]
    seen = {}
    for k, cell in enumerate(cells):
        key = tuple(map(tuple, cell))
        if key in seen:
            sys.exit(f"{art}: {CHARACTER_SET[k]!r} looks exactly like {CHARACTER_SET[seen[key]]!r}")
        seen[key] = k
    return cells


def main():
    args = sys.argv[1:]
    preview = None
    if args[:1] == ["--preview"] and len(args) == 2:
        preview = args[1]
    elif args:
        sys.exit(__doc__)
    for name, art, cell_w, cell_h, art_w, art_rows, left, top, scale in SHEETS:
        cells = build_sheet(art, cell_w, cell_h, art_w, art_rows, left, top, scale)

        def pixel(x, y, cells=cells, cell_w=cell_w):
            return INK if cells[x // cell_w][y][x % cell_w] else BACKGROUND

        write_bmp(os.path.join(HERE, name), len(cells) * cell_w, cell_h, pixel)
        if preview:
            write_png(os.path.join(preview, name[:-4] + ".png"), len(cells) * cell_w, cell_h, pixel, 4)
        print(f"{name}: {len(cells)} cells of {cell_w} x {cell_h}")


if __name__ == "__main__":
    main()
