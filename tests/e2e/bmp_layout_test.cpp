// Every picture a program loads, in every role, is read in the layouts that
// other tools write (make_files.py writes each beside its twin, the same
// pixels in the plain layout): 24-bit rows after an information header of
// 40, 52, 56, 108 or 124 bytes, OS/2 headers, palettes, RLE, 16 and 32
// bits, top-down rows. Every output of a picture without an alpha channel
// is the plain 24-bit file, its size field set. A picture with an alpha
// channel is its own alpha picture, stampmany pastes it through its alpha,
// and an output that starts from one keeps its alpha. Layouts that cannot
// be read are refused by name right after the "BM" check, and nothing is
// written.
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
Bytes keyed(const Bytes& plain) {
  return repainted(plain, [&](int x, int y) { return x < 8 ? Rgb{255, 0, 0} : pixel_at(plain, x, y); });
}
const Bytes kKeyed = keyed(kPicture);
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
  c.c.outputs.push_back({kAlertLog, "[" + kUnreadableFormat.substr(0, kUnreadableFormat.size() - 1) + "][" + name + "]\n"});
  return c;
}
const Bytes kBlendDone = with(kCompositeDone, "out.bmp");
const Bytes kConverted = "変換完了:[pic.bm]\n";
const Bytes kInserted = "挿入完了:[p.bmp]\n";

// A picture of a role in a layout, as make_files.py writes it, and its twin.
Bytes in_layout(const std::string& role, const std::string& layout) { return test_file(role + "-" + layout + ".bmp"); }
Bytes twin(const std::string& role, const std::string& layout) { return test_file(role + "-" + layout + "-plain.bmp"); }

// A table that turns the colour of the picture's pixel (1, 2) into (1, 2,
// 3), and the picture with every pixel of that colour turned.
Bytes table_for(const Bytes& plain) {
  const Rgb c = pixel_at(plain, 1, 2);
  char line[32];
  std::snprintf(line, sizeof line, "%03d %03d %03d 001 002 003\n", c.r, c.g, c.b);
  return line;
}
Bytes recoloured_all(const Bytes& plain) {
  const Rgb from = pixel_at(plain, 1, 2);
  return repainted(plain, [&](int x, int y) {
    const Rgb c = pixel_at(plain, x, y);
    return c.r == from.r && c.g == from.g && c.b == from.b ? Rgb{1, 2, 3} : c;
  });
}
Bytes pasted(const Bytes& background, const Bytes& sprite, int x, int y) {
  return reference_blend(background, sprite, solid_bmp(le32_at(sprite, 18), le32_at(sprite, 22), {255, 255, 255}), x,
                         y);
}

