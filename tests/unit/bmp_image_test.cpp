#include "bmp_image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

BmpImage image;

std::string temp_file(const std::string& bytes) {
  char name[] = "/tmp/bmp_image_test-XXXXXX";
  const int fd = mkstemp(name);
  std::FILE* file = fdopen(fd, "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return name;
}

TEST(BmpGeometry, StrideRoundsUpToFourBytes) {
  const std::int64_t expected[] = {0, 4, 8, 12, 12, 16};
  for (int w = 0; w <= 5; ++w) EXPECT_EQ(row_stride(w), expected[w]) << w;
  EXPECT_EQ(row_stride(1920), 5760);
  EXPECT_EQ(image_length(1, 1), 58);
  EXPECT_EQ(image_length(1920, 1080), 6220854);
}

TEST(BmpGeometry, FitsBufferBoundaries) {
  EXPECT_TRUE(fits_buffer(1920, 1080));
  EXPECT_TRUE(fits_buffer(0, 0));
  EXPECT_TRUE(fits_buffer(4, (6221824 - 54) / 12));
  EXPECT_FALSE(fits_buffer(4, (6221824 - 54) / 12 + 1));
  EXPECT_FALSE(fits_buffer(-1, 1));
  EXPECT_FALSE(fits_buffer(1, -1));
  EXPECT_FALSE(fits_buffer(INT32_MAX, INT32_MAX));
}

TEST(BmpGeometry, PixelOffsetCountsRowsFromTheTop) {
  // 2 x 3 picture, stride 8: the top row is stored last.
  EXPECT_EQ(pixel_offset(2, 3, 0, 2), 54u);
  EXPECT_EQ(pixel_offset(2, 3, 1, 2), 57u);
  EXPECT_EQ(pixel_offset(2, 3, 0, 0), 54u + 16u);
  EXPECT_EQ(pixel_offset(1920, 1080, 1919, 0), 54u + 1079u * 5760u + 3u * 1919u);
}

TEST(BmpLoad, ReadsHeaderFieldsAndZeroesWhatAnEarlierFileLeft) {
  // A plain header (offset 54, 24 bits, 20 x 3) and 200 bytes of rows.
  std::string long_file = "BM" + std::string(52, '\0') + std::string(200, '\x7f');
  long_file[10] = 54;
  long_file[14] = 40;
  long_file[18] = 20;
  long_file[22] = 3;
  long_file[26] = 1;
  long_file[28] = 24;
  std::string short_file = "BM";
  short_file.resize(26, '\0');
  short_file[18] = 7;
  short_file[22] = 5;
  const std::string a = temp_file(long_file), b = temp_file(short_file);
  ASSERT_EQ(load_image(a.c_str(), image), LoadResult::Loaded);
  ASSERT_EQ(load_image(b.c_str(), image), LoadResult::Loaded);
  EXPECT_TRUE(has_bmp_signature(image));
  EXPECT_EQ(image_width(image), 7);
  EXPECT_EQ(image_height(image), 5);
  for (std::size_t i = 26; i < 300; ++i) ASSERT_EQ(image.bytes[i], 0) << i;
  std::remove(a.c_str());
  std::remove(b.c_str());
  EXPECT_EQ(load_image("/nonexistent/file.bmp", image), LoadResult::CannotRead);
}

TEST(BmpSave, ReportsOpenAndWriteFailures) {
  const unsigned char bytes[64] = {'B', 'M'};
  EXPECT_EQ(save_file("/nonexistent/out.bmp", {{bytes, sizeof bytes}}, {nullptr, 0}), SaveResult::CannotOpen);
  EXPECT_EQ(save_file("/dev/full", {{bytes, sizeof bytes}}, {nullptr, 0}), SaveResult::WriteFailed);
  const std::string name = temp_file("");
  EXPECT_EQ(save_file(name.c_str(), {{bytes, sizeof bytes}}, {nullptr, 0}), SaveResult::Saved);
  std::remove(name.c_str());
}

}  // namespace
