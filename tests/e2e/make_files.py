#!/usr/bin/env python3
"""Writes the input files of the end-to-end tables that other tools make:
pictures in the layouts other tools write, each beside its twin, the same
pixels in the plain layout, which is what the programs must make of it;
pictures with an alpha channel beside their colours, their alpha as a grey
picture and the file the programs write for them; layouts the programs
refuse; and WAV files with their chunk layouts. usage: make_files.py FOLDER"""
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "samples"))
from bmp import (ALPHABITFIELDS, BITFIELDS, INFO_HEADER_SIZES, JPEG, MASKS_555, MASKS_565,  # noqa: E402
                 MASKS_8888, NO_COMPRESSION, PNG, RLE4, RLE8, alpha_bmp_bytes, bmp_bytes, bmp_file,
                 indexed_bmp_bytes, info_header, level_read, masked_bmp_bytes, read_bmp)
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
width, height, sheet_pixel = read_bmp(os.path.join(ROOT, "captions", "sheets", "GXFont1Minimini.bmp"))
write("GXFont1Minimini-124.bmp", bmp_bytes(width, height, sheet_pixel, 124))
pictures["GXFont1Minimini"] = (width, height, sheet_pixel)


# --- Every layout the programs read, in every role, with its plain twin ---

def with_palette(width, height, pixel, bits):
    """A palette of at most 16 colours (fewer than 2^bits for 8 bits, the
    colours-used field says how many) and the index of each pixel: the
    picture's own colours when it has that few, else colours taken from it
    in stripes of two pixels."""
    size = min(1 << bits, 16)
    colours = []
    for y in range(height):
        for x in range(width):
            if pixel(x, y) not in colours:
                colours.append(pixel(x, y))
    if len(colours) <= size:
        return colours, lambda x, y: colours.index(pixel(x, y))
    palette = [pixel(k % width, k // width % height) for k in range(size)]
    return palette, lambda x, y: (x // 2 + 3 * y) % size


def unset_pixels(role, width, height):
    """The pixels an RLE picture leaves unset (black): a scattering, a row
    in the middle and the top row where the picture is tall enough, so that
    the data has deltas within a row and over a row, ends of line before a
    row's end and an early end of the picture. None in a glyph sheet."""
    if role == "GXFont1Minimini":
        return lambda x, y: False
    return lambda x, y: (x + 2 * y) % 5 == 4 or (height > 4 and y in (0, height // 2))


def indexed(bits, info_size=40, compression=NO_COMPRESSION, colours_used=None, top_down=False, offset=None):
    def make(role, width, height, pixel):
        palette, index = with_palette(width, height, pixel, bits)
        rle = compression in (RLE8, RLE4)
        unset = unset_pixels(role, width, height) if rle else (lambda x, y: False)
        data = indexed_bmp_bytes(width, height, index, palette, bits, info_size, compression, colours_used, top_down,
                                 unset, offset=offset)
        return data, lambda x, y: (0, 0, 0) if unset(x, y) else palette[index(x, y)]
    return make


def masked(bits, masks, info_size=40, compression=BITFIELDS, top_down=False):
    def make(role, width, height, pixel):
        data = masked_bmp_bytes(width, height, pixel, bits, masks, info_size, compression, top_down)
        return data, lambda x, y: tuple(level_read(c, m) for c, m in zip(pixel(x, y), masks))
    return make


def plain(info_size=40, top_down=False):
    def make(role, width, height, pixel):
        return bmp_bytes(width, height, pixel, info_size, top_down=top_down), pixel
    return make


MASKS_10_10_10 = (0x3FF00000, 0x000FFC00, 0x000003FF, 0)
MASKS_RGB_ORDER = (0x000000FF, 0x0000FF00, 0x00FF0000, 0)
LAYOUTS = {
    "os2-12": plain(12), "os2-16": plain(16), "os2-64": plain(64),
    "os2-12-pal4": indexed(4, 12), "os2-64-rle8": indexed(8, 64, RLE8),
    "pal1": indexed(1), "pal2": indexed(2), "pal4": indexed(4), "pal8": indexed(8),
    # Colours used 0 with a short table: as many entries as fit before the rows.
    "pal8-124": indexed(8, 124, colours_used=0),
    # Pixel data far past the table, a gap between.
    "pal4-far": indexed(4, offset=10000),
    "rle8": indexed(8, compression=RLE8), "rle4": indexed(4, compression=RLE4),
    "rle8-108": indexed(8, 108, RLE8),
    "16": masked(16, MASKS_555, compression=NO_COMPRESSION), "16-565": masked(16, MASKS_565),
    "16-565-56": masked(16, MASKS_565, 56),
    # A fourth byte of 0 everywhere is padding: no alpha.
    "32": masked(32, MASKS_8888[:3] + (0,), compression=NO_COMPRESSION),
    "32-bitfields": masked(32, MASKS_8888[:3] + (0,)),
    "32-10-10-10": masked(32, MASKS_10_10_10), "32-rgb-order": masked(32, MASKS_RGB_ORDER, 108),
    "top-down": plain(top_down=True), "top-down-124": plain(124, top_down=True),
    "top-down-pal8": indexed(8, top_down=True), "top-down-rle4": indexed(4, compression=RLE4, top_down=True),
    "top-down-32": masked(32, MASKS_8888[:3] + (0,), 124, top_down=True),
}
for layout, make in LAYOUTS.items():
    for role, (width, height, pixel) in pictures.items():
        data, twin = make(role, width, height, pixel)
        write(f"{role}-{layout}.bmp", data)
        # OS/2 headers of 12 and 16 bytes give no resolution.
        resolution = 0 if layout in ("os2-12", "os2-16", "os2-12-pal4") else 2835
        write(f"{role}-{layout}-plain.bmp", bmp_bytes(width, height, twin, resolution=resolution))


# --- Pictures with an alpha channel ---------------------------------------

# Every kind of opacity, none of them the same as a colour byte.
alpha_pictures = {
    "sprite": (3, 2, lambda x, y: (200, 10 + 90 * x, 250 - 70 * y, (0, 128, 255, 1, 254, 77)[3 * y + x])),
    "picture": (9, 8, lambda x, y: (20 * x, 30 * y, 200, (x * 29 + y * 37 + 3) % 256)),
    "caption": (41, 9, lambda x, y: (200 + (7 * x + 3 * y) % 56, 5 * x, 11 * y, (x * 13 + y) % 256)),
}
ALPHA_LAYOUTS = {
    "32": lambda w, h, p: bmp_bytes(w, h, p, bits=32),  # what Pillow and ffmpeg write
    "124": lambda w, h, p: masked_bmp_bytes(w, h, p, 32, MASKS_8888, 124),  # ImageMagick, GIMP, libvips
    "108": lambda w, h, p: masked_bmp_bytes(w, h, p, 32, MASKS_8888, 108),  # GraphicsMagick
    "56": lambda w, h, p: masked_bmp_bytes(w, h, p, 32, MASKS_8888, 56),
    "alphabitfields": lambda w, h, p: masked_bmp_bytes(w, h, p, 32, MASKS_8888, 40, ALPHABITFIELDS),
    "top-down": lambda w, h, p: masked_bmp_bytes(w, h, p, 32, MASKS_8888, 124, top_down=True),
    "4-4-4-4": lambda w, h, p: masked_bmp_bytes(w, h, p, 32, (0xF00, 0xF0, 0xF, 0xF000), 40, ALPHABITFIELDS),
}
MASKS_4444 = (0xF00, 0xF0, 0xF, 0xF000)
for role, (width, height, pixel) in alpha_pictures.items():
    for layout, make in ALPHA_LAYOUTS.items():
        write(f"{role}-rgba-{layout}.bmp", make(width, height, pixel))
        # What a reader makes of it (4 bits a channel are scaled), then the
        # two pictures `convert x.png -alpha off` and `-alpha extract` give,
        # and the file a program that changes nothing writes.
        read = pixel if layout != "4-4-4-4" else (
            lambda x, y, p=pixel: tuple(level_read(c, m) for c, m in zip(p(x, y), MASKS_4444)))
        write(f"{role}-rgba-{layout}-colours.bmp", bmp_bytes(width, height, lambda x, y, p=read: p(x, y)[:3]))
        write(f"{role}-rgba-{layout}-alpha.bmp", bmp_bytes(width, height, lambda x, y, p=read: (p(x, y)[3],) * 3))
        write(f"{role}-rgba-{layout}-kept.bmp", alpha_bmp_bytes(width, height, read))

# An 8-bit grey picture with 256 entries and the colours-used field 0, RLE
# as ImageMagick writes it: an alpha picture as it stands.
width, height, pixel = pictures["alpha"]
grey = [(v, v, v) for v in range(256)]
write("alpha-grey-rle8.bmp", indexed_bmp_bytes(width, height, lambda x, y: pixel(x, y)[0], grey, 8,
                                               compression=RLE8, colours_used=0))
write("alpha-grey-rle8-plain.bmp", bmp_bytes(width, height, lambda x, y: (pixel(x, y)[0],) * 3))

# A full picture of 32 bits with alpha, larger than the buffer as a file,
# and the header of one a column too wide for the buffer as a 24-bit picture.
pattern = bytes(v for x in range(1920) for v in (x * 7 & 255, x * 3 & 255, x & 255, (x * 5 + 1) & 255))
rows = b"".join(pattern[4 * (y % 64):] + pattern[:4 * (y % 64)] for y in range(1080))
write("full-32.bmp", bmp_file(info_header(1920, 1080, len(rows), 40, 32), rows))
write("full-32-kept.bmp", bmp_file(info_header(1920, 1080, len(rows), 124, 32, BITFIELDS), rows))
# No pixels however many rows: read at once, the header alone written.
write("no-width-32.bmp", bmp_file(info_header(0, 2 ** 31 - 1, 0, 124, 32, BITFIELDS), b""))
write("no-width-32-plain.bmp", bmp_file(info_header(0, 2 ** 31 - 1, 0), b""))
write("too-wide-32.bmp", bmp_file(info_header(1921, 1080, 1921 * 1080 * 4, 40, 32), b""))


# --- Layouts the programs refuse --------------------------------------------

def patched(data, at, value):
    return data[:at] + struct.pack("<I", value) + data[at + 4:]


width, height, pixel = pictures["picture"]
rows = bmp_bytes(width, height, pixel)[54:]
refused = {
    "jpeg": bmp_file(info_header(width, height, 100, 40, 24, JPEG), b"\xff\xd8\xff\xe0" + bytes(96)),
    "png": bmp_file(info_header(width, height, 100, 40, 24, PNG), b"\x89PNG\r\n\x1a\n" + bytes(92)),
    "os2-huffman": bmp_file(info_header(width, height, 100, 64, 1, 3), bytes(100)),
    "os2-rle24": bmp_file(info_header(width, height, 100, 64, 24, 4), bytes(100)),
    "64bit": bmp_file(info_header(width, height, 8 * width * height, 40, 64), bytes(8 * width * height)),
    "unknown-header": bmp_file(info_header(width, height, len(rows), 100), rows),
    "negative-width": indexed_bmp_bytes(-width, height, lambda x, y: 0, [(1, 2, 3)]),
    "masks-overlap": masked_bmp_bytes(width, height, pixel, 32, (0xFF0000, 0x1FF00, 0xFF, 0)),
    "masks-not-one-run": masked_bmp_bytes(width, height, pixel, 16, (0x7C00, 0x03E0, 0x001D, 0)),
    "masks-past-16-bits": patched(masked_bmp_bytes(width, height, pixel, 16, MASKS_565), 54, 0x7C0000),
    "rows-inside-the-header": bmp_file(info_header(width, height, 72, 40, 8), bytes(72), offset=40),
}
for name, data in refused.items():
    write(f"refused-{name}.bmp", data)

# Read, with its twin: palette indexes past the table read as black, the
# table ending where the pixel data starts (colours used 0), or where the
# colours-used field says (the entries after it are not colours); RLE data
# that ends early leaves the rest black.
palette = [(255, 0, 0), (0, 255, 0)]
black_past_two = bmp_bytes(width, height, lambda x, y: (palette + [(0, 0, 0)] * 2)[(x + y) % 4])
write("index-past-the-table.bmp", indexed_bmp_bytes(width, height, lambda x, y: (x + y) % 4, palette, 4,
                                                    colours_used=0))
write("index-past-the-table-plain.bmp", black_past_two)
write("index-past-colours-used.bmp", indexed_bmp_bytes(width, height, lambda x, y: (x + y) % 4,
                                                       palette + [(1, 2, 3), (4, 5, 6)], 4, colours_used=2))
write("index-past-colours-used-plain.bmp", black_past_two)
# RLE rows encoded with their padding, as ImageMagick and GraphicsMagick
# write them (the pixels past the row's end are dropped), and then a run
# above the top row after a delta (dropped too).
three = [(255, 0, 0), (0, 255, 0), (0, 0, 255)]
for name, bits, compression in (("rle8", 8, RLE8), ("rle4", 4, RLE4)):
    padded = indexed_bmp_bytes(width, height, lambda x, y: (x // 2 + y) % 3, three, bits, compression=compression,
                               padded=True)
    write(f"{name}-padded-rows.bmp", padded[:-2] + bytes((0, 2, 0, 1, 5, 0x11, 0, 1)))
    write(f"{name}-padded-rows-plain.bmp", bmp_bytes(width, height, lambda x, y: three[(x // 2 + y) % 3]))

# Long runs, which are filled sixteen pixels at a time: of one index
# (RLE8), of two that alternate (RLE4), and up to a row's end.
four = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (250, 250, 250)]
for name, bits, compression, index in (("rle8", 8, RLE8, lambda x, y: (x // 40 + y) % 4),
                                       ("rle4", 4, RLE4, lambda x, y: (x + y) % 2 + 2 * (x // 46))):
    write(f"{name}-long-runs.bmp", indexed_bmp_bytes(91, 3, index, four, bits, compression=compression, padded=True))
    write(f"{name}-long-runs-plain.bmp", bmp_bytes(91, 3, lambda x, y, i=index: four[i(x, y)]))

# Each row a literal run of 9 (12 bytes) and an end of line: without the
# last 20 bytes, the top row is gone and the one below it keeps 8 pixels.
whole = indexed_bmp_bytes(width, height, lambda x, y: (x + y) % 2, palette, 8, compression=RLE8)
write("rle-cut-short.bmp", whole[:-20])
write("rle-cut-short-plain.bmp", bmp_bytes(width, height, lambda x, y: palette[(x + y) % 2]
                                           if y > 1 or (y == 1 and x < 8) else (0, 0, 0)))

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
