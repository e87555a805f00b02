// pcmclip on fuzzed head cuts, total sizes and WAV files.
#include "driver.h"

int pcmclip_main(int argc, char** argv);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto p = split_parts(data, size, 3);  // head cut, total size, WAV file
  write_scratch_file("in.wav", p[2]);
  run_tool_main(pcmclip_main, {"in.wav", p[0], p[1]});
  return 0;
}
