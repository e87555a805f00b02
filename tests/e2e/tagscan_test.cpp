#include <gtest/gtest.h>

#include <filesystem>

#include "caption_reference.h"
#include "harness.h"

namespace e2e {
namespace {

const Bytes kBanner = "画像からファイル名を読み出す tagscan Version 0.90\n";
const Bytes kUsage =
    "使い方:tagscan [入力ファイル名] [モード(1:minimini ～ 3：big)] [OfsX] [OfsY] （標準出力に出力） "
    "※要フォントデータ\n";
const Bytes kError = "ERROR:文字が見つかりません[%s]\n";

// A picture on the light ground (which no glyph matches) with the text
// painted from the glyphs given, its first cell at (x, y).
Bytes caption_at(int w, int h, const std::string& text, int mode, int x = 0, int y = 0,
                 const GlyphFn& glyph = test_glyph) {
  return bmp(w, h, captioned(light_ground, text, mode, glyph, x, y));
}
// The same picture with every pixel recoloured by the function.
Bytes recoloured(const Bytes& file, std::function<Rgb(Rgb)> change) {
  Bytes b = file;
  for (int y = 0; y < le32_at(b, 22); ++y)
    for (int x = 0; x < le32_at(b, 18); ++x) set_pixel(b, x, y, change(pixel_at(b, x, y)));
  return b;
}
std::vector<std::string> args(const std::string& mode, const std::string& x, const std::string& y) {
  return {"p.bmp", mode, x, y};
}

const File kSheet1 = test_sheet(1), kSheet2 = test_sheet(2), kSheet3 = test_sheet(3);
const File kHello = {"p.bmp", caption_at(50, 7, "Hello", 1)};
// 'O' drawn exactly like '0'.
const GlyphFn kAlike = [](int k, int cx, int cy) { return test_glyph(k == 24 ? 0 : k, cx, cy); };
const Bytes kManyA = caption_at(7 * 300, 7, std::string(300, 'A'), 1);

const Case kCases[] = {
    // Arguments, in their order, all before any file.
    {.name = "three arguments give the usage", .args = {"p.bmp", "1", "0"}, .out = kBanner + kUsage, .status = 1},
    {.name = "mode before OfsX", .args = args("0", "-1", "0"), .out = with(kModeMessage, "0"), .status = 1},
    {.name = "mode 4", .args = args("4", "0", "0"), .out = with(kModeMessage, "4"), .status = 1},
    {.name = "mode that would wrap to 1", .args = args("4294967297", "0", "0"),
     .out = with(kModeMessage, "4294967297"), .status = 1},
    {.name = "OfsX negative before OfsY", .args = args("1", "-1", "x"), .out = "OfsXが異常です[-1]\n", .status = 1},
    {.name = "OfsX with a sign", .args = args("1", "+3", "0"), .out = "OfsXが異常です[+3]\n", .status = 1},
    {.name = "OfsX decimal", .args = args("1", "1.5", "0"), .out = "OfsXが異常です[1.5]\n", .status = 1},
    {.name = "OfsX above int32", .args = args("1", "2147483648", "0"), .out = "OfsXが異常です[2147483648]\n",
     .status = 1},
    {.name = "OfsY before the files", .args = args("1", "0", "-1"), .out = "OfsYが異常です[-1]\n", .status = 1},
    {.name = "OfsY above int32", .args = args("3", "0", "4294967296"), .inputs = {kSheet3},
     .out = "OfsYが異常です[4294967296]\n", .status = 1},
    // Files: the sheet first.
    {.name = "missing sheet before missing picture", .args = args("1", "0", "0"), .inputs = {kSheet2},
     .out = "ファイルリードエラー\nGXFont1Minimini.bmp\n", .status = 1},
    {.name = "sheet too narrow before missing picture", .args = args("2", "0", "0"),
     .inputs = {{"GXFont2Mini.bmp", sheet_bmp(2, test_glyph, -8, 0)}},
     .out = "フォントデータが異常です\nGXFont2Mini.bmp\n", .status = 1},
    {.name = "sheet with a negative width", .args = args("1", "0", "0"),
     .inputs = {{"GXFont1Minimini.bmp", with_le32(kSheet1.bytes, 18, -574)}, kHello},
     .out = "フォントデータが異常です\nGXFont1Minimini.bmp\n", .status = 1},
    {.name = "missing picture", .args = args("1", "0", "0"), .inputs = {kSheet1},
     .out = "ファイルリードエラー\np.bmp\n", .status = 1},
    {.name = "picture not BMP", .args = args("1", "0", "0"), .inputs = {kSheet1, {"p.bmp", "GIF89a"}},
     .out = "BMPデータではありません\np.bmp\n", .status = 1},
    {.name = "picture with a negative height: its rows read top-down", .args = args("1", "0", "0"),
     .inputs = {kSheet1, {"p.bmp", with_le32(upside_down(kHello.bytes), 22, -7)}}, .out = "Hello\n"},
    {.name = "picture larger than the buffer", .args = args("1", "0", "0"),
     .inputs = {kSheet1, {"p.bmp", with_le32(kHello.bytes, 22, 50000)}}, .out = "画像サイズが異常です\np.bmp\n",
     .status = 1},
    // Reading.
    {.name = "Hello at the origin in mode 1", .args = args("1", "0", "0"), .inputs = {kSheet1, kHello}, .out = "Hello\n"},
    {.name = "a result line that cannot be written fails the run", .args = args("1", "0", "0"),
     .inputs = {kSheet1, kHello}, .status = 1, .run = {.stdout_full = true}},
    {.name = "a failed run with a full standard output", .args = args("1", "0", "0"),
     .inputs = {kSheet1, {"p.bmp", "GIF89a"}}, .status = 1, .run = {.stdout_full = true}},
    {.name = "empty offsets count as 0 and extra arguments are ignored", .args = {"p.bmp", "01", "", "", "9"},
     .inputs = {kSheet1, kHello}, .out = "Hello\n"},
    {.name = "mode 2 away from the origin", .args = args("2", "5", "3"),
     .inputs = {kSheet2, {"p.bmp", caption_at(60, 20, "x_Y-9", 2, 5, 3)}}, .out = "x_Y-9\n"},
    {.name = "mode 3 with the shipped sheet", .args = args("3", "14", "1"),
     .inputs = {shipped_sheet(3), {"p.bmp", caption_at(120, 30, "Big.3", 3, 14, 1, glyphs_of(shipped_sheet(3).bytes, 3))}},
     .out = "Big.3\n"},
    {.name = "from the second cell on", .args = args("1", "7", "0"), .inputs = {kSheet1, kHello}, .out = "ello\n"},
    {.name = "origin off the grid", .args = args("1", "3", "0"), .inputs = {kSheet1, kHello},
     .out = with(kError, "p.bmp"), .status = 1},
    {.name = "band one row low", .args = args("1", "0", "1"),
     .inputs = {kSheet1, {"p.bmp", caption_at(50, 9, "Hello", 1)}}, .out = with(kError, "p.bmp"), .status = 1},
    {.name = "the earlier of two alike cells", .args = args("1", "0", "0"),
     .inputs = {{"GXFont1Minimini.bmp", sheet_bmp(1, kAlike)}, {"p.bmp", caption_at(30, 7, "O0Oo", 1, 0, 0, kAlike)}},
     .out = "000o\n"},
    {.name = "mode 2 caption read in mode 1", .args = args("1", "0", "0"),
     .inputs = {shipped_sheet(1), {"p.bmp", caption_at(50, 14, "Hello", 2, 0, 0, glyphs_of(shipped_sheet(2).bytes, 2))}},
     .out = with(kError, "p.bmp"), .status = 1},
    {.name = "the error names the picture as given", .args = {"./p.bmp", "1", "0", "0"},
     .inputs = {kSheet1, {"p.bmp", solid_bmp(30, 7, {0, 0, 0})}}, .out = with(kError, "./p.bmp"), .status = 1},
    // The tone: only the red byte's half.
    {.name = "recoloured within the halves", .args = args("1", "0", "0"),
     .inputs = {kSheet1, {"p.bmp", recoloured(kHello.bytes, [](Rgb p) {
                           return Rgb{static_cast<uint8_t>(p.r >= 128 ? 255 - (p.r & 7) : p.r / 2), 0x80, 0x00};
                         })}},
     .out = "Hello\n"},
    {.name = "light and dark swapped", .args = args("1", "0", "0"),
     .inputs = {kSheet1, {"p.bmp", recoloured(kHello.bytes, [](Rgb p) { return Rgb{uint8_t(255 - p.r), p.g, p.b}; })}},
     .out = with(kError, "p.bmp"), .status = 1},
    // Cells that do not lie wholly inside the picture match nothing.
    {.name = "last cell cut by the right edge", .args = args("1", "0", "0"),
     .inputs = {kSheet1, {"p.bmp", caption_at(27, 7, "abcd", 1)}}, .out = "abc\n"},
    {.name = "band past the bottom", .args = args("1", "0", "1"), .inputs = {kSheet1, kHello},
     .out = with(kError, "p.bmp"), .status = 1},
    {.name = "origin far to the right", .args = args("1", "2147483647", "0"), .inputs = {kSheet1, kHello},
     .out = with(kError, "p.bmp"), .status = 1},
    {.name = "origin far below", .args = args("1", "0", "2147483647"), .inputs = {kSheet1, kHello},
     .out = with(kError, "p.bmp"), .status = 1},
    {.name = "picture without pixels", .args = args("1", "0", "0"), .inputs = {kSheet1, {"p.bmp", "BM"}},
     .out = with(kError, "p.bmp"), .status = 1},
    {.name = "reading stops after 255 characters", .args = args("1", "0", "0"), .inputs = {kSheet1, {"p.bmp", kManyA}},
     .out = std::string(255, 'A') + "\n"},
};

class Tagscan : public testing::TestWithParam<Case> {};
TEST_P(Tagscan, Case) { check_case("tagscan", GetParam()); }
INSTANTIATE_TEST_SUITE_P(Table, Tagscan, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return case_name(info.param); });

// tagburn, then tagscan with the same mode at (0, 0), on a picture made by
// the test; the picture to the right of the caption is given.
RunResult round_trip(const File& sheet, int mode, const std::string& name, const PixelFn& picture, int extra_cells) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() + "/sub");
  dir.write(sheet.name, sheet.bytes);
  const int w = kSheetModes[mode].w, h = kSheetModes[mode].h;
  dir.write(name, bmp(static_cast<int>(name.size() + extra_cells) * w, h + 3, picture));
  const std::string m = std::to_string(mode);
  const RunResult burn = run_tool("tagburn", {name, m}, dir.path());
  EXPECT_EQ(burn.status, 0) << burn.out;
  return run_tool("tagscan", {name.substr(0, name.size() - 1), m, "0", "0"}, dir.path());
}

