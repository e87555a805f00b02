// Runs the built tools in a temporary folder and compares what they print,
// their exit status and the files they leave, case by case.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

using Bytes = std::string;

struct File {
  std::string name;
  Bytes bytes;
  unsigned mode = 0;  // permission bits to give an input or expect of an output; 0: as created
};

struct Link {
  std::string name;
  std::string target;
};

// How a tool is run, besides its arguments and folder.
struct RunOptions {
  std::vector<std::string> environment = {};  // extra "NAME=value" entries
  std::int64_t file_size_limit = 0;           // bytes a written file may reach; 0: no limit
  bool stdout_full = false;                   // standard output on /dev/full instead of captured
};

// One row of a tool's table: the command line, the files in its folder, and
// what must come of it. Besides what a row names, every case checks that
// each link is still the same link afterwards and that the folder holds
// nothing but the row's files (no temporary or partial file left behind).
struct Case {
  std::string name = {};
  std::vector<std::string> args = {};
  std::vector<File> inputs = {};
  Bytes out = {};                        // standard output, byte for byte
  int status = 0;
  std::vector<File> outputs = {};        // files that must exist afterwards with these bytes
  std::vector<std::string> absent = {};  // files that must not exist afterwards
  std::vector<Link> links = {};          // symbolic links made before the run
  RunOptions run = {};
};

inline void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
std::string case_name(const Case& c);

struct RunResult {
  Bytes out;
  int status;
  long max_rss_kib;  // peak resident memory of the run
};

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  void write(const std::string& name, const Bytes& bytes) const;
  Bytes read(const std::string& name) const;
  bool exists(const std::string& name) const;
  // Every name in the folder.
  std::vector<std::string> names() const;

 private:
  std::string path_;
};

// Runs build/bin/<tool> with the arguments, in the folder.
RunResult run_tool(const std::string& tool, const std::vector<std::string>& args, const std::string& dir,
                   const RunOptions& options = {});
std::string tool_path(const std::string& tool);

// Sets up the case's folder, runs the tool and checks every expectation.
void check_case(const std::string& tool, const Case& c);

// Readable failure output for byte strings.
std::string hex(const Bytes& bytes, std::size_t limit = 96);

// BMP files for the tests, built independently of the tools.
struct Rgb {
  std::uint8_t r, g, b;
};
using PixelFn = std::function<Rgb(int x, int y)>;
// A 54-byte header, then bottom-up rows; padding bytes are 0xEE so that a
// test can see them kept. Pixel (x, y) counts y from the top.
Bytes bmp(std::int32_t width, std::int32_t height, const PixelFn& pixel);
Bytes solid_bmp(std::int32_t width, std::int32_t height, Rgb colour);
// A header alone with the given size fields.
Bytes bmp_header(std::int32_t width, std::int32_t height);
std::int64_t stride(std::int32_t width);
// Offset of pixel (x, y) in a file built by bmp().
std::size_t offset(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y);
// Pixel (x, y) of a picture file, by the size its header gives.
Rgb pixel_at(const Bytes& file, int x, int y);
void set_pixel(Bytes& file, int x, int y, Rgb colour);

// Little-endian fields: a value as size bytes, the 32-bit value at an
// offset of a file's bytes, and a copy of the file with a field replaced.
Bytes le(std::uint64_t value, int size);
std::int32_t le32_at(const Bytes& file, std::size_t at);
Bytes with_le32(Bytes file, std::size_t at, std::int64_t value);
Bytes with_le16(Bytes file, std::size_t at, std::uint16_t value);

// Puts a recording AlertPane first on PATH for the whole test program: it
// appends its words, each in brackets, to alertpane.log in the folder it
// runs in (the case's folder), and prints kAlerted after whatever the tool
// printed before starting it.
void record_alert_pane_calls();
inline const Bytes kAlerted = "<AlertPane>\n";
inline const std::string kAlertLog = "alertpane.log";

// printf-like substitution of a single %s, for expected messages.
Bytes with(const Bytes& format, const std::string& value);
// The same text over and over, n bytes long.
std::string repeat(char c, std::size_t n);

}  // namespace e2e
