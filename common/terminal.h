// What a standard stream shows text on: the one place that knows terminals
// and consoles, a file per platform (terminal_posix.cpp,
// terminal_windows.cpp).
#pragma once

#include <cstddef>
#include <cstdio>

enum class TextForm {
  Cp932,    // code page 932 bytes: a pipe, a file, or a terminal of another character set
  Utf8,     // UTF-8 bytes: a terminal whose locale's character set is UTF-8
  Console,  // UTF-16 through the console's own output: a Windows console
};

// The form of the stream's text, found anew at each call.
TextForm text_form(std::FILE* stream);

// Where a piece of text comes from, which gives its code page on a console.
enum class TextOrigin {
  Program,  // the program's own texts: code page 932
  Outside,  // names and arguments as the program got them: its ANSI code page
};

// Writes the piece to the console behind the stream (TextForm::Console
// only), after what the stream holds; false when it could not be written.
bool write_to_console(std::FILE* stream, const char* bytes, std::size_t length, TextOrigin origin);
