// tagburn on fuzzed modes, names, glyph sheets and pictures.
#include "driver.h"

int tagburn_main(int argc, char** argv);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto p = split_parts(data, size, 4);  // mode, picture name, glyph sheet, picture
  const std::string name = scratch_file_name(p[1], "p.bmp");
  for (const char* sheet : {"GXFont1Minimini.bmp", "GXFont2Mini.bmp", "GXFont3Big.bmp"}) write_scratch_file(sheet, p[2]);
  write_scratch_file(name, p[3]);
  run_tool_main(tagburn_main, {name, p[0]});
  return 0;
}
