// maskblend on fuzzed positions and pictures.
#include "driver.h"

int maskblend_main(int argc, char** argv);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto p = split_parts(data, size, 5);  // X, Y, background, sprite, alpha
  write_scratch_file("bg.bmp", p[2]);
  write_scratch_file("sp.bmp", p[3]);
  write_scratch_file("al.bmp", p[4]);
  run_tool_main(maskblend_main, {"bg.bmp", "sp.bmp", "al.bmp", "out.bmp", p[0], p[1]});
  return 0;
}
