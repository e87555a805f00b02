// Line-by-line reading of text files (colour tables, lists of names) in one
// place, so that every tool splits and numbers lines alike.
#pragma once

#include <cstddef>
#include <cstdio>

inline constexpr std::size_t kTextLineCapacity = 1024;
inline constexpr std::size_t kTextReadBufferSize = 65536;

// One read: at most 1,023 characters, the line end kept, and a NUL after them.
struct TextLine {
  char text[kTextLineCapacity];
  std::size_t length;  // characters read, the line end included
  bool cut;            // stopped at 1,023 characters while the line goes on
};

// An open text file with its own fixed read buffer.
struct TextFile {
  std::FILE* file;
  unsigned char buffer[kTextReadBufferSize];
  std::size_t position;
  std::size_t filled;
};

// Opens the file for reading; false when it cannot be opened.
bool open_text_file(TextFile& text, const char* name);
void close_text_file(TextFile& text);

// Reads the next line: up to and including its LF, or 1,023 characters,
// whichever comes first; the rest of a longer line comes with the next read.
// A CR LF reads as a single LF on every platform. False at the end of the
// file (nothing was read); a read error counts as the end.
bool read_text_line(TextFile& text, TextLine& line);
// True when a read failed (a folder, a device error): the end that
// read_text_line reported was not the file's end.
bool text_file_failed(const TextFile& text);

// Writes the line's characters to standard output exactly as they were read.
void print_text_line(const TextLine& line);
