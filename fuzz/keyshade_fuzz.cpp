// keyshade on fuzzed reference points, maps and pictures.
#include "driver.h"

int keyshade_main(int argc, char** argv);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto p = split_parts(data, size, 4);  // X, Y, map, picture
  write_scratch_file("k.bmp", p[3]);
  run_tool_main(keyshade_main, {"k.bmp", p[0], p[1], p[2]});
  return 0;
}
