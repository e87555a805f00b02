// The BMP decoder on a fuzzed file held in memory, as the loader hands it
// over: whatever the headers say, it reads nothing past the file's bytes,
// writes nothing past the picture, and leaves the plain layout behind.
#include <cstdint>
#include <cstdlib>

#include "bmp_decoder.h"
#include "little_endian.h"

namespace {
BmpImage image;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::size_t data_at = size >= 14 ? read_le32(data + 10) : 0;
  if (!decode_picture(data, size, data_at, image)) return 0;
  const std::int32_t width = image_width(image), height = image_height(image);
  const bool fits = fits_buffer(width, height);
  // A decoded picture has the 40-byte header of 24 bits, and alpha only when its rows were decoded.
  if (read_le32(image.bytes + 10) != kBmpHeaderSize || read_le32(image.bytes + 14) != 40 ||
      read_le16(image.bytes + 28) != 24 || read_le32(image.bytes + 30) != 0 || (image.has_alpha && !fits)) {
    std::abort();
  }
  return 0;
}
