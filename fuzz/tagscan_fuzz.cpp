// tagscan on fuzzed modes, origins, glyph sheets and pictures.
#include "driver.h"

int tagscan_main(int argc, char** argv);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto p = split_parts(data, size, 5);  // mode, OfsX, OfsY, glyph sheet, picture
  for (const char* sheet : {"GXFont1Minimini.bmp", "GXFont2Mini.bmp", "GXFont3Big.bmp"}) write_scratch_file(sheet, p[3]);
  write_scratch_file("p.bm", p[4]);
  run_tool_main(tagscan_main, {"p.bm", p[0], p[1], p[2]});
  return 0;
}
