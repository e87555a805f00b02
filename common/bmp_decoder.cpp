#include "bmp_decoder.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "little_endian.h"

namespace {
// A file's first bytes; a field past what the file filled reads as 0.
struct FileBytes {
  const unsigned char* bytes;
  std::size_t held;
  std::uint32_t u8(std::size_t at) const { return at < held ? bytes[at] : 0; }
  std::uint32_t u16(std::size_t at) const { return u8(at) | u8(at + 1) << 8; }
  std::uint32_t u32(std::size_t at) const { return u16(at) | u16(at + 2) << 16; }
};

// Compression values of the 40-byte header and those that extend it. The
// OS/2 2.x header gives 3 and 4 other meanings (Huffman, RLE24): refused.
constexpr std::uint32_t kNoCompression = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

enum Channel { kRed, kGreen, kBlue, kAlpha };

// What the information header says, whichever kind it is.
struct Header {
  std::int64_t width, height;
  std::uint32_t bits, compression, colours_used, x_resolution, y_resolution;
  std::size_t table_at, entry_size;  // the colour table
  std::uint32_t masks[4];
};

// The information header by its size: OS/2 1.x (12 bytes: 16-bit sizes,
// 3-byte colour table entries, no compression), OS/2 2.x (16 bytes, or 64
// with compression), and the 40-byte header with its extensions (colour
// masks at byte 54 on, inside the header from 52 bytes on, else after it).
bool read_header(const FileBytes& f, Header& h) {
  const std::uint32_t size = f.u32(14);
  h = {};
  h.entry_size = 4;
  h.table_at = 14 + size;
  switch (size) {
    case 12:
      h.width = f.u16(18);
      h.height = f.u16(20);
      h.bits = f.u16(24);
      h.entry_size = 3;
      return true;
    case 16:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124: break;
    default: return false;
  }
  h.width = static_cast<std::int32_t>(f.u32(18));
  h.height = static_cast<std::int32_t>(f.u32(22));
  h.bits = f.u16(28);
  if (size == 16) return true;
  h.compression = f.u32(30);
  h.x_resolution = f.u32(38);
  h.y_resolution = f.u32(42);
  h.colours_used = f.u32(46);
  if (size == 64) return h.compression <= kRle4;
  if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
    const std::size_t count = h.compression == kAlphaBitFields || size >= 56 ? 4 : 3;
    for (std::size_t i = 0; i < count; ++i) h.masks[i] = f.u32(54 + 4 * i);
    h.table_at = std::max<std::size_t>(h.table_at, 54 + 4 * count);
  }
  return true;
}

// Masks must each be one run of bits inside the pixel and share no bit.
bool masks_valid(const std::uint32_t (&masks)[4], std::uint32_t bits) {
  const std::uint32_t pixel = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
  std::uint32_t taken = 0;
  for (const std::uint32_t mask : masks) {
    const std::uint32_t lowest = mask & (0u - mask);
    if ((mask & taken) != 0 || (mask & ~pixel) != 0 || ((mask + lowest) & mask) != 0) return false;
    taken |= mask;
  }
  return true;
}

enum class Family { Indexed, Rle8, Rle4, Masked, Bgr };

struct Layout {
  Family family;
  std::uint32_t bits;
  std::uint32_t masks[4];
  // 32 bits without masks: the fourth byte is alpha unless it is 0 everywhere.
  bool alpha_unless_zero;
};

// Pixels through colour masks: red, green, blue, alpha.
bool through_masks(Layout& l, const std::uint32_t (&masks)[4]) {
  l.family = Family::Masked;
  std::copy(masks, masks + 4, l.masks);
  return (l.bits == 16 || l.bits == 32) && masks_valid(l.masks, l.bits);
}

