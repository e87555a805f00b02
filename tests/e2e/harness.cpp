#include "harness.h"

#include <fcntl.h>
#include <grp.h>
#include <iconv.h>
#include <malloc.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <ctime>
#include <set>
#include <thread>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include <gtest/gtest.h>

namespace e2e {

namespace {
struct Tools {
  std::string dir;
  std::string suffix;
  std::string runner;
  bool windows;
};
const Tools& tools() {
  static const Tools t = [] {
    const auto variable = [](const char* name, const char* fallback) {
      const char* value = std::getenv(name);
      return std::string(value != nullptr ? value : fallback);
    };
    Tools found{variable("E2E_TOOLS_DIR", TOOLS_DIR), variable("E2E_TOOL_SUFFIX", ""), variable("E2E_RUNNER", ""), false};
    found.windows = found.suffix == ".exe";
    return found;
  }();
  return t;
}

// A name as the machine's files and wine's command lines hold it: under wine,
// code page 932 converted to UTF-8; natively the bytes themselves.
std::string host_name(const std::string& name) {
  if (!tools().windows) return name;
  const iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP932 converter");
  std::string in = name, out(name.size() * 3 + 1, '\0');
  char *from = in.data(), *to = out.data();
  std::size_t from_left = in.size(), to_left = out.size();
  const std::size_t converted = iconv(converter, &from, &from_left, &to, &to_left);
  iconv_close(converter);
  if (converted == static_cast<std::size_t>(-1)) throw std::runtime_error("not code page 932: " + name);
  out.resize(out.size() - to_left);
  return out;
}

std::string in_dir(const std::string& dir, const std::string& name) { return dir + "/" + host_name(name); }

std::string with_lf_line_ends(const Bytes& text) {
  Bytes lf;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
  return lf;
}
}  // namespace

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
  const std::filesystem::path path = in_dir(path_, name);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Bytes TempDir::read(const std::string& name) const {
  std::ifstream file(in_dir(path_, name), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> TempDir::names(bool in_folders) const {
  std::vector<std::string> found;
  if (!in_folders) {
    for (const auto& entry : std::filesystem::directory_iterator(path_)) found.push_back(entry.path().filename());
    return found;
  }
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path_))
    found.push_back(entry.path().lexically_relative(path_).string());
  return found;
}

bool TempDir::exists(const std::string& name) const {
  struct stat info;
  return lstat(in_dir(path_, name).c_str(), &info) == 0;
}

namespace {
std::int64_t microseconds_now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1000000 + now.tv_nsec / 1000;
}

bool temporary_output_in(const std::string& dir) {
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.path().filename().string().rfind(".assettools-", 0) == 0) return true;
  return false;
}

// The writer of a named pipe: opens it once, when a reader has it open,
// writes the bytes and closes it, as `cat file > fifo` would.
void write_fifo_once(const std::string& path, const Bytes& bytes, const std::atomic<bool>& run_ended) {
  int fd = -1;
  while ((fd = open(path.c_str(), O_WRONLY | O_NONBLOCK)) < 0) {
    if (errno != ENXIO || run_ended) return;
    usleep(1000);
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;  // the reader closed it
    done += static_cast<std::size_t>(n);
  }
  close(fd);
}
}  // namespace

namespace {
// True when kOtherUser may do what mode asks of the path (access(2) modes),
// as a child dropped to that user finds.
bool other_user_may(const std::string& path, int mode) {
  const pid_t child = fork();
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(kOtherUser) != 0 || setuid(kOtherUser) != 0) _exit(2);
    _exit(access(path.c_str(), mode) == 0 ? 0 : 1);
  }
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Where kOtherUser runs the tools from: their folder, or, when that user
// cannot reach it (a clone in root's home, mode 0700), copies of them in a
// folder of its own; empty, with the reason, when neither serves.
struct OtherUserTools {
  std::string dir;
  std::string unreachable;
};
const OtherUserTools& other_user_tools() {
  static TempDir copies;
  static const OtherUserTools found = [] {
    const std::string temporary = std::filesystem::temp_directory_path().string();
    if (!other_user_may(temporary, W_OK | X_OK)) return OtherUserTools{"", "user " + std::to_string(kOtherUser) +
                                                                                 " cannot reach " + temporary};
    if (other_user_may(tools().dir + "/maskblend" + tools().suffix, X_OK)) return OtherUserTools{tools().dir, ""};
    for (const auto& entry : std::filesystem::directory_iterator(tools().dir)) {
      if (entry.is_regular_file()) std::filesystem::copy_file(entry.path(), copies.path() + "/" + entry.path().filename().string());
    }
    chmod(copies.path().c_str(), 0755);
    if (other_user_may(copies.path() + "/maskblend" + tools().suffix, X_OK)) return OtherUserTools{copies.path(), ""};
    return OtherUserTools{"", "user " + std::to_string(kOtherUser) + " can run neither " + tools().dir +
                                  " nor copies of it in " + copies.path()};
  }();
  return found;
}

