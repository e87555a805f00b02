// Every picture a program loads, in every role, is read in the layouts that
// other tools write: 24-bit rows after an information header of 40, 52, 56,
// 108 or 124 bytes, which are read as if they had the 54-byte header; every
// output is the plain 24-bit file, its size field set. 32 bits, palettes,
// compression and unknown headers are refused by name right after the "BM"
// check, and nothing is written.
#include <gtest/gtest.h>

#include "blend_reference.h"
#include "caption_reference.h"
#include "harness.h"
#include "messages.h"

namespace e2e {
namespace {

class RecordingAlertPane : public testing::Environment {
  void SetUp() override { record_alert_pane_calls(); }
};
testing::Environment* const kRecorder = testing::AddGlobalTestEnvironment(new RecordingAlertPane);

// Role and header size: picture-124.bmp, sprite-40.bmp (see make_files.py).
Bytes as_written(const std::string& role, int header) { return test_file(role + "-" + std::to_string(header) + ".bmp"); }
const Bytes kPicture = as_written("picture", 40), kSprite = as_written("sprite", 40), kAlpha = as_written("alpha", 40);
const Bytes kCaptionGround = as_written("caption", 40);

// The header fields that tell the layout.
Bytes with_layout(const Bytes& file, std::uint32_t info_size, std::uint32_t pixel_offset, std::uint16_t bits,
                  std::uint32_t compression) {
  return with_le32(with_le16(with_le32(with_le32(file, 14, info_size), 10, pixel_offset), 28, bits), 30, compression);
}
Bytes bit_fields(const Bytes& f) { return with_layout(f, 40, 54, 24, 3); }
// Left unfilled: the plain layout.
Bytes unfilled(const Bytes& f) { return with_layout(f, 0, 0, 0, 0); }

// A copy of a picture with every pixel taken from the function.
Bytes repainted(Bytes file, const PixelFn& pixel) {
  for (int y = 0; y < le32_at(file, 22); ++y)
    for (int x = 0; x < le32_at(file, 18); ++x) set_pixel(file, x, y, pixel(x, y));
  return file;
}
PixelFn pixels_of(const Bytes& file) {
  return [file](int x, int y) { return pixel_at(file, x, y); };
}

struct LayoutCase {
  std::string tool;
  Case c;
};
void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.tool << ": " << c.c.name; }

std::vector<File> compositing_inputs(const Bytes& background, const Bytes& sprite, const Bytes& alpha) {
  return {{"bg.bmp", background}, {"sp.bmp", sprite}, {"al.bmp", alpha}};
}
const std::vector<std::string> kMaskArgs = {"bg.bmp", "sp.bmp", "al.bmp", "out.bmp", "2", "3"};
const std::vector<std::string> kFadeArgs = {"bg.bmp", "sp.bmp", "al.bmp", "out.bmp", "2", "3", "50"};
const std::vector<std::string> kStampArgs = {"bg.bmp", "out.bmp", "sp.bmp", "2", "3"};
const Bytes kBlended = reference_blend(kPicture, kSprite, kAlpha, 2, 3);
const std::string kMap = repeat('R', 60), kMapC = "R" + repeat('o', 59);

// The table turns the picture's pixel (1, 2) (20, 60, 200) into (1, 2, 3).
const Bytes kTable = "020 060 200 001 002 003\n";
Bytes recoloured(Bytes plain) {
  set_pixel(plain, 1, 2, {1, 2, 3});
  return plain;
}
// Map letter R paints the first C: columns 0 to 7 of every row here.
const Bytes kKeyed = repainted(kPicture, [](int x, int y) { return x < 8 ? Rgb{255, 0, 0} : pixel_at(kPicture, x, y); });
const Bytes kCaptioned = repainted(kCaptionGround, captioned(pixels_of(kCaptionGround), "p.bmp", 1, test_glyph));
const Bytes kShippedCaptioned =
    repainted(kCaptionGround, captioned(pixels_of(kCaptionGround), "p.bmp", 1, glyphs_of(shipped_sheet(1).bytes, 1)));

LayoutCase done(const std::string& tool, const std::string& name, std::vector<std::string> args,
                std::vector<File> inputs, const Bytes& out, std::vector<File> outputs) {
  return {tool, {.name = name, .args = std::move(args), .inputs = std::move(inputs), .out = out,
                 .outputs = std::move(outputs)}};
}
LayoutCase refused(const std::string& tool, const std::string& name, std::vector<std::string> args,
                   std::vector<File> inputs, const Bytes& out, std::vector<std::string> absent) {
  return {tool, {.name = name, .args = std::move(args), .inputs = std::move(inputs), .out = out, .status = 1,
                 .absent = std::move(absent)}};
}
LayoutCase with_output(LayoutCase c, const File& output) {
  c.c.outputs.push_back(output);
  return c;
}
// stampmany also shows the message as heading and the name as detail.
LayoutCase alerted(LayoutCase c, const std::string& name) {
  c.c.out += kAlerted;
  c.c.outputs.push_back({kAlertLog, "[" + kNotPlainBmp.substr(0, kNotPlainBmp.size() - 1) + "][" + name + "]\n"});
  return c;
}
const Bytes kBlendDone = with(kCompositeDone, "out.bmp");

const LayoutCase kCases[] = {
    // Read as the plain layout, in every role.
    done("maskblend", "background with a 124-byte header", kMaskArgs,
         compositing_inputs(as_written("picture", 124), kSprite, kAlpha), kBlendDone, {{"out.bmp", kBlended}}),
    done("maskblend", "sprite with a 108-byte header, alpha with a 124-byte one", kMaskArgs,
         compositing_inputs(kPicture, as_written("sprite", 108), as_written("alpha", 124)), kBlendDone,
         {{"out.bmp", kBlended}}),
    done("maskblend", "52- and 56-byte headers", kMaskArgs,
         compositing_inputs(as_written("picture", 52), as_written("sprite", 56), as_written("alpha", 52)), kBlendDone,
         {{"out.bmp", kBlended}}),
    done("fadeblend", "background with a 108-byte header, sprite with a 124-byte one", kFadeArgs,
         compositing_inputs(as_written("picture", 108), as_written("sprite", 124), kAlpha), kBlendDone,
         {{"out.bmp", reference_blend(kPicture, kSprite, kAlpha, 2, 3, 50)}}),
    done("fadeblend", "alpha with a 108-byte header", kFadeArgs,
         compositing_inputs(kPicture, kSprite, as_written("alpha", 108)), kBlendDone,
         {{"out.bmp", reference_blend(kPicture, kSprite, kAlpha, 2, 3, 50)}}),
    done("stampmany", "background with a 124-byte header, sprite with a 108-byte one", kStampArgs,
         {{"bg.bmp", as_written("picture", 124)}, {"sp.bmp", as_written("sprite", 108)}}, kBlendDone,
         {{"out.bmp", reference_blend(kPicture, kSprite, solid_bmp(3, 2, {255, 255, 255}), 2, 3)}}),
    done("stampmany", "its own background with a 108-byte header", {"bg.bmp", "bg.bmp", "sp.bmp", "2", "3"},
         {{"bg.bmp", as_written("picture", 108)}, {"sp.bmp", kSprite}}, with(kCompositeDone, "bg.bmp"),
         {{"bg.bmp", reference_blend(kPicture, kSprite, solid_bmp(3, 2, {255, 255, 255}), 2, 3)}}),
    done("tintswap", "file mode with a 124-byte header", {"-F", "pic.bmp", "t.txt"},
         {{"pic.bmp", as_written("picture", 124)}, {"t.txt", kTable}}, "変換完了:[pic.bm]\n",
         {{"pic.bm", recoloured(kPicture)}}),
    done("tintswap", "list mode with a 108- and a 124-byte header", {"-L", "list.txt", "t.txt"},
         {{"list.txt", "a.bmp\nb.bmp\n"}, {"t.txt", kTable}, {"a.bmp", as_written("picture", 108)},
          {"b.bmp", as_written("picture", 124)}},
         "a.bmp\nb.bmp\n処理が終了しました\n", {{"a.bm", recoloured(kPicture)}, {"b.bm", recoloured(kPicture)}}),
    done("keyshade", "picture with a 124-byte header", {"k.bmp", "0", "0", kMapC}, {{"k.bmp", as_written("picture", 124)}},
         "", {{"k.bm", kKeyed}}),
    done("keyshade", "picture with a 108-byte header", {"k.bmp", "0", "0", kMapC}, {{"k.bmp", as_written("picture", 108)}},
         "", {{"k.bm", kKeyed}}),
    done("tagburn", "picture with a 124-byte header", {"p.bmp", "1"}, {test_sheet(1), {"p.bmp", as_written("caption", 124)}},
         "挿入完了:[p.bmp]\n", {{"p.bm", kCaptioned}}),
    done("tagburn", "glyph sheet with a 124-byte header draws like the shipped one", {"p.bmp", "1"},
         {{"GXFont1Minimini.bmp", test_file("GXFont1Minimini-124.bmp")}, {"p.bmp", as_written("caption", 108)}},
         "挿入完了:[p.bmp]\n", {{"p.bm", kShippedCaptioned}}),
    // The shipped sheet shows every glyph in order: read as a picture it is the whole set.
    done("tagscan", "picture with a 124-byte header", {"p.bmp", "1", "0", "0"},
         {shipped_sheet(1), {"p.bmp", test_file("GXFont1Minimini-124.bmp")}}, kSet + "\n", {}),
    done("tagscan", "glyph sheet with a 124-byte header", {"p.bmp", "1", "0", "0"},
         {{"GXFont1Minimini.bmp", test_file("GXFont1Minimini-124.bmp")}, {"p.bmp", shipped_sheet(1).bytes}},
         kSet + "\n", {}),
    // Outputs: the plain layout, the size field counting the bytes written.
    done("maskblend", "a colour profile after the rows is cut, the size field follows", kMaskArgs,
         compositing_inputs(test_file("picture-40-profile.bmp"), kSprite, kAlpha), kBlendDone, {{"out.bmp", kBlended}}),
    done("tintswap", "a wrong size field is set right", {"-F", "pic.bmp", "t.txt"},
         {{"pic.bmp", with_le32(kPicture, 2, 12345)}, {"t.txt", ""}}, "変換完了:[pic.bm]\n", {{"pic.bm", kPicture}}),
    {"maskblend", {.name = "unfilled layout fields are read as the plain layout", .args = kMaskArgs,
                   .inputs = compositing_inputs(unfilled(kPicture), unfilled(kSprite), unfilled(kAlpha)),
                   .out = kBlendDone, .outputs = {{"out.bmp", reference_blend(unfilled(kPicture), kSprite, kAlpha, 2, 3)}}}},
    // Refused.
    refused("maskblend", "background of 32 bits", kMaskArgs,
            compositing_inputs(test_file("picture-32bit.bmp"), kSprite, kAlpha), kNotPlainBmp + "bg.bmp\n", {"out.bmp"}),
    refused("maskblend", "sprite of 32 bits before the size checks", kMaskArgs,
            compositing_inputs(kPicture, test_file("picture-32bit.bmp"), kAlpha), kNotPlainBmp + "sp.bmp\n", {"out.bmp"}),
    refused("fadeblend", "alpha with a palette", kFadeArgs,
            compositing_inputs(kPicture, kSprite, test_file("picture-palette.bmp")), kNotPlainBmp + "al.bmp\n",
            {"out.bmp"}),
    refused("maskblend", "the BM check comes first", kMaskArgs,
            compositing_inputs(kPicture, "MB" + test_file("picture-32bit.bmp").substr(2), kAlpha), kNotBmp + "sp.bmp\n",
            {"out.bmp"}),
    refused("maskblend", "a larger header of unknown size", kMaskArgs,
            compositing_inputs(with_layout(kPicture, 64, 78, 24, 0), kSprite, kAlpha), kNotPlainBmp + "bg.bmp\n",
            {"out.bmp"}),
    refused("maskblend", "rows inside the header", kMaskArgs,
            compositing_inputs(with_layout(as_written("picture", 124), 124, 130, 24, 0), kSprite, kAlpha),
            kNotPlainBmp + "bg.bmp\n", {"out.bmp"}),
    alerted(refused("stampmany", "background with a palette", kStampArgs,
                    {{"bg.bmp", test_file("picture-palette.bmp")}, {"sp.bmp", kSprite}}, kNotPlainBmp + "bg.bmp\n",
                    {"out.bmp"}),
            "bg.bmp"),
    alerted(refused("stampmany", "RLE sprite ends with the closing line", kStampArgs,
                    {{"bg.bmp", kPicture}, {"sp.bmp", test_file("picture-rle.bmp")}},
                    kNotPlainBmp + "sp.bmp\n" + kClosingLine, {"out.bmp"}),
            "sp.bmp"),
    refused("tintswap", "bit fields in file mode", {"-F", "pic.bmp", "t.txt"},
            {{"pic.bmp", bit_fields(kPicture)}, {"t.txt", ""}}, kNotPlainBmp + "pic.bmp\n", {"pic.bm"}),
    with_output(refused("tintswap", "32 bits in list mode aborts the list", {"-L", "list.txt", "t.txt"},
                        {{"list.txt", "a.bmp\nb.bmp\n"}, {"t.txt", ""}, {"a.bmp", kPicture},
                         {"b.bmp", test_file("picture-32bit.bmp")}},
                        "a.bmp\nb.bmp\n" + kNotPlainBmp + "b.bmp\n" + kListAborted, {"b.bm"}),
                {"a.bm", kPicture}),
    refused("keyshade", "32 bits before the size check", {"k.bmp", "0", "0", kMap},
            {{"k.bmp", with_le32(test_file("picture-32bit.bmp"), 22, -8)}}, kNotPlainBmp + "k.bmp\n", {"k.bm"}),
    refused("tagburn", "picture compressed RLE", {"pic.bmp", "1"}, {test_sheet(1), {"pic.bmp", test_file("picture-rle.bmp")}},
            kNotPlainBmp + "pic.bmp\n", {"pic.bm"}),
    refused("tagburn", "glyph sheet of 32 bits", {"pic.bmp", "1"},
            {{"GXFont1Minimini.bmp", with_layout(test_sheet(1).bytes, 40, 54, 32, 0)}, {"pic.bmp", kPicture}},
            kSheetAbnormal + "GXFont1Minimini.bmp\n", {"pic.bm"}),
    refused("tagscan", "picture with a palette", {"pic.bmp", "1", "0", "0"},
            {test_sheet(1), {"pic.bmp", test_file("picture-palette.bmp")}}, kNotPlainBmp + "pic.bmp\n", {}),
};

class BmpLayout : public testing::TestWithParam<LayoutCase> {};
TEST_P(BmpLayout, Case) {
  check_case(GetParam().tool, GetParam().c);
}
INSTANTIATE_TEST_SUITE_P(Table, BmpLayout, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<LayoutCase>& info) {
                           return info.param.tool + "_" + case_name(info.param.c);
                         });

}  // namespace
}  // namespace e2e
