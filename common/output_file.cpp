#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
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

// The file that is replaced (a link's final target) and the temporary file
// beside it.
char target_name[kPathCapacity];
char temporary_name[kPathCapacity + kTemporarySuffix];

bool write_parts(std::FILE* file, std::initializer_list<ByteSpan> parts) {
  // Unbuffered: each part goes straight from its buffer to the file.
  std::setvbuf(file, nullptr, _IONBF, 0);
  bool written = true;
  for (const ByteSpan& part : parts) {
    if (written && part.length > 0) written = std::fwrite(part.bytes, 1, part.length, file) == part.length;
  }
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

SaveResult write_in_place(const char* name, std::initializer_list<ByteSpan> parts) {
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
// A folder separator of a code page 932 name: the second byte of a
// double-byte character (表 is 95 5C) is never one.
std::size_t folder_length(const char* name) {
  std::size_t folder = 0;
  for (std::size_t i = 0; name[i] != '\0'; ++i) {
    if (is_cp932_lead_byte(name[i]) && name[i + 1] != '\0') {
      ++i;
    } else if (name[i] == '\\' || name[i] == '/' || name[i] == ':') {
      folder = i + 1;
    }
  }
  return folder;
}

bool choose_target(const char* name) {
  // Devices (NUL, CON, a pipe) are written as they are.
  const HANDLE existing = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (existing != INVALID_HANDLE_VALUE) {
    const DWORD type = GetFileType(existing);
    CloseHandle(existing);
    if (type != FILE_TYPE_DISK) return false;
  }
  const DWORD attributes = GetFileAttributesA(name);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  } else if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT)) {
    return false;  // refused in place, or a link kept as a link
  }
  const std::size_t length = std::strlen(name);
  if (length > 0 && name[length - 1] == '\\' && folder_length(name) == length) return false;
  return set_target(name);
}

std::FILE* create_temporary() {
  const std::size_t folder = folder_length(target_name);
  std::memcpy(temporary_name, target_name, folder);
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::snprintf(temporary_name + folder, kTemporarySuffix, "%s%lu-%u", kTemporaryPrefix, GetCurrentProcessId(),
                  counter++);
    const int descriptor = _open(temporary_name, _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor >= 0) {
      std::FILE* file = _fdopen(descriptor, "wb");
      if (file == nullptr) _close(descriptor);
      return file;
    }
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

// rename does not replace an existing file on Windows.
bool replace_target() { return MoveFileExA(temporary_name, target_name, MOVEFILE_REPLACE_EXISTING) != 0; }

bool identify(const char* name, BY_HANDLE_FILE_INFORMATION& info) {
  const HANDLE file = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  return known;
}
#else
mode_t target_mode;

mode_t new_file_mode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

bool choose_target(const char* name) {
  struct stat info;
  if (stat(name, &info) == 0) {
    // Anything but a regular file we may write is written (or refused) in place.
    if (!S_ISREG(info.st_mode) || access(name, W_OK) != 0) return false;
    target_mode = info.st_mode & 07777;
    struct stat link;
    if (lstat(name, &link) != 0) return false;
    if (S_ISLNK(link.st_mode)) return realpath(name, target_name) != nullptr;
  } else {
    struct stat link;
    if (errno != ENOENT || lstat(name, &link) == 0) return false;  // a link that points nowhere
    target_mode = new_file_mode();
  }
  return set_target(name);
}

std::FILE* create_temporary() {
  const char* slash = std::strrchr(target_name, '/');
  const std::size_t folder = slash == nullptr ? 0 : static_cast<std::size_t>(slash - target_name) + 1;
  std::memcpy(temporary_name, target_name, folder);
  std::snprintf(temporary_name + folder, kTemporarySuffix, "%sXXXXXX", kTemporaryPrefix);
  const int descriptor = mkstemp(temporary_name);
  if (descriptor < 0) return nullptr;
  std::FILE* file = fchmod(descriptor, target_mode) == 0 ? fdopen(descriptor, "wb") : nullptr;
  if (file == nullptr) {
    close(descriptor);
    std::remove(temporary_name);
  }
  return file;
}

bool replace_target() { return std::rename(temporary_name, target_name) == 0; }
#endif
}  // namespace

SaveResult save_file(const char* name, std::initializer_list<ByteSpan> parts) {
  if (!choose_target(name)) return write_in_place(name, parts);
  std::FILE* file = create_temporary();
  if (file == nullptr) return write_in_place(name, parts);  // the folder allows no new file
  if (!write_parts(file, parts) || !replace_target()) {
    std::remove(temporary_name);
    return SaveResult::WriteFailed;
  }
  return SaveResult::Saved;
}

bool is_same_file(const char* a, const char* b) {
#if defined(_WIN32)
  BY_HANDLE_FILE_INFORMATION first, second;
  return identify(a, first) && identify(b, second) && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
#else
  struct stat first, second;
  return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
#endif
}