bool choose_layout(const Header& h, Layout& l) {
  l = {};
  l.bits = h.bits;
  switch (h.compression) {
    case kNoCompression:
      switch (h.bits) {
        case 1:
        case 2:
        case 4:
        case 8: l.family = Family::Indexed; return true;
        case 16: return through_masks(l, {0x7C00, 0x03E0, 0x001F, 0});  // 5-5-5
        case 24: l.family = Family::Bgr; return true;
        case 32: l.alpha_unless_zero = true; return through_masks(l, {0xFF0000, 0xFF00, 0xFF, 0xFF000000});
        default: return false;
      }
    case kRle8: l.family = Family::Rle8; return h.bits == 8;
    case kRle4: l.family = Family::Rle4; return h.bits == 4;
    case kBitFields:
    case kAlphaBitFields: return through_masks(l, h.masks);
    default: return false;  // JPEG, PNG, CMYK, ...
  }
}

// A pixel's blue, green and red in bits 0-7, 8-15 and 16-23: stored as
// four bytes, blue comes first.
using Colour = std::uint32_t;
static_assert(std::endian::native == std::endian::little, "colours are stored four bytes at a time");

// The colour table: as many entries as the colours-used field says (all 2^bits
// when it is 0), no more than fit before the pixel data; every index past them
// reads as black.
struct Colours {
  Colour of[256];
};

void read_colours(const FileBytes& f, const Header& h, std::uint32_t data_offset, Colours& colours) {
  std::size_t entries = std::size_t{1} << h.bits;
  if (h.colours_used != 0 && h.colours_used < entries) entries = h.colours_used;
  if (data_offset != 0) entries = std::min(entries, (data_offset - h.table_at) / h.entry_size);
  colours = {};
  for (std::size_t i = 0; i < entries; ++i) {
    const std::size_t at = h.table_at + i * h.entry_size;
    colours.of[i] = f.u8(at) | f.u8(at + 1) << 8 | f.u8(at + 2) << 16;
  }
}

// Where the picture goes: the image's rows, bottom-up, and its alpha plane.
struct Picture {
  BmpImage& image;
  std::int32_t width;
  std::int64_t height;
  bool top_down;
  std::size_t stride;
  // Row r as the file stores it (0: the first) is the picture's row r from
  // the bottom, or from the top in a top-down picture.
  std::int64_t row(std::int64_t r) const { return top_down ? height - 1 - r : r; }
  unsigned char* pixels(std::int64_t r) const {
    return image.bytes + kBmpHeaderSize + static_cast<std::size_t>(row(r)) * stride;
  }
  unsigned char* alpha(std::int64_t r) const { return image.alpha + static_cast<std::size_t>(row(r)) * width; }
};

// The pixel data row by row: each file row's bytes, as far as the file has them.
struct Rows {
  const unsigned char* data;
  std::size_t size;
  std::size_t stride;
  std::size_t available(std::int64_t r) const {
    const std::size_t from = static_cast<std::size_t>(r) * stride;
    return from < size ? std::min(stride, size - from) : 0;
  }
  // Only where the row has bytes: no address past the data is formed.
  const unsigned char* row(std::int64_t r) const {
    return available(r) > 0 ? data + static_cast<std::size_t>(r) * stride : data;
  }
};

std::size_t file_stride(std::int32_t width, std::uint32_t bits) {
  return static_cast<std::size_t>((static_cast<std::int64_t>(width) * bits + 31) / 32 * 4);
}

void put(unsigned char* at, Colour c) {
  at[0] = static_cast<unsigned char>(c);
  at[1] = static_cast<unsigned char>(c >> 8);
  at[2] = static_cast<unsigned char>(c >> 16);
}

// Puts n pixels from out on, colour(k) for pixel k: four bytes at a time,
// the fourth the next pixel's first, which is written after it; the last
// pixel three.
template <typename ColourOf>
void put_pixels(unsigned char* out, std::int64_t n, ColourOf colour) {
  for (std::int64_t k = 0; k + 1 < n; ++k) {
    const Colour c = colour(k);
    std::memcpy(out + 3 * k, &c, 4);  // little-endian: blue first
  }
  if (n > 0) put(out + 3 * (n - 1), colour(n - 1));
}

