"""BMP files for the samples, the tests, the fuzz seeds, the benchmarks and
the gallery: the one place that knows the layout. The programs write
uncompressed 24-bit rows (bottom-up, blue green red, each padded to four
bytes) after a 54-byte header, or, for a picture with an alpha channel,
32-bit rows after a 124-byte header with bit fields. They read what other
tools write too, which this module writes as well: the OS/2 headers (12,
16 and 64 bytes) and the larger Windows ones (52, 56, 108, 124), palettes
of 1, 2, 4 and 8 bits, RLE8 and RLE4, 16 and 32 bits with or without
colour masks, top-down rows.

A picture is given as pixel(x, y) -> (r, g, b) or (r, g, b, a), x from the
left and y from the top; an indexed one as index(x, y) and a palette of
(r, g, b)."""
import struct

HEADER_SIZE = 54
FILE_HEADER_SIZE = 14
RESOLUTION = 2835  # pixels a metre: 72 dots an inch

# Information header sizes that begin with the 40-byte one: with colour
# masks (52, 56), a colour space (108) and a colour profile (124).
INFO_HEADER_SIZES = (40, 52, 56, 108, 124)
# OS/2: 1.x (12 bytes, 16-bit sizes, 3-byte palette entries), 2.x (16 or 64).
OS2_HEADER_SIZES = (12, 16, 64)

NO_COMPRESSION, RLE8, RLE4, BITFIELDS, JPEG, PNG, ALPHABITFIELDS = 0, 1, 2, 3, 4, 5, 6
# Red, green, blue and alpha masks: what tools write for 32 bits, and the
# 16-bit layouts 5-5-5 (the default) and 5-6-5.
MASKS_8888 = (0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
MASKS_555 = (0x7C00, 0x03E0, 0x001F, 0)
MASKS_565 = (0xF800, 0x07E0, 0x001F, 0)

ALPHA_INFO_HEADER_SIZE = 124


def row_stride(width, bits=24):
    return (width * bits + 31) // 32 * 4


def info_header_tail(info_size, masks=MASKS_8888):
    """What follows the 40 bytes of a larger information header, as tools
    write it: masks of red, green, blue (and alpha), then the sRGB colour
    space, zero end points and gamma, then the rendering intent and an
    empty profile."""
    tail = struct.pack("<IIII", *masks)[:12 if info_size < 56 else 16]
    if info_size >= 108:
        tail += b"BGRs" + bytes(36 + 12)
    if info_size >= 124:
        tail += struct.pack("<IIII", 4, 0, 0, 0)
    return tail[:info_size - 40]


def info_header(width, height, data_size, info_size=40, bits=24, compression=0, colours=0, masks=MASKS_8888,
                resolution=RESOLUTION):
    """The information header of any size; colours is the colours-used
    field (OS/2 1.x and short 2.x headers have none, nor a resolution)."""
    if info_size == 12:
        return struct.pack("<IHHHH", 12, width, height, 1, bits)
    if info_size == 16:
        return struct.pack("<IiiHH", 16, width, height, 1, bits)
    body = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression, data_size,
                       resolution, resolution, colours, 0)
    if info_size == 64:
        return body + bytes(24)
    return body + info_header_tail(info_size, masks)


def bmp_file(info, data, table=b"", trailer=b"", offset=None):
    """A whole file: the file header, the information header, what lies
    between it and the pixel data (masks, colour table), the data and a
    trailer within the file size, as a colour profile may follow the rows."""
    if offset is None:
        offset = FILE_HEADER_SIZE + len(info) + len(table)
    gap = bytes(max(0, offset - FILE_HEADER_SIZE - len(info) - len(table)))
    size = offset + len(data) + len(trailer)
    return b"BM" + struct.pack("<IHHI", size, 0, 0, offset) + info + table + gap + data + trailer


def bmp_header(width, height, data_size, info_size=40, bits=24, compression=0, colours=0):
    """The file and information headers for data_size bytes of rows (and a
    colour table of colours entries after the headers); any width and
    height are written as given, also ones that no rows could match."""
    offset = FILE_HEADER_SIZE + info_size + 4 * colours
    info = info_header(width, height, data_size, info_size, bits, compression, colours)
    return b"BM" + struct.pack("<IHHI", offset + data_size, 0, 0, offset) + info


def rows_in_order(width, height, row, bits, top_down=False):
    """Rows as stored, each padded: row(y) gives the bytes of picture row
    y (from the top); bottom-up unless top_down."""
    stride = row_stride(width, bits)
    order = range(height) if top_down else range(height - 1, -1, -1)
    return b"".join(row(y).ljust(stride, b"\0") for y in order)


