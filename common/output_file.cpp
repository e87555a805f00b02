#include "output_file.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
#if defined(_WIN32)
constexpr std::size_t kPathCapacity = MAX_PATH;
#else
constexpr std::size_t kPathCapacity = PATH_MAX;
#endif
constexpr char kTemporaryPrefix[] = ".assettools-";
constexpr std::size_t kTemporarySuffix = 32;  // the prefix and a unique part

// The output's name and the temporary file beside it.
char target_name[kPathCapacity];
char temporary_name[kPathCapacity + kTemporarySuffix];

// Set while the temporary file exists, for the signal handlers.
volatile std::sig_atomic_t temporary_exists = 0;

// Where the system cannot copy file to file, a file part goes through here.
constexpr std::size_t kCopyPieceSize = 1 << 20;
unsigned char copy_piece[kCopyPieceSize];

// How an output is written.
enum class Route { Replace, InPlace };
// What came of creating the temporary file, and of replacing the output
// with it (Refused: the system refuses the replacement, not the writing).
enum class Temporary { Created, NotAllowed, NoFolder, Failed };
enum class Replaced { Yes, Refused, Failed };

// Copies a file part from where the kernel copy stopped, block by block.
bool copy_in_blocks(std::FILE* out, const OutputPart& part, std::size_t done) {
  if (std::fseek(part.source, static_cast<long>(part.offset + static_cast<std::int64_t>(done)), SEEK_SET) != 0) {
    return false;
  }
  while (done < part.length) {
    const std::size_t piece = part.length - done < kCopyPieceSize ? part.length - done : kCopyPieceSize;
    if (std::fread(copy_piece, 1, piece, part.source) != piece) return false;  // the source ended early
    if (std::fwrite(copy_piece, 1, piece, out) != piece) return false;
    done += piece;
  }
  return true;
}

bool copy_file_part(std::FILE* out, const OutputPart& part) {
  std::size_t done = 0;
#if defined(__linux__)
  // In the kernel, file to file; another file system or a kind of file it
  // cannot copy falls back to block copies.
  const int from = fileno(part.source), to = fileno(out);
  while (done < part.length) {
    loff_t at = part.offset + static_cast<loff_t>(done);
    const ssize_t copied = copy_file_range(from, &at, to, nullptr, part.length - done, 0);
    if (copied > 0) {
      done += static_cast<std::size_t>(copied);
    } else if (copied == 0) {
      return false;  // the source ended early
    } else if (errno != EINTR) {
      if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF) break;
      return false;
    }
  }
  if (done == part.length) return true;
#endif
  return copy_in_blocks(out, part, done);
}

bool write_parts(std::FILE* file, std::initializer_list<OutputPart> parts) {
  // Unbuffered: each part goes straight from its buffer or file to the output.
  std::setvbuf(file, nullptr, _IONBF, 0);
  bool written = true;
  for (const OutputPart& part : parts) {
    if (!written || part.length == 0) continue;
    written = part.source != nullptr ? copy_file_part(file, part)
                                     : std::fwrite(part.bytes, 1, part.length, file) == part.length;
  }
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

// Reserves the output's blocks in the temporary file before it is written:
// a full disk or a quota shows at once, and the file system need not find
// blocks for delayed writes when the file replaces another (ext4 does that
// at the rename, which then waits on it). False only when there is no room.
bool reserve_space(std::FILE* file, std::initializer_list<OutputPart> parts) {
#if defined(__linux__)
  off_t total = 0;
  for (const OutputPart& part : parts) total += static_cast<off_t>(part.length);
  if (total > 0 && fallocate(fileno(file), 0, 0, total) != 0) return errno != ENOSPC && errno != EDQUOT;
#else
  static_cast<void>(file);
  static_cast<void>(parts);
#endif
  return true;
}

bool is_read_file(const char* name, const ReadFiles& reads) {
  for (std::size_t i = 0; i < reads.count; ++i)
    if (is_same_file(name, reads.names[i * reads.step])) return true;
  return false;
}

// Writing over the output itself, which truncates it first: only for the
// outputs that cannot be replaced, and never over a file the run reads.
SaveResult write_in_place(const char* name, std::initializer_list<OutputPart> parts, const ReadFiles& reads) {
  if (is_read_file(name, reads)) return SaveResult::SameAsInput;
  std::FILE* file = std::fopen(name, "wb");
  if (file == nullptr) return SaveResult::CannotOpen;
  return write_parts(file, parts) ? SaveResult::Saved : SaveResult::WriteFailed;
}

// Copies the name as the target; false for a name that names no file in a
// folder (empty, ending in a separator) or does not fit.
bool set_target(const char* name) {
  const std::size_t length = std::strlen(name);
  if (length == 0 || length >= sizeof target_name || name[length - 1] == '/') return false;
  std::memcpy(target_name, name, length + 1);
  return true;
}

#if defined(_WIN32)
Route choose_route(const char* name) {
  // Devices (NUL, CON, a pipe) are written as they are.
  const HANDLE existing = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr);
  if (existing != INVALID_HANDLE_VALUE) {
    const DWORD type = GetFileType(existing);
    CloseHandle(existing);
    if (type != FILE_TYPE_DISK) return Route::InPlace;
  }
  const DWORD attributes = GetFileAttributesA(name);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return Route::InPlace;
  } else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
             (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    return Route::InPlace;  // refused there; a link is replaced like a missing file
  }
  const std::size_t length = std::strlen(name);
  if (length > 0 && name[length - 1] == '\\' && folder_part_length(name) == length) return Route::InPlace;
  return set_target(name) ? Route::Replace : Route::InPlace;
}

