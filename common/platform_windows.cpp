// The platform interface on Windows.
#include "platform.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

#include "console.h"

namespace platform {

// ---- Starting a run ----

void let_oversized_writes_fail() {}

// ---- Saving outputs ----

const std::size_t kPathCapacity = MAX_PATH;

namespace {
constexpr char kTemporaryPrefix[] = ".assettools-";
constexpr std::size_t kTemporarySuffix = 32;  // the prefix and a unique part

char temporary_name[kFileNameCapacity + kTemporarySuffix];
// For the console handler, which runs on a thread of its own: whether the
// temporary file exists, whether signals are held, and whether one came
// while they were.
volatile LONG temporary_exists = 0;
volatile LONG holding = 0;
volatile LONG held = 0;

// Ctrl-C, Ctrl-Break and closing the console end the process after this
// (the next handler is the system's). Held, Ctrl-C and Ctrl-Break are
// noted and end the process at release_signals; closing the console, which
// ends the process once the handler returns, waits for the release.
BOOL WINAPI on_console_event(DWORD event) {
  if (holding) {
    held = 1;
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
    while (holding) Sleep(1);
  }
  if (temporary_exists) DeleteFileA(temporary_name);
  return FALSE;
}

void handle_console_events() {
  static bool handled = false;
  if (!handled) handled = SetConsoleCtrlHandler(on_console_event, TRUE) != 0;
}

HANDLE handle_of(std::FILE* file) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))); }

bool identify_handle(HANDLE handle, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(handle, &info) == 0) return false;
  identity = {info.dwVolumeSerialNumber, static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
  return true;
}

// A stream over an open handle, which it then owns; null (and the handle
// closed) when there is none.
std::FILE* stream_of(HANDLE handle) {
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  std::FILE* file = descriptor >= 0 ? _fdopen(descriptor, "wb") : nullptr;
  if (file == nullptr) {
    if (descriptor >= 0) {
      _close(descriptor);
    } else {
      CloseHandle(handle);
    }
  }
  return file;
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

bool is_standard_output(const char* name) {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE || GetFileType(output) != FILE_TYPE_DISK) return false;
  FileIdentity standard, named;
  return identify_handle(output, standard) && identify(name, true, named) && standard == named;
}

bool in_system_folder(const char*) { return false; }

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
    handle_console_events();
    temporary_exists = 1;
    file = stream_of(handle);
    if (file != nullptr) return Temporary::Created;
    remove_temporary();
    return Temporary::Failed;
  }
  return Temporary::Failed;
}

// rename does not replace an existing file on Windows.
Replaced replace_with_temporary(const char* target) {
  if (MoveFileExA(temporary_name, target, MOVEFILE_REPLACE_EXISTING)) {
    temporary_exists = 0;
    return Replaced::Yes;
  }
  return GetLastError() == ERROR_ACCESS_DENIED ? Replaced::Refused : Replaced::Failed;
}

void remove_temporary() {
  DeleteFileA(temporary_name);
  temporary_exists = 0;
}

// A link is opened as itself, then found out and closed unwritten.
Opened open_in_place(const char* name, std::FILE*& file) {
  const HANDLE handle = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return Opened::Failed;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) == FILE_TYPE_DISK &&
      (GetFileInformationByHandle(handle, &info) == 0 || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)) {
    CloseHandle(handle);
    return Opened::Link;
  }
  file = stream_of(handle);
  return file != nullptr ? Opened::Yes : Opened::Failed;
}

// A device has no file number.
bool identify_open(std::FILE* file, FileIdentity& identity) {
  const HANDLE handle = handle_of(file);
  return GetFileType(handle) == FILE_TYPE_DISK && identify_handle(handle, identity);
}

bool regular_file_length(std::FILE* file, std::uint64_t& length) {
  const HANDLE handle = handle_of(file);
  LARGE_INTEGER size;
  if (GetFileType(handle) != FILE_TYPE_DISK || GetFileSizeEx(handle, &size) == 0) return false;
  length = static_cast<std::uint64_t>(size.QuadPart);
  return true;
}

bool set_length(std::FILE* file, std::uint64_t length) {
  return _chsize_s(_fileno(file), static_cast<long long>(length)) == 0;
}

Room reserve_room(std::FILE*, std::uint64_t) { return Room::Unknown; }

