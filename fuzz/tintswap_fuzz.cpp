// tintswap on fuzzed colour tables, lists and pictures, in both modes.
#include "driver.h"

int tintswap_main(int argc, char** argv);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // mode flag, colour table, list, two pictures
  const auto p = split_parts(data, size, 5);
  write_scratch_file("table.txt", p[1]);
  write_scratch_file("list.txt", p[2]);
  write_scratch_file("a.bmp", p[3]);
  write_scratch_file("b.bmp", p[4]);
  const bool list_mode = !p[0].empty() && (p[0][0] & 1);
  if (list_mode)
    run_tool_main(tintswap_main, {p[0].size() > 1 ? p[0] : "-l", "list.txt", "table.txt"});
  else
    run_tool_main(tintswap_main, {p[0].size() > 1 ? p[0] : "-f", "a.bmp", "table.txt"});
  return 0;
}
