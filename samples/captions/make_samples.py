#!/usr/bin/env python3
"""Generates the caption sample: an evening sky over hills with a low sun,
200 x 120 pixels, light at the top so that the caption's dark cells stand
out. Run from this folder."""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from bmp import write_bmp  # noqa: E402


def evening(x, y):
    if math.hypot(x - 150, y - 70) < 16:
        return (255, 236, 150)
    ridge = 84 + 10 * math.sin(x / 17.0) + 4 * math.sin(x / 5.0)
    if y > ridge:
        return (40 + (y - 84) // 2, 70 + (y - 84), 45)
    return (250 - y // 2, 170 - y, 120 + y // 2)


write_bmp("evening.bmp", 200, 120, evening)
