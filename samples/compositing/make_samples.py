#!/usr/bin/env python3
"""Generates the compositing samples: a sky background, a round sprite and
its alpha image (opaque centre, soft edge), and the same sprite with its
alpha in one 32-bit picture, as a paint program writes it. Run from this
folder."""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from bmp import write_alpha_bmp, write_bmp  # noqa: E402


def sky(x, y):
    hill = 44 + 6 * math.sin(x / 9.0)
    if y > hill:
        return (60, 140 - (y - 44), 50)
    return (90 + y, 150 + y, 235)


def ball_distance(x, y):
    return math.hypot(x - 15.5, y - 15.5)


def ball(x, y):
    shade = max(0.0, 1.0 - math.hypot(x - 11, y - 10) / 24)
    return (int(120 + 135 * shade), int(40 + 60 * shade), int(30 + 30 * shade))


def alpha(x, y):
    d = ball_distance(x, y)
    a = 255 if d < 12 else max(0, int(255 * (16 - d) / 4))
    return (a, a, a)


write_bmp("background.bmp", 97, 64, sky)
write_bmp("sprite.bmp", 32, 32, ball)
write_bmp("alpha.bmp", 32, 32, alpha)
write_alpha_bmp("ball.bmp", 32, 32, lambda x, y: ball(x, y) + alpha(x, y)[:1])
