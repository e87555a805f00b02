// The platform interface on Windows.
#include "platform.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <csignal>
#include <cstdio>
#include <cstring>

#include "console.h"

namespace platform {

// ---- Saving outputs ----

const std::size_t kPathCapacity = MAX_PATH;

namespace {
constexpr char kTemporaryPrefix[] = ".assettools-";
constexpr std::size_t kTemporarySuffix = 32;  // the prefix and a unique part

char temporary_name[kFileNameCapacity + kTemporarySuffix];
// Set while the temporary file exists, for the console handler.
volatile std::sig_atomic_t temporary_exists = 0;

// Ctrl-C, Ctrl-Break and closing the console end the process after this.
BOOL WINAPI remove_temporary_file(DWORD) {
  if (temporary_exists) DeleteFileA(temporary_name);
  return FALSE;
}
}  // namespace

Entry look_at_output(const char* name) {
  // Devices (NUL, CON, a pipe) are written as they are.
  const HANDLE existing = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr);
  if (existing != INVALID_HANDLE_VALUE) {
    const DWORD type = GetFileType(existing);
    CloseHandle(existing);
    if (type != FILE_TYPE_DISK) return Entry::Device;
  }
  const DWORD attributes = GetFileAttributesA(name);
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND ? Entry::Missing : Entry::Unknown;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return Entry::Link;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Entry::Other;
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return Entry::ReadOnlyFile;
  return Entry::File;
}

// Opened so that it can be deleted while it is open, from the console
// handler's thread.
Temporary create_temporary(const char* target, std::FILE*& file) {
  const std::size_t folder = folder_part_length(target);
  if (folder >= kFileNameCapacity) return Temporary::NoFolder;
  std::memcpy(temporary_name, target, folder);
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
Replaced replace_with_temporary(const char* target) {
  if (MoveFileExA(temporary_name, target, MOVEFILE_REPLACE_EXISTING)) {
    temporary_exists = 0;
    SetConsoleCtrlHandler(remove_temporary_file, FALSE);
    return Replaced::Yes;
  }
  return GetLastError() == ERROR_ACCESS_DENIED ? Replaced::Refused : Replaced::Failed;
}

void remove_temporary() {
  DeleteFileA(temporary_name);
  temporary_exists = 0;
  SetConsoleCtrlHandler(remove_temporary_file, FALSE);
}

bool reserve_room(std::FILE*, std::uint64_t) { return true; }

bool copy_in_system(std::FILE*, std::FILE*, std::int64_t, std::size_t, std::size_t& done) {
  done = 0;
  return true;
}

bool identify(const char* name, bool through_links, FileIdentity& identity) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (through_links ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  const HANDLE file = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  identity = {info.dwVolumeSerialNumber, static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
  return known;
}

}  // namespace platform
