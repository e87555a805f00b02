#include "text_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Read {
  std::string text;
  bool cut;
  bool operator==(const Read&) const = default;
};
void PrintTo(const Read& r, std::ostream* os) { *os << testing::PrintToString(r.text) << (r.cut ? " cut" : ""); }

// Writes the bytes to a temporary file and reads it to its end.
std::vector<Read> read_all(const std::string& bytes) {
  char path[] = "/tmp/text_file_test-XXXXXX";
  const int fd = mkstemp(path);
  EXPECT_GE(fd, 0);
  std::FILE* out = fdopen(fd, "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
  auto file = std::make_unique<TextFile>();
  auto line = std::make_unique<TextLine>();
  std::vector<Read> reads;
  EXPECT_TRUE(open_text_file(*file, path, UINT64_MAX));
  while (read_text_line(*file, *line)) {
    EXPECT_EQ(line->text[line->length], '\0');
    reads.push_back({std::string(line->text, line->length), line->cut});
  }
  EXPECT_FALSE(read_text_line(*file, *line)) << "the end stays the end";
  close_text_file(*file);
  std::remove(path);
  return reads;
}

TEST(TextFile, LinesKeepTheirEnds) {
  EXPECT_EQ(read_all(""), std::vector<Read>{});
  EXPECT_EQ(read_all("a\n\nbc"), (std::vector<Read>{{"a\n", false}, {"\n", false}, {"bc", false}}));
  const std::string with_nul("x\0y\n", 4);
  EXPECT_EQ(read_all(with_nul), (std::vector<Read>{{with_nul, false}}));
}

TEST(TextFile, CrLfReadsAsLf) {
  EXPECT_EQ(read_all("a\r\n\r\nb\r\n"), (std::vector<Read>{{"a\n", false}, {"\n", false}, {"b\n", false}}));
  // A CR alone is an ordinary character, also at the very end.
  EXPECT_EQ(read_all("a\rb\n\r"), (std::vector<Read>{{"a\rb\n", false}, {"\r", false}}));
  // A CR LF split by the read buffer's edge still folds.
  const std::string head(kTextReadBufferSize - 1, '\n');
  const std::vector<Read> reads = read_all(head + "\r\nz");
  ASSERT_EQ(reads.size(), kTextReadBufferSize + 1);
  EXPECT_EQ(reads[kTextReadBufferSize - 1], (Read{"\n", false}));
  EXPECT_EQ(reads.back(), (Read{"z", false}));
}

TEST(TextFile, LongLinesComeInPiecesOf1023) {
  const std::string k1023(1023, 'k');
  // Longer than a read: cut, the rest follows.
  EXPECT_EQ(read_all(k1023 + "tail\n"), (std::vector<Read>{{k1023, true}, {"tail\n", false}}));
  // Exactly 1,023 characters before the line end: not cut, the line end
  // comes alone with the next read, CR LF folded across the two reads.
  EXPECT_EQ(read_all(k1023 + "\nx"), (std::vector<Read>{{k1023, false}, {"\n", false}, {"x", false}}));
  EXPECT_EQ(read_all(k1023 + "\r\n"), (std::vector<Read>{{k1023, false}, {"\n", false}}));
  EXPECT_EQ(read_all(k1023), (std::vector<Read>{{k1023, false}}));
  // 1,022 characters and CR LF fit in one read.
  const std::string k1022(1022, 'k');
  EXPECT_EQ(read_all(k1022 + "\r\n"), (std::vector<Read>{{k1022 + "\n", false}}));
}

TEST(TextFile, MissingFileDoesNotOpen) {
  auto file = std::make_unique<TextFile>();
  EXPECT_FALSE(open_text_file(*file, "/nonexistent/list.txt", UINT64_MAX));
  close_text_file(*file);
}

}  // namespace
