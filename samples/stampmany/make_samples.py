#!/usr/bin/env python3
"""Generates the stampmany samples: small opaque sprites (a coin, a flag and
a house) to paste onto the compositing background. Odd widths, so that their
rows carry padding. Run from this folder."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from bmp import write_bmp  # noqa: E402

SKY = (120, 180, 235)


def coin(x, y):
    d = (x - 4) ** 2 + (y - 4) ** 2
    if d > 17:
        return SKY
    return (250, 200, 40) if d < 9 else (180, 130, 20)


def flag(x, y):
    if x == 0:
        return (90, 60, 30)
    if y < 6:
        return (220, 30, 30) if (x + y) % 4 < 2 else (255, 255, 255)
    return SKY


def house(x, y):
    if y < 6:
        return (150, 40, 30) if abs(x - 7.5) <= y + 1.5 else SKY
    if 6 <= x <= 9 and y >= 10:
        return (90, 60, 30)
    return (230, 220, 190)


write_bmp("coin.bmp", 9, 9, coin)
write_bmp("flag.bmp", 13, 10, flag)
write_bmp("house.bmp", 17, 14, house)
