#include "harness.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

namespace e2e {

std::string case_name(const Case& c) {
  std::string name;
  for (char ch : c.name) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return name;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "assettools-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::write(const std::string& name, const Bytes& bytes) const {
  std::ofstream file(path_ + "/" + name, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Bytes TempDir::read(const std::string& name) const {
  std::ifstream file(path_ + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> TempDir::names() const {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) found.push_back(entry.path().filename());
  return found;
}

bool TempDir::exists(const std::string& name) const {
  struct stat info;
  return lstat((path_ + "/" + name).c_str(), &info) == 0;
}

std::string tool_path(const std::string& tool) { return std::string(TOOLS_DIR) + "/" + tool; }

RunResult run_tool(const std::string& tool, const std::vector<std::string>& args, const std::string& dir,
                   const RunOptions& options) {
  const std::string path = tool_path(tool);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = fork();
  if (child == 0) {
    dup2(options.stdout_full ? open("/dev/full", O_WRONLY) : pipe_ends[1], STDOUT_FILENO);
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    if (chdir(dir.c_str()) != 0) _exit(127);
    for (const std::string& entry : options.environment) putenv(const_cast<char*>(entry.c_str()));
    if (options.file_size_limit > 0) {
      const rlimit limit{static_cast<rlim_t>(options.file_size_limit), static_cast<rlim_t>(options.file_size_limit)};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
    }
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  close(pipe_ends[1]);
  RunResult result{{}, -1, 0};
  char chunk[65536];
  ssize_t n;
  while ((n = read(pipe_ends[0], chunk, sizeof chunk)) > 0) result.out.append(chunk, static_cast<std::size_t>(n));
  close(pipe_ends[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.max_rss_kib = usage.ru_maxrss;
  return result;
}

std::string hex(const Bytes& bytes, std::size_t limit) {
  std::ostringstream os;
  os << bytes.size() << " bytes:";
  char piece[4];
  for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
    std::snprintf(piece, sizeof piece, " %02x", static_cast<unsigned char>(bytes[i]));
    os << piece;
  }
  if (bytes.size() > limit) os << " ...";
  return os.str();
}

namespace {
// The first offset at which two byte strings differ, for failure messages.
std::string first_difference(const Bytes& actual, const Bytes& expected) {
  std::size_t i = 0;
  while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
  return "first difference at byte " + std::to_string(i) + " (actual " + std::to_string(actual.size()) +
         " bytes, expected " + std::to_string(expected.size()) + ")";
}
}  // namespace

void check_case(const std::string& tool, const Case& c) {
  TempDir dir;
  std::set<std::string> expected_names;
  for (const File& f : c.inputs) {
    dir.write(f.name, f.bytes);
    if (f.mode != 0) ASSERT_EQ(chmod((dir.path() + "/" + f.name).c_str(), f.mode), 0);
    expected_names.insert(f.name);
  }
  for (const Link& l : c.links) {
    ASSERT_EQ(symlink(l.target.c_str(), (dir.path() + "/" + l.name).c_str()), 0);
    expected_names.insert(l.name);
  }
  const RunResult run = run_tool(tool, c.args, dir.path(), c.run);
  EXPECT_EQ(run.out, c.out) << "stdout " << hex(run.out) << "\nwanted " << hex(c.out);
  EXPECT_EQ(run.status, c.status);
  for (const File& f : c.outputs) {
    ASSERT_TRUE(dir.exists(f.name)) << f.name << " was not written";
    const Bytes actual = dir.read(f.name);
    EXPECT_TRUE(actual == f.bytes) << f.name << ": " << first_difference(actual, f.bytes);
    struct stat info;
    if (f.mode != 0 && stat((dir.path() + "/" + f.name).c_str(), &info) == 0) {
      EXPECT_EQ(info.st_mode & 07777, f.mode) << f.name << " permission bits";
    }
    expected_names.insert(f.name);
  }
  for (const std::string& name : c.absent) EXPECT_FALSE(dir.exists(name)) << name << " should not exist";
  for (const Link& l : c.links) {
    char target[4096];
    const ssize_t length = readlink((dir.path() + "/" + l.name).c_str(), target, sizeof target);
    EXPECT_EQ(std::string(target, length > 0 ? static_cast<std::size_t>(length) : 0), l.target)
        << l.name << " is no longer the same link";
  }
  for (const std::string& name : dir.names())
    EXPECT_TRUE(expected_names.count(name) == 1) << name << " was left in the folder";
}

std::int32_t le32_at(const Bytes& file, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(file.at(at + i));
  return static_cast<std::int32_t>(v);
}

Bytes le(std::uint64_t value, int size) {
  Bytes b;
  for (int i = 0; i < size; ++i) b += static_cast<char>(value >> (8 * i));
  return b;
}

Bytes with_le32(Bytes file, std::size_t at, std::int64_t value) {
  return file.replace(at, 4, le(static_cast<std::uint64_t>(value), 4));
}

Bytes with_le16(Bytes file, std::size_t at, std::uint16_t value) { return file.replace(at, 2, le(value, 2)); }

void record_alert_pane_calls() {
  static TempDir dir;
  dir.write("AlertPane", "#!/bin/sh\nprintf '[%s]' \"$@\" >> alertpane.log\necho >> alertpane.log\necho '<AlertPane>'\n");
  ASSERT_EQ(chmod((dir.path() + "/AlertPane").c_str(), 0755), 0);
  const char* path = std::getenv("PATH");
  setenv("PATH", (dir.path() + ":" + (path != nullptr ? path : "/usr/bin:/bin")).c_str(), 1);
}

std::int64_t stride(std::int32_t width) { return (static_cast<std::int64_t>(width) * 3 + 3) / 4 * 4; }

std::size_t offset(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) {
  return 54 + static_cast<std::size_t>((height - 1 - y) * stride(width) + 3 * x);
}

Bytes bmp_header(std::int32_t width, std::int32_t height) {
  Bytes b(54, '\0');
  b[0] = 'B';
  b[1] = 'M';
  const std::int64_t rows = width > 0 && height > 0 ? stride(width) * height : 0;
  b = with_le32(b, 2, 54 + rows);
  b = with_le32(b, 10, 54);
  b = with_le32(b, 14, 40);
  b = with_le32(b, 18, width);
  b = with_le32(b, 22, height);
  b[26] = 1;
  b[28] = 24;
  return with_le32(b, 34, rows);
}

Rgb pixel_at(const Bytes& file, int x, int y) {
  const std::size_t at = offset(le32_at(file, 18), le32_at(file, 22), x, y);
  return {static_cast<std::uint8_t>(file.at(at + 2)), static_cast<std::uint8_t>(file.at(at + 1)),
          static_cast<std::uint8_t>(file.at(at))};
}

void set_pixel(Bytes& file, int x, int y, Rgb colour) {
  const std::size_t at = offset(le32_at(file, 18), le32_at(file, 22), x, y);
  file.at(at) = static_cast<char>(colour.b);
  file.at(at + 1) = static_cast<char>(colour.g);
  file.at(at + 2) = static_cast<char>(colour.r);
}

Bytes bmp(std::int32_t width, std::int32_t height, const PixelFn& pixel) {
  Bytes b = bmp_header(width, height);
  b.resize(54 + static_cast<std::size_t>(stride(width) * height), static_cast<char>(0xEE));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) set_pixel(b, x, y, pixel(x, y));
  return b;
}

Bytes solid_bmp(std::int32_t width, std::int32_t height, Rgb colour) {
  return bmp(width, height, [colour](int, int) { return colour; });
}

Bytes with(const Bytes& format, const std::string& value) {
  const std::size_t at = format.find('%');
  if (at == Bytes::npos) return format;
  return format.substr(0, at) + value + format.substr(at + 2);
}

std::string repeat(char c, std::size_t n) { return std::string(n, c); }

}  // namespace e2e
