#include <gtest/gtest.h>

#include <filesystem>

#include "caption_reference.h"
#include "harness.h"
#include "messages.h"

namespace e2e {
namespace {

const Bytes kBanner = "画像にファイル名を埋め込む tagburn Version 0.90\n";
const Bytes kUsage =
    "使い方:tagburn [入力ファイル名] [モード(1:minimini ～ 3：big)] （出力ファイル名は[入力ファイル名.bm]） "
    "※要フォントデータ\n";
const Bytes kWarning = "警告:対応していない文字があります\n";
const Bytes kDone = "挿入完了:[%s]\n";

Bytes picture(int w, int h) { return bmp(w, h, dark_ground); }
// The picture with the text drawn from the top-left corner, from the glyphs given.
Bytes drawn(int w, int h, const std::string& text, int mode, const GlyphFn& glyph = test_glyph) {
  return bmp(w, h, captioned(dark_ground, text, mode, glyph));
}

const File kSheet1 = test_sheet(1), kSheet2 = test_sheet(2), kSheet3 = test_sheet(3);
const File kPic1 = {"pic.bmp", picture(53, 9)};  // 53 x 3 = 159: one padding byte a row

// A picture cut after its two bottom rows: the rest reads as zero, and the
// caption covers the top seven rows.
Bytes cut_picture() { return picture(53, 9).substr(0, 54 + 2 * 160); }
Bytes cut_picture_drawn() {
  Bytes b = bmp(53, 9, captioned([](int x, int y) { return y >= 7 ? dark_ground(x, y) : Rgb{0, 0, 0}; }, "cut.bmp",
                                 1, test_glyph));
  for (int y = 0; y < 7; ++y) b[offset(53, 9, 0, y) + 159] = 0;
  return b;
}

const std::string kLongName = repeat('n', 1024);

const Case kCases[] = {
    // Arguments.
    {.name = "one argument gives the usage", .args = {"pic.bmp"}, .out = kBanner + kUsage, .status = 1},
    {.name = "mode 0", .args = {"pic.bmp", "0"}, .inputs = {kSheet1, kPic1}, .out = with(kModeMessage, "0"), .status = 1,
     .absent = {"pic.bm"}},
    {.name = "mode 4", .args = {"pic.bmp", "4"}, .out = with(kModeMessage, "4"), .status = 1},
    {.name = "empty mode", .args = {"pic.bmp", ""}, .out = with(kModeMessage, ""), .status = 1},
    {.name = "mode with a sign", .args = {"pic.bmp", "+1"}, .out = with(kModeMessage, "+1"), .status = 1},
    {.name = "mode with a leading space", .args = {"pic.bmp", " 1"}, .out = with(kModeMessage, " 1"), .status = 1},
    {.name = "mode that would wrap to 1", .args = {"pic.bmp", "4294967297"}, .out = with(kModeMessage, "4294967297"),
     .status = 1},
    {.name = "mode 01", .args = {"pic.bmp", "01"}, .inputs = {kSheet1, kPic1}, .out = with(kDone, "pic.bmp"),
     .outputs = {{"pic.bm", drawn(53, 9, "pic.bmp", 1)}}},
    {.name = "mode 001 and extra arguments", .args = {"pic.bmp", "001", "3", "x"}, .inputs = {kSheet1, kPic1},
     .out = with(kDone, "pic.bmp"), .outputs = {{"pic.bm", drawn(53, 9, "pic.bmp", 1)}}},
    // The sheet: from the working directory, before the picture, refused when it cannot serve 82 cells.
    {.name = "missing sheet before missing picture", .args = {"pic.bmp", "2"}, .inputs = {kSheet1, kSheet3},
     .out = "ファイルリードエラー\nGXFont2Mini.bmp\n", .status = 1},
    {.name = "sheet one column short", .args = {"pic.bmp", "1"},
     .inputs = {{"GXFont1Minimini.bmp", sheet_bmp(1, test_glyph, -1, 0)}},
     .out = "フォントデータが異常です\nGXFont1Minimini.bmp\n", .status = 1},
    {.name = "sheet one row short", .args = {"pic.bmp", "3"},
     .inputs = {{"GXFont3Big.bmp", sheet_bmp(3, test_glyph, 0, -1)}, kPic1},
     .out = "フォントデータが異常です\nGXFont3Big.bmp\n", .status = 1, .absent = {"pic.bm"}},
    {.name = "sheet with a negative height: its rows read top-down", .args = {"pic.bmp", "1"},
     .inputs = {{"GXFont1Minimini.bmp", with_le32(kSheet1.bytes, 22, -9)}, kPic1}, .out = with(kDone, "pic.bmp"),
     .outputs = {{"pic.bm", drawn(53, 9, "pic.bmp", 1, glyphs_of(upside_down(kSheet1.bytes), 1))}}},
    {.name = "sheet larger than the buffer", .args = {"pic.bmp", "2"},
     .inputs = {{"GXFont2Mini.bmp", bmp_header(1920, 1081)}},
     .out = "フォントデータが異常です\nGXFont2Mini.bmp\n", .status = 1},
    {.name = "sheet of the least size without BM", .args = {"pic.bmp", "1"},
     .inputs = {{"GXFont1Minimini.bmp", "XX" + sheet_bmp(1, test_glyph, 0, 0).substr(2)}, kPic1},
     .out = with(kDone, "pic.bmp"), .outputs = {{"pic.bm", drawn(53, 9, "pic.bmp", 1)}}},
    {.name = "sheet without pixel rows draws black", .args = {"pic.bmp", "1"},
     .inputs = {{"GXFont1Minimini.bmp", bmp_header(574, 7)}, kPic1}, .out = with(kDone, "pic.bmp"),
     .outputs = {{"pic.bm", drawn(53, 9, "pic.bmp", 1, [](int, int, int) { return Rgb{0, 0, 0}; })}}},
    // The picture.
    {.name = "missing picture", .args = {"pic.bmp", "1"}, .inputs = {kSheet1},
     .out = "ファイルリードエラー\npic.bmp\n", .status = 1},
    {.name = "picture not BMP", .args = {"pic.bmp", "1"}, .inputs = {kSheet1, {"pic.bmp", "MB" + kPic1.bytes.substr(2)}},
     .out = "BMPデータではありません\npic.bmp\n", .status = 1, .absent = {"pic.bm"}},
    {.name = "signature before size", .args = {"pic.bmp", "1"},
     .inputs = {kSheet1, {"pic.bmp", "BX" + with_le32(kPic1.bytes, 22, -9).substr(2)}},
     .out = "BMPデータではありません\npic.bmp\n", .status = 1},
    {.name = "picture with a negative height: its rows read top-down", .args = {"pic.bmp", "1"},
     .inputs = {kSheet1, {"pic.bmp", with_le32(kPic1.bytes, 22, -9)}}, .out = with(kDone, "pic.bmp"),
     .outputs = {{"pic.bm", bmp(53, 9, captioned([](int x, int y) { return dark_ground(x, 8 - y); }, "pic.bmp", 1,
                                                 test_glyph))}}},
    {.name = "picture with a negative width", .args = {"pic.bmp", "1"},
     .inputs = {kSheet1, {"pic.bmp", with_le32(kPic1.bytes, 18, -53)}}, .out = kUnreadableFormat + "pic.bmp\n",
     .status = 1},
    {.name = "picture larger than the buffer", .args = {"pic.bmp", "1"},
     .inputs = {kSheet1, {"pic.bmp", bmp_header(1921, 1080)}}, .out = "画像サイズが異常です\npic.bmp\n", .status = 1},
    {.name = "name of 1024 bytes", .args = {kLongName, "1"}, .inputs = {kSheet1},
     .out = "ファイル名が長すぎます\n" + kLongName + "\n", .status = 1},
    // Drawing: exact pixels in every mode; header, padding and the rest unchanged.
    {.name = "pic.bmp in mode 1 covers columns 0 to 48 of 7 rows", .args = {"pic.bmp", "1"}, .inputs = {kSheet1, kPic1},
     .out = with(kDone, "pic.bmp"), .outputs = {{"pic.bm", drawn(53, 9, "pic.bmp", 1)}, kPic1}},
    {.name = "pic.bmp in mode 2 covers columns 0 to 55 of 14 rows", .args = {"pic.bmp", "2"},
     .inputs = {kSheet2, {"pic.bmp", picture(61, 15)}}, .out = with(kDone, "pic.bmp"),
     .outputs = {{"pic.bm", drawn(61, 15, "pic.bmp", 2)}}},
    {.name = "pic.bmp in mode 3 covers columns 0 to 97 of 28 rows", .args = {"pic.bmp", "3"},
     .inputs = {kSheet3, {"pic.bmp", picture(101, 29)}}, .out = with(kDone, "pic.bmp"),
     .outputs = {{"pic.bm", drawn(101, 29, "pic.bmp", 3)}}},
    {.name = "the shipped sheet of mode 2", .args = {"pic.bmp", "2"},
     .inputs = {shipped_sheet(2), {"pic.bmp", picture(61, 15)}}, .out = with(kDone, "pic.bmp"),
     .outputs = {{"pic.bm", drawn(61, 15, "pic.bmp", 2, glyphs_of(shipped_sheet(2).bytes, 2))}}},
    {.name = "every sign and a percent in the message", .args = {"[]{|}#$%&'()*+,-._!%s", "1"},
     .inputs = {kSheet1, {"[]{|}#$%&'()*+,-._!%s", picture(150, 7)}}, .out = with(kDone, "[]{|}#$%&'()*+,-._!%s"),
     .outputs = {{"[]{|}#$%&'()*+,-._!%", drawn(150, 7, "[]{|}#$%&'()*+,-._!%s", 1)}}},
    // Bytes without a glyph: one warning each, drawn as '!'.
    {.name = "colon and backslashes", .args = {"C:\\d\\p.bmp", "1"}, .inputs = {kSheet1, {"C:\\d\\p.bmp", picture(80, 8)}},
     .out = kWarning + kWarning + kWarning + with(kDone, "C:\\d\\p.bmp"),
     .outputs = {{"C:\\d\\p.bm", drawn(80, 8, "C:\\d\\p.bmp", 1)}}},
    {.name = "Shift-JIS bytes one by one", .args = {"\x83\x41\xB1 x.bmp", "2"},
     .inputs = {kSheet2, {"\x83\x41\xB1 x.bmp", picture(90, 14)}},
     .out = kWarning + kWarning + kWarning + with(kDone, "\x83\x41\xB1 x.bmp"),
     .outputs = {{"\x83\x41\xB1 x.bm", drawn(90, 14, "\x83\x41\xB1 x.bmp", 2)}}},
    // Captions that do not fit are clipped.
    {.name = "caption wider than the picture", .args = {"ab.bmp", "1"}, .inputs = {kSheet1, {"ab.bmp", picture(10, 3)}},
     .out = with(kDone, "ab.bmp"), .outputs = {{"ab.bm", drawn(10, 3, "ab.bmp", 1)}}},
    {.name = "picture lower than a big cell", .args = {"a:b.bmp", "3"}, .inputs = {kSheet3, {"a:b.bmp", picture(33, 5)}},
     .out = kWarning + with(kDone, "a:b.bmp"), .outputs = {{"a:b.bm", drawn(33, 5, "a:b.bmp", 3)}}},
    {.name = "picture without pixels", .args = {"z.bmp", "1"}, .inputs = {kSheet1, {"z.bmp", bmp_header(0, 0) + "x"}},
     .out = with(kDone, "z.bmp"), .outputs = {{"z.bm", bmp_header(0, 0)}}},
    {.name = "short picture is padded with zeros", .args = {"cut.bmp", "1"}, .inputs = {kSheet1, {"cut.bmp", cut_picture()}},
     .out = with(kDone, "cut.bmp"), .outputs = {{"cut.bm", cut_picture_drawn()}}},
    {.name = "trailing bytes are dropped", .args = {"pic.bmp", "1"},
     .inputs = {kSheet1, {"pic.bmp", kPic1.bytes + "trailer"}}, .out = with(kDone, "pic.bmp"),
     .outputs = {{"pic.bm", drawn(53, 9, "pic.bmp", 1)}}},
    // Output.
    {.name = "one-byte name gives an empty output name", .args = {"x", "1"}, .inputs = {kSheet1, {"x", picture(7, 7)}},
     .out = "ファイルオープンエラー\n\n", .status = 1},
    {.name = "a picture whose output is the sheet", .args = {"GXFont1Minimini.bmpX", "1"},
     .inputs = {kSheet1, {"GXFont1Minimini.bmpX", picture(150, 7)}},
     .out = kOutputIsInput + "GXFont1Minimini.bmp\n", .status = 1, .outputs = {kSheet1}},
    {.name = "an output linked to its own input is replaced, the input stays", .args = {"pic.bmp", "1"},
     .inputs = {kSheet1, kPic1}, .out = with(kDone, "pic.bmp"),
     .outputs = {{"pic.bm", drawn(53, 9, "pic.bmp", 1)}, kPic1}, .links = {{"pic.bm", "pic.bmp"}}},
    {.name = "failed write is reported", .args = {"pic.bmp", "1"}, .inputs = {kSheet1, kPic1},
     .out = "ファイルの書き込みに失敗しました\npic.bm\n", .status = 1, .absent = {"pic.bm"},
     .run = {.file_size_limit = 100}},
};

class Tagburn : public testing::TestWithParam<Case> {};
TEST_P(Tagburn, Case) { check_case("tagburn", GetParam()); }
INSTANTIATE_TEST_SUITE_P(Table, Tagburn, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return case_name(info.param); });

// The sheet is looked for in the working directory only, and a folder part
// of the name is drawn, slashes included.
TEST(TagburnFolders, SheetComesFromTheWorkingDirectoryAndSlashesAreDrawn) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() + "/sub");
  dir.write("sub/pic.bmp", picture(170, 30));
  dir.write("sub/GXFont3Big.bmp", kSheet3.bytes);
  RunResult run = run_tool("tagburn", {"sub/pic.bmp", "3"}, dir.path());
  EXPECT_EQ(run.out, "ファイルリードエラー\nGXFont3Big.bmp\n");
  EXPECT_EQ(run.status, 1);

  dir.write("GXFont3Big.bmp", kSheet3.bytes);
  run = run_tool("tagburn", {"sub/pic.bmp", "3"}, dir.path());
  EXPECT_EQ(run.out, with(kDone, "sub/pic.bmp"));
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(dir.read("sub/pic.bm") == drawn(170, 30, "sub/pic.bmp", 3));
}

}  // namespace
}  // namespace e2e
