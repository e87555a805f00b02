#include "captions.h"
#include "little_endian.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

BmpImage sheet;
BmpImage picture;

// Fills a buffer with a header of the given size and every byte of the
// buffer after it set to fill.
void make_image(BmpImage& image, std::int32_t width, std::int32_t height, unsigned char fill) {
  std::memset(image.bytes, fill, kBmpCapacity);
  image.bytes[0] = 'B';
  image.bytes[1] = 'M';
  write_le32(image.bytes + 18, width);
  write_le32(image.bytes + 22, height);
  image.dirty_length = kBmpCapacity;
}

unsigned char& red_at(BmpImage& image, int x, int y) {
  return image.bytes[pixel_offset(image_width(image), image_height(image), x, y) + 2];
}

// A sheet whose cell k is dark but for one light pixel, the (k mod w x h)-th
// of the cell in reading order: in mode 1 cells k and k + 49 are alike.
void make_dot_sheet(const CaptionMode& mode) {
  make_image(sheet, kGlyphCount * mode.cell_width, mode.cell_height, 0);
  for (int k = 0; k < kGlyphCount; ++k) {
    const int dot = k % (mode.cell_width * mode.cell_height);
    red_at(sheet, k * mode.cell_width + dot % mode.cell_width, dot / mode.cell_width) = 200;
  }
}

TEST(CharacterSet, IndicesFollowTheSetsOrder) {
  EXPECT_EQ(glyph_index('0'), 0);
  EXPECT_EQ(glyph_index('9'), 9);
  EXPECT_EQ(glyph_index('A'), 10);
  EXPECT_EQ(glyph_index('Z'), 35);
  EXPECT_EQ(glyph_index('a'), 36);
  EXPECT_EQ(glyph_index('z'), 61);
  const std::string signs = "[]{|}#$%&'()*+,-./_!";
  for (int i = 0; i < 20; ++i) EXPECT_EQ(glyph_index(signs[i]), 62 + i) << signs[i];
  for (int k = 0; k < kGlyphCount; ++k) EXPECT_EQ(glyph_index(glyph_character(k)), k);
}

TEST(CharacterSet, EveryOtherByteHasNoGlyph) {
  int with_glyph = 0;
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    if (glyph_index(c) >= 0) ++with_glyph;
  }
  EXPECT_EQ(with_glyph, kGlyphCount);
  for (char c : std::string(" :;\\@?<>=\"`^~\0", 14)) EXPECT_EQ(glyph_index(c), -1) << int(c);
  EXPECT_EQ(glyph_index(static_cast<char>(0x80)), -1);
  EXPECT_EQ(glyph_index(static_cast<char>(0xC1)), -1);  // 0x41 + 0x80 is not 'A'
}

TEST(Sheet, MustServeEightyTwoCellsInsideTheBuffer) {
  for (int m = 1; m <= 3; ++m) {
    const CaptionMode& mode = caption_mode(m);
    const std::int32_t w = 82 * mode.cell_width, h = mode.cell_height;
    make_image(sheet, w, h, 0);
    EXPECT_TRUE(sheet_serves_all_cells(sheet, mode)) << m;
    make_image(sheet, w + 100, h + 5, 0);
    EXPECT_TRUE(sheet_serves_all_cells(sheet, mode)) << m;
    make_image(sheet, w - 1, h, 0);
    EXPECT_FALSE(sheet_serves_all_cells(sheet, mode)) << m;
    make_image(sheet, w, h - 1, 0);
    EXPECT_FALSE(sheet_serves_all_cells(sheet, mode)) << m;
    make_image(sheet, w, -h, 0);
    EXPECT_FALSE(sheet_serves_all_cells(sheet, mode)) << m;
    make_image(sheet, -w, h, 0);
    EXPECT_FALSE(sheet_serves_all_cells(sheet, mode)) << m;
    make_image(sheet, w, 6221824 / w, 0);  // the rows do not fit the buffer
    EXPECT_FALSE(sheet_serves_all_cells(sheet, mode)) << m;
  }
}

TEST(DrawCell, CopiesAllThreeBytesAndClipsAtThePicturesEdges) {
  const CaptionMode& mode = caption_mode(1);
  make_image(sheet, 82 * 7, 7, 0);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 7; ++x) {
      unsigned char* p = sheet.bytes + pixel_offset(82 * 7, 7, 3 * 7 + x, y);
      p[0] = static_cast<unsigned char>(x);
      p[1] = static_cast<unsigned char>(y);
      p[2] = static_cast<unsigned char>(10 * y + x);
    }
  // A 5 x 3 picture (stride 16, one padding byte a row): the cell drawn at
  // (2, 1) keeps its top-left 3 x 2 pixels; nothing else in the buffer changes.
  make_image(picture, 5, 3, 0xAB);
  draw_cell(picture, 2, 1, sheet, 3, mode);
  for (std::size_t i = 0; i < kBmpCapacity; ++i) {
    if (i < 54) continue;
    const std::size_t row_from_bottom = (i - 54) / 16, column_byte = (i - 54) % 16;
    const int y = 2 - static_cast<int>(row_from_bottom), x = static_cast<int>(column_byte / 3);
    const bool inside = i < 54 + 3 * 16 && column_byte < 15 && x >= 2 && y >= 1;
    if (!inside) {
      ASSERT_EQ(picture.bytes[i], 0xAB) << i;
      continue;
    }
    const int cx = x - 2, cy = y - 1;
    const unsigned char wanted[3] = {static_cast<unsigned char>(cx), static_cast<unsigned char>(cy),
                                     static_cast<unsigned char>(10 * cy + cx)};
    ASSERT_EQ(picture.bytes[i], wanted[column_byte % 3]) << i;
  }
  // Cells wholly outside, or pictures without pixels, change nothing.
  make_image(picture, 5, 3, 0xAB);
  draw_cell(picture, 5, 0, sheet, 3, mode);
  draw_cell(picture, 0, 3, sheet, 3, mode);
  draw_cell(picture, INT32_MAX, 0, sheet, 3, mode);
  make_image(picture, 0, 0, 0xAB);
  draw_cell(picture, 0, 0, sheet, 3, mode);
  for (std::size_t i = 54; i < kBmpCapacity; ++i) ASSERT_EQ(picture.bytes[i], 0xAB) << i;
}

