// The BMP image buffer: a whole 24-bit BMP file held in a fixed static
// buffer, header first, with its pixel rows stored bottom-up from byte 54.
#pragma once

#include <cstddef>
#include <cstdint>

#include "console.h"

inline constexpr std::size_t kBmpCapacity = 6221824;  // 0x5EF000: a 1920x1080 picture and 970 bytes
inline constexpr std::size_t kBmpHeaderSize = 54;
inline constexpr std::size_t kOutputStreamBufferSize = 3145728;  // 0x300000

// Large buffers are aligned to 2 MiB so that they can be backed by huge
// pages. Windows object files allow at most 8 KiB alignment and Windows
// offers no such hint, so there they are aligned to a page.
#ifdef _WIN32
inline constexpr std::size_t kLargeBufferAlignment = 4096;
#else
inline constexpr std::size_t kLargeBufferAlignment = 2097152;
#endif

struct alignas(kLargeBufferAlignment) BmpImage {
  unsigned char bytes[kBmpCapacity];
  // How far the buffer may hold non-zero bytes; everything after is zero.
  std::size_t dirty_length;
};

// Reads the named file into the buffer with one block read, cut at the
// capacity; every byte after the file's end reads as zero, also when the
// buffer held a longer file before. False when the file does not open or
// cannot be read to its end (a folder, a device error): the caller reports
// a read error rather than taking what came for the whole file.
bool load_image(const char* name, BmpImage& image);
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

// Copies the whole buffer, header included.
void copy_image(const BmpImage& from, BmpImage& to);

enum class SaveResult { Saved, CannotOpen, WriteFailed };
// Writes the first length bytes through the fully buffered output stream;
// a short write or a failing flush or close is WriteFailed.
SaveResult save_bytes(const char* name, const unsigned char* bytes, std::size_t length);

// The usual steps with their failure exits.
// Load and signature check: "ファイルリードエラー" or "BMPデータではありません".
void load_bmp_or_fail(const FileName& name, BmpImage& image);
// Existence check: open for reading and close at once.
void check_readable_or_fail(const FileName& name);
// "画像サイズが異常です" unless the picture in the buffer fits it.
void check_fits_buffer_or_fail(const BmpImage& image, const char* name);
// Writes the picture's image length: "ファイルオープンエラー" or
// "ファイルの書き込みに失敗しました" on failure.
void save_image_or_fail(const FileName& name, const BmpImage& image);
