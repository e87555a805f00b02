#include "text_file.h"

#include "console.h"

namespace {
constexpr int kEnd = -1;

// True when another byte follows what was read.
bool goes_on(std::FILE* file) { return std::fgetc(file) != EOF; }

// Refills the read buffer when it is used up; false at the end of the file
// or of what may be read.
bool ensure_buffered(TextFile& text) {
  if (text.position < text.filled) return true;
  if (text.file == nullptr || text.failed || text.too_large) return false;
  if (text.consumed >= text.limit) {
    text.too_large = goes_on(text.file);
    return false;
  }
  const std::uint64_t room = text.limit - text.consumed;
  text.filled = std::fread(text.buffer, 1, room < kTextReadBufferSize ? room : kTextReadBufferSize, text.file);
  text.failed = std::ferror(text.file) != 0;
  text.consumed += text.filled;
  text.position = 0;
  return text.filled > 0;
}

int peek(TextFile& text) { return ensure_buffered(text) ? text.data[text.position] : kEnd; }

// The next character with CR LF folded into LF.
int next_char(TextFile& text) {
  if (!ensure_buffered(text)) return kEnd;
  const int c = text.data[text.position++];
  if (c == '\r' && peek(text) == '\n') {
    ++text.position;
    return '\n';
  }
  return c;
}
}  // namespace

bool open_text_file(TextFile& text, const char* name, std::uint64_t limit) {
  // Binary reading: the CR LF folding is done here, alike on every platform.
  text.file = std::fopen(name, "rb");
  text.data = text.buffer;
  text.position = 0;
  text.filled = 0;
  text.consumed = 0;
  text.limit = limit;
  text.failed = false;
  text.too_large = false;
  text.mid_line = false;
  return text.file != nullptr;
}

bool hold_text_file(TextFile& text, const char* name, unsigned char* memory, std::size_t capacity) {
  if (!open_text_file(text, name, capacity)) return false;
  text.filled = std::fread(memory, 1, capacity, text.file);
  text.failed = std::ferror(text.file) != 0;
  text.too_large = !text.failed && text.filled == capacity && goes_on(text.file);
  close_text_file(text);
  text.data = memory;
  return true;
}

void rewind_text_file(TextFile& text) {
  text.position = 0;
  text.mid_line = false;
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
  line.continued = text.mid_line;
  text.mid_line = length == kTextLineCapacity - 1 && c != '\n';
  return length > 0;
}

bool text_file_failed(const TextFile& text) { return text.failed; }

bool text_file_too_large(const TextFile& text) { return text.too_large; }

void print_text_line(const TextLine& line) { print_text(line.text, line.length); }