void hold_signals() {
  handle_console_events();
  holding = 1;
}

void release_signals() {
  holding = 0;
  if (!held) return;
  if (temporary_exists) DeleteFileA(temporary_name);
  ExitProcess(STATUS_CONTROL_C_EXIT);
}

bool copy_in_system(std::FILE*, std::FILE*, std::int64_t, std::size_t, std::size_t& done) {
  done = 0;
  return true;
}

bool identify(const char* name, bool through_links, FileIdentity& identity) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (through_links ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  const HANDLE file = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = identify_handle(file, identity);
  CloseHandle(file);
  return known;
}

// The name's own entry and, when that is a link, the file at the end of
// its chain: the links between are not read on Windows.
std::size_t identify_chain(const char* name, FileIdentity* entries, std::size_t capacity) {
  std::size_t count = 0;
  if (count < capacity && identify(name, false, entries[count])) ++count;
  const DWORD attributes = GetFileAttributesA(name);
  const bool link = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (link && count < capacity && identify(name, true, entries[count])) ++count;
  return count;
}

// ---- Paths and programs ----

std::size_t folder_part_length(const char* path) {
  std::size_t folder = 0;
  for (std::size_t i = 0; path[i] != '\0'; ++i) {
    if (is_cp932_lead_byte(path[i]) && path[i + 1] != '\0') {
      ++i;
    } else if (path[i] == '\\' || path[i] == '/' || path[i] == ':') {
      folder = i + 1;
    }
  }
  return folder;
}

bool may_read(const char* name) { return _access(name, 4) == 0; }

bool is_program(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string_view absolute_path_entry(std::string_view entry) {
  if (entry.size() >= 2 && entry.front() == '"' && entry.back() == '"') entry = entry.substr(1, entry.size() - 2);
  const bool drive = entry.size() >= 3 && std::isalpha(static_cast<unsigned char>(entry[0])) && entry[1] == ':' &&
                     (entry[2] == '\\' || entry[2] == '/');
  const bool server = entry.size() >= 2 && entry[0] == '\\' && entry[1] == '\\';
  return drive || server ? entry : std::string_view();
}

bool running_program_path(char* path, std::size_t capacity) {
  const DWORD length = GetModuleFileNameA(nullptr, path, static_cast<DWORD>(capacity));
  return length > 0 && length < capacity;
}

bool is_ansi_lead_byte(char c) { return IsDBCSLeadByte(static_cast<BYTE>(c)) != 0; }

bool is_ansi_character(char lead, char trail) {
  const char pair[] = {lead, trail};
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, pair, 2, nullptr, 0) == 1;
}

// ---- Standard streams and consoles ----

namespace {
// A console piece in UTF-16: an argument or a name of a Windows command
// line (at most 32,767 UTF-16 units) fits, and so do a line of a list and
// every text of the programs.
wchar_t console_text[32768];
}  // namespace

int widen(const char* bytes, std::size_t length, TextOrigin origin, wchar_t* wide, std::size_t capacity) {
  if (length == 0) return 0;
  if (length > INT_MAX || capacity > INT_MAX) return -1;
  const UINT code_page = origin == TextOrigin::Program ? 932 : CP_ACP;
  const int written =
      MultiByteToWideChar(code_page, 0, bytes, static_cast<int>(length), wide, static_cast<int>(capacity));
  return written > 0 ? written : -1;
}

TextForm text_form(std::FILE* stream) {
  DWORD mode = 0;
  return GetConsoleMode(handle_of(stream), &mode) ? TextForm::Console : TextForm::Cp932;
}

bool write_to_console(std::FILE* stream, const char* bytes, std::size_t length, TextOrigin origin) {
  if (std::fflush(stream) != 0) return false;
  const int units = widen(bytes, length, origin, console_text, sizeof console_text / sizeof console_text[0]);
  if (units < 0) return std::fwrite(bytes, 1, length, stream) == length && std::fflush(stream) == 0;
  DWORD written = 0;
  return units == 0 ||
         (WriteConsoleW(handle_of(stream), console_text, static_cast<DWORD>(units), &written, nullptr) &&
          written == static_cast<DWORD>(units));
}

// ---- Large static buffers ----

void advise_huge_pages(void*, std::size_t) {}

}  // namespace platform