// A name with every character of the set; the slash comes with the folder.
const std::string kEveryCharacter = "sub/0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz[]{|}#$%&'()*+,-._!.bmp";

class RoundTrip : public testing::TestWithParam<int> {};

TEST_P(RoundTrip, EveryCharacterWithTheShippedSheet) {
  E2E_SKIP_WHERE_WINDOWS_CANNOT_HOLD(kEveryCharacter);
  const RunResult scan = round_trip(shipped_sheet(GetParam()), GetParam(), kEveryCharacter, light_ground, 2);
  EXPECT_EQ(scan.out, kEveryCharacter + "\n");
  EXPECT_EQ(scan.status, 0);
}

TEST_P(RoundTrip, EveryCharacterWithATestSheet) {
  E2E_SKIP_WHERE_WINDOWS_CANNOT_HOLD(kEveryCharacter);
  const RunResult scan = round_trip(test_sheet(GetParam()), GetParam(), kEveryCharacter, light_ground, 1);
  EXPECT_EQ(scan.out, kEveryCharacter + "\n");
  EXPECT_EQ(scan.status, 0);
}

TEST_P(RoundTrip, ReplacedBytesReadAsExclamationMarks) {
  const std::string name = "a:b\\c d.bmp";
  E2E_SKIP_WHERE_WINDOWS_CANNOT_HOLD(name);
  const RunResult scan = round_trip(shipped_sheet(GetParam()), GetParam(), name, light_ground, 1);
  EXPECT_EQ(scan.out, "a!b!c!d.bmp\n");
}

// Where the picture right of the caption happens to hold glyph cells, they
// are read on until a cell matches none.
TEST_P(RoundTrip, ReadingGoesOnPastTheNameWhileThePictureMatches) {
  const int mode = GetParam();
  const std::string name = "sub/pic.bmp";
  const File sheet = shipped_sheet(mode);
  const int after = static_cast<int>(name.size()) * kSheetModes[mode].w;
  const PixelFn picture = captioned(light_ground, "Xy", mode, glyphs_of(sheet.bytes, mode), after, 0);
  const RunResult scan = round_trip(sheet, mode, name, picture, 3);
  EXPECT_EQ(scan.out, name + "Xy\n");
  EXPECT_EQ(scan.status, 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, RoundTrip, testing::Values(1, 2, 3));

}  // namespace
}  // namespace e2e
