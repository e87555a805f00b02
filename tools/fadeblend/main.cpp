// fadeblend: maskblend with an overall transparency ratio in percent that
// scales every opacity of the alpha image first.
#include "compositing.h"
#include "console.h"
#include "messages.h"

namespace {
constexpr Message kBanner = MESSAGE("画像合成アルファ対応（透過率対応） fadeblend Version 0.90\n");
constexpr Message kUsage = MESSAGE(
    "使い方:fadeblend [背景ファイル名] [キャラファイル名] [アルファファイル名] [出力ファイル名] [X] [Y] "
    "[透過率(%%)]\n");
constexpr Message kRatioInvalid = MESSAGE("透過率は[0‐100]で指定して下さい[%s]\n");
}  // namespace

int main(int argc, char** argv) {
  start_run();
  if (argc - 1 < 7) usage_exit({kBanner, kUsage});
  const std::int32_t x = numeric_argument_or_fail(argv[5], msg::kXInvalid);
  const std::int32_t y = numeric_argument_or_fail(argv[6], msg::kYInvalid);
  const std::int32_t ratio = numeric_argument_or_fail(argv[7], kRatioInvalid);
  if (ratio > 100) fail_argument(kRatioInvalid, argv[7]);
  blend_files({argv[1], argv[2], argv[3], argv[4], x, y, ratio});
  return 0;
}