// A pseudo-terminal whose output passes bytes unchanged (no CR before LF).
struct Terminal {
  int controller = -1;
  int device = -1;
};
Terminal open_terminal() {
  Terminal t;
  t.controller = posix_openpt(O_RDWR | O_NOCTTY);
  char name[128];
  if (t.controller < 0 || grantpt(t.controller) != 0 || unlockpt(t.controller) != 0 ||
      ptsname_r(t.controller, name, sizeof name) != 0 || (t.device = open(name, O_RDWR | O_NOCTTY)) < 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  termios mode{};
  tcgetattr(t.device, &mode);
  mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tcsetattr(t.device, TCSANOW, &mode);
  return t;
}
RunResult run_once(const std::string& tool, const std::vector<std::string>& args, const std::string& dir,
                   const RunOptions& options);
}  // namespace

// Now and then wine fails to start a program while others start: it ends
// with a status but the program never ran, so it printed nothing. The
// programs print a message on every failure, so a failed run that printed
// nothing (standard output not on /dev/full) is run again, twice at most;
// a program that truly fails without a word fails every time.
RunResult run_tool(const std::string& tool, const std::vector<std::string>& args, const std::string& dir,
                   const RunOptions& options) {
  RunResult result = run_once(tool, args, dir, options);
  for (int retry = 0; retry < 2 && tools().windows && !options.stdout_full && result.status != 0 && result.out.empty();
       ++retry) {
    result = run_once(tool, args, dir, options);
  }
  return result;
}

