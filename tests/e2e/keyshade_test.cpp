#include <gtest/gtest.h>

#include "harness.h"
#include "messages.h"

namespace e2e {
namespace {

const Bytes kUsage =
    "鍵盤に色を着ける keyshade Version 0.90\n"
    "使い方\n"
    "　keyshade [鍵盤ファイル名] [基準点X] [基準点Y] [マップ(ooRo...60文字以上)] （出力ファイル名は[入力ファイル名.bm]）\n";
const Bytes kLetterMessage = "マップに非対応が含まれます（対応文字[oRGB]） - [%s]\n";

// The keyboard as drawn, read off row band by row band: which key of an
// octave covers column c, row r (from the octave's origin), or -1 where an
// outline stays. Kept apart from the program's rectangle table on purpose.
int key_at(int c, int r) {
  struct Span {
    int key, first, last;
  };
  static const Span kBlack[] = {{1, 9, 16}, {3, 23, 30}, {6, 51, 58}, {8, 65, 72}, {10, 79, 86}};
  static const Span kWhiteTop[] = {{0, 0, 7},   {2, 18, 21}, {4, 32, 39}, {5, 42, 49},
                                   {7, 60, 63}, {9, 74, 77}, {11, 88, 95}};
  static const int kWhiteKeys[] = {0, 2, 4, 5, 7, 9, 11};
  if (r <= 24)
    for (const Span& s : kBlack)
      if (c >= s.first && c <= s.last) return s.key;
  if (r <= 25)
    for (const Span& s : kWhiteTop)
      if (c >= s.first && c <= s.last) return s.key;
  if (r >= 26 && r <= 45 && c % 14 < 12 && c / 14 < 7) return kWhiteKeys[c / 14];  // lower parts, 14 apart
  return -1;
}

Rgb colour_of(char letter) {
  switch (letter) {
    case 'R': return {255, 0, 0};
    case 'G': return {0, 255, 0};
    case 'B': return {0, 0, 255};
    default: return {54, 169, 224};  // C and S
  }
}

// Every letter in a 7-long cycle, so that each key sees several letters.
std::string cycle_map(std::size_t length) {
  std::string map;
  for (std::size_t i = 0; i < length; ++i) map += "RGoBCSR"[i % 7];
  return map;
}

// A picture whose every pixel differs from its neighbours, odd width (padding).
Bytes picture(int width, int height) {
  return bmp(width, height, [](int x, int y) { return Rgb{uint8_t(x * 7), uint8_t(y * 11 + 3), uint8_t(x + y)}; });
}

// What the picture must become: each pixel inside a key whose letter names a
// colour takes that colour; everything else, header and padding, stays.
Bytes painted(Bytes file, int width, int height, std::int64_t x0, std::int64_t y0, const std::string& map) {
  for (int py = 0; py < height; ++py) {
    for (int px = 0; px < width; ++px) {
      const std::int64_t dx = px - x0, r = py - y0;
      if (dx < 0 || r < 0) continue;
      const int key = key_at(static_cast<int>(dx % 98), static_cast<int>(r));
      const std::int64_t letter = dx / 98 * 12 + key;
      if (key < 0 || letter >= static_cast<std::int64_t>(map.size()) || map[letter] == 'o') continue;
      set_pixel(file, px, py, colour_of(map[letter]));
    }
  }
  return file;
}

std::vector<std::string> args(const std::string& x, const std::string& y, const std::string& map) {
  return {"k.bmp", x, y, map};
}

// Six octaves from (5, 3) and four spare columns and rows.
const int kW = 5 + 6 * 98 + 4, kH = 3 + 46 + 4;
const Bytes kKeyboard = picture(kW, kH);
const std::string kMap72 = cycle_map(72), kMap60 = cycle_map(60);
const std::string kAllO = repeat('o', 60);
// Small pictures for the edges: keys reach past the right and bottom edges.
const Bytes kSmall = picture(101, 30);
const std::string kLongName = repeat('n', 1024);

const Case kCases[] = {
    // Arguments, in their order.
    {.name = "three arguments give the usage", .args = {"k.bmp", "0", "0"}, .out = kUsage, .status = 1},
    {.name = "X with a sign", .args = args("+7", "0", kAllO), .out = "基準点Xが異常です[+7]\n", .status = 1},
    {.name = "X above int32 is refused", .args = args("2147483648", "0", kAllO),
     .out = "基準点Xが異常です[2147483648]\n", .status = 1},
    {.name = "Y above int32 is refused", .args = args("0", "99999999999", kAllO),
     .out = "基準点Yが異常です[99999999999]\n", .status = 1},
    {.name = "bad X before bad Y and map", .args = args("x", "y", "r"), .out = "基準点Xが異常です[x]\n", .status = 1},
    {.name = "bad Y before the map", .args = args("0", " 1", "r"), .out = "基準点Yが異常です[ 1]\n", .status = 1},
    {.name = "59 letters", .args = args("0", "0", repeat('R', 59)),
     .out = "マップが60文字以上ではありません - [59]文字\n", .status = 1},
    {.name = "empty map", .args = args("0", "0", ""), .out = "マップが60文字以上ではありません - [0]文字\n",
     .status = 1},
    {.name = "length before letters", .args = args("0", "0", "xyz"),
     .out = "マップが60文字以上ではありません - [3]文字\n", .status = 1},
    {.name = "lower case r", .args = args("0", "0", kAllO + "r"), .out = with(kLetterMessage, kAllO + "r"),
     .status = 1},
    {.name = "upper case O with a percent", .args = args("0", "0", "%s%d" + repeat('R', 58) + "O"),
     .out = with(kLetterMessage, "%s%d" + repeat('R', 58) + "O"), .status = 1},
    {.name = "map checked before the picture", .args = args("0", "0", repeat('R', 59) + "x"),
     .out = with(kLetterMessage, repeat('R', 59) + "x"), .status = 1},
    // The picture.
    {.name = "missing picture", .args = args("0", "0", kAllO), .out = "ファイルリードエラー\nk.bmp\n", .status = 1},
    {.name = "not a BMP", .args = args("0", "0", kAllO), .inputs = {{"k.bmp", "MB" + kKeyboard.substr(2)}},
     .out = "BMPデータではありません\nk.bmp\n", .status = 1, .absent = {"k.bm"}},
    {.name = "negative width", .args = args("0", "0", kMap60), .inputs = {{"k.bmp", with_le32(kSmall, 18, -101)}},
     .out = kUnreadableFormat + "k.bmp\n", .status = 1, .absent = {"k.bm"}},
    {.name = "negative height: its rows read top-down", .args = args("0", "0", kMap60),
     .inputs = {{"k.bmp", with_le32(kSmall, 22, -30)}}, .outputs = {{"k.bm", painted(upside_down(kSmall), 101, 30, 0, 0, kMap60)}}},
    {.name = "larger than the buffer", .args = args("0", "0", kMap60),
     .inputs = {{"k.bmp", with_le32(with_le32(kSmall, 18, 1921), 22, 1080)}},
     .out = "画像サイズが異常です\nk.bmp\n", .status = 1, .absent = {"k.bm"}},
    {.name = "name of 1024 bytes", .args = {kLongName, "0", "0", kAllO},
     .out = "ファイル名が長すぎます\n" + kLongName + "\n", .status = 1},
    // Painting, compared whole.
    {.name = "six octaves every letter", .args = args("5", "3", kMap72), .inputs = {{"k.bmp", kKeyboard}},
     .outputs = {{"k.bm", painted(kKeyboard, kW, kH, 5, 3, kMap72)}}},
    {.name = "sixty letters paint five octaves", .args = args("5", "3", kMap60), .inputs = {{"k.bmp", kKeyboard}},
     .outputs = {{"k.bm", painted(kKeyboard, kW, kH, 5, 3, kMap60)}}},
    {.name = "61st letter paints the next C", .args = args("5", "3", kAllO + "S"), .inputs = {{"k.bmp", kKeyboard}},
     .outputs = {{"k.bm", painted(kKeyboard, kW, kH, 5, 3, kAllO + "S")}}},
    {.name = "all o writes the picture back", .args = args("5", "3", kAllO), .inputs = {{"k.bmp", kKeyboard}},
     .outputs = {{"k.bm", kKeyboard}}},
    {.name = "origin and a fifth argument ignored", .args = {"k.bmp", "", "0", kMap60, "extra"},
     .inputs = {{"k.bmp", kKeyboard}}, .outputs = {{"k.bm", painted(kKeyboard, kW, kH, 0, 0, kMap60)}}},
    {.name = "X of 007", .args = args("007", "3", kMap60), .inputs = {{"k.bmp", kKeyboard}},
     .outputs = {{"k.bm", painted(kKeyboard, kW, kH, 7, 3, kMap60)}}},
    // Keys past the edges are clipped.
    {.name = "keys past the right and bottom edges", .args = args("60", "10", kMap72), .inputs = {{"k.bmp", kSmall}},
     .outputs = {{"k.bm", painted(kSmall, 101, 30, 60, 10, kMap72)}}},
    {.name = "last column and row only", .args = args("100", "29", repeat('G', 60)), .inputs = {{"k.bmp", kSmall}},
     .outputs = {{"k.bm", painted(kSmall, 101, 30, 100, 29, repeat('G', 60))}}},
    {.name = "origin right of the picture, rows inside", .args = args("44444410", "12", kMap72),
     .inputs = {{"k.bmp", kSmall}}, .outputs = {{"k.bm", kSmall}}},
    {.name = "origin past the picture", .args = args("2147483647", "2147483647", kMap72),
     .inputs = {{"k.bmp", kSmall}}, .outputs = {{"k.bm", kSmall}}},
    {.name = "empty picture", .args = args("0", "0", kMap60), .inputs = {{"k.bmp", bmp_header(0, 0)}},
     .outputs = {{"k.bm", bmp_header(0, 0)}}},
    {.name = "short picture padded with zeros, then painted", .args = args("0", "0", kMap60),
     .inputs = {{"k.bmp", kSmall.substr(0, 1000)}},
     .outputs = {{"k.bm", painted(kSmall.substr(0, 1000) + Bytes(kSmall.size() - 1000, '\0'), 101, 30, 0, 0, kMap60)}}},
    {.name = "trailing bytes dropped", .args = args("0", "0", kAllO), .inputs = {{"k.bmp", kSmall + "tail"}},
     .outputs = {{"k.bm", kSmall}}},
    // The output name and the write.
    {.name = "name cut at a line break", .args = {"k.bmp\rx.bmp", "0", "0", kAllO},
     .inputs = {{"k.bmp\rx.bmp", kSmall}}, .outputs = {{"k.bm", kSmall}}, .absent = {"k.bmp\rx.bm"}},
    {.name = "one-byte name gives an empty output name", .args = {"k", "0", "0", kAllO}, .inputs = {{"k", kSmall}},
     .out = "ファイルオープンエラー\n\n", .status = 1},
    {.name = "an output linked to nowhere is replaced, nothing made where it points", .args = args("0", "0", kAllO),
     .inputs = {{"k.bmp", kSmall}}, .outputs = {{"k.bm", kSmall}}, .links = {{"k.bm", "no-such-folder/k.bm"}}},
    {.name = "an output linked to its own input is replaced, the input stays", .args = args("0", "0", kMap60),
     .inputs = {{"k.bmp", kSmall}}, .outputs = {{"k.bm", painted(kSmall, 101, 30, 0, 0, kMap60)}},
     .links = {{"k.bm", "k.bmp"}}},
    {.name = "failed write is reported", .args = args("0", "0", kAllO), .inputs = {{"k.bmp", kSmall}},
     .out = "ファイルの書き込みに失敗しました\nk.bm\n", .status = 1, .absent = {"k.bm"},
     .run = {.file_size_limit = 100}},
    {.name = "failed check keeps an old output", .args = args("0", "0", "R"),
     .inputs = {{"k.bmp", kSmall}, {"k.bm", "keep"}}, .out = "マップが60文字以上ではありません - [1]文字\n",
     .status = 1, .outputs = {{"k.bm", "keep"}}},
};

class Keyshade : public testing::TestWithParam<Case> {};
TEST_P(Keyshade, Case) { check_case("keyshade", GetParam()); }
INSTANTIATE_TEST_SUITE_P(Table, Keyshade, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return case_name(info.param); });

// The outlines, read off the keyboard drawing as runs of painted columns in
// each octave rather than through key_at: every key red on white, one spare
// row below the keys.
TEST(KeyshadeOutlines, StayBetweenTheKeys) {
  const char* kBlackRows = "0-7 9-16 18-21 23-30 32-39 42-49 51-58 60-63 65-72 74-77 79-86 88-95 ";
  const char* kRow25 = "0-7 18-21 32-39 42-49 60-63 74-77 88-95 ";
  const char* kLowerRows = "0-11 14-25 28-39 42-53 56-67 70-81 84-95 ";
  TempDir dir;
  dir.write("k.bmp", solid_bmp(490, 47, {255, 255, 255}));
  ASSERT_EQ(run_tool("keyshade", {"k.bmp", "0", "0", repeat('R', 60)}, dir.path()).status, 0);
  const Bytes out = dir.read("k.bm");
  auto red = [&](int x, int y) { return out.substr(offset(490, 47, x, y), 3) == Bytes("\0\0\xff", 3); };
  for (int y = 0; y < 47; ++y) {
    const char* want = y <= 24 ? kBlackRows : y == 25 ? kRow25 : y <= 45 ? kLowerRows : "";
    for (int n = 0; n < 5; ++n) {
      std::string runs;
      for (int c = 0, x = 98 * n; c < 98; ++c, ++x) {
        if (red(x, y) && (c == 0 || !red(x - 1, y))) runs += std::to_string(c) + "-";
        if (red(x, y) && (c == 97 || !red(x + 1, y))) runs += std::to_string(c) + " ";
      }
      EXPECT_EQ(runs, want) << "octave " << n << " row " << y;
    }
  }
}

}  // namespace
}  // namespace e2e
