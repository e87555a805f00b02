#!/usr/bin/env python3
"""Generates tone.wav: one second of 44.1 kHz, 16-bit stereo sound, a quarter
second of silence and then a soft-edged tone (440 Hz left, 660 Hz right).
Run from this folder."""
import math
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from wav import RATE, write_wav  # noqa: E402

SILENCE = RATE // 4
TONE = RATE - SILENCE
FADE = RATE // 50


def frames():
    for i in range(SILENCE):
        yield 0, 0
    for i in range(TONE):
        edge = min(1.0, i / FADE, (TONE - 1 - i) / FADE)
        t = i / RATE
        yield (round(9000 * edge * math.sin(2 * math.pi * 440 * t)),
               round(9000 * edge * math.sin(2 * math.pi * 660 * t)))


if __name__ == "__main__":
    write_wav("tone.wav", b"".join(struct.pack("<hh", left, right) for left, right in frames()))