namespace {
RunResult run_once(const std::string& tool, const std::vector<std::string>& args, const std::string& dir,
                   const RunOptions& options) {
  // The command is made before the fork: a test may run tools from several
  // threads, and the child of a threaded process must not convert or
  // allocate before it runs the tool.
  const std::vector<gid_t> groups(options.groups.begin(), options.groups.end());
  const bool drop_root = options.as_other_user && geteuid() == 0;
  std::vector<std::string> words;
  if (!tools().runner.empty()) words.push_back(tools().runner);
  std::string program = (drop_root ? other_user_tools().dir : tools().dir) + "/" + tool + tools().suffix;
  if (!options.tool_folder.empty()) {
    const std::filesystem::path copy = in_dir(dir, options.tool_folder) + "/" + tool + tools().suffix;
    std::filesystem::create_directories(copy.parent_path());
    std::filesystem::copy_file(program, copy, std::filesystem::copy_options::overwrite_existing);
    program = copy.string();
  }
  words.push_back(program);
  for (const std::string& a : args) words.push_back(host_name(a));
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment = options.environment;
  for (std::string& entry : environment)
    for (std::size_t at; (at = entry.find("{folder}")) != std::string::npos;) entry.replace(at, 8, dir);
  int pipe_ends[2], input_ends[2];
  if (pipe(pipe_ends) != 0 || pipe(input_ends) != 0) throw std::runtime_error("pipe failed");
  if (options.stdin_bytes.size() > 65536) throw std::runtime_error("standard input beyond a pipe's buffer");
  if (write(input_ends[1], options.stdin_bytes.data(), options.stdin_bytes.size()) !=
      static_cast<ssize_t>(options.stdin_bytes.size())) {
    throw std::runtime_error("standard input not written");
  }
  close(input_ends[1]);
  std::signal(SIGPIPE, SIG_IGN);  // a named pipe's reader may close it early
  std::atomic<bool> run_ended = false;
  std::thread fifo_writer;
  if (!options.fifo.name.empty()) {
    const std::string path = in_dir(dir, options.fifo.name);
    if (mkfifo(path.c_str(), 0666) != 0) throw std::runtime_error("mkfifo failed");
    if (drop_root && chown(path.c_str(), kOtherUser, kOtherUser) != 0) throw std::runtime_error("chown failed");
    fifo_writer = std::thread(write_fifo_once, path, options.fifo.bytes, std::cref(run_ended));
  }
  const Terminal terminal = options.terminal ? open_terminal() : Terminal{};
  // The child's peak memory starts from this process's at the fork: what
  // earlier tests freed goes back to the system first.
  malloc_trim(0);
  const pid_t child = fork();
  if (child == 0) {
    dup2(options.stdout_full ? open("/dev/full", O_WRONLY) : options.terminal ? terminal.device : pipe_ends[1],
         STDOUT_FILENO);
    if (options.terminal) dup2(terminal.device, STDERR_FILENO);
    dup2(input_ends[0], STDIN_FILENO);
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    close(input_ends[0]);
    if (options.terminal) {
      close(terminal.controller);
      close(terminal.device);
      for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) unsetenv(variable);
    }
    if (chdir(dir.c_str()) != 0) _exit(127);
    for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP}) std::signal(s, SIG_DFL);  // an ignored one stays ignored
    for (int s : options.ignored_signals) std::signal(s, SIG_IGN);
    for (const std::string& entry : environment) putenv(const_cast<char*>(entry.c_str()));
    if (options.file_size_limit > 0) {
      const rlimit limit{static_cast<rlim_t>(options.file_size_limit), static_cast<rlim_t>(options.file_size_limit)};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
    }
    if (drop_root && (setgroups(groups.size(), groups.data()) != 0 || setgid(kOtherUser) != 0 ||
                      setuid(kOtherUser) != 0)) {
      _exit(127);
    }
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(pipe_ends[1]);
  close(input_ends[0]);
  if (options.terminal) {
    close(terminal.device);
    close(pipe_ends[0]);
    pipe_ends[0] = terminal.controller;  // read once the run has written all (EIO)
  }
  RunResult result{{}, -1, 0};
  char chunk[65536];
  // (<chrono> holds a literal that is not code page 932.)
  const std::time_t deadline = std::time(nullptr) + 60;
  const std::int64_t started = microseconds_now();
  bool signalled = false;
  for (pollfd out{pipe_ends[0], POLLIN, 0};;) {
    if (poll(&out, 1, options.signal != 0 ? 1 : 100) > 0) {
      const ssize_t n = read(pipe_ends[0], chunk, sizeof chunk);
      if (n <= 0) break;
      result.out.append(chunk, static_cast<std::size_t>(n));
    } else if (options.signal != 0 && !signalled &&
               (options.signal_after_us >= 0 ? microseconds_now() - started >= options.signal_after_us
                                             : temporary_output_in(dir))) {
      signalled = kill(child, options.signal) == 0;
    } else if (std::time(nullptr) > deadline) {
      kill(child, SIGKILL);
      break;
    }
  }
  close(pipe_ends[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  run_ended = true;
  if (fifo_writer.joinable()) fifo_writer.join();
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.max_rss_kib = usage.ru_maxrss;
  if (tools().windows) result.out = with_lf_line_ends(result.out);
  return result;
}
}  // namespace

std::string recorder_dir() { return tools().dir + "/../tests/recorder"; }

std::string tools_dir() { return tools().dir; }

std::string search_path_entry(const std::string& folder) {
  if (!tools().windows) return "PATH=" + folder;
  std::string windows_path = "Z:" + std::filesystem::absolute(folder).lexically_normal().string();  // wine's drive for /
  for (char& c : windows_path)
    if (c == '/') c = '\\';
  return "WINEPATH=" + windows_path;
}

