#include "text_file.h"

namespace {
constexpr int kEnd = -1;

// Refills the read buffer when it is used up; false at the end of the file.
bool ensure_buffered(TextFile& text) {
  if (text.position < text.filled) return true;
  text.filled = std::fread(text.buffer, 1, kTextReadBufferSize, text.file);
  text.position = 0;
  return text.filled > 0;
}

int peek(TextFile& text) { return ensure_buffered(text) ? text.buffer[text.position] : kEnd; }

// The next character with CR LF folded into LF.
int next_char(TextFile& text) {
  if (!ensure_buffered(text)) return kEnd;
  const int c = text.buffer[text.position++];
  if (c == '\r' && peek(text) == '\n') {
    ++text.position;
    return '\n';
  }
  return c;
}
}  // namespace

bool open_text_file(TextFile& text, const char* name) {
  // Binary reading: the CR LF folding is done here, alike on every platform.
  text.file = std::fopen(name, "rb");
  text.position = 0;
  text.filled = 0;
  return text.file != nullptr;
}

void close_text_file(TextFile& text) {
  if (text.file != nullptr) std::fclose(text.file);
  text.file = nullptr;
}

bool read_text_line(TextFile& text, TextLine& line) {
  std::size_t length = 0;
  int c = kEnd;
  while (length < kTextLineCapacity - 1 && (c = next_char(text)) != kEnd) {
    line.text[length++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  line.text[length] = '\0';
  line.length = length;
  // A full read that is followed by more of the same line was cut; a line
  // end that did not fit comes with the next read as an empty line.
  const int following = length == kTextLineCapacity - 1 && c != '\n' ? peek(text) : kEnd;
  line.cut = following != kEnd && following != '\n' && following != '\r';
  return length > 0;
}

bool text_file_failed(const TextFile& text) { return text.file != nullptr && std::ferror(text.file) != 0; }

void print_text_line(const TextLine& line) { std::fwrite(line.text, 1, line.length, stdout); }
