// Drives a tool's main in process for libFuzzer: the input is split into
// parts (arguments and file contents), the files are written into a scratch
// folder, and the tool runs until it returns or ends its run early.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using ToolMain = int (*)(int, char**);

// Parts of a fuzz input are separated by these four bytes; a seed is its
// parts joined with them.
inline constexpr char kPartSeparator[] = "\xff\xfe\xfd\xfc";

// Splits the input into exactly count parts; missing parts are empty and
// the last part takes the rest.
std::vector<std::string> split_parts(const std::uint8_t* data, std::size_t size, std::size_t count);

// A file name made from fuzzed bytes that the scratch folder can hold: no
// slash or NUL, at most 200 bytes, not "." or ".."; the fallback when
// nothing is left.
std::string scratch_file_name(const std::string& wanted, const std::string& fallback);

// Writes a file into the scratch folder, the tool's working directory.
void write_scratch_file(const std::string& name, const std::string& bytes);

// Runs the tool with these arguments (the program name is added) and gives
// its exit status.
int run_tool_main(ToolMain tool_main, const std::vector<std::string>& args);
