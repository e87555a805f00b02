#!/usr/bin/env python3
"""Generates tone.wav: one second of 44.1 kHz, 16-bit stereo sound, a quarter
second of silence and then a soft-edged tone (440 Hz left, 660 Hz right).
Run from this folder."""
import math
import struct

RATE = 44100
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


def write_wav(path, samples):
    data = b"".join(struct.pack("<hh", left, right) for left, right in samples)
    header = (b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE" +
              b"fmt " + struct.pack("<IHHIIHH", 16, 1, 2, RATE, RATE * 4, 4, 16) +
              b"data" + struct.pack("<I", len(data)))
    with open(path, "wb") as f:
        f.write(header + data)


if __name__ == "__main__":
    write_wav("tone.wav", frames())