// The same run on a layout's pictures as on their twins, in every role.
std::vector<LayoutCase> read_in_every_role(const std::string& layout) {
  const auto file = [&](const std::string& role) { return in_layout(role, layout); };
  const Bytes picture = twin("picture", layout), caption = twin("caption", layout);
  const Bytes sheet = twin("GXFont1Minimini", layout);
  const std::string n = layout + ": ";
  return {
      done("maskblend", n + "background, sprite and alpha", kMaskArgs,
           compositing_inputs(file("picture"), file("sprite"), file("alpha")), kBlendDone,
           {{"out.bmp", reference_blend(picture, twin("sprite", layout), twin("alpha", layout), 2, 3)}}),
      done("stampmany", n + "background and sprite", kStampArgs, {{"bg.bmp", file("picture")}, {"sp.bmp", file("sprite")}},
           kBlendDone, {{"out.bmp", pasted(picture, twin("sprite", layout), 2, 3)}}),
      done("tintswap", n + "file mode", {"-F", "pic.bmp", "t.txt"},
           {{"pic.bmp", file("picture")}, {"t.txt", table_for(picture)}}, kConverted,
           {{"pic.bm", recoloured_all(picture)}}),
      done("tintswap", n + "list mode, a plain picture after it", {"-L", "list.txt", "t.txt"},
           {{"list.txt", "a.bmp\nb.bmp\n"}, {"t.txt", ""}, {"a.bmp", file("picture")}, {"b.bmp", kPicture}},
           "a.bmp\nb.bmp\n処理が終了しました\n", {{"a.bm", picture}, {"b.bm", kPicture}}),
      done("keyshade", n + "picture", {"k.bmp", "0", "0", kMapC}, {{"k.bmp", file("picture")}}, "",
           {{"k.bm", keyed(picture)}}),
      done("tagburn", n + "picture and glyph sheet", {"p.bmp", "1"},
           {{"GXFont1Minimini.bmp", file("GXFont1Minimini")}, {"p.bmp", file("caption")}}, kInserted,
           {{"p.bm", repainted(caption, captioned(pixels_of(caption), "p.bmp", 1, glyphs_of(sheet, 1)))}}),
      // Read as a picture, the sheet shows every glyph in order.
      done("tagscan", n + "glyph sheet as the picture", {"p.bmp", "1", "0", "0"},
           {shipped_sheet(1), {"p.bmp", file("GXFont1Minimini")}}, kSet + "\n", {}),
  };
}
const char* const kLayouts[] = {
    "os2-12", "os2-16", "os2-64", "os2-12-pal4", "os2-64-rle8", "pal1", "pal2", "pal4", "pal8", "pal8-124", "pal4-far",
    "rle8", "rle4", "rle8-108", "16", "16-565", "16-565-56", "32", "32-bitfields", "32-10-10-10", "32-rgb-order",
    "top-down", "top-down-124", "top-down-pal8", "top-down-rle4", "top-down-32"};

// Pictures with an alpha channel (make_files.py): in a layout, and what a
// reader makes of them: the colours, the alpha as a grey picture, and the
// file a program that changes nothing writes.
Bytes rgba(const std::string& role, const std::string& layout, const std::string& part = "") {
  return test_file(role + "-rgba-" + layout + (part.empty() ? "" : "-" + part) + ".bmp");
}

// Pixel (x, y) of a picture with alpha as the programs write it: 138 header
// bytes, then four bytes a pixel, bottom-up.
std::size_t kept_offset(const Bytes& kept, int x, int y) {
  const int w = le32_at(kept, 18), h = le32_at(kept, 22);
  return 138 + static_cast<std::size_t>(4 * ((h - 1 - y) * w + x));
}
using AlphaFn = std::function<int(int x, int y, int alpha)>;
// The picture with its colours taken from a plain picture of its size and,
// where given, each alpha from the function of the old one.
Bytes kept_with(Bytes kept, const Bytes& colours, const AlphaFn& alpha = nullptr) {
  for (int y = 0; y < le32_at(kept, 22); ++y)
    for (int x = 0; x < le32_at(kept, 18); ++x) {
      const std::size_t at = kept_offset(kept, x, y);
      const Rgb c = pixel_at(colours, x, y);
      kept[at] = static_cast<char>(c.b);
      kept[at + 1] = static_cast<char>(c.g);
      kept[at + 2] = static_cast<char>(c.r);
      if (alpha) kept[at + 3] = static_cast<char>(alpha(x, y, static_cast<unsigned char>(kept[at + 3])));
    }
  return kept;
}
// The alpha of a background that a sprite with these opacity bytes covers
// at (at_x, at_y): "over" with the largest of a pixel's three, scaled.
AlphaFn covered_by(const Bytes& opacity, int at_x, int at_y, int ratio = 100) {
  const int w = le32_at(opacity, 18), h = le32_at(opacity, 22);
  return [=](int x, int y, int b) {
    if (x < at_x || x >= at_x + w || y < at_y || y >= at_y + h) return b;
    const Rgb o = pixel_at(opacity, x - at_x, y - at_y);
    return reference_over(reference_opacity(std::max({o.r, o.g, o.b}), ratio), b);
  };
}
AlphaFn opaque_where(const std::function<bool(int x, int y)>& painted) {
  return [=](int x, int y, int a) { return painted(x, y) ? 255 : a; };
}

