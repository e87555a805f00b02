#!/usr/bin/env python3
"""Turns a 24-bit BMP into a PNG, enlarged by a whole factor, for the
README's gallery. usage: to_png.py IN.bmp OUT.png [SCALE]"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "samples"))
from bmp import read_bmp  # noqa: E402
from png import write_png  # noqa: E402

width, height, pixel = read_bmp(sys.argv[1])
write_png(sys.argv[2], width, height, pixel, int(sys.argv[3]) if len(sys.argv) > 3 else 1)
