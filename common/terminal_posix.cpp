#include "terminal.h"

#include <unistd.h>

#include <cctype>
#include <initializer_list>
#include <cstdlib>

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
