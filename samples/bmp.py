"""BMP files for the samples, the tests, the fuzz seeds, the benchmarks and
the gallery: the one place that knows the layout. The programs read and
write uncompressed 24-bit rows (bottom-up, blue green red, each padded to
four bytes) after a 54-byte header; other tools write larger information
headers, and pictures of other depths, which this module writes too."""
import struct

HEADER_SIZE = 54
FILE_HEADER_SIZE = 14
RESOLUTION = 2835  # pixels a metre: 72 dots an inch

# Information header sizes: the 40-byte one, and those that extend it with
# colour masks (52, 56), a colour space (108) and a colour profile (124).
INFO_HEADER_SIZES = (40, 52, 56, 108, 124)


def row_stride(width, bits=24):
    return (width * bits + 31) // 32 * 4


def info_header_tail(info_size):
    """What follows the 40 bytes of a larger information header, as tools
    write it: masks of red, green, blue (and alpha), then the sRGB colour
    space, zero end points and gamma, then the rendering intent and an
    empty profile."""
    tail = struct.pack("<III", 0x00FF0000, 0x0000FF00, 0x000000FF)
    if info_size >= 56:
        tail += struct.pack("<I", 0xFF000000)
    if info_size >= 108:
        tail += b"BGRs" + bytes(36 + 12)
    if info_size >= 124:
        tail += struct.pack("<IIII", 4, 0, 0, 0)
    return tail[:info_size - 40]


def bmp_header(width, height, data_size, info_size=40, bits=24, compression=0, colours=0):
    """The file and information headers for data_size bytes of rows (and a
    colour table of colours entries after the headers); any width and
    height are written as given, also ones that no rows could match."""
    offset = FILE_HEADER_SIZE + info_size + 4 * colours
    return (b"BM" + struct.pack("<IHHI", offset + data_size, 0, 0, offset) +
            struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression, data_size,
                        RESOLUTION, RESOLUTION, colours, 0) +
            info_header_tail(info_size))


def bmp_rows(width, height, pixel, bits=24):
    """Rows as stored: bottom-up, padded; pixel(x, y) gives (r, g, b) for
    column x and row y counted from the top; 32 bits add an opaque alpha."""
    stride = row_stride(width, bits)
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r, 255) if bits == 32 else (b, g, r))
        rows += row + bytes(stride - len(row))
    return bytes(rows)


def bmp_bytes(width, height, pixel, info_size=40, bits=24, trailer=b""):
    """A whole file of 24 (or 32) bits a pixel with the given information
    header; a trailer follows the rows within the file size, as a colour
    profile may."""
    rows = bmp_rows(width, height, pixel, bits)
    header = bmp_header(width, height, len(rows), info_size, bits)
    return header[:2] + struct.pack("<I", len(header) + len(rows) + len(trailer)) + header[6:] + rows + trailer


def palette_bmp_bytes(width, height, index, palette, rle=False):
    """An 8-bit picture: index(x, y) gives the palette entry of a pixel,
    palette is a list of (r, g, b); rle writes the rows run-length encoded
    (one run a pixel, an end-of-line after each row)."""
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    if rle:
        rows = b"".join(b"".join(bytes((1, index(x, y))) for x in range(width)) + b"\0\0"
                        for y in range(height - 1, -1, -1)) + b"\0\1"
    else:
        stride = row_stride(width, 8)
        rows = b"".join(bytes(index(x, y) for x in range(width)).ljust(stride, b"\0")
                        for y in range(height - 1, -1, -1))
    return bmp_header(width, height, len(rows), 40, 8, 1 if rle else 0, len(palette)) + table + rows


def write_bmp(path, width, height, pixel, info_size=40):
    with open(path, "wb") as f:
        f.write(bmp_bytes(width, height, pixel, info_size))


def write_bmp_rows(path, width, height, rows):
    """A file around rows already laid out as stored: bottom-up, padded."""
    with open(path, "wb") as f:
        f.write(bmp_header(width, height, len(rows)) + rows)


def read_bmp(path):
    """Gives width, height and pixel(x, y) -> (r, g, b), y from the top, of
    a 24-bit file, wherever its rows start."""
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack("<I", data[10:14])
    offset = offset or HEADER_SIZE
    width, height = struct.unpack("<ii", data[18:26])
    stride = row_stride(width)

    def pixel(x, y):
        at = offset + (height - 1 - y) * stride + 3 * x
        return data[at + 2], data[at + 1], data[at]

    return width, height, pixel


def write_noise_bmp(path, width, height, seed):
    """A picture of busy bytes, different for each seed and quick to make at
    any size: for timing."""
    size = row_stride(width) * height
    pattern = bytes((i * seed + (i >> 7)) & 255 for i in range(65536))
    write_bmp_rows(path, width, height, (pattern * (size // 65536 + 1))[:size])
