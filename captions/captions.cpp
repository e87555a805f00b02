#include "captions.h"

#include <algorithm>

#include "console.h"
#include "messages.h"

namespace {
constexpr CaptionMode kModes[3] = {
    {"GXFont1Minimini.bmp", 7, 7},
    {"GXFont2Mini.bmp", 8, 14},
    {"GXFont3Big.bmp", 14, 28},
};

// A picture's size as its header gives it, read once per cell.
struct Size {
  std::int32_t width;
  std::int32_t height;
};
Size size_of(const BmpImage& image) { return {image_width(image), image_height(image)}; }
}  // namespace

const CaptionMode& caption_mode(int mode) { return kModes[mode - 1]; }

const CaptionMode& mode_argument_or_fail(const char* text) {
  const std::int32_t mode = numeric_argument_or_fail(text, msg::kModeInvalid);
  if (mode < 1 || mode > 3) fail_argument(msg::kModeInvalid, text);
  return caption_mode(mode);
}

int glyph_index(char c) {
  for (int k = 0; k < kGlyphCount; ++k)
    if (kCharacterSet[k] == c) return k;
  return -1;
}

char glyph_character(int index) { return kCharacterSet[index]; }

bool sheet_serves_all_cells(const BmpImage& sheet, const CaptionMode& mode) {
  const Size s = size_of(sheet);
  return fits_buffer(s.width, s.height) && s.width >= kGlyphCount * mode.cell_width &&
         s.height >= mode.cell_height;
}

void load_sheet_or_fail(const CaptionMode& mode, BmpImage& sheet) {
  const LoadResult loaded = load_image(mode.sheet_name, sheet);
  if (loaded == LoadResult::CannotRead) fail_with_name(msg::kReadError, mode.sheet_name);
  if (loaded == LoadResult::UnreadableLayout || !sheet_serves_all_cells(sheet, mode)) {
    fail_with_name(msg::kSheetAbnormal, mode.sheet_name);
  }
}

void draw_cell(BmpImage& picture, std::int64_t x, std::int64_t y, const BmpImage& sheet, int k,
               const CaptionMode& mode) {
  const Size p = size_of(picture), s = size_of(sheet);
  // The part of the cell that lies inside the picture.
  const std::int64_t columns = std::min<std::int64_t>(mode.cell_width, p.width - x);
  const std::int64_t rows = std::min<std::int64_t>(mode.cell_height, p.height - y);
  if (x < 0 || y < 0 || columns <= 0 || rows <= 0) return;
  const std::size_t row_bytes = 3 * static_cast<std::size_t>(columns);
  for (std::int32_t r = 0; r < rows; ++r) {
    const unsigned char* from = sheet.bytes + pixel_offset(s.width, s.height, k * mode.cell_width, r);
    unsigned char* to = picture.bytes + pixel_offset(p.width, p.height, static_cast<std::int32_t>(x),
                                                     static_cast<std::int32_t>(y + r));
    for (std::size_t i = 0; i < row_bytes; ++i) to[i] = from[i];
    make_opaque(picture, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y + r), static_cast<std::size_t>(columns));
  }
}

bool cell_matches(const BmpImage& picture, std::int64_t x, std::int64_t y, const BmpImage& sheet, int k,
                  const CaptionMode& mode) {
  const Size p = size_of(picture), s = size_of(sheet);
  if (x < 0 || y < 0 || x + mode.cell_width > p.width || y + mode.cell_height > p.height) return false;
  for (std::int32_t r = 0; r < mode.cell_height; ++r) {
    const unsigned char* glyph = sheet.bytes + pixel_offset(s.width, s.height, k * mode.cell_width, r);
    const unsigned char* cell = picture.bytes + pixel_offset(p.width, p.height, static_cast<std::int32_t>(x),
                                                             static_cast<std::int32_t>(y + r));
    for (std::int32_t c = 0; c < mode.cell_width; ++c)
      if (is_light(glyph[3 * c + 2]) != is_light(cell[3 * c + 2])) return false;
  }
  return true;
}

int find_glyph(const BmpImage& picture, std::int64_t x, std::int64_t y, const BmpImage& sheet,
               const CaptionMode& mode) {
  for (int k = 0; k < kGlyphCount; ++k)
    if (cell_matches(picture, x, y, sheet, k, mode)) return k;
  return -1;
}
