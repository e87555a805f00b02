// The platform interface on POSIX systems (Linux).
#include "platform.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "console.h"

namespace platform {

// ---- Starting a run ----

void let_oversized_writes_fail() { std::signal(SIGXFSZ, SIG_IGN); }

// ---- Saving outputs ----

const std::size_t kPathCapacity = PATH_MAX;

namespace {
constexpr char kTemporaryPrefix[] = ".assettools-";
constexpr std::size_t kTemporarySuffix = 32;  // the prefix and a unique part

char temporary_name[kFileNameCapacity + kTemporarySuffix];
// Set while the temporary file exists, for the signal handlers.
volatile std::sig_atomic_t temporary_exists = 0;

// What a replaced output keeps of the file it replaces.
struct Kept {
  bool existed;
  mode_t mode;
  uid_t owner;
  gid_t group;
};
Kept kept;

constexpr int kCleanedUpSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous_actions[3];

mode_t new_file_mode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Removes the temporary file, then ends the process as the signal would
// (the handler was reset to the default on entry).
void remove_temporary_file(int signal_number) {
  if (temporary_exists) unlink(temporary_name);
  raise(signal_number);
}

// Blocks the cleaned-up signals while the temporary file comes or goes, so
// that none finds it there but not yet known (or the other way round).
void block_signals(bool block) {
  sigset_t set;
  sigemptyset(&set);
  for (int s : kCleanedUpSignals) sigaddset(&set, s);
  sigprocmask(block ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

void catch_signals() {
  struct sigaction action{};
  action.sa_handler = remove_temporary_file;
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < 3; ++i) {
    sigaction(kCleanedUpSignals[i], nullptr, &previous_actions[i]);
    // An ignored signal (nohup, a background job) stays ignored.
    if (previous_actions[i].sa_handler != SIG_IGN) sigaction(kCleanedUpSignals[i], &action, nullptr);
  }
}

void restore_signal_actions() {
  for (int i = 0; i < 3; ++i) sigaction(kCleanedUpSignals[i], &previous_actions[i], nullptr);
}

FileIdentity identity_of(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// The folder of a path, opened only to name it (".", for a bare name);
// -1 when there is none.
int open_folder_of(const char* path) {
  static char folder[kFileNameCapacity];
  const std::size_t length = folder_part_length(path);
  if (length >= sizeof folder) return -1;
  std::memcpy(folder, path, length);
  folder[length] = '\0';
  return open(length > 0 ? folder : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// How many links the system follows in a row before it gives up (ELOOP).
constexpr int kLinkLimit = 40;
}  // namespace

Entry look_at_output(const char* name) {
  kept = {false, new_file_mode(), 0, 0};
  struct stat info;
  if (lstat(name, &info) != 0) return errno == ENOENT ? Entry::Missing : Entry::Unknown;
  if (S_ISLNK(info.st_mode)) return Entry::Link;
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) || S_ISFIFO(info.st_mode)) return Entry::Device;
  if (!S_ISREG(info.st_mode)) return Entry::Other;
  // Root may write any file: one that allows nobody to write counts as
  // read-only for root too.
  if ((info.st_mode & 0222) == 0 || access(name, W_OK) != 0) return Entry::ReadOnlyFile;
  kept = {true, static_cast<mode_t>(info.st_mode & 07777), info.st_uid, info.st_gid};
  return Entry::File;
}

bool is_standard_output(const char* name) {
  struct stat output, entry, named;
  if (fstat(STDOUT_FILENO, &output) != 0) return false;
  if (lstat(name, &entry) == 0 && (S_ISCHR(entry.st_mode) || S_ISBLK(entry.st_mode))) return false;
  return stat(name, &named) == 0 && identity_of(named) == identity_of(output);
}

// Climbs from the name's folder to the root, one parent at a time, so that
// any spelling (../dev, a link to a folder, /dev/fd) is caught.
bool in_system_folder(const char* name) {
  struct stat dev, proc;
  const bool has_dev = stat("/dev", &dev) == 0, has_proc = stat("/proc", &proc) == 0;
  int folder = open_folder_of(name);
  bool inside = false;
  for (std::size_t level = 0; folder >= 0 && level < PATH_MAX / 2; ++level) {
    struct stat info, parent_info;
    if (fstat(folder, &info) != 0) break;
    inside = (has_dev && identity_of(info) == identity_of(dev)) || (has_proc && identity_of(info) == identity_of(proc));
    if (inside) break;
    const int parent = openat(folder, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    const bool root = parent < 0 || fstat(parent, &parent_info) != 0 || identity_of(parent_info) == identity_of(info);
    close(folder);
    folder = root ? -1 : parent;
    if (root && parent >= 0) close(parent);
  }
  if (folder >= 0) close(folder);
  return inside;
}

Temporary create_temporary(const char* target, std::FILE*& file) {
  const std::size_t folder = folder_part_length(target);
  if (folder >= kFileNameCapacity) return Temporary::NoFolder;
  std::memcpy(temporary_name, target, folder);
  std::snprintf(temporary_name + folder, kTemporarySuffix, "%sXXXXXX", kTemporaryPrefix);
  block_signals(true);
  const int descriptor = mkstemp(temporary_name);
  const int error = errno;
  if (descriptor >= 0) {
    temporary_exists = 1;
    catch_signals();
  }
  block_signals(false);
  if (descriptor < 0) {
    // Only a folder that allows no new file at all makes writing in place
    // the way; a full disk or a quota would fail there too, after the
    // output was truncated.
    if (error == EACCES || error == EPERM || error == EROFS) return Temporary::NotAllowed;
    if (error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG || error == ELOOP) return Temporary::NoFolder;
    return Temporary::Failed;
  }
  // The replaced file's group where the writer may set it (one of its
  // groups), its owner too for root; then its permission bits, which a
  // change of owner may clear.
  if (kept.existed) {
    // Refused when the writer is not in that group: its own group stays.
    const int refused = fchown(descriptor, geteuid() == 0 ? kept.owner : static_cast<uid_t>(-1), kept.group);
    static_cast<void>(refused);
  }
  file = fchmod(descriptor, kept.mode) == 0 ? fdopen(descriptor, "wb") : nullptr;
  if (file != nullptr) return Temporary::Created;
  close(descriptor);
  remove_temporary();
  return Temporary::Failed;
}

Replaced replace_with_temporary(const char* target) {
  block_signals(true);
  const bool renamed = std::rename(temporary_name, target) == 0;
  const int error = errno;
  if (renamed) {
    temporary_exists = 0;
    restore_signal_actions();
  }
  block_signals(false);
  if (renamed) return Replaced::Yes;
  // A sticky folder (another user's file), a bind-mounted file, another
  // file system: the file can still be written where it is.
  return error == EPERM || error == EACCES || error == EBUSY || error == EXDEV ? Replaced::Refused : Replaced::Failed;
}

void remove_temporary() {
  block_signals(true);
  unlink(temporary_name);
  temporary_exists = 0;
  restore_signal_actions();
  block_signals(false);
}

Opened open_in_place(const char* name, std::FILE*& file) {
  const int descriptor = open(name, O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) {
    struct stat info;
    return errno == ELOOP && lstat(name, &info) == 0 && S_ISLNK(info.st_mode) ? Opened::Link : Opened::Failed;
  }
  file = fdopen(descriptor, "wb");  // which, unlike fopen, truncates nothing
  if (file != nullptr) return Opened::Yes;
  close(descriptor);
  return Opened::Failed;
}

bool identify_open(std::FILE* file, FileIdentity& identity) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0) return false;
  identity = identity_of(info);
  return true;
}

bool regular_file_length(std::FILE* file, std::uint64_t& length) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  length = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool set_length(std::FILE* file, std::uint64_t length) { return ftruncate(fileno(file), static_cast<off_t>(length)) == 0; }

// The blocks are reserved without changing the file's length, so that a
// failure leaves the file as it was; a file-size limit, which that does
// not check, is looked at first. Reserving also keeps the file system from
// looking for blocks of delayed writes when a new file replaces another
// (ext4 does that at the rename, which then waits on it).
Room reserve_room(std::FILE* file, std::uint64_t length) {
  struct rlimit limit;
  if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && length > limit.rlim_cur) {
    return Room::NoRoom;
  }
  if (length == 0) return Room::Reserved;
  int reserved;
  do {
    reserved = fallocate(fileno(file), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(length));
  } while (reserved != 0 && errno == EINTR);
  if (reserved == 0) return Room::Reserved;
  return errno == ENOSPC || errno == EDQUOT || errno == EFBIG ? Room::NoRoom : Room::Unknown;
}

void hold_signals() { block_signals(true); }

void release_signals() { block_signals(false); }

// A file system or a kind of file that the kernel cannot copy leaves the
// rest to the caller.
bool copy_in_system(std::FILE* to, std::FILE* from, std::int64_t offset, std::size_t length, std::size_t& done) {
  done = 0;
  while (done < length) {
    off64_t at = offset + static_cast<off64_t>(done);
    const ssize_t copied = copy_file_range(fileno(from), &at, fileno(to), nullptr, length - done, 0);
    if (copied > 0) {
      done += static_cast<std::size_t>(copied);
    } else if (copied == 0) {
      return false;  // the source ended early
    } else if (errno != EINTR) {
      return errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF;
    }
  }
  return true;
}

bool identify(const char* name, bool through_links, FileIdentity& identity) {
  struct stat info;
  if ((through_links ? stat(name, &info) : lstat(name, &info)) != 0) return false;
  identity = identity_of(info);
  return true;
}

// Each link is read where it lies and its target followed from that
// folder, as the system does, one entry at a time.
std::size_t identify_chain(const char* name, FileIdentity* entries, std::size_t capacity) {
  static char entry[PATH_MAX], target[PATH_MAX];
  const std::size_t name_folder = folder_part_length(name);
  if (std::strlen(name + name_folder) >= sizeof entry) return 0;
  std::strcpy(entry, name + name_folder);
  int folder = open_folder_of(name);
  std::size_t count = 0;
  for (int links = 0; folder >= 0 && count < capacity; ++links) {
    struct stat info;
    if (entry[0] == '\0' || fstatat(folder, entry, &info, AT_SYMLINK_NOFOLLOW) != 0) break;
    entries[count++] = identity_of(info);
    if (!S_ISLNK(info.st_mode) || links == kLinkLimit) break;
    const ssize_t length = readlinkat(folder, entry, target, sizeof target - 1);
    if (length <= 0) break;
    target[length] = '\0';
    const std::size_t target_folder = folder_part_length(target);
    std::strcpy(entry, target + target_folder);
    target[target_folder] = '\0';
    const int next = openat(folder, target_folder > 0 ? target : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    close(folder);
    folder = next;
  }
  if (folder >= 0) close(folder);
  return count;
}

// ---- Paths and programs ----

std::size_t folder_part_length(const char* path) {
  const char* last = std::strrchr(path, '/');
  return last != nullptr ? static_cast<std::size_t>(last - path) + 1 : 0;
}

bool may_read(const char* name) { return access(name, R_OK) == 0; }

bool is_program(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISREG(info.st_mode) && access(path, X_OK) == 0;
}

std::string_view absolute_path_entry(std::string_view entry) {
  return !entry.empty() && entry[0] == '/' ? entry : std::string_view();
}

bool running_program_path(char* path, std::size_t capacity) {
  const ssize_t length = readlink("/proc/self/exe", path, capacity - 1);
  if (length <= 0) return false;
  path[length] = '\0';
  return true;
}

bool is_ansi_lead_byte(char c) { return is_cp932_lead_byte(c); }

bool is_ansi_character(char, char trail) { return is_cp932_trail_byte(trail); }

// ---- Standard streams and consoles ----

namespace {
// Whether the locale's character set is UTF-8, found as the C library
// finds the locale of LC_CTYPE, without setting it: the first of LC_ALL,
// LC_CTYPE and LANG that is set and not empty names it (none: the C
// locale, which is ASCII). Its character set is what follows the '.', up
// to an '@', and is UTF-8 when it reads "utf8" with case ignored and
// everything but letters and digits dropped (UTF-8, utf8, UTF8).
bool locale_is_utf8() {
  const char* name = nullptr;
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    name = std::getenv(variable);
    if (name != nullptr && *name != '\0') break;
    name = nullptr;
  }
  if (name == nullptr) return false;
  while (*name != '\0' && *name != '.') ++name;
  if (*name == '\0') return false;
  const char* wanted = "utf8";
  for (const char* p = name + 1; *p != '\0' && *p != '@'; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (!std::isalnum(c)) continue;
    if (*wanted == '\0' || std::tolower(c) != *wanted) return false;
    ++wanted;
  }
  return *wanted == '\0';
}
}  // namespace

TextForm text_form(std::FILE* stream) {
  return isatty(fileno(stream)) == 1 && locale_is_utf8() ? TextForm::Utf8 : TextForm::Cp932;
}

// A POSIX terminal is written in bytes: never called.
bool write_to_console(std::FILE*, const char*, std::size_t, TextOrigin) { return false; }

// ---- Large static buffers ----

void advise_huge_pages(void* buffer, std::size_t size) { madvise(buffer, size, MADV_HUGEPAGE); }

}  // namespace platform
