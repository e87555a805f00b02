"""Uncompressed 24-bit BMP files for the samples, the fuzz seeds, the
benchmarks and the gallery: the one place that knows the layout (a 54-byte
header, then rows bottom-up, blue green red, each padded to four bytes)."""
import struct

HEADER_SIZE = 54


def row_stride(width):
    return (width * 3 + 3) // 4 * 4


def bmp_header(width, height, data_size):
    """The header for data_size bytes of rows; any width and height are
    written as given, also ones that no rows could match."""
    return b"BM" + struct.pack("<IHHIIiiHHIIiiII", HEADER_SIZE + data_size, 0, 0, HEADER_SIZE, 40, width, height,
                               1, 24, 0, data_size, 2835, 2835, 0, 0)


def bmp_bytes(width, height, pixel):
    """A whole file; pixel(x, y) gives (r, g, b) for column x and row y
    counted from the top."""
    stride = row_stride(width)
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        rows += row + bytes(stride - len(row))
    return bmp_header(width, height, len(rows)) + rows


def write_bmp(path, width, height, pixel):
    with open(path, "wb") as f:
        f.write(bmp_bytes(width, height, pixel))


def write_bmp_rows(path, width, height, rows):
    """A file around rows already laid out as stored: bottom-up, padded."""
    with open(path, "wb") as f:
        f.write(bmp_header(width, height, len(rows)) + rows)


def read_bmp(path):
    """Gives width, height and pixel(x, y) -> (r, g, b), y from the top."""
    with open(path, "rb") as f:
        data = f.read()
    width, height = struct.unpack("<ii", data[18:26])
    stride = row_stride(width)

    def pixel(x, y):
        at = HEADER_SIZE + (height - 1 - y) * stride + 3 * x
        return data[at + 2], data[at + 1], data[at]

    return width, height, pixel


def write_noise_bmp(path, width, height, seed):
    """A picture of busy bytes, different for each seed and quick to make at
    any size: for timing."""
    size = row_stride(width) * height
    pattern = bytes((i * seed + (i >> 7)) & 255 for i in range(65536))
    write_bmp_rows(path, width, height, (pattern * (size // 65536 + 1))[:size])
