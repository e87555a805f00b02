"""Writes uncompressed 24-bit BMP files for the sample generators."""
import struct


def write_bmp(path, width, height, pixel):
    """pixel(x, y) gives (r, g, b) for column x and row y counted from the top."""
    stride = (width * 3 + 3) // 4 * 4
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        rows += row + bytes(stride - len(row))
    header = b"BM" + struct.pack("<IHHIIiiHHIIiiII", 54 + len(rows), 0, 0, 54, 40, width, height, 1, 24, 0,
                                 len(rows), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + rows)
