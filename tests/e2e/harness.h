// Runs the built tools in a temporary folder and compares what they print,
// their exit status and the files they leave, case by case.
//
// By default the tools are the native build's (build/bin). Three variables
// of the environment run the same tables against other builds:
//   E2E_TOOLS_DIR    the folder of the tools, an absolute path
//   E2E_TOOL_SUFFIX  appended to every tool's name (".exe")
//   E2E_RUNNER       a program that runs each tool (wine)
// With the suffix ".exe" the tools are Windows programs run under wine:
//   - standard output is compared with each CR LF taken as LF (the tools
//     write it in text mode);
//   - names are written to the folder and passed to the tools converted from
//     code page 932 to UTF-8, the encoding wine gives the names of the
//     machine's files (LANG must name a UTF-8 locale, ja_JP.UTF-8);
//   - a case is skipped when Windows cannot hold one of its names (see
//     windows_refusal), or when it needs what Windows programs under wine
//     do not have: a file-size limit, permission bits, a symbolic link to a
//     file or folder, a POSIX search path, a terminal that passes bytes
//     unchanged (see check_case);
//   - programs the tools start by name are looked for through WINEPATH.
// The folder of the recording AlertPane is the build's tests/recorder, the
// tools' folder being its bin.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

using Bytes = std::string;

// A name with '/' in it lies in folders of the case's folder, which are
// made for it (and given to the other user with the case's folder).
struct File {
  std::string name;
  Bytes bytes;
  unsigned mode = 0;  // permission bits to give an input or expect of an output; 0: as created
  int owner = -1;     // user and group to give an input or expect of an output; -1: as created
  int group = -1;     // (cases that set them need the tests to run as root)
};

struct Link {
  std::string name;
  std::string target;
};

// The user the tests give a case's files and run a tool as when they run
// as root (root ignores permission bits): nobody.
inline constexpr int kOtherUser = 65534;

// How a tool is run, besides its arguments and folder. A run that takes
// more than a minute is killed.
struct RunOptions {
  std::vector<std::string> environment = {};  // extra "NAME=value" entries
  std::int64_t file_size_limit = 0;           // bytes a written file may reach; 0: no limit
  bool stdout_full = false;                   // standard output on /dev/full instead of captured
  Bytes stdin_bytes = {};                     // what a pipe on standard input carries (at most 64 KiB)
  File fifo = {};                             // a named pipe made in the folder, which a writer opens once
                                              // and fills with the bytes (as `cat file > fifo`); no name: none
  int signal = 0;                             // sent as soon as a temporary output (.assettools-*) appears
  std::int64_t signal_after_us = -1;          // or, when not negative, this long after the tool started
  std::vector<int> ignored_signals = {};      // ignored when the tool starts, as under nohup
  bool as_other_user = false;                 // run as kOtherUser, the folder and inputs given to it, when the
                                              // tests run as root; as the tests' own user otherwise. Where that
                                              // user cannot reach the tools, copies of them run; where it cannot
                                              // reach the temporary folder, the case is skipped
  bool terminal = false;                      // standard output and error on a pseudo-terminal, which passes
                                              // the bytes unchanged, with LC_ALL, LC_CTYPE and LANG only as the
                                              // environment entries set them; a pipe otherwise
  std::vector<int> groups = {};               // the other user's supplementary groups
  unsigned folder_mode = 0;                   // permission bits of the folder (which then stays root's)
  bool no_free_inodes = false;                // the folder is a file system without an inode to spare once
                                              // the case's files are in it (needs root to mount it)
  bool no_free_space = false;                 // the folder is a file system without a block to spare once
                                              // the case's files are in it (needs root to mount it)
  std::string read_only_mount = {};           // a folder of the case's folder (or "."), made read-only by a
                                              // bind mount once its files are in it (needs root)
  std::string tool_folder = {};               // the tool is copied into this folder of the case's folder and
                                              // run from there
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
  std::vector<Link> links = {};          // symbolic links made before the run; one that is also an
                                         // output must have been replaced by a file
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
  // Every name in the folder, and with in_folders those in its folders too
  // (as paths from the folder).
  std::vector<std::string> names(bool in_folders = false) const;

