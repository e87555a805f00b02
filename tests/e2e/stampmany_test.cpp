#include <cstdlib>

#include <gtest/gtest.h>

#include "blend_reference.h"
#include "harness.h"
#include "messages.h"

namespace e2e {
namespace {

class RecordingAlertPane : public testing::Environment {
  void SetUp() override { record_alert_pane_calls(); }
};
testing::Environment* const kRecorder = testing::AddGlobalTestEnvironment(new RecordingAlertPane);

const Bytes kBanner = "画像合成ベタ対応（複数合成版） stampmany Version 0.90\n";
const Bytes kUsage = "使い方:stampmany [背景ファイル名] [出力ファイル名] ([キャラファイル名] [X] [Y])…繰り返し…\n";

// Odd widths, so that rows carry padding on both sides.
const Bytes kBackground = bmp(7, 5, [](int x, int y) { return Rgb{uint8_t(30 * x + 5), uint8_t(40 * y + 3), 99}; });
const Bytes kSpriteA = bmp(3, 2, [](int x, int y) { return Rgb{200, uint8_t(10 + 90 * x), uint8_t(250 - 70 * y)}; });
const Bytes kSpriteB = bmp(2, 3, [](int x, int y) { return Rgb{uint8_t(1 + x), 7, uint8_t(60 + y)}; });
const std::vector<File> kInputs = {{"bg.bmp", kBackground}, {"a.bmp", kSpriteA}, {"b.bmp", kSpriteB}};

std::vector<std::string> args(std::vector<std::string> sprites) {
  sprites.insert(sprites.begin(), {"bg.bmp", "out.bmp"});
  return sprites;
}
std::vector<File> plus(std::vector<File> files, const File& more) {
  files.push_back(more);
  return files;
}
// An opaque paste: a blend through an alpha image that is 255 everywhere.
Bytes pasted(const Bytes& background, const Bytes& sprite, int x, int y) {
  return reference_blend(background, sprite, solid_bmp(le32_at(sprite, 18), le32_at(sprite, 22), {255, 255, 255}), x, y);
}

// A run that writes out.bmp and starts no AlertPane.
Case pasting(const std::string& name, const std::vector<std::string>& sprites, const Bytes& expected,
             const std::vector<File>& inputs = kInputs) {
  return {.name = name, .args = args(sprites), .inputs = inputs, .out = "合成完了:[out.bmp]\n",
          .outputs = {{"out.bmp", expected}}, .absent = {kAlertLog}};
}
// A failing run: its lines, and the words AlertPane gets ("" when it is not
// started). An existing out.bmp stays as it was; otherwise there is none.
Case failing(const std::string& name, const std::vector<std::string>& arguments, const std::vector<File>& inputs,
             const Bytes& printed, const Bytes& alert = "") {
  Case c{.name = name, .args = arguments, .inputs = inputs, .out = printed, .status = 1};
  if (alert.empty()) {
    c.absent.push_back(kAlertLog);
  } else {
    c.out += kAlerted;
    c.outputs.push_back({kAlertLog, alert + "\n"});
  }
  bool had_output = false;
  for (const File& f : inputs) {
    if (f.name == "out.bmp") {
      c.outputs.push_back(f);
      had_output = true;
    }
  }
  if (!had_output) c.absent.push_back("out.bmp");
  return c;
}
// A sprite name that a plain shell command line would run as a command.
Case injected(const std::string& case_name, const std::string& sprite, const Bytes& words) {
  Case c = failing(case_name, args({sprite, "0", "0"}), kInputs, kReadError + sprite + "\n" + kClosingLine,
                   "[ファイルリードエラー]" + words);
  c.absent.push_back("pwned");
  return c;
}

// A failure that starts AlertPane, with a planted AlertPane in the folder
// that must never run (it would leave the file "planted") and the search
// path of the environment entry.
Case planted(const std::string& case_name, const File& planted_program, const std::string& path,
             const Bytes& alert) {
  Case c = failing(case_name, args({"a.bmp", "5", "0"}), plus(kInputs, planted_program),
                   "横がはみ出ます\n" + kClosingLine, alert);
  c.run.environment = {path};
  c.absent.push_back("planted");
  return c;
}
const File kPlantedScript = {"AlertPane", "#!/bin/sh\necho x > planted\n", 0755};  // no PATH needed
const File kPlantedBatch = {"AlertPane.bat", "@echo off\r\necho x> planted\r\n"};

const std::string kLongWords = repeat('n', 600) + " " + [] {
  std::string quotes;
  for (int i = 0; i < 210; ++i) quotes += "' ";
  return quotes + "'";
}();
const Bytes kLongWordsLogged = "[" + repeat('n', 600) + "]" + [] {
  std::string quotes;
  for (int i = 0; i < 211; ++i) quotes += "[']";
  return quotes;
}();

// 120 single-pixel sprites in three colours, laid over the background
// row by row and again from the top; the last has a 301-byte X text.
const std::vector<File> kPixels = {{"bg.bmp", kBackground},
                                   {"p0.bmp", solid_bmp(1, 1, {255, 0, 0})},
                                   {"p1.bmp", solid_bmp(1, 1, {0, 255, 0})},
                                   {"p2.bmp", solid_bmp(1, 1, {0, 0, 255})}};
std::vector<std::string> many_sprites() {
  std::vector<std::string> list;
  for (int i = 0; i < 120; ++i) {
    list.insert(list.end(), {kPixels[1 + i % 3].name, std::to_string(i % 7), std::to_string(i / 7 % 5)});
  }
  list[list.size() - 2] = repeat('0', 300) + list[list.size() - 2];
  return list;
}
Bytes many_pasted() {
  Bytes out = kBackground;
  for (int i = 0; i < 120; ++i) out = pasted(out, kPixels[1 + i % 3].bytes, i % 7, i / 7 % 5);
  return out;
}

// The second sprite's file ends 4 bytes into its pixels: the rest reads as
// zero, whatever the first sprite left in the buffer.
const Bytes kShortSprite = bmp(3, 2, [](int, int) { return Rgb{9, 9, 9}; }).substr(0, 58);

const Case kCases[] = {
    // Argument count and numbers: no AlertPane, the closing line for numbers.
    failing("four arguments give the usage", {"bg.bmp", "out.bmp", "a.bmp", "0"}, kInputs, kBanner + kUsage),
    failing("six arguments", args({"a.bmp", "0", "0", "b.bmp"}), kInputs, "引数は２＋３の倍数にして下さい\n"),
    failing("X negative", args({"a.bmp", "-1", "0"}), kInputs, "Xが異常です[-1]\n" + kClosingLine),
    failing("Y with a letter", args({"a.bmp", "0", "1y"}), kInputs, "Yが異常です[1y]\n" + kClosingLine),
    failing("X above int32 is refused", args({"a.bmp", "4294967296", "0"}), kInputs,
            "Xが異常です[4294967296]\n" + kClosingLine),
    failing("numbers before the file", args({"c.bmp", "+1", "0"}), kInputs, "Xが異常です[+1]\n" + kClosingLine),
    failing("long X text printed whole", args({"a.bmp", repeat('9', 300), "0"}), kInputs,
            "Xが異常です[" + repeat('9', 300) + "]\n" + kClosingLine),
    pasting("empty X and leading zeros", {"a.bmp", "", "003"}, pasted(kBackground, kSpriteA, 0, 3)),
    // The background: AlertPane without the closing line.
    failing("missing background", args({"a.bmp", "0", "0"}), {}, kReadError + "bg.bmp\n", "[ファイルリードエラー][bg.bmp]"),
    failing("background not BMP", args({"a.bmp", "0", "0"}), {{"bg.bmp", "MB"}}, "BMPデータではありません\nbg.bmp\n",
            "[BMPデータではありません][bg.bmp]"),
    failing("background larger than the buffer", args({"a.bmp", "0", "0"}),
            {{"bg.bmp", with_le32(with_le32(kBackground, 18, 1921), 22, 1080)}},
            "画像サイズが異常です\nbg.bmp\n", "[画像サイズが異常です][bg.bmp]"),
    failing("negative background width", args({"a.bmp", "0", "0"}), {{"bg.bmp", with_le32(kBackground, 18, -7)}},
            kUnreadableFormat + "bg.bmp\n", "[読み込めない形式のBMPです][bg.bmp]"),
    // Each sprite: existence, same name, load, signature, sideways, then vertical fit.
    failing("missing sprite", args({"a.bmp", "0", "0", "c.bmp", "0", "0"}), kInputs,
            kReadError + "c.bmp\n" + kClosingLine, "[ファイルリードエラー][c.bmp]"),
    failing("missing sprite named like the output", args({"out.bmp", "0", "0"}), kInputs,
            kReadError + "out.bmp\n" + kClosingLine, "[ファイルリードエラー][out.bmp]"),
    failing("sprite named like the output", args({"out.bmp", "0", "0"}), plus(kInputs, {"out.bmp", "keep"}),
            "[キャラファイル名] と [出力ファイル名] が同じです\n" + kClosingLine,
            "[エラー][[キャラファイル名]][と][[出力ファイル名]][が同じです]"),
    failing("sprite not BMP", args({"c.bmp", "0", "0"}), plus(kInputs, {"c.bmp", "BN"}),
            "BMPデータではありません\nc.bmp\n" + kClosingLine, "[BMPデータではありません][c.bmp]"),
    pasting("sprite on the bottom right corner", {"a.bmp", "4", "3"}, pasted(kBackground, kSpriteA, 4, 3)),
    failing("one column too far", args({"a.bmp", "5", "0"}), kInputs, "横がはみ出ます\n" + kClosingLine,
            "[エラー][横がはみ出ます]"),
    failing("one row too far", args({"a.bmp", "0", "4"}), kInputs, "縦がはみ出ます\n" + kClosingLine,
            "[エラー][縦がはみ出ます]"),
    failing("sideways reported first", args({"a.bmp", "5", "4"}), kInputs, "横がはみ出ます\n" + kClosingLine,
            "[エラー][横がはみ出ます]"),
    failing("huge X does not wrap", args({"a.bmp", "2147483647", "0"}), kInputs, "横がはみ出ます\n" + kClosingLine,
            "[エラー][横がはみ出ます]"),
    // The pastes.
    pasting("overlapping sprites the later wins", {"a.bmp", "1", "1", "b.bmp", "2", "2"},
            pasted(pasted(kBackground, kSpriteA, 1, 1), kSpriteB, 2, 2)),
    pasting("overlapping sprites in the other order", {"b.bmp", "2", "2", "a.bmp", "1", "1"},
            pasted(pasted(kBackground, kSpriteB, 2, 2), kSpriteA, 1, 1)),
    pasting("same sprite twice", {"a.bmp", "0", "0", "a.bmp", "4", "3"},
            pasted(pasted(kBackground, kSpriteA, 0, 0), kSpriteA, 4, 3)),
    pasting("empty sprite name ends the list", {"a.bmp", "1", "1", "", "junk", "junk", "c.bmp", "9", "9"},
            pasted(kBackground, kSpriteA, 1, 1)),
    pasting("first sprite name empty gives the background", {"", "0", "0"}, kBackground,
            {{"bg.bmp", kBackground + "trailer"}}),
    pasting("empty sprites paste nothing", {"z.bmp", "7", "5"}, kBackground, plus(kInputs, {"z.bmp", bmp_header(0, 0)})),
    failing("a sprite of negative width is not passed over as empty", args({"z.bmp", "7", "5", "n.bmp", "6", "2"}),
            plus(plus(kInputs, {"z.bmp", bmp_header(0, 0)}), {"n.bmp", with_le32(kSpriteB, 18, -2)}),
            kUnreadableFormat + "n.bmp\n" + kClosingLine, "[読み込めない形式のBMPです][n.bmp]"),
    failing("a later sprite error leaves the output alone", args({"a.bmp", "0", "0", "b.bmp", "6", "0"}),
            plus(kInputs, {"out.bmp", "keep"}), "横がはみ出ます\n" + kClosingLine, "[エラー][横がはみ出ます]"),
    {.name = "background may be the output", .args = {"bg.bmp", "bg.bmp", "a.bmp", "1", "1"}, .inputs = kInputs,
     .out = "合成完了:[bg.bmp]\n", .outputs = {{"bg.bmp", pasted(kBackground, kSpriteA, 1, 1)}}, .absent = {kAlertLog}},
    [] {
      Case c = failing("background as output stays whole when the write fails", {"bg.bmp", "bg.bmp", "a.bmp", "1", "1"},
                       kInputs, "ファイルの書き込みに失敗しました\nbg.bmp\n", "[ファイルの書き込みに失敗しました][bg.bmp]");
      c.outputs.push_back(kInputs[0]);
      c.run.file_size_limit = 100;
      return c;
    }(),
    // The output: AlertPane without the closing line.
    failing("output cannot be opened", {"bg.bmp", "no/out.bmp", "a.bmp", "0", "0"}, kInputs,
            "ファイルオープンエラー\nno/out.bmp\n", "[ファイルオープンエラー][no/out.bmp]"),
    [] {
      Case c = failing("failed write is reported", {"bg.bmp", "/dev/full", "a.bmp", "0", "0"}, kInputs,
                       "ファイルの書き込みに失敗しました\n/dev/full\n", "[ファイルの書き込みに失敗しました][/dev/full]");
      return c;
    }(),
    // AlertPane is started by an absolute path only.
    planted("a planted AlertPane is passed over for empty and relative PATH entries", kPlantedScript,
            "PATH=:.:./:" + recorder_dir(), "[エラー][横がはみ出ます]"),
    planted("with only relative PATH entries no AlertPane is started", kPlantedScript, "PATH=.:", ""),
    planted("a planted AlertPane.bat in the current folder never runs", kPlantedBatch,
            search_path_entry(recorder_dir()), "[エラー][横がはみ出ます]"),
    planted("a folder named AlertPane earlier on PATH is passed over", {"AlertPane/readme", "no program"},
            "PATH={folder}:" + recorder_dir(), "[エラー][横がはみ出ます]"),
    [] {
      Case c = planted("an AlertPane on PATH comes before the one in libexec", {"libexec/assettools/AlertPane",
                       kPlantedScript.bytes, 0755}, search_path_entry(recorder_dir()), "[エラー][横がはみ出ます]");
      c.run.tool_folder = "bin";
      return c;
    }(),
    // Names reach AlertPane literally, split only at blanks, and run nothing.
    injected("semicolon", "x;touch pwned", "[x;touch][pwned]"),
    injected("pipe", "x|touch pwned", "[x|touch][pwned]"),
    injected("command substitution", "$(touch pwned)", "[$(touch][pwned)]"),
    injected("backquotes", "`touch pwned`", "[`touch][pwned`]"),
    injected("line feed", "x\ntouch pwned", "[x\ntouch][pwned]"),
    injected("quotes", "'it''s' \"q\"", "['it''s'][\"q\"]"),
    injected("star", "*.bmp", "[*.bmp]"),
    injected("Shift JIS trail byte pipe", "ポtouch pwned", "[ポtouch][pwned]"),
    injected("Shift JIS trail byte backslash", "ソ.bmp", "[ソ.bmp]"),
    injected("runs of blanks and tabs", "  a \t b  .bmp ", "[a][b][.bmp]"),
    injected("long words arrive whole", kLongWords, kLongWordsLogged),
    // The same for cmd.exe, with names Windows can hold.
    injected("ampersand", "x&mkdir pwned&.bmp", "[x&mkdir][pwned&.bmp]"),
    injected("percent", "%OS%%PATH%.bmp", "[%OS%%PATH%.bmp]"),
    injected("carets parentheses and exclamation marks", "a^b (c)!d!.bmp", "[a^b][(c)!d!.bmp]"),
    // Reloads, many sprites and long arguments.
    pasting("reloaded sprite shows nothing of the earlier one", {"a.bmp", "0", "0", "s.bmp", "4", "3"},
            pasted(pasted(kBackground, kSpriteA, 0, 0), kShortSprite + Bytes(54 + 2 * 12 - 58, '\0'), 4, 3),
            plus(kInputs, {"s.bmp", kShortSprite})),
    pasting("120 sprites and a long X text", many_sprites(), many_pasted(), kPixels),
    failing("sprite name of 1024 bytes is refused", args({repeat('n', 1024), "0", "0"}), kInputs,
            "ファイル名が長すぎます\n" + repeat('n', 1024) + "\n" + kClosingLine),
    // On a UTF-8 terminal the stand-in AlertPane shows stampmany's texts in
    // UTF-8 on standard error, after stampmany's lines, and a name as typed.
    {.name = "on a UTF-8 terminal the stand-in AlertPane shows UTF-8", .args = args({"a.bmp", "5", "0"}),
     .inputs = kInputs, .out = utf8(u8"横がはみ出ます\nエラー終了しました\nAlertPane [エラー] 横がはみ出ます\n"),
     .status = 1, .absent = {"out.bmp"}, .run = {.environment = {search_path_entry(tools_dir()), "LANG=C.UTF-8"}, .terminal = true}},
    {.name = "on a UTF-8 terminal the stand-in AlertPane shows a name as typed",
     .args = args({utf8(u8"見つからない.bmp"), "0", "0"}), .inputs = kInputs,
     .out = utf8(u8"ファイルリードエラー\n見つからない.bmp\nエラー終了しました\n"
                 u8"AlertPane [ファイルリードエラー] 見つからない.bmp\n"),
     .status = 1, .absent = {"out.bmp"}, .run = {.environment = {search_path_entry(tools_dir()), "LANG=C.UTF-8"}, .terminal = true}},
    {.name = "on a terminal of another locale the stand-in AlertPane shows the bytes",
     .args = args({"a.bmp", "5", "0"}), .inputs = kInputs, .out = "横がはみ出ます\n" + kClosingLine + "AlertPane [エラー] 横がはみ出ます\n",
     .status = 1, .absent = {"out.bmp"}, .run = {.environment = {search_path_entry(tools_dir()), "LANG=ja_JP.SJIS"}, .terminal = true}},
};

class Stampmany : public testing::TestWithParam<Case> {};
TEST_P(Stampmany, Case) { check_case("stampmany", GetParam()); }
INSTANTIATE_TEST_SUITE_P(Table, Stampmany, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return case_name(info.param); });

// Without AlertPane to be found the run reports and ends just the same.
TEST(StampmanyAlertPane, MissingProgramChangesNothingElse) {
  TempDir dir, empty;
  dir.write("bg.bmp", kBackground);
  const RunResult run =
      run_tool("stampmany", args({"c.bmp", "0", "0"}), dir.path(), {.environment = {search_path_entry(empty.path())}});
  EXPECT_EQ(run.out, kReadError + "c.bmp\n" + kClosingLine);
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(dir.exists("out.bmp"));
}

}  // namespace
}  // namespace e2e
