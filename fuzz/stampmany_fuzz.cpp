// stampmany on fuzzed positions, names and pictures; the AlertPane command
// lines it builds are checked by the driver.
#include "driver.h"

int stampmany_main(int argc, char** argv);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // background, two sprites, then the words after the output name
  const auto p = split_parts(data, size, 8);
  write_scratch_file("bg.bmp", p[0]);
  write_scratch_file("a.bmp", p[1]);
  write_scratch_file("b.bmp", p[2]);
  run_tool_main(stampmany_main, {"bg.bmp", "out.bmp", p[3], p[4], p[5], p[6].empty() ? "b.bmp" : p[6], p[7], "0"});
  return 0;
}