// A sprite with alpha is its own alpha picture, and stampmany pastes it
// through its alpha, as the two pictures `-alpha off` and `-alpha extract`
// give; a program that starts from a picture with alpha keeps it.
std::vector<LayoutCase> alpha_in_every_role(const std::string& layout) {
  const std::string n = "alpha " + layout + ": ";
  const Bytes two_files =
      reference_blend(kPicture, rgba("sprite", layout, "colours"), rgba("sprite", layout, "alpha"), 2, 3);
  const Bytes colours = rgba("picture", layout, "colours");
  return {
      done("maskblend", n + "sprite as its own alpha", kMaskArgs,
           compositing_inputs(kPicture, rgba("sprite", layout), rgba("sprite", layout)), kBlendDone,
           {{"out.bmp", two_files}}),
      done("stampmany", n + "sprite pasted through its alpha", kStampArgs,
           {{"bg.bmp", kPicture}, {"sp.bmp", rgba("sprite", layout)}}, kBlendDone, {{"out.bmp", two_files}}),
      done("tintswap", n + "file mode keeps the alpha", {"-F", "pic.bmp", "t.txt"},
           {{"pic.bmp", rgba("picture", layout)}, {"t.txt", table_for(colours)}}, kConverted,
           {{"pic.bm", kept_with(rgba("picture", layout, "kept"), recoloured_all(colours))}}),
  };
}
const char* const kAlphaLayouts[] = {"32", "124", "108", "56", "alphabitfields", "top-down", "4-4-4-4"};

