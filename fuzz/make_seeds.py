#!/usr/bin/env python3
"""Builds the fuzz targets' seed inputs from the shipped samples and the
kinds of input the end-to-end tests use: each seed is its parts (arguments
and file contents) joined with the driver's separator."""
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "samples"))
from bmp import bmp_bytes  # noqa: E402

SEP = b"\xff\xfe\xfd\xfc"
out = sys.argv[1]


def bmp(width, height, fill=(0xC0, 0x80, 0x40)):
    return bmp_bytes(width, height, lambda x, y: fill)


def sample(*path):
    with open(os.path.join(ROOT, "samples", *path), "rb") as f:
        return f.read()


def seed(target, name, *parts):
    folder = os.path.join(out, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(SEP.join(p if isinstance(p, bytes) else p.encode() for p in parts))


small = [bmp(5, 4), bmp(2, 3), bmp(1, 1), bmp(0, 0), bmp(3, -2), b"BM", b"", bmp(2, 3)[:40]]
for i, (bg, sp) in enumerate([(small[0], small[1]), (small[1], small[1]), (small[0], small[3]),
                              (small[4], small[1]), (small[6], small[2])]):
    seed("maskblend", f"small{i}", "1", "0", bg, sp, sp)
    seed("fadeblend", f"small{i}", "1", "0", "33", bg, sp, sp)
seed("maskblend", "sample", "20", "8", sample("compositing", "background.bmp"), sample("compositing", "sprite.bmp"),
     sample("compositing", "alpha.bmp"))
seed("fadeblend", "sample", "20", "8", "50", sample("compositing", "background.bmp"),
     sample("compositing", "sprite.bmp"), sample("compositing", "alpha.bmp"))

keyboard = sample("keyshade", "keyboard.bmp")
seed("keyshade", "sample", "10", "12", "RGBCSo" * 12, keyboard)
seed("keyshade", "edge", "100", "29", "R" * 72, bmp(101, 30))
seed("keyshade", "short", "0", "0", "o" * 59, bmp(4, 4))

tone = sample("pcmclip", "tone.wav")
seed("pcmclip", "sample", "44100", "88244", tone[:20000])
seed("pcmclip", "pad", "0", "30000", tone[:20000])
seed("pcmclip", "short", "2", "40", tone[:30])
seed("pcmclip", "huge_cut", "2147483647", "100", tone[:100])

table = sample("tintswap", "colours.txt")
seed("tintswap", "file", "-f", table, b"", bmp(5, 4), b"")
seed("tintswap", "list", "-l", table, b"# pictures\na.bmp\r\nb.bmp\n", bmp(3, 2), bmp(7, 1, (0, 0, 255)))
seed("tintswap", "diagnostics", "-F", b"# c\n\n000 000 000 255 255 255\n256 000 000 000 000 000\n12 3\n", b"",
     bmp(2, 2, (0, 0, 0)), b"")

seed("stampmany", "two", bmp(9, 7), bmp(2, 3), bmp(3, 1), "a.bmp", "1", "2", "b.bmp", "6")
seed("stampmany", "quote", bmp(9, 7), bmp(2, 3), b"MB", "a.bmp", "0", "0", "x'; $(touch z) `ポ`|.bmp", "0")
seed("stampmany", "sample", sample("compositing", "background.bmp"), bmp(8, 8), bmp(5, 9), "a.bmp", "80", "50",
     "b.bmp", "10")

for mode, sheet_name in (("1", "GXFont1Minimini.bmp"), ("2", "GXFont2Mini.bmp"), ("3", "GXFont3Big.bmp")):
    with open(os.path.join(ROOT, "captions", "sheets", sheet_name), "rb") as f:
        sheet = f.read()
    seed("tagburn", "mode" + mode, mode, "pic_" + mode + ".bmp", sheet, bmp(60, 30))
    seed("tagburn", "narrow" + mode, mode, "a:b\\c.bmp", sheet[:200], bmp(5, 3))
    seed("tagscan", "blank" + mode, mode, "0", "0", sheet, bmp(60, 30))
    seed("tagscan", "sheet" + mode, mode, "0", "0", sheet, sheet)
