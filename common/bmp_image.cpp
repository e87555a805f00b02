#include "bmp_image.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#include "bmp_decoder.h"
#include "little_endian.h"
#include "messages.h"
#include "platform.h"


namespace {
// Header fields beyond the size, at their offsets in the file.
constexpr std::size_t kFileSizeField = 2;
constexpr std::size_t kPixelDataOffsetField = 10;
constexpr std::size_t kInfoHeaderSizeField = 14;
constexpr std::size_t kWidthField = 18;
constexpr std::size_t kHeightField = 22;
constexpr std::size_t kBitsPerPixelField = 28;
constexpr std::size_t kCompressionField = 30;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kPlainInfoHeaderSize = 40;

static_assert(std::endian::native == std::endian::little, "pixels are moved four bytes at a time, blue first");

// A file of another layout is read here whole, then decoded into its
// image; a 32-bit output is put together here. Room for the headers and
// for the largest 32-bit picture whose 24-bit form fits the buffer (a
// 1920x1080 one is 8.3 MB). In a structure, so that its size too is whole
// huge pages: a page only partly advised is not a huge one.
constexpr std::size_t kStagingCapacity = kHeaderRoom + 4 * kMostPixels;
struct alignas(kHugePageAlignment) Staging {
  unsigned char bytes[kStagingCapacity];
} staging_buffer;
unsigned char* const staging = staging_buffer.bytes;
// A file at least this large (by its header) is read onto huge pages.
constexpr std::uint32_t kLargeFile = 1u << 20;

// The information headers that begin with the 40-byte one: its fields,
// then colour masks, colour space and profile fields this layout ignores.
bool begins_with_plain_info_header(std::uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// 24 bits a pixel, uncompressed, with pixel rows at byte 54 (0 or 54 as the
// offset; 0 bits and 0 compression for "not filled in"), or after one of
// the headers that begin with the 40-byte one.
bool has_plain_rows(const unsigned char* head) {
  const std::uint32_t pixel_data_offset = read_le32(head + kPixelDataOffsetField);
  const std::uint16_t bits_per_pixel = read_le16(head + kBitsPerPixelField);
  const std::uint32_t compression = read_le32(head + kCompressionField);
  if (pixel_data_offset == 0 || pixel_data_offset == kBmpHeaderSize) {
    return (bits_per_pixel == 0 || bits_per_pixel == 24) && compression == 0;
  }
  const std::uint32_t info_size = read_le32(head + kInfoHeaderSizeField);
  return begins_with_plain_info_header(info_size) && pixel_data_offset >= kFileHeaderSize + info_size &&
         bits_per_pixel == 24 && compression == 0;
}

// A top-down picture is read as stored (and refused by the size checks)
// only where it could not be turned: a negative width, or no room.
bool is_top_down_that_fits(const unsigned char* head) {
  const auto width = static_cast<std::int32_t>(read_le32(head + kWidthField));
  const auto height = static_cast<std::int32_t>(read_le32(head + kHeightField));
  return height < 0 && height != INT32_MIN && fits_buffer(width, -height);
}

// Where the program may write: the whole picture when it fits the buffer.
std::size_t writable_length(const BmpImage& image) {
  const std::int32_t width = image_width(image), height = image_height(image);
  return fits_buffer(width, height) ? static_cast<std::size_t>(image_length(width, height)) : 0;
}

// Rows after a larger header move to byte 54, and the header becomes the
// 40-byte one, with zeros after the rows as for any short file.
void move_rows_to_plain_offset(BmpImage& image) {
  const std::uint32_t pixel_data_offset = read_le32(image.bytes + kPixelDataOffsetField);
  if (pixel_data_offset == 0 || pixel_data_offset == kBmpHeaderSize) return;
  const std::size_t rows = image.held > pixel_data_offset ? image.held - pixel_data_offset : 0;
  // An offset past what the file filled leaves no rows (and no address to form).
  if (rows > 0) std::memmove(image.bytes + kBmpHeaderSize, image.bytes + pixel_data_offset, rows);
  const std::size_t end = kBmpHeaderSize + rows;
  if (image.held > end) std::memset(image.bytes + end, 0, image.held - end);
  image.held = end;
  write_le32(image.bytes + kPixelDataOffsetField, kBmpHeaderSize);
  write_le32(image.bytes + kInfoHeaderSizeField, kPlainInfoHeaderSize);
}

// The rest of the file after its first head bytes, straight into the image.
LoadResult read_as_stored(std::FILE* file, std::size_t head, BmpImage& image) {
  std::size_t read = head;
  if (head == kBmpHeaderSize) read += std::fread(image.bytes + head, 1, kBmpCapacity - head, file);
  if (image.dirty_length > read) std::memset(image.bytes + read, 0, image.dirty_length - read);
  image.held = read;
  image.dirty_length = std::max(read, writable_length(image));
  image.has_alpha = false;
  move_rows_to_plain_offset(image);
  // A picture of negative width has no rows to read: refused like any
  // layout that cannot be read, rather than passed over as empty.
  return image_width(image) < 0 ? LoadResult::UnreadableLayout : LoadResult::Loaded;
}

// Reads and drops the file's next count bytes.
void skip_bytes(std::FILE* file, std::uint64_t count) {
  unsigned char* const scratch = staging + kHeaderRoom;
  while (count > 0) {
    const std::size_t n = std::fread(scratch, 1, std::min<std::uint64_t>(count, kStagingCapacity - kHeaderRoom), file);
    if (n == 0) return;
    count -= n;
  }
}

// The file into the staging buffer, then decoded into the image. Pixel
// data that starts past the headers' room is read from its offset on, what
// lies between is skipped.
LoadResult read_and_decode(std::FILE* file, std::size_t head, BmpImage& image) {
  // Huge pages for a file its header says is large: a small one (RLE, few
  // bits a pixel) costs its own pages, not a huge page zeroed whole.
  if (read_le32(image.bytes + kFileSizeField) >= kLargeFile) advise_huge_pages(&staging_buffer, sizeof staging_buffer);
  std::memcpy(staging, image.bytes, kBmpHeaderSize);
  if (has_plain_rows(staging) && read_le32(staging + kPixelDataOffsetField) <= kBmpHeaderSize) {
    // A top-down picture with rows at 54: its unfilled fields filled in.
    write_le32(staging + kPixelDataOffsetField, kBmpHeaderSize);
    write_le32(staging + kInfoHeaderSizeField, kPlainInfoHeaderSize);
    staging[kBitsPerPixelField] = 24;
    staging[kBitsPerPixelField + 1] = 0;
  }
  const std::uint32_t pixel_data_offset = read_le32(staging + kPixelDataOffsetField);
  std::size_t held = head, data_at = pixel_data_offset;
  if (head == kBmpHeaderSize && pixel_data_offset <= kHeaderRoom) {
    held += std::fread(staging + head, 1, kStagingCapacity - head, file);
  } else if (head == kBmpHeaderSize) {
    held += std::fread(staging + head, 1, kHeaderRoom - head, file);
    if (held == kHeaderRoom) skip_bytes(file, pixel_data_offset - kHeaderRoom);
    held += std::fread(staging + held, 1, kStagingCapacity - held, file);
    data_at = kHeaderRoom;
  }
  if (!decode_picture(staging, held, data_at, image)) {
    image.has_alpha = false;
    return LoadResult::UnreadableLayout;
  }
  const std::size_t end = std::max(kBmpHeaderSize, writable_length(image));
  if (image.dirty_length > end) std::memset(image.bytes + end, 0, image.dirty_length - end);
  image.held = end;
  image.dirty_length = end;
  return LoadResult::Loaded;
}
}  // namespace

LoadResult load_image(const char* name, BmpImage& image) {
  std::FILE* file = std::fopen(name, "rb");
  if (file == nullptr) return LoadResult::CannotRead;
  // Every read goes straight into the buffers: the head, then the rest.
  std::setvbuf(file, nullptr, _IONBF, 0);
  advise_huge_pages(image.bytes, sizeof image - offsetof(BmpImage, bytes));
  const std::size_t head = std::fread(image.bytes, 1, kBmpHeaderSize, file);
  // Fields past a short file's end read as zero.
  if (head < kBmpHeaderSize) std::memset(image.bytes + head, 0, kBmpHeaderSize - head);
  image.dirty_length = std::max(image.dirty_length, kBmpHeaderSize);
  const LoadResult result = has_plain_rows(image.bytes) && !is_top_down_that_fits(image.bytes)
                                ? read_as_stored(file, head, image)
                                : read_and_decode(file, head, image);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return failed ? LoadResult::CannotRead : result;
}

bool has_bmp_signature(const BmpImage& image) { return image.bytes[0] == 'B' && image.bytes[1] == 'M'; }

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

std::size_t alpha_offset(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) {
  return static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
}

void make_opaque(BmpImage& image, std::int32_t x, std::int32_t y, std::size_t count) {
  if (!image.has_alpha) return;
  std::memset(image.alpha + alpha_offset(image_width(image), image_height(image), x, y), 255, count);
}

const Message* load_bmp(const FileName& name, BmpImage& image) {
  const LoadResult loaded = load_image(name.text, image);
  if (loaded == LoadResult::CannotRead) return &msg::kReadError;
  if (!has_bmp_signature(image)) return &msg::kNotBmp;
  if (loaded == LoadResult::UnreadableLayout) return &msg::kUnreadableFormat;
  return nullptr;
}

const Message* check_readable(const FileName& name) {
  // Without opening it: a named pipe opened and closed here would lose its
  // writer, and the load after it would wait forever.
  return platform::may_read(name.text) ? nullptr : &msg::kReadError;
}

const Message* check_fits_buffer(const BmpImage& image) {
  return fits_buffer(image_width(image), image_height(image)) ? nullptr : &msg::kImageSizeAbnormal;
}

namespace {
// The 32-bit file of a picture with alpha: a 124-byte information header
// with bit fields for blue, green, red and alpha bytes, in the sRGB colour
// space, then rows of four bytes a pixel (never padded), bottom-up.
constexpr std::size_t kAlphaInfoHeaderSize = 124;
constexpr std::size_t kAlphaHeaderSize = kFileHeaderSize + kAlphaInfoHeaderSize;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kSrgbColourSpace = 0x73524742;  // "sRGB"
constexpr std::uint32_t kPictureIntent = 4;

std::size_t put_alpha_header(const BmpImage& image, unsigned char (&header)[kAlphaHeaderSize]) {
  const std::int32_t width = image_width(image), height = image_height(image);
  const std::size_t rows = 4 * static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::memset(header, 0, sizeof header);
  std::memcpy(header, image.bytes, 10);  // signature, size and reserved fields, as the picture's
  write_le32(header + kFileSizeField, static_cast<std::int64_t>(kAlphaHeaderSize + rows));
  write_le32(header + kPixelDataOffsetField, kAlphaHeaderSize);
  write_le32(header + kInfoHeaderSizeField, kAlphaInfoHeaderSize);
  write_le32(header + kWidthField, width);
  write_le32(header + kHeightField, height);
  header[26] = 1;
  header[kBitsPerPixelField] = 32;
  write_le32(header + kCompressionField, kBitFields);
  write_le32(header + 34, static_cast<std::int64_t>(rows));
  std::memcpy(header + 38, image.bytes + 38, 8);  // resolution
  const std::uint32_t masks[] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000, kSrgbColourSpace};
  for (std::size_t i = 0; i < 5; ++i) write_le32(header + 54 + 4 * i, masks[i]);
  write_le32(header + 122, kPictureIntent);
  return rows;
}

// The rows of a picture with alpha, four bytes a pixel, in the staging buffer.
void put_alpha_rows(const BmpImage& image) {
  const std::int32_t width = image_width(image), height = image_height(image);
  const std::size_t stride = static_cast<std::size_t>(row_stride(width));
  unsigned char* out = staging;
  for (std::int32_t row = 0; row < height; ++row) {
    const unsigned char* pixel = image.bytes + kBmpHeaderSize + static_cast<std::size_t>(row) * stride;
    const unsigned char* alpha = image.alpha + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
    // Four bytes read at a time (little-endian: blue first), but the row's
    // last pixel, whose fourth could lie past the buffer.
    for (std::int32_t x = 0; x < width; ++x, pixel += 3, out += 4) {
      std::uint32_t bgra = 0;
      if (x + 1 < width) {
        std::memcpy(&bgra, pixel, 4);
      } else {
        std::memcpy(&bgra, pixel, 3);
      }
      bgra = (bgra & 0xFFFFFF) | static_cast<std::uint32_t>(alpha[x]) << 24;
      std::memcpy(out, &bgra, 4);
    }
  }
}

const Message* save_result_message(SaveResult result) {
  switch (result) {
    case SaveResult::Saved: return nullptr;
    case SaveResult::CannotOpen: return &msg::kOpenError;
    case SaveResult::WriteFailed: return &msg::kWriteFailed;
    case SaveResult::SameAsInput: return &msg::kOutputIsInput;
    case SaveResult::LinkNotReplaced: return &msg::kOutputIsLink;
    case SaveResult::SameAsStandardOutput: return &msg::kOutputIsStandardOutput;
  }
  return &msg::kWriteFailed;
}
}  // namespace

const Message* save_image(const FileName& name, const BmpImage& image, const ReadFiles& reads) {
  if (image.has_alpha) {
    unsigned char header[kAlphaHeaderSize];
    const std::size_t rows = put_alpha_header(image, header);
    put_alpha_rows(image);
    return save_result_message(save_file(name.text, {{header, kAlphaHeaderSize}, {staging, rows}}, reads));
  }
  const auto length = static_cast<std::size_t>(image_length(image_width(image), image_height(image)));
  unsigned char header[kBmpHeaderSize];
  std::memcpy(header, image.bytes, kBmpHeaderSize);
  write_le32(header + kFileSizeField, static_cast<std::int64_t>(length));
  return save_result_message(
      save_file(name.text, {{header, kBmpHeaderSize}, {image.bytes + kBmpHeaderSize, length - kBmpHeaderSize}}, reads));
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
