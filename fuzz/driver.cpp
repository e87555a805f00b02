#include "driver.h"

#include "console.h"

#include <dirent.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
std::jmp_buf run_end;
int first_free_descriptor = -1;

// The scratch folder becomes the working directory once, before the first
// input, and the tools' messages go nowhere.
void prepare_once() {
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
  char folder[] = "/tmp/assettools-fuzz-XXXXXX";
  if (mkdtemp(folder) == nullptr || chdir(folder) != 0) std::abort();
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
  first_free_descriptor = dup(0);
  close(first_free_descriptor);
}

// A tool that fails while a file is open leaves it to the process exit;
// close what a run left open so that the descriptors never run out.
void close_stray_descriptors() {
  for (int fd = first_free_descriptor; fd < first_free_descriptor + 64; ++fd) close(fd);
}

// Removes what a run left in the scratch folder, so that no input sees the
// files of an earlier one.
void clear_scratch() {
  DIR* dir = opendir(".");
  if (dir == nullptr) return;
  while (dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) unlink(entry->d_name);
  }
  closedir(dir);
}
}  // namespace

namespace {
// True when the command is words separated by single blanks that are each
// wholly inside single quotes, a quote within written '\'', the program's
// path first; then the shell interprets no byte of the path or the texts.
bool quoted_safely(const char* command) {
  const char* p = command;
  for (bool first = true; first || *p == ' '; first = false) {
    if (!first) ++p;
    if (*p++ != '\'') return false;
    for (;;) {
      if (*p == '\0') return false;
      if (*p == '\'') {
        ++p;
        if (std::strncmp(p, "\\''", 3) == 0) {
          p += 3;
          continue;
        }
        break;
      }
      ++p;
    }
  }
  return *p == '\0';
}
}  // namespace

// The tools start AlertPane through the command processor; while fuzzing,
// check that the command line is safely quoted and start nothing
// (linked with -Wl,--wrap=system).
extern "C" int __wrap_system(const char* command) {
  if (command != nullptr && !quoted_safely(command)) std::abort();
  return 0;
}

std::vector<std::string> split_parts(const std::uint8_t* data, std::size_t size, std::size_t count) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (parts.size() + 1 < count) {
    const std::size_t end = input.find(kPartSeparator, start, 4);
    if (end == std::string::npos) break;
    parts.push_back(input.substr(start, end - start));
    start = end + 4;
  }
  parts.push_back(start <= input.size() ? input.substr(start) : std::string());
  parts.resize(count);
  return parts;
}

std::string scratch_file_name(const std::string& wanted, const std::string& fallback) {
  std::string name;
  for (char c : wanted)
    if (c != '/' && c != '\0' && name.size() < 200) name += c;
  return name.empty() || name == "." || name == ".." ? fallback : name;
}

void write_scratch_file(const std::string& name, const std::string& bytes) {
  prepare_once();
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (file == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

int run_tool_main(ToolMain tool_main, const std::vector<std::string>& args) {
  prepare_once();
  std::vector<std::string> words = {"tool"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  // A run that ends early (end_run) comes back here instead of exiting.
  int status;
  set_run_end_jump(&run_end);
  const int jumped = setjmp(run_end);
  if (jumped == 0) {
    status = tool_main(static_cast<int>(words.size()), argv.data());
  } else {
    status = jumped - 1;
  }
  set_run_end_jump(nullptr);
  std::fflush(stdout);
  close_stray_descriptors();
  clear_scratch();
  return status;
}
