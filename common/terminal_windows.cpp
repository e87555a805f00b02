#include <io.h>
#include <windows.h>

#include <climits>

#include "terminal.h"
#include "wide_text.h"

namespace {
HANDLE handle_of(std::FILE* stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }

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
