#include "bmp_image.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "little_endian.h"
#include "messages.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {
// Header fields beyond the size, at their offsets in the file.
constexpr std::size_t kFileSizeField = 2;
constexpr std::size_t kPixelDataOffsetField = 10;
constexpr std::size_t kInfoHeaderSizeField = 14;
constexpr std::size_t kBitsPerPixelField = 28;
constexpr std::size_t kCompressionField = 30;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kPlainInfoHeaderSize = 40;

// The information headers that begin with the 40-byte one: its fields,
// then colour masks, colour space and profile fields this layout ignores.
bool begins_with_plain_info_header(std::uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// Where the program may write: the whole picture when it fits the buffer.
std::size_t writable_length(const BmpImage& image) {
  const std::int32_t width = image_width(image), height = image_height(image);
  return fits_buffer(width, height) ? static_cast<std::size_t>(image_length(width, height)) : 0;
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
  image.held = read;
  image.dirty_length = std::max(read, writable_length(image));
  return !failed;
}

bool has_bmp_signature(const BmpImage& image) { return image.bytes[0] == 'B' && image.bytes[1] == 'M'; }

bool make_plain_layout(BmpImage& image) {
  const std::uint32_t pixel_data_offset = read_le32(image.bytes + kPixelDataOffsetField);
  const std::uint16_t bits_per_pixel = read_le16(image.bytes + kBitsPerPixelField);
  const std::uint32_t compression = read_le32(image.bytes + kCompressionField);
  if (pixel_data_offset == 0 || pixel_data_offset == kBmpHeaderSize) {
    return (bits_per_pixel == 0 || bits_per_pixel == 24) && compression == 0;
  }
  const std::uint32_t info_size = read_le32(image.bytes + kInfoHeaderSizeField);
  if (!begins_with_plain_info_header(info_size) || pixel_data_offset < kFileHeaderSize + info_size ||
      bits_per_pixel != 24 || compression != 0) {
    return false;
  }
  const std::size_t rows = image.held > pixel_data_offset ? image.held - pixel_data_offset : 0;
  // An offset past what the file filled leaves no rows (and no address to form).
  if (rows > 0) std::memmove(image.bytes + kBmpHeaderSize, image.bytes + pixel_data_offset, rows);
  const std::size_t end = kBmpHeaderSize + rows;
  if (image.held > end) std::memset(image.bytes + end, 0, image.held - end);
  image.held = end;
  write_le32(image.bytes + kPixelDataOffsetField, kBmpHeaderSize);
  write_le32(image.bytes + kInfoHeaderSizeField, kPlainInfoHeaderSize);
  return true;
}

std::int32_t image_width(const BmpImage& image) { return static_cast<std::int32_t>(read_le32(image.bytes + 18)); }
std::int32_t image_height(const BmpImage& image) { return static_cast<std::int32_t>(read_le32(image.bytes + 22)); }

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

const Message* load_bmp(const FileName& name, BmpImage& image) {
  if (!load_image(name.text, image)) return &msg::kReadError;
  if (!has_bmp_signature(image)) return &msg::kNotBmp;
  if (!make_plain_layout(image)) return &msg::kNotPlainBmp;
  return nullptr;
}

const Message* check_readable(const FileName& name) {
  // Without opening it: a named pipe opened and closed here would lose its
  // writer, and the load after it would wait forever.
#if defined(_WIN32)
  return _access(name.text, 4) == 0 ? nullptr : &msg::kReadError;
#else
  return access(name.text, R_OK) == 0 ? nullptr : &msg::kReadError;
#endif
}

const Message* check_fits_buffer(const BmpImage& image) {
  return fits_buffer(image_width(image), image_height(image)) ? nullptr : &msg::kImageSizeAbnormal;
}

const Message* save_image(const FileName& name, const BmpImage& image, const ReadFiles& reads) {
  const auto length = static_cast<std::size_t>(image_length(image_width(image), image_height(image)));
  unsigned char header[kBmpHeaderSize];
  std::memcpy(header, image.bytes, kBmpHeaderSize);
  write_le32(header + kFileSizeField, static_cast<std::int64_t>(length));
  switch (save_file(name.text, {{header, kBmpHeaderSize}, {image.bytes + kBmpHeaderSize, length - kBmpHeaderSize}}, reads)) {
    case SaveResult::Saved: return nullptr;
    case SaveResult::CannotOpen: return &msg::kOpenError;
    case SaveResult::WriteFailed: return &msg::kWriteFailed;
    case SaveResult::SameAsInput: return &msg::kOutputIsInput;
    case SaveResult::LinkNotReplaced: return &msg::kOutputIsLink;
    case SaveResult::SameAsStandardOutput: return &msg::kOutputIsStandardOutput;
  }
  return &msg::kWriteFailed;
}

void load_bmp_or_fail(const FileName& name, BmpImage& image) { fail_on(load_bmp(name, image), name.text); }
void check_readable_or_fail(const FileName& name) { fail_on(check_readable(name), name.text); }
void check_fits_buffer_or_fail(const BmpImage& image, const char* name) { fail_on(check_fits_buffer(image), name); }
void save_image_or_fail(const FileName& name, const BmpImage& image, const ReadFiles& reads) {
  fail_on(save_image(name, image, reads), name.text);
}

void check_not_same_file_or_fail(const FileName& output, const char* input) {
  if (is_same_file(output.text, input)) fail_with_name(msg::kOutputIsInput, output.text);
}