 private:
  std::string path_;
};

// Runs the tool with the arguments, in the folder. "{folder}" in an entry
// of the environment stands for the folder's path.
RunResult run_tool(const std::string& tool, const std::vector<std::string>& args, const std::string& dir,
                   const RunOptions& options = {});

// The folder of the recording AlertPane (tests/recorder/main.cpp), and
// that of the tools, which natively holds the stand-in AlertPane.
std::string recorder_dir();
std::string tools_dir();
// The environment entry that makes the folder the only place where the
// tools' command processor looks for programs besides the system's own:
// PATH, or WINEPATH under wine.
std::string search_path_entry(const std::string& folder);

// True when the tools are Windows programs run under wine (see above).
bool windows_tools();

// In the Windows mode, why Windows cannot hold one of the names: those of
// the files a test makes or checks, and the arguments, which the tools take
// as file names; empty when it can, and always outside the Windows mode. A
// name is refused for a control character (CR, LF, tab, ...), one of
// < > : " \ | ? *, or bytes that are not whole code page 932 characters; a
// file's name also for a last blank or dot, which Windows drops. Two names
// that differ only in case are refused too.
std::string windows_refusal(const std::vector<std::string>& files, const std::vector<std::string>& arguments = {});

// Skips the running test where Windows cannot hold one of the files' names
// (check_case does the same for every case).
#define E2E_SKIP_WHERE_WINDOWS_CANNOT_HOLD(...)                                                  \
  if (const std::string e2e_refusal = ::e2e::windows_refusal({__VA_ARGS__}); !e2e_refusal.empty()) \
  GTEST_SKIP() << "Windows cannot hold " << e2e_refusal

// Sets up the case's folder, runs the tool and checks every expectation.
void check_case(const std::string& tool, const Case& c);

// An input file written by tests/e2e/make_files.py, as other tools write
// it (see there for the names).
Bytes test_file(const std::string& name);

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
// The picture turned upside down, built as bmp() builds one: what a file's
// rows show when its height is negated (a top-down picture).
Bytes upside_down(const Bytes& file);
// Pixel (x, y) of a picture file, by the size its header gives.
Rgb pixel_at(const Bytes& file, int x, int y);
void set_pixel(Bytes& file, int x, int y, Rgb colour);

// Little-endian fields: a value as size bytes, the 32-bit value at an
// offset of a file's bytes, and a copy of the file with a field replaced.
Bytes le(std::uint64_t value, int size);
std::int32_t le32_at(const Bytes& file, std::size_t at);
Bytes with_le32(Bytes file, std::size_t at, std::int64_t value);
Bytes with_le16(Bytes file, std::size_t at, std::uint16_t value);
// A copy of the file with the bytes from the offset on replaced.
Bytes with_bytes(Bytes file, std::size_t at, const Bytes& bytes);

// Makes the recording AlertPane (tests/recorder) the only one the tools
// find, for the whole test program: it appends its words, each in brackets,
// to alertpane.log in the folder it runs in (the case's folder), and prints
// kAlerted after whatever the tool printed before starting it.
void record_alert_pane_calls();
inline const Bytes kAlerted = "<AlertPane>\n";
inline const std::string kAlertLog = "alertpane.log";

// The bytes of a u8 literal: a text as a UTF-8 terminal shows it (the
// tests' other literals are code page 932).
Bytes utf8(const char8_t* text);

// printf-like substitution of a single %s, for expected messages.
Bytes with(const Bytes& format, const std::string& value);
// The same text over and over, n bytes long.
std::string repeat(char c, std::size_t n);

}  // namespace e2e
