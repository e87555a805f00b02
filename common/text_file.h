// Line-by-line reading of text files (colour tables, lists of names) in one
// place, so that every tool splits and numbers lines alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

inline constexpr std::size_t kTextLineCapacity = 1024;
inline constexpr std::size_t kTextReadBufferSize = 65536;

// One read: at most 1,023 characters, the line end kept, and a NUL after them.
struct TextLine {
  char text[kTextLineCapacity];
  std::size_t length;  // characters read, the line end included
  bool cut;            // stopped at 1,023 characters while the line goes on
  bool continued;      // the rest of a line that an earlier read stopped in
};

// An open text file, read through its own fixed buffer up to a limit, or
// held whole in memory.
struct TextFile {
  std::FILE* file;  // null once a held file is read
  unsigned char buffer[kTextReadBufferSize];
  const unsigned char* data;  // the buffer, or the held file
  std::size_t position;
  std::size_t filled;
  std::uint64_t consumed;  // bytes read from the file
  std::uint64_t limit;     // bytes that may be read
  bool failed;
  bool too_large;
  bool mid_line;  // the last read stopped inside a line
};

// Opens the file for reading, to be read up to limit bytes; false when it
// cannot be opened.
bool open_text_file(TextFile& text, const char* name, std::uint64_t limit);
// Opens the file and reads all of it into the given memory (capacity
// bytes at most); lines then come from there, as often as the text is
// rewound. Also a pipe can be gone through again this way.
bool hold_text_file(TextFile& text, const char* name, unsigned char* memory, std::size_t capacity);
void rewind_text_file(TextFile& text);
void close_text_file(TextFile& text);

// Reads the next line: up to and including its LF, or 1,023 characters,
// whichever comes first; the rest of a longer line comes with the next
// reads, marked as continued.
// A CR LF reads as a single LF on every platform. False at the end of the
// file (nothing was read); a read error counts as the end.
bool read_text_line(TextFile& text, TextLine& line);
// True when a read failed (a folder, a device error): the end that
// read_text_line reported was not the file's end.
bool text_file_failed(const TextFile& text);
// True when the file goes on past its limit or past the memory holding it.
bool text_file_too_large(const TextFile& text);

// Writes the line's characters to standard output exactly as they were read.
void print_text_line(const TextLine& line);