// 24 bits: the rows as they are, padding and all.
void decode_bgr_rows(const Rows& rows, const Picture& p) {
  for (std::int64_t r = 0; r < p.height; ++r) {
    const std::size_t have = rows.available(r);
    if (have > 0) std::memcpy(p.pixels(r), rows.row(r), have);
    std::memset(p.pixels(r) + have, 0, p.stride - have);
  }
}

// 1, 2, 4 or 8 bits: indexes into the colour table, the leftmost pixel in
// the high bits of a byte.
template <unsigned kBits>
void decode_indexed_rows(const Rows& rows, const Colours& colours, const Picture& p) {
  constexpr unsigned kIndexMask = (1u << kBits) - 1;
  for (std::int64_t r = 0; r < p.height; ++r) {
    const unsigned char* in = rows.row(r);
    unsigned char* out = p.pixels(r);
    const std::size_t count = std::min<std::size_t>(p.width, rows.available(r) * 8 / kBits);
    put_pixels(out, static_cast<std::int64_t>(count), [&](std::int64_t x) {
      const unsigned shift = 8 - kBits - static_cast<unsigned>(x * kBits % 8);
      return colours.of[in[x * kBits / 8] >> shift & kIndexMask];
    });
    std::memset(out + 3 * count, 0, p.stride - 3 * count);
  }
}

void decode_indexed(const Rows& rows, std::uint32_t bits, const Colours& colours, const Picture& p) {
  switch (bits) {
    case 1: return decode_indexed_rows<1>(rows, colours, p);
    case 2: return decode_indexed_rows<2>(rows, colours, p);
    case 4: return decode_indexed_rows<4>(rows, colours, p);
    default: return decode_indexed_rows<8>(rows, colours, p);
  }
}

// The index of pixel k of a run: RLE8 has one a byte, RLE4 two, the first
// in the high half.
template <bool kFourBits>
unsigned index_of(const unsigned char* bytes, std::int64_t k) {
  if (!kFourBits) return bytes[k];
  const unsigned byte = bytes[k / 2];
  return k % 2 == 0 ? byte >> 4 : byte & 15;
}

// A long run of pixels of two colours that alternate, sixteen pixels (48
// bytes) at a time from a pattern.
[[gnu::noinline]] void fill_long_run(unsigned char* out, std::int64_t n, const Colour (&pair)[2]) {
  const auto colour = [&](std::int64_t k) { return pair[k % 2]; };
  unsigned char pattern[48];
  put_pixels(pattern, 16, colour);
  std::int64_t done = 0;
  for (; done + 16 <= n; done += 16) std::memcpy(out + 3 * done, pattern, sizeof pattern);
  put_pixels(out + 3 * done, n - done, colour);
}

