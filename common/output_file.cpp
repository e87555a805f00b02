#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr char kTemporaryPattern[] = ".assettools-XXXXXX";

// The file that is replaced (a link's final target) and the temporary
// file beside it.
char target_name[PATH_MAX];
char temporary_name[PATH_MAX + sizeof kTemporaryPattern];

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

mode_t new_file_mode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Decides what a save replaces: fills target_name and the mode the new
// file gets. False when the output is to be written in place.
bool choose_target(const char* name, mode_t& mode) {
  struct stat info;
  if (stat(name, &info) == 0) {
    // Anything but a regular file we may write is written (or refused) in place.
    if (!S_ISREG(info.st_mode) || access(name, W_OK) != 0) return false;
    mode = info.st_mode & 07777;
    struct stat link;
    if (lstat(name, &link) != 0) return false;
    if (S_ISLNK(link.st_mode)) return realpath(name, target_name) != nullptr;
  } else {
    struct stat link;
    if (errno != ENOENT || lstat(name, &link) == 0) return false;  // a link that points nowhere
    mode = new_file_mode();
  }
  const std::size_t length = std::strlen(name);
  if (length == 0 || name[length - 1] == '/' || length >= sizeof target_name) return false;
  std::memcpy(target_name, name, length + 1);
  return true;
}

// A new, empty file in the target's folder; -1 when the folder allows none.
int create_temporary() {
  const char* slash = std::strrchr(target_name, '/');
  const std::size_t folder = slash == nullptr ? 0 : static_cast<std::size_t>(slash - target_name) + 1;
  std::memcpy(temporary_name, target_name, folder);
  std::memcpy(temporary_name + folder, kTemporaryPattern, sizeof kTemporaryPattern);
  return mkstemp(temporary_name);
}
}  // namespace

SaveResult save_file(const char* name, std::initializer_list<ByteSpan> parts) {
  mode_t mode = 0;
  if (!choose_target(name, mode)) return write_in_place(name, parts);
  const int descriptor = create_temporary();
  if (descriptor < 0) return write_in_place(name, parts);
  std::FILE* file = fchmod(descriptor, mode) == 0 ? fdopen(descriptor, "wb") : nullptr;
  if (file == nullptr) close(descriptor);
  if (file == nullptr || !write_parts(file, parts) || std::rename(temporary_name, target_name) != 0) {
    std::remove(temporary_name);
    return SaveResult::WriteFailed;
  }
  return SaveResult::Saved;
}

bool is_same_file(const char* a, const char* b) {
  struct stat first, second;
  return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}
