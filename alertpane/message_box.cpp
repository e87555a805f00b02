// AlertPane for Windows: the message box that stampmany starts on its
// errors. The first word is the heading (the box's caption), the other words
// joined by single blanks are the detail (its text); the box has an error
// icon and an OK button, and the program ends with status 0 once it is
// closed, so that whoever started it waits until then. The box is shown in
// UTF-16 (box_text.h), so it reads right whatever the system's code page.
//
// With ALERTPANE_CLOSE_AFTER_MS set to a number of milliseconds in its
// environment the box closes by itself after that time, so that a batch
// runs unattended; the tools never set it.
#include <windows.h>

#include <cstdlib>

#include "alert_texts.h"
#include "box_text.h"

namespace {
AlertTexts texts;
BoxText box;

void CALLBACK close_box(HWND, UINT, UINT_PTR, DWORD) { std::exit(0); }
}  // namespace

int main(int argc, char** argv) {
  read_alert_texts(argc, argv, texts);
  make_box_text(texts, box);
  const char* close_after = std::getenv("ALERTPANE_CLOSE_AFTER_MS");
  if (close_after != nullptr) {
    const unsigned long milliseconds = std::strtoul(close_after, nullptr, 10);
    if (milliseconds > 0) SetTimer(nullptr, 0, static_cast<UINT>(milliseconds), close_box);
  }
  MessageBoxW(nullptr, box.text, box.caption, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  return 0;
}