// RLE8 and RLE4: pairs of a count and an index (RLE4: two indexes that
// alternate), or escapes: 0 0 ends a line, 0 1 the picture, 0 2 dx dy moves
// on, 0 n gives n pixels as they are, padded to two bytes. Pixels no pair
// sets are black. What a run holds past the end of its row (ImageMagick and
// GraphicsMagick encode the row's padding too) or above the picture is
// dropped; data that ends early ends the picture.
template <bool kFourBits>
void decode_rle(const unsigned char* data, std::size_t size, const Colours& colours, const Picture& p) {
  // Black first; past dirty_length the buffer is zero already.
  const std::size_t rows = p.stride * static_cast<std::size_t>(p.height);
  const std::size_t dirty = p.image.dirty_length > kBmpHeaderSize ? p.image.dirty_length - kBmpHeaderSize : 0;
  std::memset(p.image.bytes + kBmpHeaderSize, 0, std::min(rows, dirty));
  std::int64_t x = 0, y = 0;
  unsigned char* row = p.pixels(0);
  std::size_t at = 0;
  while (at + 2 <= size) {
    const unsigned count = data[at], code = data[at + 1];
    at += 2;
    const std::int64_t room = y < p.height && x < p.width ? p.width - x : 0;
    unsigned char* out = room > 0 ? row + 3 * x : row;  // no address past the picture
    if (count > 0) {
      const unsigned char both[] = {static_cast<unsigned char>(code), static_cast<unsigned char>(code)};
      const Colour pair[] = {colours.of[index_of<kFourBits>(both, 0)], colours.of[index_of<kFourBits>(both, 1)]};
      const std::int64_t n = std::min<std::int64_t>(count, room);
      if (n >= 32) {
        fill_long_run(out, n, pair);
      } else {
        put_pixels(out, n, [&](std::int64_t k) { return pair[k % 2]; });
      }
      x += count;
    } else if (code == 0 || code == 2) {
      if (code == 2 && at + 2 > size) break;
      x = code == 0 ? 0 : x + data[at];
      y += code == 0 ? 1 : data[at + 1];
      at += code == 0 ? 0 : 2;
      if (y < p.height) row = p.pixels(y);
    } else if (code == 1) {
      break;
    } else {
      const std::size_t bytes = kFourBits ? (code + 1) / 2 : code;
      const std::size_t held = std::min(bytes, size - at);
      const std::int64_t given = kFourBits ? std::min<std::int64_t>(code, 2 * held) : held;
      const unsigned char* literal = data + at;
      put_pixels(out, std::min(given, room),
                 [&](std::int64_t k) { return colours.of[index_of<kFourBits>(literal, k)]; });
      x += code;
      at += bytes + bytes % 2;
    }
  }
}

// A channel's value scaled to 0-255 with rounding; looked up for channels of
// up to 8 bits.
struct Level {
  std::uint32_t mask;
  int shift;
  std::uint32_t max;
  std::uint8_t table[256];
  std::uint8_t of(std::uint32_t pixel) const {
    const std::uint32_t v = (pixel & mask) >> shift;
    if (max <= 255) return table[v];
    return static_cast<std::uint8_t>((std::uint64_t{v} * 255 + max / 2) / max);
  }
};

void make_level(std::uint32_t mask, Level& level) {
  level = {};
  if (mask == 0) return;
  level.mask = mask;
  level.shift = std::countr_zero(mask);
  level.max = mask >> level.shift;
  if (level.max <= 255)
    for (std::uint32_t v = 0; v <= level.max; ++v) level.table[v] = static_cast<std::uint8_t>((v * 255 + level.max / 2) / level.max);
}

// 16 and 32 bits through colour masks. Only a 32-bit picture has alpha:
// through its alpha mask, or, without masks, through its fourth bytes when
// they are not 0 everywhere. B, G, R and a fourth byte, the layout nearly
// every tool writes, is copied as it is, four bytes at a time.
void decode_masked_rows(const Rows& rows, const Layout& l, const Picture& p) {
  const std::uint32_t* m = l.masks;
  const bool with_alpha = l.bits == 32 && m[kAlpha] != 0;
  // Up to the bytes: the plane's whole huge page.
  if (with_alpha) advise_huge_pages(p.image.alpha, offsetof(BmpImage, bytes) - offsetof(BmpImage, alpha));
  const bool bytewise = l.bits == 32 && m[kRed] == 0xFF0000 && m[kGreen] == 0xFF00 && m[kBlue] == 0xFF &&
                        (m[kAlpha] == 0 || m[kAlpha] == 0xFF000000);
  Level levels[4];
  for (int c = 0; c < 4; ++c) make_level(m[c], levels[c]);
  const std::size_t pixel_bytes = l.bits / 8;
  unsigned alpha_seen = 0;
  for (std::int64_t r = 0; r < p.height; ++r) {
    const unsigned char* in = rows.row(r);
    unsigned char* out = p.pixels(r);
    unsigned char* alpha = p.alpha(r);
    const std::size_t count = std::min<std::size_t>(p.width, rows.available(r) / pixel_bytes);
    if (bytewise) {
      put_pixels(out, static_cast<std::int64_t>(count), [&](std::int64_t x) {
        Colour c;
        std::memcpy(&c, in + 4 * x, 4);
        return c;
      });
      if (with_alpha)
        for (std::size_t x = 0; x < count; ++x) alpha_seen |= alpha[x] = in[4 * x + 3];
    } else {
      for (std::size_t x = 0; x < count; ++x) {
        const std::uint32_t pixel = pixel_bytes == 2 ? read_le16(in + 2 * x) : read_le32(in + 4 * x);
        put(out + 3 * x, levels[kBlue].of(pixel) | levels[kGreen].of(pixel) << 8 | levels[kRed].of(pixel) << 16);
        if (with_alpha) alpha_seen |= alpha[x] = levels[kAlpha].of(pixel);
      }
    }
    std::memset(out + 3 * count, 0, p.stride - 3 * count);
    if (with_alpha) std::memset(alpha + count, 0, p.width - count);
  }
  p.image.has_alpha = with_alpha && (!l.alpha_unless_zero || alpha_seen != 0);
}

