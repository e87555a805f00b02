#!/usr/bin/env python3
"""Generates the stampmany samples: small sprites (a coin, a flag and a
house) to paste onto the compositing background, each a 32-bit picture with
transparency as a paint program writes it: clear around the sprite, the
coin's rim softened. Odd widths. Run from this folder."""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from bmp import write_alpha_bmp  # noqa: E402

CLEAR = (0, 0, 0, 0)


def coin(x, y):
    d = math.hypot(x - 4, y - 4)
    if d > 4.5:
        return CLEAR
    opacity = round(255 * min(1.0, 4.5 - d + 0.25))  # a soft rim
    return ((250, 200, 40) if d < 3 else (180, 130, 20)) + (opacity,)


def flag(x, y):
    if x == 0:
        return (90, 60, 30, 255)
    if y < 6:
        return ((220, 30, 30) if (x + y) % 4 < 2 else (255, 255, 255)) + (255,)
    return CLEAR


def house(x, y):
    if y < 6:
        return (150, 40, 30, 255) if abs(x - 7.5) <= y + 1.5 else CLEAR
    if 6 <= x <= 9 and y >= 10:
        return (90, 60, 30, 255)
    return (230, 220, 190, 255)


write_alpha_bmp("coin.bmp", 9, 9, coin)
write_alpha_bmp("flag.bmp", 13, 10, flag)
write_alpha_bmp("house.bmp", 17, 14, house)
