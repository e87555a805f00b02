// The BMP image buffer: a whole picture held in a fixed static buffer as a
// 24-bit BMP file, header first, with its pixel rows stored bottom-up from
// byte 54, and its alpha, where it has an alpha channel, in a plane of its
// own beside it. A file in another layout (a larger information header, a
// palette, RLE, 16 or 32 bits, a top-down picture) is turned into that
// layout as it is loaded, so that every program works on plain rows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "console.h"
#include "huge_pages.h"
#include "output_file.h"

inline constexpr std::size_t kBmpCapacity = 6221824;  // 0x5EF000: a 1920x1080 picture and 970 bytes
inline constexpr std::size_t kBmpHeaderSize = 54;
// The most pixels a picture that fits the buffer has: at least 3 bytes each.
inline constexpr std::size_t kMostPixels = (kBmpCapacity - kBmpHeaderSize) / 3;
// The fields an image has before its alpha plane, and the plane: a value
// for each of those pixels, and a few more so that the bytes after it start
// on a word (no padding anywhere in the image).
inline constexpr std::size_t kImageFieldsSize = 2 * sizeof(std::size_t) + 1;
inline constexpr std::size_t kAlphaCapacity = (kImageFieldsSize + kMostPixels + 7) / 8 * 8 - kImageFieldsSize;

struct alignas(kHugePageAlignment) BmpImage {
  // Bytes the file filled, from byte 0.
  std::size_t held;
  // How far the buffer may hold non-zero bytes, counting those a program may
  // still write inside the picture; everything after is zero.
  std::size_t dirty_length;
  // The picture has an alpha channel: a 32-bit picture with an alpha mask,
  // or without masks whose fourth bytes are not 0 everywhere. Its values
  // are then in alpha, one a pixel, the rows bottom-up like the pixel rows,
  // without padding (see alpha_offset).
  bool has_alpha;
  // The plane and the bytes each on huge pages of their own, apart from the
  // fields above, which every load touches: a picture without alpha costs
  // no page of the plane.
  alignas(kHugePageAlignment) unsigned char alpha[kAlphaCapacity];
  // Last, so that nothing of the object follows it.
  alignas(kHugePageAlignment) unsigned char bytes[kBmpCapacity];
};
static_assert(kHugePageAlignment != 0 || offsetof(BmpImage, bytes) + kBmpCapacity == sizeof(BmpImage),
              "no padding after the bytes, where an overrun would go unnoticed");

enum class LoadResult { Loaded, CannotRead, UnreadableLayout };

// Reads the named file into the buffer in the plain layout.
// - 24 bits, uncompressed, bottom-up, are read as stored, cut at the
//   capacity: with a pixel data offset of 0 or 54 (bits and compression
//   may be 0, for "not filled in"), or a larger offset after an
//   information header of 40, 52, 56, 108 or 124 bytes, where the rows move
//   to byte 54 and the header becomes the 40-byte one (offset 54, the size,
//   planes, bits, compression and resolution fields as they were). Every
//   byte after the file's end reads as zero, also when the buffer held a
//   longer file before or a program wrote past the end of the file that it
//   held.
// - Every other layout, and a top-down picture that fits the buffer, is
//   decoded (see bmp_decoder.h) however large its file: OS/2 headers of 12,
//   16 and 64 bytes, palettes of 1, 2, 4 and 8 bits, RLE8 and RLE4, 16 and
//   32 bits with or without colour masks.
// CannotRead when the file does not open or cannot be read to its end (a
// folder, a device error): the caller reports a read error rather than
// taking what came for the whole file. UnreadableLayout for JPEG or PNG
// inside a BMP, OS/2 Huffman and RLE24, 64 bits, an unknown header size,
// colour masks that overlap, are not one run of bits or pass the pixel's
// bits, a negative width, and pixel data inside the headers.
LoadResult load_image(const char* name, BmpImage& image);
bool has_bmp_signature(const BmpImage& image);
std::int32_t image_width(const BmpImage& image);
std::int32_t image_height(const BmpImage& image);

// Width x 3 rounded up to a multiple of 4 (width >= 0).
std::int64_t row_stride(std::int32_t width);
// 54 + row stride x height (width, height >= 0).
std::int64_t image_length(std::int32_t width, std::int32_t height);
// True when the size is not negative and the whole picture fits the buffer,
// so that every pixel address inside the picture lies inside the buffer.
bool fits_buffer(std::int32_t width, std::int32_t height);
// Byte offset of the blue byte of pixel (x, y), x from the left and y from the
// top edge. Only for pixels inside a picture that fits the buffer.
std::size_t pixel_offset(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y);
// Index of pixel (x, y) in the alpha plane, on the same terms.
std::size_t alpha_offset(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y);
// Makes count pixels from (x, y) rightwards opaque, where the picture has
// an alpha channel: what a program paints over a picture covers it.
void make_opaque(BmpImage& image, std::int32_t x, std::int32_t y, std::size_t count);

// The usual steps. Each gives nullptr when it passes, or the message of its
// failure, which the caller prints with the file's name; the _or_fail form
// does that and ends the run (see fail_on).
// Load, signature and layout: "ファイルリードエラー", "BMPデータではありません"
// or "読み込めない形式のBMPです".
const Message* load_bmp(const FileName& name, BmpImage& image);
void load_bmp_or_fail(const FileName& name, BmpImage& image);
// Existence check: the file exists and may be read, "ファイルリードエラー"
// otherwise. The file is not opened.
const Message* check_readable(const FileName& name);
void check_readable_or_fail(const FileName& name);
// "画像サイズが異常です" unless the picture in the buffer fits it.
const Message* check_fits_buffer(const BmpImage& image);
void check_fits_buffer_or_fail(const BmpImage& image, const char* name);
// Writes the picture's image length (see save_file), its file-size field
// (bytes 2-5) set to that length. A picture with an alpha channel is
// written instead as a 32-bit file that keeps it: a 124-byte header whose
// bit fields say blue, green, red and alpha bytes, the form that
// ImageMagick, GIMP, Pillow and libvips all read with its alpha.
// "ファイルオープンエラー", "ファイルの書き込みに失敗しました",
// "出力ファイルが入力ファイルと同じです" when it would be written in place over
// one of the files the run reads, "出力ファイルのシンボリックリンクを置き換えられません"
// for a link that cannot be replaced, or "出力ファイルが標準出力と同じです".
const Message* save_image(const FileName& name, const BmpImage& image, const ReadFiles& reads);
void save_image_or_fail(const FileName& name, const BmpImage& image, const ReadFiles& reads);

// "出力ファイルが入力ファイルと同じです" with the output's name when the output
// would replace the input, a file the run reads (see is_same_file).
void check_not_same_file_or_fail(const FileName& output, const char* input);