namespace {
bool is_lead_byte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool is_trail_byte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Why Windows cannot hold the name; empty when it can.
std::string name_refusal(const std::string& name, bool file) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (is_lead_byte(c)) {
      if (i + 1 == name.size() || !is_trail_byte(static_cast<unsigned char>(name[i + 1])))
        return "a byte outside code page 932";
      ++i;  // a trail byte that reads as a backslash or '|' belongs to its character
    } else if (c == 0x80 || c == 0xA0 || c >= 0xFD) {
      return "a byte outside code page 932";
    } else if (c < 0x20 || std::strchr("<>:\"\\|?*", c) != nullptr) {
      return "a character Windows refuses in names";
    }
  }
  if (file && !name.empty() && (name.back() == ' ' || name.back() == '.') && name != "." && name != "..")
    return "a last blank or dot, which Windows drops";
  return "";
}

std::string folded(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}
}  // namespace

bool windows_tools() { return tools().windows; }

std::string windows_refusal(const std::vector<std::string>& files, const std::vector<std::string>& arguments) {
  if (!tools().windows) return "";
  std::vector<std::string> names = files;
  names.insert(names.end(), arguments.begin(), arguments.end());
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string refusal = name_refusal(names[i], i < files.size());
    if (!refusal.empty()) return testing::PrintToString(names[i]) + ": " + refusal;
  }
  for (const std::string& a : names)
    for (const std::string& b : names)
      if (a != b && folded(a) == folded(b)) return a + " and " + b + ", which differ only in case";
  return "";
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

namespace {
// In the Windows mode, why a case cannot run as it is meant; empty when it
// can. Windows programs have no file-size limit to ignore (wine itself is
// killed by the signal), no POSIX permission bits, and open no folder as a
// file; wine shows a symbolic link as the file it names, and finds itself
// and its programs by PATH and WINEPATH. Links to
// devices (/dev/full) work alike.
std::string windows_unsupported(const Case& c) {
  if (!tools().windows) return "";
  if (c.run.file_size_limit > 0) return "a file-size limit";
  if (c.run.as_other_user || c.run.folder_mode != 0) return "POSIX users and permission bits";
  if (c.run.signal != 0 || !c.run.ignored_signals.empty()) return "POSIX signals";
  if (c.run.terminal) return "a console under wine, which draws with escape sequences";
  if (c.run.no_free_inodes || c.run.no_free_space || !c.run.read_only_mount.empty()) {
    return "a file system of the tests' own";
  }
  if (!c.run.fifo.name.empty() || !c.run.stdin_bytes.empty()) return "POSIX pipes by name";
  for (const std::string& entry : c.run.environment)
    if (entry.rfind("PATH=", 0) == 0) return "a POSIX search path (wine looks through WINEPATH)";
  for (const auto* files : {&c.inputs, &c.outputs})
    for (const File& f : *files)
      if (f.mode != 0 || f.owner >= 0 || f.group >= 0) return "permission bits";
  for (const Link& l : c.links)
    if (l.target.rfind("/dev/", 0) != 0) return "a symbolic link to a file or folder";
  return "";
}

// Gives the file the case's owner and group, or to the other user when the
// tool runs as that user; only root can.
void give(const std::string& path, const File& f, const Case& c) {
  const int owner = f.owner >= 0 ? f.owner : c.run.as_other_user ? kOtherUser : -1;
  const int group = f.group >= 0 ? f.group : c.run.as_other_user ? kOtherUser : -1;
  if ((owner >= 0 || group >= 0) && geteuid() == 0) {
    ASSERT_EQ(chown(path.c_str(), static_cast<uid_t>(owner), static_cast<gid_t>(group)), 0) << path;
  }
}

// A file system mounted over a folder, with the tmpfs options given, or
// without them the folder itself again, read-only; unmounted at the end.
class FolderFileSystem {
 public:
  FolderFileSystem(const std::string& folder, const std::string& options) : folder_(folder) {
    mounted_ = mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  explicit FolderFileSystem(const std::string& folder) : folder_(folder) {
    mounted_ = mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0;
    if (mounted_ && mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) unmount();
  }
  ~FolderFileSystem() { unmount(); }
  bool mounted() const { return mounted_; }
  void unmount() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
    mounted_ = false;
  }