// Ctrl-C, Ctrl-Break and closing the console end the process after this.
BOOL WINAPI remove_temporary_file(DWORD) {
  if (temporary_exists) DeleteFileA(temporary_name);
  return FALSE;
}

void remove_temporary() {
  DeleteFileA(temporary_name);
  temporary_exists = 0;
  SetConsoleCtrlHandler(remove_temporary_file, FALSE);
}

// Opened so that it can be deleted while it is open, from the console
// handler's thread.
Temporary create_temporary(std::FILE*& file) {
  const std::size_t folder = folder_part_length(target_name);
  std::memcpy(temporary_name, target_name, folder);
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::snprintf(temporary_name + folder, kTemporarySuffix, "%s%lu-%u", kTemporaryPrefix, GetCurrentProcessId(),
                  counter++);
    const HANDLE handle = CreateFileA(temporary_name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS) continue;
      if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT) return Temporary::NotAllowed;
      if (error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME) return Temporary::NoFolder;
      return Temporary::Failed;
    }
    temporary_exists = 1;
    SetConsoleCtrlHandler(remove_temporary_file, TRUE);
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    file = descriptor >= 0 ? _fdopen(descriptor, "wb") : nullptr;
    if (file != nullptr) return Temporary::Created;
    if (descriptor >= 0) {
      _close(descriptor);
    } else {
      CloseHandle(handle);
    }
    remove_temporary();
    return Temporary::Failed;
  }
  return Temporary::Failed;
}

// rename does not replace an existing file on Windows.
Replaced replace_target() {
  if (MoveFileExA(temporary_name, target_name, MOVEFILE_REPLACE_EXISTING)) {
    temporary_exists = 0;
    SetConsoleCtrlHandler(remove_temporary_file, FALSE);
    return Replaced::Yes;
  }
  return GetLastError() == ERROR_ACCESS_DENIED ? Replaced::Refused : Replaced::Failed;
}

#else
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

Route choose_route(const char* name) {
  if (!set_target(name)) return Route::InPlace;
  struct stat info;
  if (lstat(name, &info) != 0) {
    kept = {false, new_file_mode(), 0, 0};
    return errno == ENOENT ? Route::Replace : Route::InPlace;  // the open says what is wrong
  }
  if (S_ISLNK(info.st_mode)) {  // replaced by the new file; its target stays as it is
    kept = {false, new_file_mode(), 0, 0};
    return Route::Replace;
  }
  // A device, a FIFO or a folder is written (or refused) in place, and so
  // is a file the writer may not write.
  if (!S_ISREG(info.st_mode) || access(name, W_OK) != 0) return Route::InPlace;
  kept = {true, info.st_mode & 07777, info.st_uid, info.st_gid};
  return Route::Replace;
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

void remove_temporary() {
  block_signals(true);
  unlink(temporary_name);
  temporary_exists = 0;
  release_signals();
  block_signals(false);
}

Temporary create_temporary(std::FILE*& file) {
  const std::size_t folder = folder_part_length(target_name);
  std::memcpy(temporary_name, target_name, folder);
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

Replaced replace_target() {
  block_signals(true);
  const bool renamed = std::rename(temporary_name, target_name) == 0;
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
#endif
}  // namespace

SaveResult save_file(const char* name, std::initializer_list<OutputPart> parts, const ReadFiles& reads) {
  if (choose_route(name) == Route::InPlace) return write_in_place(name, parts, reads);
  std::FILE* file = nullptr;
  switch (create_temporary(file)) {
    case Temporary::Created: break;
    case Temporary::NotAllowed: return write_in_place(name, parts, reads);
    case Temporary::NoFolder: return SaveResult::CannotOpen;
    case Temporary::Failed: return SaveResult::WriteFailed;
  }
  if (!reserve_space(file, parts)) {
    std::fclose(file);
    remove_temporary();
    return SaveResult::WriteFailed;
  }
  if (!write_parts(file, parts)) {
    remove_temporary();
    return SaveResult::WriteFailed;
  }
  switch (replace_target()) {
    case Replaced::Yes: return SaveResult::Saved;
    case Replaced::Refused: {
      // The temporary file proved that the whole output fits.
      const SaveResult in_place = write_in_place(name, parts, reads);
      remove_temporary();
      return in_place;
    }
    case Replaced::Failed: break;
  }
  remove_temporary();
  return SaveResult::WriteFailed;
}

bool identify_file(const char* name, bool through_links, FileIdentity& identity) {
#if defined(_WIN32)
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (through_links ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  const HANDLE file = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  identity = {info.dwVolumeSerialNumber, static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
  return known;
#else
  struct stat info;
  if ((through_links ? stat(name, &info) : lstat(name, &info)) != 0) return false;
  identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  return true;
#endif
}

bool is_same_file(const char* a, const char* b) {
  FileIdentity first, second;
  return identify_file(a, true, first) && identify_file(b, true, second) && first == second;
}
