#include <gtest/gtest.h>

#include "blend_reference.h"
#include "harness.h"
#include "messages.h"

namespace e2e {
namespace {

const Bytes kBanner = "画像合成アルファ対応（透過率対応） fadeblend Version 0.90\n";
const Bytes kUsage =
    "使い方:fadeblend [背景ファイル名] [キャラファイル名] [アルファファイル名] [出力ファイル名] [X] [Y] "
    "[透過率(%)]\n";
const Bytes kDone = with(kCompositeDone, "out.bmp");

const Bytes kBackground = bmp(5, 4, [](int x, int y) { return Rgb{uint8_t(40 * x), uint8_t(60 * y), 100}; });
const Bytes kSprite = bmp(3, 2, [](int x, int y) { return Rgb{uint8_t(255 - 50 * x), uint8_t(90 * y), 7}; });
// Every opacity from 0 to 255 in some channel.
const Bytes kAlpha = bmp(3, 2, [](int x, int y) { return Rgb{255, uint8_t(1 + 3 * x + y), uint8_t(128 * x + y)}; });
const Bytes kOpaque = solid_bmp(3, 2, {255, 255, 255});
const std::vector<File> kInputs = {{"bg.bmp", kBackground}, {"sp.bmp", kSprite}, {"al.bmp", kAlpha}};

std::vector<std::string> args(const std::string& ratio, const std::string& x = "1", const std::string& y = "1") {
  return {"bg.bmp", "sp.bmp", "al.bmp", "out.bmp", x, y, ratio};
}
Case blended(const std::string& name, int ratio, const Bytes& alpha = kAlpha) {
  return {.name = name, .args = args(std::to_string(ratio)),
          .inputs = {kInputs[0], kInputs[1], {"al.bmp", alpha}}, .out = kDone,
          .outputs = {{"out.bmp", reference_blend(kBackground, kSprite, alpha, 1, 1, ratio)}}};
}

const Case kCases[] = {
    {.name = "six arguments give the usage with one percent sign",
     .args = {"bg.bmp", "sp.bmp", "al.bmp", "out.bmp", "0", "0"}, .out = kBanner + kUsage, .status = 1},
    {.name = "X before the ratio", .args = args("101", "x"), .out = "Xが異常です[x]\n", .status = 1},
    {.name = "Y before the ratio", .args = args("101", "0", "-0"), .out = "Yが異常です[-0]\n", .status = 1},
    {.name = "ratio 101", .args = args("101"), .out = "透過率は[0‐100]で指定して下さい[101]\n", .status = 1},
    {.name = "ratio with a percent sign", .args = args("5%"), .out = "透過率は[0‐100]で指定して下さい[5%]\n",
     .status = 1},
    {.name = "ratio in exponent form", .args = args("1e2"), .out = "透過率は[0‐100]で指定して下さい[1e2]\n",
     .status = 1},
    {.name = "ratio above int32 does not wrap", .args = args("4294967296"),
     .out = "透過率は[0‐100]で指定して下さい[4294967296]\n", .status = 1},
    {.name = "ratio checked before any file", .args = args("-1"), .out = "透過率は[0‐100]で指定して下さい[-1]\n",
     .status = 1},
    {.name = "then the files as in maskblend", .args = args("50"), .inputs = {kInputs[0], kInputs[2]},
     .out = "ファイルリードエラー\nsp.bmp\n", .status = 1},
    {.name = "same name", .args = {"bg.bmp", "sp.bmp", "al.bmp", "al.bmp", "0", "0", "50"}, .inputs = kInputs,
     .out = "[アルファファイル名] と [出力ファイル名] が同じです\n", .status = 1},
    {.name = "fit", .args = args("50", "3"), .inputs = kInputs, .out = "横がはみ出ます\n", .status = 1,
     .absent = {"out.bmp"}},
    {.name = "empty ratio is zero and keeps the background", .args = args(""), .inputs = kInputs, .out = kDone,
     .outputs = {{"out.bmp", kBackground}}},
    blended("ratio 100 is maskblend", 100),
    blended("ratio 100 opaque copies the sprite", 100, kOpaque),
    blended("ratio 99 blends even opaque pixels", 99, kOpaque),
    blended("ratio 33 takes one third", 33),
    blended("ratio 33 opaque uses 85", 33, kOpaque),
    blended("ratio 34", 34),
    blended("ratio 32", 32),
    blended("ratio 50", 50),
    blended("ratio 25", 25),
    blended("ratio 20", 20),
    blended("ratio 10", 10),
    blended("ratio 1", 1),
    {.name = "a sprite file longer than the buffer is cut", .args = args("50", "0", "0"),
     .inputs = {kInputs[0], {"sp.bmp", bmp_header(0, 0) + Bytes(6300000, 'x')}, {"al.bmp", bmp_header(0, 0)}},
     .out = kDone, .outputs = {{"out.bmp", kBackground}}},
};

class Fadeblend : public testing::TestWithParam<Case> {};
TEST_P(Fadeblend, Case) { check_case("fadeblend", GetParam()); }
INSTANTIATE_TEST_SUITE_P(Table, Fadeblend, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return case_name(info.param); });

// With ratio 100 the two programs must agree byte for byte.
TEST(Fadeblend, RatioHundredMatchesMaskblend) {
  TempDir dir;
  for (const File& f : kInputs) dir.write(f.name, f.bytes);
  const RunResult fade = run_tool("fadeblend", {"bg.bmp", "sp.bmp", "al.bmp", "fade.bmp", "2", "2", "100"}, dir.path());
  const RunResult mask = run_tool("maskblend", {"bg.bmp", "sp.bmp", "al.bmp", "mask.bmp", "2", "2"}, dir.path());
  ASSERT_EQ(fade.status, 0);
  ASSERT_EQ(mask.status, 0);
  EXPECT_TRUE(dir.read("fade.bmp") == dir.read("mask.bmp"));
}

}  // namespace
}  // namespace e2e
