// The BMP image buffer: a whole 24-bit BMP file held in a fixed static
// buffer, header first, with its pixel rows stored bottom-up from byte 54.
// A file whose rows start further on (a larger information header, as most
// tools write) is moved into that layout as it is loaded.
#pragma once

#include <cstddef>
#include <cstdint>

#include "console.h"
#include "huge_pages.h"
#include "output_file.h"

inline constexpr std::size_t kBmpCapacity = 6221824;  // 0x5EF000: a 1920x1080 picture and 970 bytes
inline constexpr std::size_t kBmpHeaderSize = 54;

struct alignas(kHugePageAlignment) BmpImage {
  // Bytes the file filled, from byte 0.
  std::size_t held;
  // How far the buffer may hold non-zero bytes, counting those a program may
  // still write inside the picture; everything after is zero.
  std::size_t dirty_length;
  // Last, so that nothing of the object follows it.
  unsigned char bytes[kBmpCapacity];
};
static_assert(kHugePageAlignment != 0 || sizeof(BmpImage) == 2 * sizeof(std::size_t) + kBmpCapacity,
              "no padding after the bytes, where an overrun would go unnoticed");

// Reads the named file into the buffer with one block read, cut at the
// capacity; every byte after the file's end reads as zero, also when the
// buffer held a longer file before or a program wrote past the end of the
// file that it held. False when the file does not open or cannot be read to
// its end (a folder, a device error): the caller reports a read error rather
// than taking what came for the whole file.
bool load_image(const char* name, BmpImage& image);
bool has_bmp_signature(const BmpImage& image);
// True when the picture is in the layout the tools work on, pixel rows of 24
// bits, uncompressed, from byte 54, or has been moved into it:
// - a pixel data offset of 0 or 54: bits per pixel 24 and compression 0
//   (each may also be 0, for "not filled in");
// - a larger offset: an information header of 40, 52, 56, 108 or 124 bytes
//   that ends before the offset, 24 bits and no compression. The rows move
//   to byte 54 and the header becomes the 40-byte one (offset 54, the size,
//   planes, bits, compression and resolution fields as they were), with
//   zeros after the rows as for any short file.
// False for anything else (32 bits, a palette, compression, an unknown
// header), which would be read as garbage.
bool make_plain_layout(BmpImage& image);
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

// The usual steps. Each gives nullptr when it passes, or the message of its
// failure, which the caller prints with the file's name; the _or_fail form
// does that and ends the run (see fail_on).
// Load, signature and layout: "ファイルリードエラー", "BMPデータではありません"
// or "24ビット非圧縮BMPではありません".
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
// (bytes 2-5) set to that length: "ファイルオープンエラー",
// "ファイルの書き込みに失敗しました", "出力ファイルが入力ファイルと同じです"
// when it would be written in place over one of the files the run reads,
// "出力ファイルのシンボリックリンクを置き換えられません" for a link that cannot
// be replaced, or "出力ファイルが標準出力と同じです".
const Message* save_image(const FileName& name, const BmpImage& image, const ReadFiles& reads);
void save_image_or_fail(const FileName& name, const BmpImage& image, const ReadFiles& reads);

// "出力ファイルが入力ファイルと同じです" with the output's name when the output
// would replace the input, a file the run reads (see is_same_file).
void check_not_same_file_or_fail(const FileName& output, const char* input);