def rgba(pixel, x, y):
    p = tuple(pixel(x, y))
    return p if len(p) == 4 else p + (0,)


def bmp_rows(width, height, pixel, bits=24, top_down=False):
    """Rows of 24 bits, or of 32 bits whose fourth byte is the pixel's alpha
    (0 when pixel gives none: padding)."""
    def row(y):
        out = bytearray()
        for x in range(width):
            r, g, b, a = rgba(pixel, x, y)
            out += bytes((b, g, r, a) if bits == 32 else (b, g, r))
        return bytes(out)
    return rows_in_order(width, height, row, bits, top_down)


def bmp_bytes(width, height, pixel, info_size=40, bits=24, trailer=b"", top_down=False, resolution=RESOLUTION):
    """A whole file of 24 bits a pixel (or 32 bits without masks) with the
    given information header, OS/2 ones included; a trailer follows the
    rows within the file size, as a colour profile may."""
    rows = bmp_rows(width, height, pixel, bits, top_down)
    info = info_header(width, -height if top_down else height, len(rows), info_size, bits, resolution=resolution)
    return bmp_file(info, rows, trailer=trailer)


def level(value, mask):
    """An 8-bit value in the channel of a mask, rounded."""
    if mask == 0:
        return 0
    shift = (mask & -mask).bit_length() - 1
    top = mask >> shift
    return (value * top + 127) // 255 << shift