 private:
  std::string folder_;
  bool mounted_;
};

// The pages of a tmpfs that the case's files fill.
std::size_t pages_of(const std::vector<File>& files) {
  constexpr std::size_t kPage = 4096;
  std::size_t pages = 0;
  for (const File& f : files) pages += (f.bytes.size() + kPage - 1) / kPage;
  return std::max<std::size_t>(pages, 1) * kPage;
}

// The folders a name lies in, outermost first.
std::vector<std::string> folders_of(const std::string& name) {
  std::vector<std::string> folders;
  for (std::size_t at = name.find('/'); at != std::string::npos; at = name.find('/', at + 1))
    folders.push_back(name.substr(0, at));
  return folders;
}

bool gives_files_away(const Case& c) {
  for (const auto* files : {&c.inputs, &c.outputs})
    for (const File& f : *files)
      if (f.owner >= 0 || f.group >= 0) return true;
  return false;
}
}  // namespace

void check_case(const std::string& tool, const Case& c) {
  if (const std::string reason = windows_unsupported(c); !reason.empty()) GTEST_SKIP() << "Windows: " << reason;
  if (gives_files_away(c) && geteuid() != 0) GTEST_SKIP() << "only root can give files to other users";
  if (c.run.as_other_user && geteuid() == 0 && !other_user_tools().unreachable.empty()) {
    GTEST_SKIP() << other_user_tools().unreachable;
  }
  std::vector<std::string> files;
  for (const File& f : c.inputs) files.push_back(f.name);
  for (const File& f : c.outputs) files.push_back(f.name);
  files.insert(files.end(), c.absent.begin(), c.absent.end());
  for (const Link& l : c.links) files.push_back(l.name);
  const std::string refusal = windows_refusal(files, c.args);
  if (!refusal.empty()) GTEST_SKIP() << "Windows cannot hold " << refusal;
  TempDir dir;
  std::unique_ptr<FolderFileSystem> full;
  if (c.run.no_free_inodes || c.run.no_free_space) {
    // One inode for the folder itself, one for each file of the case; or
    // just the pages the case's files fill.
    const std::string options = c.run.no_free_inodes ? "size=1m,mode=0700,nr_inodes=" + std::to_string(1 + c.inputs.size() + c.links.size())
                                                     : "mode=0700,size=" + std::to_string(pages_of(c.inputs));
    full = std::make_unique<FolderFileSystem>(dir.path(), options);
    if (!full->mounted()) GTEST_SKIP() << "cannot mount a file system here (not root?)";
  }
  std::set<std::string> expected_names;
  std::set<std::string> folders;
  for (const File& f : c.inputs) {
    dir.write(f.name, f.bytes);
    ASSERT_EQ(dir.read(f.name).size(), f.bytes.size()) << f.name << " not written whole";
    give(in_dir(dir.path(), f.name), f, c);
    if (f.mode != 0) {
      ASSERT_EQ(chmod(in_dir(dir.path(), f.name).c_str(), f.mode), 0);
    }
    expected_names.insert(host_name(f.name));
    for (const std::string& folder : folders_of(f.name)) folders.insert(folder);
  }
  if (!c.run.fifo.name.empty()) expected_names.insert(host_name(c.run.fifo.name));
  for (const Link& l : c.links) {
    for (const std::string& folder : folders_of(l.name)) {
      std::filesystem::create_directories(in_dir(dir.path(), folder));
      folders.insert(folder);
    }
    ASSERT_EQ(symlink(l.target.c_str(), in_dir(dir.path(), l.name).c_str()), 0);
    expected_names.insert(host_name(l.name));
  }
  for (const std::string& folder : folders) {
    give(in_dir(dir.path(), folder), {}, c);
    expected_names.insert(host_name(folder));
  }
  // Last, so that the user who makes the case's files may still add links.
  if (c.run.folder_mode != 0) {
    ASSERT_EQ(chmod(dir.path().c_str(), c.run.folder_mode), 0);
  } else {
    give(dir.path(), {}, c);
  }
  if (!c.run.tool_folder.empty()) {
    const std::string copy = c.run.tool_folder + "/" + tool + tools().suffix;
    expected_names.insert(host_name(copy));
    for (const std::string& folder : folders_of(copy)) expected_names.insert(host_name(folder));
  }
  std::unique_ptr<FolderFileSystem> read_only;
  if (!c.run.read_only_mount.empty()) {
    read_only = std::make_unique<FolderFileSystem>(in_dir(dir.path(), c.run.read_only_mount));
    if (!read_only->mounted()) GTEST_SKIP() << "cannot mount a folder read-only here (not root?)";
  }
  const RunResult run = run_tool(tool, c.args, dir.path(), c.run);
  if (read_only) read_only->unmount();
  chmod(dir.path().c_str(), 0700);  // so that the folder can be read and removed
  EXPECT_EQ(run.out, c.out) << "stdout " << hex(run.out) << "\nwanted " << hex(c.out);
  EXPECT_EQ(run.status, c.status);
  for (const File& f : c.outputs) {
    ASSERT_TRUE(dir.exists(f.name)) << f.name << " was not written";
    const Bytes actual = dir.read(f.name);
    EXPECT_TRUE(actual == f.bytes) << f.name << ": " << first_difference(actual, f.bytes);
    struct stat info;
    if (stat(in_dir(dir.path(), f.name).c_str(), &info) == 0) {
      if (f.mode != 0) {
        EXPECT_EQ(info.st_mode & 07777, f.mode) << f.name << " permission bits";
      }
      if (f.owner >= 0) {
        EXPECT_EQ(static_cast<int>(info.st_uid), f.owner) << f.name << " owner";
      }
      if (f.group >= 0) {
        EXPECT_EQ(static_cast<int>(info.st_gid), f.group) << f.name << " group";
      }
    }
    expected_names.insert(host_name(f.name));
  }
  for (const std::string& name : c.absent) EXPECT_FALSE(dir.exists(name)) << name << " should not exist";
  for (const Link& l : c.links) {
    const bool replaced = std::any_of(c.outputs.begin(), c.outputs.end(), [&](const File& f) { return f.name == l.name; });
    struct stat info;
    if (replaced) {
      EXPECT_TRUE(lstat(in_dir(dir.path(), l.name).c_str(), &info) == 0 && S_ISREG(info.st_mode))
          << l.name << " should have been replaced by a file";
      continue;
    }
    char target[4096];
    const ssize_t length = readlink(in_dir(dir.path(), l.name).c_str(), target, sizeof target);
    EXPECT_EQ(std::string(target, length > 0 ? static_cast<std::size_t>(length) : 0), l.target)
        << l.name << " is no longer the same link";
  }
  for (const std::string& name : dir.names(true))
    EXPECT_TRUE(expected_names.count(name) == 1) << name << " was left in the folder";
}

