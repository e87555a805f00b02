#!/usr/bin/env python3
"""Generates the tintswap samples: a green slime, a sprite with transparency
around it as a paint program writes it (32 bits), and a green tree under the
sky, in flat palette colours; a colour table that turns the greens into
blues and the sky into dusk, and a list naming both pictures. Run from this
folder."""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from bmp import write_alpha_bmp, write_bmp  # noqa: E402
from colour_table import entry_line  # noqa: E402

SKY = (120, 190, 240)
GROUND = (150, 100, 60)
GREEN_DARK = (30, 110, 40)
GREEN = (60, 170, 70)
GREEN_LIGHT = (150, 230, 140)
BROWN = (110, 70, 30)
BLACK = (0, 0, 0)


def slime(x, y):
    d = math.hypot((x - 24) / 1.3, y - 40)
    if d < 18:
        if math.hypot(x - 18, y - 30) < 2 or math.hypot(x - 30, y - 30) < 2:
            return BLACK + (255,)
        if math.hypot(x - 17, y - 27) < 4:
            return GREEN_LIGHT + (255,)
        return (GREEN if d < 15 else GREEN_DARK) + (255,)
    return (0, 0, 0, 0)


def tree(x, y):
    if y >= 44:
        return GROUND
    if 14 <= x <= 18 and y >= 28:
        return BROWN
    d = math.hypot(x - 16, y - 16)
    if d < 13:
        return GREEN_LIGHT if math.hypot(x - 12, y - 11) < 4 else GREEN if d < 10 else GREEN_DARK
    return SKY


write_alpha_bmp("slime.bmp", 49, 41, slime)
write_bmp("tree.bmp", 33, 48, tree)
with open("colours.txt", "w", newline="\n") as f:
    f.write("# from red green blue, to red green blue\n")
    f.write("# greens become blues\n")
    f.write(entry_line(GREEN_DARK, (30, 50, 130)))
    f.write(entry_line(GREEN, (60, 90, 200)))
    f.write(entry_line(GREEN_LIGHT, (150, 180, 250)))
    f.write("\n# the sky at dusk\n")
    f.write(entry_line(SKY, (250, 150, 90)))
with open("list.txt", "w", newline="\n") as f:
    f.write("# pictures to recolour, one a line\n")
    f.write("slime.bmp\n")
    f.write("tree.bmp\n")