// The 40-byte header of the plain layout. The first ten bytes (signature,
// size, reserved) stay as the file has them.
void write_plain_header(const FileBytes& f, const Header& h, std::int64_t height_field, std::int64_t image_size,
                        unsigned char* out) {
  for (std::size_t i = 0; i < 10; ++i) out[i] = static_cast<unsigned char>(f.u8(i));
  std::memset(out + 10, 0, kBmpHeaderSize - 10);
  write_le32(out + 10, kBmpHeaderSize);
  write_le32(out + 14, 40);
  write_le32(out + 18, h.width);
  write_le32(out + 22, height_field);
  out[26] = 1;
  out[28] = 24;
  write_le32(out + 34, image_size);
  write_le32(out + 38, h.x_resolution);
  write_le32(out + 42, h.y_resolution);
}
}  // namespace

bool decode_picture(const unsigned char* file, std::size_t held, std::size_t data_at, BmpImage& image) {
  const FileBytes f{file, held};
  Header h;
  Layout l;
  if (!read_header(f, h) || !choose_layout(h, l) || h.width < 0) return false;
  const std::uint32_t data_offset = f.u32(10);
  if (data_offset != 0 && data_offset < h.table_at) return false;  // pixels inside the headers

  Colours colours;
  if (l.family == Family::Indexed || l.family == Family::Rle8 || l.family == Family::Rle4) {
    read_colours(f, h, data_offset, colours);
  }
  if (data_offset == 0) {
    const bool indexed = l.family != Family::Masked && l.family != Family::Bgr;
    data_at = h.table_at + (indexed ? (std::size_t{1} << l.bits) * h.entry_size : 0);
  }

  const std::int64_t rows = h.height < 0 ? -h.height : h.height;
  const auto width = static_cast<std::int32_t>(h.width);
  image.has_alpha = false;
  if (rows > INT32_MAX || !fits_buffer(width, static_cast<std::int32_t>(rows))) {
    write_plain_header(f, h, h.height, 0, image.bytes);
    return true;
  }
  if (width == 0 || rows == 0) {  // no pixels: not a row to pass over, however many the header counts
    write_plain_header(f, h, rows, 0, image.bytes);
    return true;
  }
  const Picture p{image, width, rows, h.height < 0, static_cast<std::size_t>(row_stride(width))};
  const unsigned char* data = file + std::min(data_at, held);
  const std::size_t size = held > data_at ? held - data_at : 0;
  const Rows in{data, size, file_stride(width, l.bits)};
  switch (l.family) {
    case Family::Bgr: decode_bgr_rows(in, p); break;
    case Family::Indexed: decode_indexed(in, l.bits, colours, p); break;
    case Family::Masked: decode_masked_rows(in, l, p); break;
    case Family::Rle8: decode_rle<false>(data, size, colours, p); break;
    case Family::Rle4: decode_rle<true>(data, size, colours, p); break;
  }
  write_plain_header(f, h, rows, static_cast<std::int64_t>(p.stride) * rows, image.bytes);
  return true;
}
