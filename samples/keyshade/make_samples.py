#!/usr/bin/env python3
"""Generates keyboard.bmp: six octaves of piano keys in a dark case, drawn
so that keyshade's key rectangles cover exactly the keys and the outlines
between them lie in the columns and rows the keys leave unpainted. The first
key's top-left corner is at (10, 12). Run from this folder."""
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, ".."))
from bmp import write_bmp  # noqa: E402


def keyshade_geometry():
    """The octave pitch and the twelve keys of an octave from C, each as its
    two rectangles (x, y, width, height) from the octave's origin, as
    keyshade's source fixes them; a black key has the same one twice."""
    with open(os.path.join(HERE, "..", "..", "tools", "keyshade", "main.cpp"), encoding="utf-8") as f:
        source = f.read()
    pitch = int(re.search(r"kOctavePitch = (\d+);", source).group(1))
    table = re.search(r"kOctave\[12\] = \{(.*?)\n\};", source, re.S).group(1)
    keys = [tuple(tuple(int(n) for n in rect.split(",")) for rect in key)
            for key in re.findall(r"\{\{([\d, ]+)\}, \{([\d, ]+)\}\}", table)]
    if len(keys) != 12:
        sys.exit("tools/keyshade/main.cpp: expected the twelve keys of kOctave")
    return pitch, keys


ORIGIN_X, ORIGIN_Y = 10, 12
OCTAVES = 6
PITCH, KEYS = keyshade_geometry()
BLACK = {key for key, (first, second) in enumerate(KEYS) if first == second}
KEYS_WIDTH = max(x + w for rects in KEYS for x, y, w, h in rects)
KEYS_HEIGHT = max(y + h for rects in KEYS for x, y, w, h in rects)
WIDTH = ORIGIN_X + OCTAVES * PITCH + 8
HEIGHT = ORIGIN_Y + KEYS_HEIGHT + 10

# Which key covers each (column, row) of one octave.
OCTAVE = {}
for key, rects in enumerate(KEYS):
    for x, y, w, h in rects:
        for r in range(y, y + h):
            for c in range(x, x + w):
                OCTAVE[(c, r)] = key


def pixel(x, y):
    c, r = x - ORIGIN_X, y - ORIGIN_Y
    inside = 0 <= r < KEYS_HEIGHT and 0 <= c < (OCTAVES - 1) * PITCH + KEYS_WIDTH
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
