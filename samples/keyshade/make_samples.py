#!/usr/bin/env python3
"""Generates keyboard.bmp: six octaves of piano keys in a dark case, drawn
so that keyshade's key rectangles cover exactly the keys and the outlines
between them lie in the columns and rows the keys leave unpainted. The first
key's top-left corner is at (10, 12). Run from this folder."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from bmp import write_bmp  # noqa: E402

ORIGIN_X, ORIGIN_Y = 10, 12
OCTAVES = 6
PITCH = 98
WIDTH = ORIGIN_X + OCTAVES * PITCH + 8
HEIGHT = ORIGIN_Y + 46 + 10

# The keys of one octave from C, each as two rectangles (x, y, width, height)
# from the octave's origin; the black keys are 1, 3, 6, 8 and 10.
KEYS = [
    ((0, 0, 8, 46), (8, 26, 4, 20)),
    ((9, 0, 8, 25),),
    ((18, 0, 4, 26), (14, 26, 12, 20)),
    ((23, 0, 8, 25),),
    ((32, 0, 8, 26), (28, 26, 12, 20)),
    ((42, 0, 8, 26), (42, 26, 12, 20)),
    ((51, 0, 8, 25),),
    ((60, 0, 4, 26), (56, 26, 12, 20)),
    ((65, 0, 8, 25),),
    ((74, 0, 4, 26), (70, 26, 12, 20)),
    ((79, 0, 8, 25),),
    ((84, 26, 4, 20), (88, 0, 8, 46)),
]
BLACK = {1, 3, 6, 8, 10}

# Which key covers each (column, row) of one octave.
OCTAVE = {}
for key, rects in enumerate(KEYS):
    for x, y, w, h in rects:
        for r in range(y, y + h):
            for c in range(x, x + w):
                OCTAVE[(c, r)] = key


def pixel(x, y):
    c, r = x - ORIGIN_X, y - ORIGIN_Y
    inside = 0 <= r < 46 and 0 <= c < OCTAVES * PITCH - 2
    if not inside:
        if y == ORIGIN_Y - 3:
            return (150, 30, 40)  # the felt strip above the keys
        return (70, 45, 30)  # the case
    key = OCTAVE.get((c % PITCH, r))
    if key is None:
        return (60, 60, 60)  # outline between keys
    if key in BLACK:
        return (40 + r, 40 + r, 45 + r)  # a little lighter towards the front
    return (250 - r // 3, 248 - r // 3, 240 - r // 3)


write_bmp("keyboard.bmp", WIDTH, HEIGHT, pixel)
