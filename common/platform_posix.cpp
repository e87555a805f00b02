// The platform interface on POSIX systems (Linux).
#include "platform.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console.h"

namespace platform {

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

void release_signals() {
  for (int i = 0; i < 3; ++i) sigaction(kCleanedUpSignals[i], &previous_actions[i], nullptr);
}
}  // namespace

Entry look_at_output(const char* name) {
  kept = {false, new_file_mode(), 0, 0};
  struct stat info;
  if (lstat(name, &info) != 0) return errno == ENOENT ? Entry::Missing : Entry::Unknown;
  if (S_ISLNK(info.st_mode)) return Entry::Link;
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) || S_ISFIFO(info.st_mode)) return Entry::Device;
  if (!S_ISREG(info.st_mode)) return Entry::Other;
  if (access(name, W_OK) != 0) return Entry::ReadOnlyFile;
  kept = {true, static_cast<mode_t>(info.st_mode & 07777), info.st_uid, info.st_gid};
  return Entry::File;
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
    release_signals();
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
  release_signals();
  block_signals(false);
}

// Also keeps the file system from looking for blocks of delayed writes when
// the file replaces another (ext4 does that at the rename, which then waits
// on it).
bool reserve_room(std::FILE* file, std::uint64_t length) {
  if (length > 0 && fallocate(fileno(file), 0, 0, static_cast<off_t>(length)) != 0) {
    return errno != ENOSPC && errno != EDQUOT;
  }
  return true;
}

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
  identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  return true;
}

}  // namespace platform