const Bytes kRgbaPicture = rgba("picture", "124"), kRgbaSprite = rgba("sprite", "124");
const Bytes kRgbaKept = rgba("picture", "124", "kept"), kRgbaColours = rgba("picture", "124", "colours");
const Bytes kRgbaSpriteColours = rgba("sprite", "124", "colours"), kRgbaSpriteAlpha = rgba("sprite", "124", "alpha");
const Bytes kOpaque = solid_bmp(3, 2, {255, 255, 255});
const Bytes kCaptionKept = rgba("caption", "124", "kept"), kCaptionColours = rgba("caption", "124", "colours");

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
    // Pictures with an alpha channel, beyond what alpha_in_every_role checks.
    done("fadeblend", "alpha 124: sprite as its own alpha at ratio 50", kFadeArgs,
         compositing_inputs(kPicture, kRgbaSprite, kRgbaSprite), kBlendDone,
         {{"out.bmp", reference_blend(kPicture, kRgbaSpriteColours, kRgbaSpriteAlpha, 2, 3, 50)}}),
    done("maskblend", "an 8-bit grey RLE picture is an alpha picture as it stands", kMaskArgs,
         compositing_inputs(kPicture, kSprite, test_file("alpha-grey-rle8.bmp")), kBlendDone,
         {{"out.bmp", reference_blend(kPicture, kSprite, test_file("alpha-grey-rle8-plain.bmp"), 2, 3)}}),
    done("maskblend", "a background with alpha keeps it, covered by the largest of each pixel's opacities",
         kMaskArgs, compositing_inputs(kRgbaPicture, kSprite, kAlpha), kBlendDone,
         {{"out.bmp", kept_with(kRgbaKept, reference_blend(kRgbaColours, kSprite, kAlpha, 2, 3),
                                covered_by(kAlpha, 2, 3))}}),
    done("fadeblend", "a background with alpha, covered by opacities scaled by the ratio", kFadeArgs,
         compositing_inputs(kRgbaPicture, kSprite, kAlpha), kBlendDone,
         {{"out.bmp", kept_with(kRgbaKept, reference_blend(kRgbaColours, kSprite, kAlpha, 2, 3, 50),
                                covered_by(kAlpha, 2, 3, 50))}}),
    done("maskblend", "a background with alpha under a sprite that is its own alpha", kMaskArgs,
         compositing_inputs(kRgbaPicture, kRgbaSprite, kRgbaSprite), kBlendDone,
         {{"out.bmp", kept_with(kRgbaKept, reference_blend(kRgbaColours, kRgbaSpriteColours, kRgbaSpriteAlpha, 2, 3),
                                covered_by(kRgbaSpriteAlpha, 2, 3))}}),
    done("stampmany", "a background with alpha under an opaque sprite and one with alpha",
         {"bg.bmp", "out.bmp", "sp.bmp", "0", "0", "al.bmp", "5", "6"},
         {{"bg.bmp", kRgbaPicture}, {"sp.bmp", kSprite}, {"al.bmp", kRgbaSprite}}, kBlendDone,
         {{"out.bmp", kept_with(kRgbaKept,
                                reference_blend(pasted(kRgbaColours, kSprite, 0, 0), kRgbaSpriteColours,
                                                kRgbaSpriteAlpha, 5, 6),
                                [](int x, int y, int a) {
                                  return covered_by(kRgbaSpriteAlpha, 5, 6)(x, y, covered_by(kOpaque, 0, 0)(x, y, a));
                                })}}),
    done("stampmany", "a sprite with alpha, then an opaque one over it", {"bg.bmp", "out.bmp", "al.bmp", "0", "0", "sp.bmp", "1", "0"},
         {{"bg.bmp", kPicture}, {"al.bmp", kRgbaSprite}, {"sp.bmp", kSprite}}, kBlendDone,
         {{"out.bmp", pasted(reference_blend(kPicture, kRgbaSpriteColours, kRgbaSpriteAlpha, 0, 0), kSprite, 1, 0)}}),
    done("keyshade", "the keys painted become opaque", {"k.bmp", "0", "0", kMapC}, {{"k.bmp", kRgbaPicture}}, "",
         {{"k.bm", kept_with(kRgbaKept, keyed(kRgbaColours), opaque_where([](int x, int) { return x < 8; }))}}),
    done("tagburn", "the caption's cells become opaque", {"p.bmp", "1"},
         {test_sheet(1), {"p.bmp", rgba("caption", "124")}}, kInserted,
         {{"p.bm", kept_with(kCaptionKept,
                             repainted(kCaptionColours, captioned(pixels_of(kCaptionColours), "p.bmp", 1, test_glyph)),
                             opaque_where([](int x, int y) { return x < 35 && y < 7; }))}}),
    done("tintswap", "list mode: a picture with alpha, then one without", {"-L", "list.txt", "t.txt"},
         {{"list.txt", "a.bmp\nb.bmp\n"}, {"t.txt", ""}, {"a.bmp", kRgbaPicture}, {"b.bmp", kPicture}},
         "a.bmp\nb.bmp\n処理が終了しました\n", {{"a.bm", kRgbaKept}, {"b.bm", kPicture}}),
    done("tintswap", "a full 32-bit picture with alpha, larger than the buffer as a file", {"-F", "pic.bmp", "t.txt"},
         {{"pic.bmp", test_file("full-32.bmp")}, {"t.txt", ""}}, kConverted, {{"pic.bm", test_file("full-32-kept.bmp")}}),
    done("tintswap", "a 32-bit picture of no width and 2^31 - 1 rows is read at once", {"-F", "pic.bmp", "t.txt"},
         {{"pic.bmp", test_file("no-width-32.bmp")}, {"t.txt", ""}}, kConverted,
         {{"pic.bm", test_file("no-width-32-plain.bmp")}}),
    refused("tintswap", "a 32-bit picture a column too wide for the buffer", {"-F", "pic.bmp", "t.txt"},
            {{"pic.bmp", test_file("too-wide-32.bmp")}, {"t.txt", ""}}, kSizeAbnormal + "pic.bmp\n", {"pic.bm"}),
    // Palette indexes past the table read as black; RLE data that ends early leaves the rest black.
    done("keyshade", "a palette index past the table is black", {"k.bmp", "0", "0", kMapC},
         {{"k.bmp", test_file("index-past-the-table.bmp")}}, "", {{"k.bm", keyed(test_file("index-past-the-table-plain.bmp"))}}),
    done("keyshade", "a palette index past the colours used is black", {"k.bmp", "0", "0", kMapC},
         {{"k.bmp", test_file("index-past-colours-used.bmp")}}, "",
         {{"k.bm", keyed(test_file("index-past-colours-used-plain.bmp"))}}),
    done("tintswap", "RLE8 rows with their padding encoded, and a run above the picture", {"-F", "pic.bmp", "t.txt"},
         {{"pic.bmp", test_file("rle8-padded-rows.bmp")}, {"t.txt", ""}}, kConverted,
         {{"pic.bm", test_file("rle8-padded-rows-plain.bmp")}}),
    done("tintswap", "RLE4 rows with their padding encoded, and a run above the picture", {"-F", "pic.bmp", "t.txt"},
         {{"pic.bmp", test_file("rle4-padded-rows.bmp")}, {"t.txt", ""}}, kConverted,
         {{"pic.bm", test_file("rle4-padded-rows-plain.bmp")}}),
    done("tintswap", "RLE8 runs longer than 32 pixels", {"-F", "pic.bmp", "t.txt"},
         {{"pic.bmp", test_file("rle8-long-runs.bmp")}, {"t.txt", ""}}, kConverted,
         {{"pic.bm", test_file("rle8-long-runs-plain.bmp")}}),
    done("tintswap", "RLE4 runs of two colours longer than 32 pixels", {"-F", "pic.bmp", "t.txt"},
         {{"pic.bmp", test_file("rle4-long-runs.bmp")}, {"t.txt", ""}}, kConverted,
         {{"pic.bm", test_file("rle4-long-runs-plain.bmp")}}),
    done("tintswap", "RLE data cut short", {"-F", "pic.bmp", "t.txt"}, {{"pic.bmp", test_file("rle-cut-short.bmp")}, {"t.txt", ""}},
         kConverted, {{"pic.bm", test_file("rle-cut-short-plain.bmp")}}),
    // Refused.
    refused("maskblend", "background of 64 bits", kMaskArgs,
            compositing_inputs(test_file("refused-64bit.bmp"), kSprite, kAlpha), kUnreadableFormat + "bg.bmp\n",
            {"out.bmp"}),
    refused("maskblend", "sprite with JPEG inside, before the size checks", kMaskArgs,
            compositing_inputs(kPicture, test_file("refused-jpeg.bmp"), kAlpha), kUnreadableFormat + "sp.bmp\n",
            {"out.bmp"}),
    refused("fadeblend", "alpha with PNG inside", kFadeArgs,
            compositing_inputs(kPicture, kSprite, test_file("refused-png.bmp")), kUnreadableFormat + "al.bmp\n",
            {"out.bmp"}),
    refused("maskblend", "the BM check comes first", kMaskArgs,
            compositing_inputs(kPicture, "MB" + test_file("refused-64bit.bmp").substr(2), kAlpha), kNotBmp + "sp.bmp\n",
            {"out.bmp"}),
    refused("maskblend", "a larger header of unknown size", kMaskArgs,
            compositing_inputs(with_layout(kPicture, 100, 114, 24, 0), kSprite, kAlpha), kUnreadableFormat + "bg.bmp\n",
            {"out.bmp"}),
    refused("maskblend", "rows inside the header", kMaskArgs,
            compositing_inputs(with_layout(as_written("picture", 124), 124, 130, 24, 0), kSprite, kAlpha),
            kUnreadableFormat + "bg.bmp\n", {"out.bmp"}),
    alerted(refused("stampmany", "background compressed OS/2 Huffman", kStampArgs,
                    {{"bg.bmp", test_file("refused-os2-huffman.bmp")}, {"sp.bmp", kSprite}},
                    kUnreadableFormat + "bg.bmp\n", {"out.bmp"}),
            "bg.bmp"),
    alerted(refused("stampmany", "sprite with JPEG inside ends with the closing line", kStampArgs,
                    {{"bg.bmp", kPicture}, {"sp.bmp", test_file("refused-jpeg.bmp")}},
                    kUnreadableFormat + "sp.bmp\n" + kClosingLine, {"out.bmp"}),
            "sp.bmp"),
    refused("tintswap", "bit fields in file mode", {"-F", "pic.bmp", "t.txt"},
            {{"pic.bmp", bit_fields(kPicture)}, {"t.txt", ""}}, kUnreadableFormat + "pic.bmp\n", {"pic.bm"}),
    with_output(refused("tintswap", "overlapping masks in list mode abort the list", {"-L", "list.txt", "t.txt"},
                        {{"list.txt", "a.bmp\nb.bmp\n"}, {"t.txt", ""}, {"a.bmp", kPicture},
                         {"b.bmp", test_file("refused-masks-overlap.bmp")}},
                        "a.bmp\nb.bmp\n" + kUnreadableFormat + "b.bmp\n" + kListAborted, {"b.bm"}),
                {"a.bm", kPicture}),
    refused("keyshade", "64 bits before the size check", {"k.bmp", "0", "0", kMap},
            {{"k.bmp", with_le32(test_file("refused-64bit.bmp"), 22, -8)}}, kUnreadableFormat + "k.bmp\n", {"k.bm"}),
    refused("tagburn", "picture compressed OS/2 RLE24", {"pic.bmp", "1"},
            {test_sheet(1), {"pic.bmp", test_file("refused-os2-rle24.bmp")}}, kUnreadableFormat + "pic.bmp\n",
            {"pic.bm"}),
    refused("tagburn", "glyph sheet of 64 bits", {"pic.bmp", "1"},
            {{"GXFont1Minimini.bmp", with_layout(test_sheet(1).bytes, 40, 54, 64, 0)}, {"pic.bmp", kPicture}},
            kSheetAbnormal + "GXFont1Minimini.bmp\n", {"pic.bm"}),
    refused("tagscan", "picture with masks that are not one run of bits", {"pic.bmp", "1", "0", "0"},
            {test_sheet(1), {"pic.bmp", test_file("refused-masks-not-one-run.bmp")}}, kUnreadableFormat + "pic.bmp\n",
            {}),
    refused("keyshade", "a palette picture of negative width", {"k.bmp", "0", "0", kMap},
            {{"k.bmp", test_file("refused-negative-width.bmp")}}, kUnreadableFormat + "k.bmp\n", {"k.bm"}),
    refused("keyshade", "16-bit masks past the pixel's bits", {"k.bmp", "0", "0", kMap},
            {{"k.bmp", test_file("refused-masks-past-16-bits.bmp")}}, kUnreadableFormat + "k.bmp\n", {"k.bm"}),
    refused("keyshade", "a palette picture whose rows start inside the header", {"k.bmp", "0", "0", kMap},
            {{"k.bmp", test_file("refused-rows-inside-the-header.bmp")}}, kUnreadableFormat + "k.bmp\n", {"k.bm"}),
};

std::vector<LayoutCase> all_cases() {
  std::vector<LayoutCase> cases(std::begin(kCases), std::end(kCases));
  for (const char* layout : kLayouts) {
    for (LayoutCase& c : read_in_every_role(layout)) cases.push_back(std::move(c));
  }
  for (const char* layout : kAlphaLayouts) {
    for (LayoutCase& c : alpha_in_every_role(layout)) cases.push_back(std::move(c));
  }
  return cases;
}

class BmpLayout : public testing::TestWithParam<LayoutCase> {};
TEST_P(BmpLayout, Case) {
  check_case(GetParam().tool, GetParam().c);
}
INSTANTIATE_TEST_SUITE_P(Table, BmpLayout, testing::ValuesIn(all_cases()),
                         [](const testing::TestParamInfo<LayoutCase>& info) {
                           return info.param.tool + "_" + case_name(info.param.c);
                         });

}  // namespace
}  // namespace e2e
