// fadeblend on fuzzed positions, ratios and pictures.
#include "driver.h"

int fadeblend_main(int argc, char** argv);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto p = split_parts(data, size, 6);  // X, Y, ratio, background, sprite, alpha
  write_scratch_file("bg.bmp", p[3]);
  write_scratch_file("sp.bmp", p[4]);
  write_scratch_file("al.bmp", p[5]);
  run_tool_main(fadeblend_main, {"bg.bmp", "sp.bmp", "al.bmp", "out.bmp", p[0], p[1], p[2]});
  return 0;
}
