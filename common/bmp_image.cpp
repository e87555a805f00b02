#include "bmp_image.h"

#include <cstdio>
#include <cstring>

#include "huge_pages.h"

#include "messages.h"

namespace {
// Padded to whole huge pages, like BmpImage.
struct alignas(kLargeBufferAlignment) OutputStreamBuffer {
  char bytes[kOutputStreamBufferSize];
} output_stream_buffer;


std::int32_t read_int32(const unsigned char* p) {
  const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                          static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  return static_cast<std::int32_t>(v);
}
}  // namespace

bool load_image(const char* name, BmpImage& image) {
  std::FILE* file = std::fopen(name, "rb");
  if (file == nullptr) return false;
  advise_huge_pages(&image, sizeof image);
  const std::size_t read = std::fread(image.bytes, 1, kBmpCapacity, file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (image.dirty_length > read) std::memset(image.bytes + read, 0, image.dirty_length - read);
  image.dirty_length = read;
  return !failed;
}

bool has_bmp_signature(const BmpImage& image) { return image.bytes[0] == 'B' && image.bytes[1] == 'M'; }

std::int32_t image_width(const BmpImage& image) { return read_int32(image.bytes + 18); }
std::int32_t image_height(const BmpImage& image) { return read_int32(image.bytes + 22); }

std::int64_t row_stride(std::int32_t width) { return (static_cast<std::int64_t>(width) * 3 + 3) / 4 * 4; }

std::int64_t image_length(std::int32_t width, std::int32_t height) {
  return static_cast<std::int64_t>(kBmpHeaderSize) + row_stride(width) * height;
}

bool fits_buffer(std::int32_t width, std::int32_t height) {
  if (width < 0 || height < 0) return false;
  const std::int64_t stride = row_stride(width);
  const std::int64_t room = static_cast<std::int64_t>(kBmpCapacity - kBmpHeaderSize);
  return stride == 0 || height <= room / stride;  // stride x height <= room, without overflow
}

std::size_t pixel_offset(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) {
  return kBmpHeaderSize + static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(row_stride(width)) +
         3 * static_cast<std::size_t>(x);
}

void copy_image(const BmpImage& from, BmpImage& to) {
  std::memcpy(to.bytes, from.bytes, kBmpCapacity);
  to.dirty_length = from.dirty_length;
}

SaveResult save_bytes(const char* name, const unsigned char* bytes, std::size_t length) {
  std::FILE* file = std::fopen(name, "wb");
  if (file == nullptr) return SaveResult::CannotOpen;
  advise_huge_pages(&output_stream_buffer, sizeof output_stream_buffer);
  std::setvbuf(file, output_stream_buffer.bytes, _IOFBF, kOutputStreamBufferSize);
  const bool written = std::fwrite(bytes, 1, length, file) == length;
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  return written && flushed && closed ? SaveResult::Saved : SaveResult::WriteFailed;
}

void load_bmp_or_fail(const FileName& name, BmpImage& image) {
  if (!load_image(name.text, image)) fail_with_name(msg::kReadError, name.text);
  if (!has_bmp_signature(image)) fail_with_name(msg::kNotBmp, name.text);
}

void check_readable_or_fail(const FileName& name) {
  std::FILE* file = std::fopen(name.text, "rb");
  if (file == nullptr) fail_with_name(msg::kReadError, name.text);
  std::fclose(file);
}

void check_fits_buffer_or_fail(const BmpImage& image, const char* name) {
  if (!fits_buffer(image_width(image), image_height(image))) fail_with_name(msg::kImageSizeAbnormal, name);
}

void save_image_or_fail(const FileName& name, const BmpImage& image) {
  const std::int64_t length = image_length(image_width(image), image_height(image));
  const SaveResult result = save_bytes(name.text, image.bytes, static_cast<std::size_t>(length));
  if (result == SaveResult::CannotOpen) fail_with_name(msg::kOpenError, name.text);
  if (result == SaveResult::WriteFailed) fail_with_name(msg::kWriteFailed, name.text);
}
