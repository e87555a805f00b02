#!/usr/bin/env python3
"""Writes the input files of the end-to-end tables that other tools make:
pictures with the information headers they write and in the layouts the
programs refuse, and WAV files with their chunk layouts. Each picture comes
in the plain layout too, with the same pixels, as what the programs must
make of it. usage: make_files.py FOLDER"""
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "samples"))
from bmp import INFO_HEADER_SIZES, bmp_bytes, palette_bmp_bytes, read_bmp  # noqa: E402
from wav import chunk, format_body, wav_bytes  # noqa: E402

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


# Odd widths, so that rows carry padding. The names say role and header size.
pictures = {
    "picture": (9, 8, lambda x, y: (20 * x, 30 * y, 200)),
    "sprite": (3, 2, lambda x, y: (200, 10 + 90 * x, 250 - 70 * y)),
    "alpha": (3, 2, lambda x, y: (128 - y, 127 * x, 64 * y)),
    # A light ground, which no glyph cell matches, for a caption.
    "caption": (41, 9, lambda x, y: (200 + (7 * x + 3 * y) % 56, 5 * x, 11 * y)),
}
for role, (width, height, pixel) in pictures.items():
    for info_size in INFO_HEADER_SIZES:
        write(f"{role}-{info_size}.bmp", bmp_bytes(width, height, pixel, info_size))

# A colour profile after the rows, counted in the file size, as ImageMagick
# writes one: the rows end the output.
width, height, pixel = pictures["picture"]
write("picture-40-profile.bmp", bmp_bytes(width, height, pixel, trailer=b"a colour profile"))

# The glyph sheet of mode 1 as a tool writes it back.
width, height, pixel = read_bmp(os.path.join(ROOT, "captions", "sheets", "GXFont1Minimini.bmp"))
write("GXFont1Minimini-124.bmp", bmp_bytes(width, height, pixel, 124))

# Layouts the programs refuse.
write("picture-32bit.bmp", bmp_bytes(9, 8, pictures["picture"][2], 40, 32))
grey = [(v, v, v) for v in range(256)]
write("picture-palette.bmp", palette_bmp_bytes(9, 8, lambda x, y: 20 * x + y, grey))
write("picture-rle.bmp", palette_bmp_bytes(9, 8, lambda x, y: 20 * x + y, grey, rle=True))

# WAV files: every byte of the samples shows its place.
samples = b"ABCDEFGHIJKLMNOP"
info = (b"LIST", b"INFOISFT" + struct.pack("<I", 14) + b"Lavf59.27.100\0")
wavs = {
    "list-before-data": wav_bytes(samples, before_data=[info]),
    "junk-before-format": wav_bytes(samples, before_format=[(b"JUNK", bytes(28))]),
    "odd-chunk-before-data": wav_bytes(samples, before_data=[(b"id3 ", b"ID3"), (b"fact", struct.pack("<I", 4))]),
    "format-18": wav_bytes(samples, format_size=18),
    "extensible": wav_bytes(samples, format_size=40),
    "size-not-filled-in": wav_bytes(samples, data_size=0xFFFFFFFF),
    "size-past-the-end": wav_bytes(samples, data_size=1000),
    "list-after-data": wav_bytes(samples, after_data=[info]),
}
data_first = chunk(b"data", samples) + chunk(b"fmt ", format_body())
wavs["data-before-format"] = b"RIFF" + struct.pack("<I", 4 + len(data_first)) + b"WAVE" + data_first
for name, data in wavs.items():
    write(name + ".wav", data)
