// tagburn: draws a BMP file's own name into the top-left corner of its
// picture with the glyph sheet of the chosen mode, and saves the picture
// under the name less its last byte.
#include <cstdio>

#include "bmp_image.h"
#include "captions.h"
#include "console.h"
#include "messages.h"

namespace {
constexpr Message kBanner = MESSAGE("画像にファイル名を埋め込む tagburn Version 0.90\n");
constexpr Message kUsage = MESSAGE(
    "使い方:tagburn [入力ファイル名] [モード(1:minimini ～ 3：big)] （出力ファイル名は[入力ファイル名.bm]） "
    "※要フォントデータ\n");
constexpr Message kUnsupportedCharacter = MESSAGE("警告:対応していない文字があります\n");
constexpr Message kInserted = MESSAGE("挿入完了:[%s]\n");

BmpImage sheet;
BmpImage picture;
FileName input_name;
FileName output_name;

// One cell per byte of the name from the top-left corner, edge to edge; a
// byte without a glyph is warned about and drawn as the replacement glyph.
// Cells beyond the picture's right edge are clipped away, but their bytes
// are still looked up and warned about.
void draw_caption(const char* text, const CaptionMode& mode) {
  for (std::int64_t i = 0; text[i] != '\0'; ++i) {
    int k = glyph_index(text[i]);
    if (k < 0) {
      print_message(kUnsupportedCharacter);
      k = kReplacementGlyph;
    }
    draw_cell(picture, i * mode.cell_width, 0, sheet, k, mode);
  }
}
}  // namespace

int main(int argc, char** argv) {
  start_run();
  if (argc - 1 < 2) usage_exit({kBanner, kUsage});
  const CaptionMode& mode = mode_argument_or_fail(argv[2]);

  load_sheet_or_fail(mode, sheet);
  set_file_name(input_name, argv[1]);
  load_bmp_or_fail(input_name, picture);
  check_fits_buffer_or_fail(picture, input_name.text);

  draw_caption(input_name.text, mode);

  derive_output_name(output_name, input_name.text, LineCut::Keep);
  check_not_same_file_or_fail(output_name, mode.sheet_name);
  const char* const read[] = {input_name.text, mode.sheet_name};
  save_image_or_fail(output_name, picture, {read, 2});
  print_argument(kInserted, argv[1]);
  return 0;
}
