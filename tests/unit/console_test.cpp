#include "console.h"

#include <gtest/gtest.h>

#include <string>

#include "messages.h"

namespace {

std::string bytes_of(const char* text) {
  std::string hex;
  char piece[4];
  for (const char* p = text; *p != '\0'; ++p) {
    std::snprintf(piece, sizeof piece, "%02x", static_cast<unsigned char>(*p));
    hex += piece;
  }
  return hex;
}

TEST(Messages, AreShiftJisBytes) {
  // Fixed against code page 932 tables, not against the compiler.
  EXPECT_EQ(bytes_of(msg::kReadError.cp932), "837483408343838b838a815b836883478389815b0a");
  EXPECT_EQ(bytes_of(msg::kNotBmp.cp932), "424d508366815b835e82c582cd82a082e882dc82b982f10a");
  EXPECT_EQ(bytes_of("　（）‐"), "81408169816a815d");
}

TEST(CodePage932, LeadBytesAreExactly81To9FAndE0ToFC) {
  // E0-EF are JIS kanji, F0-F9 user-defined, FA-FC the IBM extensions (僴 is FA 7C).
  const int leads[] = {0x81, 0x9F, 0xE0, 0xEF, 0xF0, 0xFA, 0xFC};
  const int others[] = {0x00, 0x40, 0x7F, 0x80, 0xA0, 0xA1, 0xDF, 0xFD, 0xFE, 0xFF};
  for (int b : leads) EXPECT_TRUE(is_cp932_lead_byte(static_cast<char>(b))) << std::hex << b;
  for (int b : others) EXPECT_FALSE(is_cp932_lead_byte(static_cast<char>(b))) << std::hex << b;
}

TEST(NumericArgument, AcceptsDigitsOnly) {
  struct Row {
    const char* text;
    bool accepted;
    std::int32_t value;
  };
  const Row rows[] = {
      {"0", true, 0},           {"", true, 0},           {"007", true, 7},
      {"2147483647", true, INT32_MAX},                   {"2147483648", false, 0},
      {"99999999999999999999", false, 0},                {"+5", false, 0},
      {"-1", false, 0},         {"5.0", false, 0},       {" 5", false, 0},
      {"5 ", false, 0},         {"１", false, 0},
  };
  for (const Row& row : rows) {
    std::int32_t value = -99;
    EXPECT_EQ(parse_numeric_argument(row.text, value), row.accepted) << row.text;
    if (row.accepted) {
      EXPECT_EQ(value, row.value) << row.text;
    }
  }
}

TEST(SameName, ComparesBytesExactly) {
  EXPECT_TRUE(same_name("a.bmp", "a.bmp"));
  EXPECT_FALSE(same_name("a.bmp", "A.BMP"));
  EXPECT_FALSE(same_name("a.bmp", "./a.bmp"));
}

TEST(OutputName, DropsTheLastByte) {
  struct Row {
    const char* input;
    LineCut cut;
    const char* output;
  };
  const Row rows[] = {
      {"photo.bmp", LineCut::Keep, "photo.bm"}, {"song.wav", LineCut::Keep, "song.wa"},
      {"photo", LineCut::Keep, "phot"},         {"a", LineCut::Keep, ""},
      {"", LineCut::Keep, ""},                  {"", LineCut::Cut, ""},
      {"pic.bmp\n", LineCut::Cut, "pic.bm"},    {"pic.bmp\r\nmore", LineCut::Cut, "pic.bm"},
      {"pic.bmp\n", LineCut::Keep, "pic.bmp"},  {"\n", LineCut::Cut, ""},
      {"名前", LineCut::Keep, "名\x91"},  // only the second byte of 前 (91 4F) goes
  };
  for (const Row& row : rows) {
    FileName out;
    derive_output_name(out, row.input, row.cut);
    EXPECT_STREQ(out.text, row.output) << row.input;
  }
}

TEST(OutputName, LineCutLooksAtTheFirst1023BytesOnly) {
  std::string name(1023, 'a');
  name += "\nb";
  char text[2048];
  std::snprintf(text, sizeof text, "%s", name.c_str());
  cut_line(text);
  EXPECT_EQ(std::string(text), name);
  text[1022] = '\r';
  cut_line(text);
  EXPECT_EQ(std::string(text), std::string(1022, 'a'));
}

TEST(FileNameBuffer, HoldsNamesUpTo1023Bytes) {
  FileName buffer;
  const std::string longest(1023, 'n');
  set_file_name(buffer, longest.c_str());
  EXPECT_EQ(std::string(buffer.text), longest);
  const std::string too_long(1024, 'n');
  EXPECT_EXIT(set_file_name(buffer, too_long.c_str()), testing::ExitedWithCode(1), "");
}

}  // namespace
