"""Plain 8-bit RGB and RGBA PNG files, for the gallery and the glyph sheet
previews."""
import struct
import zlib


def write_png(path, width, height, pixel, zoom=1):
    """pixel(x, y) gives (r, g, b), or (r, g, b, a) for a picture with
    transparency, y from the top; each pixel is drawn zoom x zoom."""
    raw = bytearray()
    for y in range(height * zoom):
        raw.append(0)  # no filter
        for x in range(width * zoom):
            raw += bytes(pixel(x // zoom, y // zoom))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    colour_type = 6 if len(pixel(0, 0)) == 4 else 2
    header = struct.pack(">IIBBBBB", width * zoom, height * zoom, 8, colour_type, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                + chunk(b"IEND", b""))
