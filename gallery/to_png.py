#!/usr/bin/env python3
"""Turns a 24-bit BMP into a PNG, enlarged by a whole factor, for the
README's gallery. usage: to_png.py IN.bmp OUT.png [SCALE]"""
import struct
import sys
import zlib


def bmp_to_png(source, target, scale):
    with open(source, "rb") as f:
        data = f.read()
    width, height = struct.unpack("<ii", data[18:26])
    stride = (width * 3 + 3) // 4 * 4
    rows = bytearray()
    for y in range(height):
        start = 54 + (height - 1 - y) * stride
        row = data[start:start + 3 * width]
        pixels = b"".join(bytes((row[3 * x + 2], row[3 * x + 1], row[3 * x])) * scale for x in range(width))
        rows += (b"\0" + pixels) * scale

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width * scale, height * scale, 8, 2, 0, 0, 0)
    with open(target, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
                + chunk(b"IEND", b""))


bmp_to_png(sys.argv[1], sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 1)