TEST(CellMatches, CellsReachingPastAnEdgeNeverMatch) {
  const CaptionMode& mode = caption_mode(1);
  make_dot_sheet(mode);
  // An all-dark 14 x 7 picture with its sheet's cell 0 dot at both (0, 0)
  // and (7, 0): both cells fit exactly.
  make_image(picture, 14, 7, 0);
  red_at(picture, 0, 0) = 200;
  red_at(picture, 7, 0) = 200;
  EXPECT_EQ(find_glyph(picture, 0, 0, sheet, mode), 0);
  EXPECT_EQ(find_glyph(picture, 7, 0, sheet, mode), 0);
  // Past the right edge, the bottom edge, or far away: no match, however the
  // pixels inside look.
  EXPECT_EQ(find_glyph(picture, 8, 0, sheet, mode), -1);
  EXPECT_EQ(find_glyph(picture, 14, 0, sheet, mode), -1);
  EXPECT_EQ(find_glyph(picture, 0, 1, sheet, mode), -1);
  EXPECT_EQ(find_glyph(picture, INT32_MAX, 0, sheet, mode), -1);
  EXPECT_EQ(find_glyph(picture, 0, INT32_MAX, sheet, mode), -1);
  EXPECT_EQ(find_glyph(picture, static_cast<std::int64_t>(INT32_MAX) + 7 * 300, 0, sheet, mode), -1);
  make_image(picture, 6, 6, 0);
  EXPECT_EQ(find_glyph(picture, 0, 0, sheet, mode), -1);
}

// The shipped sheets, read from the source tree.
std::vector<unsigned char> read_file(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
    std::fclose(file);
  }
  return bytes;
}

class ShippedSheet : public testing::TestWithParam<int> {};

// Every cell differs in tone from every earlier cell (so every character
// reads back as itself) and has both ink and background; checked on the
// file's bytes with this test's own reading.
TEST_P(ShippedSheet, EveryCellHasItsOwnTonePattern) {
  const CaptionMode& mode = caption_mode(GetParam());
  const std::vector<unsigned char> file = read_file(std::string(SHEETS_DIR) + "/" + mode.sheet_name);
  ASSERT_GE(file.size(), 54u) << mode.sheet_name;
  const auto width = static_cast<std::int32_t>(read_le32(file.data() + 18));
  const auto height = static_cast<std::int32_t>(read_le32(file.data() + 22));
  ASSERT_GE(width, 82 * mode.cell_width);
  ASSERT_GE(height, mode.cell_height);
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  ASSERT_GE(file.size(), 54 + stride * height);
  std::set<std::string> seen;
  for (int k = 0; k < kGlyphCount; ++k) {
    std::string tones;
    for (int y = 0; y < mode.cell_height; ++y)
      for (int x = 0; x < mode.cell_width; ++x)
        tones += file[54 + (height - 1 - y) * stride + 3 * (k * mode.cell_width + x) + 2] >= 128 ? '#' : '.';
    EXPECT_NE(tones.find('#'), std::string::npos) << kCharacterSet[k] << " has no ink";
    EXPECT_NE(tones.find('.'), std::string::npos) << kCharacterSet[k] << " has no background";
    EXPECT_TRUE(seen.insert(tones).second) << kCharacterSet[k] << " looks like an earlier cell";
  }
}

// The same through the library: each glyph drawn into a picture reads back
// as its own index.
TEST_P(ShippedSheet, EveryDrawnGlyphReadsBackAsItself) {
  const CaptionMode& mode = caption_mode(GetParam());
  ASSERT_EQ(load_image((std::string(SHEETS_DIR) + "/" + mode.sheet_name).c_str(), sheet), LoadResult::Loaded);
  ASSERT_TRUE(sheet_serves_all_cells(sheet, mode));
  make_image(picture, 82 * mode.cell_width, mode.cell_height, 0);
  for (int k = 0; k < kGlyphCount; ++k) draw_cell(picture, k * mode.cell_width, 0, sheet, k, mode);
  for (int k = 0; k < kGlyphCount; ++k)
    EXPECT_EQ(find_glyph(picture, k * mode.cell_width, 0, sheet, mode), k) << kCharacterSet[k];
}

INSTANTIATE_TEST_SUITE_P(Modes, ShippedSheet, testing::Values(1, 2, 3));

}  // namespace
