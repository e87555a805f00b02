#!/usr/bin/env python3
"""Builds the fuzz targets' seed inputs from the shipped samples and the
kinds of input the end-to-end tests use: each seed is its parts (arguments
and file contents) joined with the driver's separator."""
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "samples"))
from bmp import (ALPHABITFIELDS, MASKS_565, MASKS_8888, NO_COMPRESSION, RLE4, RLE8, bmp_bytes,  # noqa: E402
                 indexed_bmp_bytes, masked_bmp_bytes)

SEP = b"\xff\xfe\xfd\xfc"
out = sys.argv[1]


def bmp(width, height, fill=(0xC0, 0x80, 0x40)):
    return bmp_bytes(width, height, lambda x, y: fill)


# Pictures in the layouts other tools write, and with an alpha channel.
def busy(x, y):
    return (x * 40 & 255, y * 50 & 255, (x ^ y) * 30 & 255)


def see_through(x, y):
    return busy(x, y) + ((x * 90 + y * 70) % 256,)


GREYS = [(v, v, v) for v in range(0, 256, 17)]


def layouts(width, height):
    """The picture in each layout family, by name."""
    index = lambda x, y: (x + 2 * y) % 16  # noqa: E731
    return {
        "pal1": indexed_bmp_bytes(width, height, lambda x, y: (x + y) % 2, GREYS[:2], 1),
        "pal4-os2": indexed_bmp_bytes(width, height, index, GREYS, 4, info_size=12),
        "pal8-top-down": indexed_bmp_bytes(width, height, index, GREYS, 8, top_down=True),
        "rle8": indexed_bmp_bytes(width, height, lambda x, y: x // 2 % 16, GREYS, 8, compression=RLE8,
                                  unset=lambda x, y: (x + y) % 4 == 3),
        "rle4": indexed_bmp_bytes(width, height, index, GREYS, 4, 108, RLE4, unset=lambda x, y: y == 1),
        "16-565": masked_bmp_bytes(width, height, busy, 16, MASKS_565),
        "24-os2-64": bmp_bytes(width, height, busy, 64),
        "32-alpha": bmp_bytes(width, height, see_through, bits=32),
        "32-alpha-124": masked_bmp_bytes(width, height, see_through, 32, MASKS_8888, 124),
        "32-alphabitfields-top-down": masked_bmp_bytes(width, height, see_through, 32, MASKS_8888, 40,
                                                       ALPHABITFIELDS, top_down=True),
        "32-padding": masked_bmp_bytes(width, height, busy, 32, MASKS_8888[:3] + (0,), 40, NO_COMPRESSION),
    }


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
big, sprite = layouts(6, 5), layouts(3, 2)
seed("maskblend", "layouts", "1", "2", big["rle8"], sprite["32-alpha"], sprite["32-alpha"])
seed("maskblend", "alpha-background", "2", "1", big["32-alpha-124"], sprite["16-565"], sprite["rle4"])
seed("fadeblend", "layouts", "1", "2", "50", big["32-alphabitfields-top-down"], sprite["pal4-os2"], sprite["pal1"])
seed("fadeblend", "alpha-background", "0", "0", "33", big["32-alpha"], sprite["32-alpha-124"],
     sprite["32-alpha-124"])
seed("stampmany", "layouts", big["32-alpha-124"], sprite["32-alphabitfields-top-down"], sprite["pal1"], "a.bmp",
     "1", "2", "b.bmp", "3")
seed("tintswap", "layouts", "-l", b"000 000 000 255 255 255\n", b"a.bmp\nb.bmp\n", big["32-alpha"], big["rle8"])
seed("keyshade", "layouts", "0", "0", "R" * 60, layouts(101, 30)["32-alpha-124"])
seed("keyshade", "top-down", "3", "1", "GoB" * 20, layouts(101, 30)["pal8-top-down"])
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

# The glyph sheet of mode 1 in 1 bit and RLE4, and pictures with alpha.
with open(os.path.join(ROOT, "captions", "sheets", "GXFont1Minimini.bmp"), "rb") as f:
    data = f.read()
width, height = 574, 7
white = lambda x, y: data[54 + (height - 1 - y) * 1724 + 3 * x] == 255  # noqa: E731
ink = [(56, 24, 16), (255, 255, 255)]
sheet_1bit = indexed_bmp_bytes(width, height, lambda x, y: int(white(x, y)), ink, 1)
sheet_rle4 = indexed_bmp_bytes(width, height, lambda x, y: int(white(x, y)), ink, 4, compression=RLE4)
seed("tagburn", "layouts", "1", "p.bmp", sheet_1bit, layouts(40, 9)["32-alpha-124"])
seed("tagscan", "layouts", "1", "0", "0", sheet_rle4, sheet_1bit)

# The decoder alone: each layout, and files cut short.
for name, data in layouts(7, 5).items():
    seed("bmp_decoder", name, data)
    seed("bmp_decoder", name + "-cut", data[:len(data) * 2 // 3])
