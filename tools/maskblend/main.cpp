// maskblend: composites a sprite onto a background through an alpha image
// that holds an opacity for every byte of the sprite.
#include "compositing.h"
#include "console.h"
#include "messages.h"

namespace {
constexpr Message kBanner = MESSAGE("画像合成アルファ対応 maskblend Version 0.90\n");
constexpr Message kUsage = MESSAGE(
    "使い方:maskblend [背景ファイル名] [キャラファイル名] [アルファファイル名] [出力ファイル名] [X] [Y]\n");
}  // namespace

int main(int argc, char** argv) {
  start_run();
  if (argc - 1 < 6) usage_exit({kBanner, kUsage});
  const std::int32_t x = numeric_argument_or_fail(argv[5], msg::kXInvalid);
  const std::int32_t y = numeric_argument_or_fail(argv[6], msg::kYInvalid);
  blend_files({argv[1], argv[2], argv[3], argv[4], x, y, 100});
  return 0;
}
