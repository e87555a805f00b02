// Windows: the tools' texts as UTF-16, for the console and AlertPane.exe's
// message box, whatever the system's code page.
#pragma once

#include <cstddef>

#include "terminal.h"

// The bytes as UTF-16 into wide, read as code page 932 (the program's own
// texts) or as the ANSI code page (names and arguments), a byte that is
// not a character of it as the replacement character; the number of
// UTF-16 units written, or -1 when they do not fit capacity units. Writes
// nothing past capacity.
int widen(const char* bytes, std::size_t length, TextOrigin origin, wchar_t* wide, std::size_t capacity);
