// AlertPane for Windows: the message box that stampmany starts on its
// errors. The first word is the heading (the box's caption), the other words
// joined by single blanks are the detail (its text); the box has an error
// icon and an OK button, and the program ends with status 0 once it is
// closed, so that whoever started it waits until then. The words are code
// page 932 bytes and are shown as they are.
//
// With ALERTPANE_CLOSE_AFTER_MS set to a number of milliseconds in its
// environment the box closes by itself after that time, so that a picture
// of it can be taken unattended; the tools never set it.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {
// Every word of a command line (at most 32,767 characters of up to two
// bytes) fits.
char detail[65536];

void join_words(int count, char** words) {
  std::size_t length = 0;
  for (int i = 0; i < count; ++i) {
    const std::size_t word_length = std::strlen(words[i]);
    const std::size_t blank = i > 0 ? 1 : 0;
    if (length + blank + word_length >= sizeof detail) break;
    if (blank != 0) detail[length++] = ' ';
    std::memcpy(detail + length, words[i], word_length);
    length += word_length;
  }
  detail[length] = '\0';
}

void CALLBACK close_box(HWND, UINT, UINT_PTR, DWORD) { std::exit(0); }
}  // namespace

int main(int argc, char** argv) {
  join_words(argc > 2 ? argc - 2 : 0, argv + 2);
  const char* close_after = std::getenv("ALERTPANE_CLOSE_AFTER_MS");
  if (close_after != nullptr) {
    const unsigned long milliseconds = std::strtoul(close_after, nullptr, 10);
    if (milliseconds > 0) SetTimer(nullptr, 0, static_cast<UINT>(milliseconds), close_box);
  }
  MessageBoxA(nullptr, detail, argc > 1 ? argv[1] : "", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  return 0;
}
