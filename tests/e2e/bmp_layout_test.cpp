// Every picture a program loads, in every role, must have the plain layout:
// 24-bit rows, uncompressed, from byte 54. Files that other tools write with
// a larger header, a palette, 32 bits or compression are refused by name
// right after the "BM" check, and nothing is written.
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

const Bytes kPicture = bmp(9, 8, [](int x, int y) { return Rgb{uint8_t(20 * x), uint8_t(30 * y), 200}; });

// The header fields that tell the layout.
Bytes with_layout(const Bytes& file, std::uint32_t info_size, std::uint32_t pixel_offset, std::uint16_t bits,
                  std::uint32_t compression) {
  return with_le32(with_le16(with_le32(with_le32(file, 14, info_size), 10, pixel_offset), 28, bits), 30, compression);
}
// As other tools write them, each with the picture's size fields.
Bytes header124(const Bytes& f) { return with_layout(f, 124, 138, 24, 0); }
Bytes header108(const Bytes& f) { return with_layout(f, 108, 122, 24, 0); }
Bytes bits32(const Bytes& f) { return with_layout(f, 40, 54, 32, 0); }
Bytes palette8(const Bytes& f) { return with_layout(f, 40, 1078, 8, 0); }
Bytes rle8(const Bytes& f) { return with_layout(f, 40, 1078, 8, 1); }
Bytes bit_fields(const Bytes& f) { return with_layout(f, 40, 54, 24, 3); }
// Left unfilled: the plain layout.
Bytes unfilled(const Bytes& f) { return with_layout(f, 0, 0, 0, 0); }

struct LayoutCase {
  std::string tool;
  Case c;
};
void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.tool << ": " << c.c.name; }

std::vector<File> compositing_inputs(const Bytes& background, const Bytes& sprite, const Bytes& alpha) {
  return {{"bg.bmp", background}, {"sp.bmp", sprite}, {"al.bmp", alpha}};
}
const std::vector<std::string> kMaskArgs = {"bg.bmp", "sp.bmp", "al.bmp", "out.bmp", "0", "0"};
const std::vector<std::string> kFadeArgs = {"bg.bmp", "sp.bmp", "al.bmp", "out.bmp", "0", "0", "50"};
const Bytes kSprite = solid_bmp(2, 2, {1, 2, 3}), kAlpha = solid_bmp(2, 2, {255, 255, 255});
const std::string kMap = repeat('R', 60);
const Bytes kRefusedBg = kNotPlainBmp + "bg.bmp\n";

LayoutCase refused(const std::string& tool, const std::string& name, std::vector<std::string> args,
                   std::vector<File> inputs, const Bytes& out, std::vector<std::string> absent) {
  return {tool, {.name = name, .args = std::move(args), .inputs = std::move(inputs), .out = out, .status = 1,
                 .absent = std::move(absent)}};
}
// stampmany also shows the message as heading and the name as detail.
LayoutCase with_output(LayoutCase c, const File& output) {
  c.c.outputs.push_back(output);
  return c;
}
LayoutCase alerted(LayoutCase c, const std::string& name) {
  c.c.out += kAlerted;
  c.c.outputs.push_back({kAlertLog, "[" + kNotPlainBmp.substr(0, kNotPlainBmp.size() - 1) + "][" + name + "]\n"});
  return c;
}

const LayoutCase kCases[] = {
    refused("maskblend", "background with a 124-byte header", kMaskArgs,
            compositing_inputs(header124(kPicture), kSprite, kAlpha), kRefusedBg, {"out.bmp"}),
    refused("maskblend", "sprite of 32 bits before the size checks", kMaskArgs,
            compositing_inputs(kPicture, bits32(solid_bmp(3, 2, {})), kAlpha), kNotPlainBmp + "sp.bmp\n", {"out.bmp"}),
    refused("fadeblend", "alpha with a palette", kFadeArgs, compositing_inputs(kPicture, kSprite, palette8(kAlpha)),
            kNotPlainBmp + "al.bmp\n", {"out.bmp"}),
    refused("maskblend", "the BM check comes first", kMaskArgs,
            compositing_inputs(kPicture, "MB" + bits32(kSprite).substr(2), kAlpha), kNotBmp + "sp.bmp\n", {"out.bmp"}),
    alerted(refused("stampmany", "background with a 108-byte header", {"bg.bmp", "out.bmp", "sp.bmp", "0", "0"},
                    {{"bg.bmp", header108(kPicture)}, {"sp.bmp", kSprite}}, kRefusedBg, {"out.bmp"}),
            "bg.bmp"),
    alerted(refused("stampmany", "RLE sprite ends with the closing line", {"bg.bmp", "out.bmp", "sp.bmp", "0", "0"},
                    {{"bg.bmp", kPicture}, {"sp.bmp", rle8(kSprite)}}, kNotPlainBmp + "sp.bmp\n" + kClosingLine,
                    {"out.bmp"}),
            "sp.bmp"),
    refused("tintswap", "bit fields in file mode", {"-F", "pic.bmp", "t.txt"},
            {{"pic.bmp", bit_fields(kPicture)}, {"t.txt", ""}}, kNotPlainBmp + "pic.bmp\n", {"pic.bm"}),
    with_output(refused("tintswap", "32 bits in list mode aborts the list", {"-L", "list.txt", "t.txt"},
                        {{"list.txt", "a.bmp\nb.bmp\n"}, {"t.txt", ""}, {"a.bmp", kPicture}, {"b.bmp", bits32(kPicture)}},
                        "a.bmp\nb.bmp\n" + kNotPlainBmp + "b.bmp\n" + kListAborted, {"b.bm"}),
                {"a.bm", kPicture}),
    refused("keyshade", "32 bits before the size check", {"k.bmp", "0", "0", kMap},
            {{"k.bmp", bits32(with_le32(kPicture, 22, -8))}}, kNotPlainBmp + "k.bmp\n", {"k.bm"}),
    refused("tagburn", "picture with a 124-byte header", {"pic.bmp", "1"},
            {test_sheet(1), {"pic.bmp", header124(kPicture)}}, kNotPlainBmp + "pic.bmp\n", {"pic.bm"}),
    refused("tagburn", "glyph sheet of 32 bits", {"pic.bmp", "1"},
            {{"GXFont1Minimini.bmp", bits32(test_sheet(1).bytes)}, {"pic.bmp", kPicture}},
            kSheetAbnormal + "GXFont1Minimini.bmp\n", {"pic.bm"}),
    refused("tagscan", "picture with a palette", {"pic.bmp", "1", "0", "0"},
            {test_sheet(1), {"pic.bmp", palette8(kPicture)}}, kNotPlainBmp + "pic.bmp\n", {}),
    {"maskblend", {.name = "unfilled layout fields are read as the plain layout", .args = kMaskArgs,
                   .inputs = compositing_inputs(unfilled(kPicture), unfilled(kSprite), unfilled(kAlpha)),
                   .out = with(kCompositeDone, "out.bmp"),
                   .outputs = {{"out.bmp", reference_blend(unfilled(kPicture), kSprite, kAlpha, 0, 0)}}}},
};

class BmpLayout : public testing::TestWithParam<LayoutCase> {};
TEST_P(BmpLayout, Case) {
  check_case(GetParam().tool, GetParam().c);
}
INSTANTIATE_TEST_SUITE_P(Table, BmpLayout, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<LayoutCase>& info) { return case_name(info.param.c); });

}  // namespace
}  // namespace e2e
