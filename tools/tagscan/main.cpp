// tagscan: reads a caption of glyph cells out of a BMP picture, from a given
// pixel to the right, and prints the characters it recognises.
#include <cstdio>

#include "bmp_image.h"
#include "captions.h"
#include "console.h"
#include "messages.h"

namespace {
constexpr Message kBanner = MESSAGE("画像からファイル名を読み出す tagscan Version 0.90\n");
constexpr Message kUsage = MESSAGE(
    "使い方:tagscan [入力ファイル名] [モード(1:minimini ～ 3：big)] [OfsX] [OfsY] （標準出力に出力） "
    "※要フォントデータ\n");
constexpr Message kOfsXInvalid = MESSAGE("OfsXが異常です[%s]\n");
constexpr Message kOfsYInvalid = MESSAGE("OfsYが異常です[%s]\n");
constexpr Message kResultLine = MESSAGE("%s\n");
constexpr Message kNoCharacter = MESSAGE("ERROR:文字が見つかりません[%s]\n");

// Recognised characters and their terminating zero; reading stops when it is full.
constexpr int kResultCapacity = 256;

BmpImage sheet;
BmpImage picture;
FileName input_name;
char result[kResultCapacity];

// Reads cell after cell to the right of the origin until a cell matches no
// glyph (a cell that reaches past the picture's edge matches none) or the
// result is full; gives the number of characters read.
int read_caption(std::int32_t ofs_x, std::int32_t ofs_y, const CaptionMode& mode) {
  int count = 0;
  std::int64_t x = ofs_x;
  while (count < kResultCapacity - 1) {
    const int k = find_glyph(picture, x, ofs_y, sheet, mode);
    if (k < 0) break;
    result[count++] = glyph_character(k);
    x += mode.cell_width;
  }
  result[count] = '\0';
  return count;
}
}  // namespace

int main(int argc, char** argv) {
  start_run();
  if (argc - 1 < 4) usage_exit({kBanner, kUsage});
  const CaptionMode& mode = mode_argument_or_fail(argv[2]);
  const std::int32_t ofs_x = numeric_argument_or_fail(argv[3], kOfsXInvalid);
  const std::int32_t ofs_y = numeric_argument_or_fail(argv[4], kOfsYInvalid);

  load_sheet_or_fail(mode, sheet);
  set_file_name(input_name, argv[1]);
  load_bmp_or_fail(input_name, picture);
  check_fits_buffer_or_fail(picture, input_name.text);

  if (read_caption(ofs_x, ofs_y, mode) == 0) fail_argument(kNoCharacter, argv[1]);
  print_argument(kResultLine, result);
  return 0;
}