def level_read(value, mask):
    """What a reader makes of an 8-bit value stored in a channel's bits:
    the stored level scaled back to 0-255, rounded."""
    if mask == 0:
        return 0
    shift = (mask & -mask).bit_length() - 1
    top = mask >> shift
    return ((level(value, mask) >> shift) * 255 + top // 2) // top


def masked_bmp_bytes(width, height, pixel, bits=32, masks=MASKS_8888, info_size=40, compression=BITFIELDS,
                     top_down=False):
    """16 or 32 bits through colour masks (red, green, blue, alpha), with
    BITFIELDS (three masks, after a 40-byte header) or ALPHABITFIELDS (four),
    or with no compression and the default layout (5-5-5 or B, G, R and a
    fourth byte)."""
    def row(y):
        out = bytearray()
        for x in range(width):
            r, g, b, a = rgba(pixel, x, y)
            value = level(r, masks[0]) | level(g, masks[1]) | level(b, masks[2]) | level(a, masks[3])
            out += value.to_bytes(bits // 8, "little")
        return bytes(out)
    rows = rows_in_order(width, height, row, bits, top_down)
    info = info_header(width, -height if top_down else height, len(rows), info_size, bits, compression,
                       masks=masks)
    after = b""
    if compression in (BITFIELDS, ALPHABITFIELDS) and info_size == 40:
        after = struct.pack("<IIII", *masks)[:16 if compression == ALPHABITFIELDS else 12]
    return bmp_file(info, rows, after)


def alpha_bmp_bytes(width, height, pixel):
    """A picture with an alpha channel as the programs write it: 32 bits,
    a 124-byte header whose bit fields say blue, green, red and alpha
    bytes."""
    return masked_bmp_bytes(width, height, pixel, 32, MASKS_8888, ALPHA_INFO_HEADER_SIZE)


def rle_bytes(width, height, index, four_bits=False, unset=lambda x, y: False, top_down=False, padded=False):
    """Rows run-length encoded, bottom-up unless top_down: runs of one
    index (RLE4: of two that alternate), literal runs of three pixels or
    more, an end of line after each row, a delta over unset pixels inside a
    row and over unset rows, and an early end of the picture when the rest
    is unset. padded encodes each row as long as its stored row, padding
    included (index 0 past the row's end), as ImageMagick and
    GraphicsMagick do."""
    out = bytearray()
    rows = list(range(height)) if top_down else list(range(height - 1, -1, -1))  # stored order

    picture_width, picture_index, picture_unset = width, index, unset

    def row_unset(y):
        return all(picture_unset(x, y) for x in range(picture_width))

    if padded:
        bits = 4 if four_bits else 8
        width = row_stride(width, bits) * 8 // bits
        index = lambda x, y: picture_index(x, y) if x < picture_width else 0  # noqa: E731
        unset = lambda x, y: x < picture_width and picture_unset(x, y)  # noqa: E731

    def runs(y, start, end):
        x = start
        literal = []

        def flush():
            while literal:
                part = literal[:255]
                del literal[:255]
                if len(part) < 3:
                    for i in part:
                        out.extend((1, i << 4 | i if four_bits else i))
                    continue
                if four_bits:
                    packed = bytes((part[k] << 4 | (part[k + 1] if k + 1 < len(part) else 0))
                                   for k in range(0, len(part), 2))
                else:
                    packed = bytes(part)
                out.extend((0, len(part)))
                out.extend(packed + bytes(len(packed) % 2))
        while x < end:
            a = index(x, y)
            b = index(x + 1, y) if four_bits and x + 1 < end else a
            n = 1
            while x + n < end and n < 255 and index(x + n, y) == (a if n % 2 == 0 else b):
                n += 1
            if n >= 3 or (n == 2 and a == b):
                flush()
                out.extend((n, a << 4 | b if four_bits else a))
                x += n
            else:
                literal.append(a)
                x += 1
        flush()

    i = 0
    while i < height:
        y = rows[i]
        if all(row_unset(rows[k]) for k in range(i, height)):
            break
        if row_unset(y):
            out.extend((0, 2, 0, 1))  # from the row's start, one row on
            i += 1
            continue
        x = 0
        while x < width:
            start = x
            while x < width and not unset(x, y):
                x += 1
            runs(y, start, x)
            gap = x
            while x < width and unset(x, y):
                x += 1
            if x == width:
                break
            while x - gap > 0:
                step = min(255, x - gap)
                out.extend((0, 2, step, 0))
                gap += step
        out.extend((0, 0))
        i += 1
    out.extend((0, 1))
    return bytes(out)


def indexed_bmp_bytes(width, height, index, palette, bits=8, info_size=40, compression=NO_COMPRESSION,
                      colours_used=None, top_down=False, unset=lambda x, y: False, data=None, offset=None,
                      padded=False):
    """1, 2, 4 or 8 bits with a palette of (r, g, b), uncompressed or RLE
    (4 or 8 bits; unset pixels are left to the reader's black, padded rows
    as rle_bytes says); colours_used 0 writes the field as "all 2^bits"
    (the table still holds the palette). data replaces the pixel data as
    given; offset puts it further on."""
    entry = 3 if info_size == 12 else 4
    table = b"".join(bytes((b, g, r, 0))[:entry] for r, g, b in palette)
    if data is None and compression in (RLE8, RLE4):
        data = rle_bytes(width, height, index, compression == RLE4, unset, top_down, padded)
    elif data is None:
        def row(y):
            value, count = 0, 0
            out = bytearray()
            for x in range(width):
                value = value << bits | index(x, y)
                count += bits
                if count == 8:
                    out.append(value)
                    value, count = 0, 0
            if count:
                out.append(value << (8 - count))
            return bytes(out)
        data = rows_in_order(width, height, row, bits, top_down)
    used = len(palette) if colours_used is None else colours_used
    info = info_header(width, -height if top_down else height, len(data), info_size, bits, compression, used)
    return bmp_file(info, data, table, offset=offset)


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)


def write_bmp(path, width, height, pixel, info_size=40):
    write_file(path, bmp_bytes(width, height, pixel, info_size))


def write_alpha_bmp(path, width, height, pixel):
    write_file(path, alpha_bmp_bytes(width, height, pixel))


def write_bmp_rows(path, width, height, rows):
    """A file around rows already laid out as stored: bottom-up, padded."""
    write_file(path, bmp_header(width, height, len(rows)) + rows)


def read_bmp(path):
    """Gives width, height and pixel(x, y), y from the top, of a file as the
    programs write it, wherever its rows start: (r, g, b) for 24 bits,
    (r, g, b, a) for 32 bits with an alpha channel."""
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack("<I", data[10:14])
    offset = offset or HEADER_SIZE
    width, height, _, bits = struct.unpack("<iiHH", data[18:30])
    bits = bits or 24
    stride = row_stride(width, bits)

    def pixel(x, y):
        at = offset + (height - 1 - y) * stride + bits // 8 * x
        return (data[at + 2], data[at + 1], data[at]) + ((data[at + 3],) if bits == 32 else ())

    return width, height, pixel


def write_noise_bmp(path, width, height, seed):
    """A picture of busy bytes, different for each seed and quick to make at
    any size: for timing."""
    size = row_stride(width) * height
    pattern = bytes((i * seed + (i >> 7)) & 255 for i in range(65536))
    write_bmp_rows(path, width, height, (pattern * (size // 65536 + 1))[:size])
