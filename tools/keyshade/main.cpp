// keyshade: paints the keys of a piano-keyboard picture with the colours that
// a key map names, one letter a key from the leftmost key on, using key
// geometry fixed here. Prints nothing on success.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "bmp_image.h"
#include "console.h"

namespace {
constexpr Message kBanner = MESSAGE("鍵盤に色を着ける keyshade Version 0.90\n");
constexpr Message kUsageHeading = MESSAGE("使い方\n");
constexpr Message kUsage = MESSAGE(
    "　keyshade [鍵盤ファイル名] [基準点X] [基準点Y] [マップ(ooRo...60文字以上)] "
    "（出力ファイル名は[入力ファイル名.bm]）\n");
constexpr Message kXInvalid = MESSAGE("基準点Xが異常です[%s]\n");
constexpr Message kYInvalid = MESSAGE("基準点Yが異常です[%s]\n");
constexpr Message kMapTooShort = MESSAGE("マップが60文字以上ではありません - [%d]文字\n");
constexpr Message kMapLetterInvalid = MESSAGE("マップに非対応が含まれます（対応文字[oRGB]） - [%s]\n");

constexpr std::size_t kMinimumMapLength = 60;  // five octaves
constexpr std::int64_t kOctavePitch = 98;      // pixels from one octave's origin to the next

// A rectangle relative to its octave's origin (top-left corner of its C).
struct Rect {
  std::int32_t x, y, width, height;
};
// Each key is painted as two rectangles; a black key has the same one twice.
struct Key {
  Rect first, second;
};
// The twelve keys of an octave from C. Neighbouring keys stay one or two
// pixels apart, so the outlines drawn between the keys keep their colour.
constexpr Key kOctave[12] = {
    {{0, 0, 8, 46}, {8, 26, 4, 20}},     // C
    {{9, 0, 8, 25}, {9, 0, 8, 25}},      // C sharp
    {{18, 0, 4, 26}, {14, 26, 12, 20}},  // D
    {{23, 0, 8, 25}, {23, 0, 8, 25}},    // D sharp
    {{32, 0, 8, 26}, {28, 26, 12, 20}},  // E
    {{42, 0, 8, 26}, {42, 26, 12, 20}},  // F
    {{51, 0, 8, 25}, {51, 0, 8, 25}},    // F sharp
    {{60, 0, 4, 26}, {56, 26, 12, 20}},  // G
    {{65, 0, 8, 25}, {65, 0, 8, 25}},    // G sharp
    {{74, 0, 4, 26}, {70, 26, 12, 20}},  // A
    {{79, 0, 8, 25}, {79, 0, 8, 25}},    // A sharp
    {{84, 26, 4, 20}, {88, 0, 8, 46}},   // B
};

// A key colour as its three stored bytes.
struct Colour {
  unsigned char blue, green, red;
};
constexpr Colour kRed = {0, 0, 255};
constexpr Colour kGreen = {0, 255, 0};
constexpr Colour kBlue = {255, 0, 0};
constexpr Colour kLightBlue = {224, 169, 54};

BmpImage image;
FileName input_name;
FileName output_name;

bool is_map_letter(char letter) { return letter != '\0' && std::strchr("oRGBCS", letter) != nullptr; }

// The colour a map letter paints; null for `o`, which leaves its key alone.
const Colour* colour_of(char letter) {
  switch (letter) {
    case 'R': return &kRed;
    case 'G': return &kGreen;
    case 'B': return &kBlue;
    case 'C':
    case 'S': return &kLightBlue;
    default: return nullptr;
  }
}

void check_map_or_fail(const char* map) {
  const std::size_t length = std::strlen(map);
  if (length < kMinimumMapLength) fail_number(kMapTooShort, static_cast<int>(length));
  for (const char* p = map; *p != '\0'; ++p)
    if (!is_map_letter(*p)) fail_argument(kMapLetterInvalid, map);
}

// Paints the part of a rectangle that lies inside the picture, opaque: keys
// that reach past an edge are clipped there. Positions are 64-bit, so a large
// reference point or a long map cannot wrap into the picture.
void paint_rect(std::int64_t origin_x, std::int64_t origin_y, const Rect& rect, const Colour& colour) {
  const std::int32_t width = image_width(image), height = image_height(image);
  const std::int64_t left = std::max<std::int64_t>(origin_x + rect.x, 0);
  const std::int64_t right = std::min<std::int64_t>(origin_x + rect.x + rect.width, width);
  const std::int64_t top = std::max<std::int64_t>(origin_y + rect.y, 0);
  const std::int64_t bottom = std::min<std::int64_t>(origin_y + rect.y + rect.height, height);
  if (left >= right || top >= bottom) return;  // wholly outside: no address is even formed
  for (std::int64_t y = top; y < bottom; ++y) {
    unsigned char* pixel = image.bytes + pixel_offset(width, height, static_cast<std::int32_t>(left),
                                                      static_cast<std::int32_t>(y));
    for (std::int64_t x = left; x < right; ++x, pixel += 3) {
      pixel[0] = colour.blue;
      pixel[1] = colour.green;
      pixel[2] = colour.red;
    }
    make_opaque(image, static_cast<std::int32_t>(left), static_cast<std::int32_t>(y), static_cast<std::size_t>(right - left));
  }
}

// Letter i paints key i mod 12 of octave i div 12.
void paint_keys(std::int32_t x, std::int32_t y, const char* map) {
  for (std::size_t i = 0; map[i] != '\0'; ++i) {
    const Colour* colour = colour_of(map[i]);
    if (colour == nullptr) continue;
    const Key& key = kOctave[i % 12];
    const std::int64_t origin_x = x + kOctavePitch * static_cast<std::int64_t>(i / 12);
    paint_rect(origin_x, y, key.first, *colour);
    paint_rect(origin_x, y, key.second, *colour);
  }
}
}  // namespace

int main(int argc, char** argv) {
  start_run();
  if (argc - 1 < 4) usage_exit({kBanner, kUsageHeading, kUsage});
  const std::int32_t x = numeric_argument_or_fail(argv[2], kXInvalid);
  const std::int32_t y = numeric_argument_or_fail(argv[3], kYInvalid);
  const char* map = argv[4];
  check_map_or_fail(map);

  set_file_name(input_name, argv[1]);
  load_bmp_or_fail(input_name, image);
  check_fits_buffer_or_fail(image, input_name.text);

  paint_keys(x, y, map);

  derive_output_name(output_name, input_name.text, LineCut::Cut);
  const char* const read[] = {input_name.text};
  save_image_or_fail(output_name, image, {read, 1});
  return 0;
}