Bytes test_file(const std::string& name) {
  std::ifstream file(std::string(FILES_DIR) + "/" + name, std::ios::binary | std::ios::ate);
  if (!file) throw std::runtime_error("no test file " + name);
  Bytes bytes(static_cast<std::size_t>(file.tellg()), '\0');
  file.seekg(0).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));  // whole: some are 8 MB
  return bytes;
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

Bytes with_bytes(Bytes file, std::size_t at, const Bytes& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) file.at(at + i) = bytes[i];
  return file;
}

Bytes with_le32(Bytes file, std::size_t at, std::int64_t value) {
  return with_bytes(std::move(file), at, le(static_cast<std::uint64_t>(value), 4));
}

Bytes with_le16(Bytes file, std::size_t at, std::uint16_t value) { return with_bytes(std::move(file), at, le(value, 2)); }

void record_alert_pane_calls() {
  static std::string entry = search_path_entry(recorder_dir());
  putenv(entry.data());
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

Bytes upside_down(const Bytes& file) {
  const int h = le32_at(file, 22);
  return bmp(le32_at(file, 18), h, [&](int x, int y) { return pixel_at(file, x, h - 1 - y); });
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

Bytes utf8(const char8_t* text) { return Bytes(reinterpret_cast<const char*>(text)); }

}  // namespace e2e
