// AlertPane stand-in: the message-box program that stampmany starts on its
// errors, for machines that have none. It shows the heading and the detail
// on standard error in one line, "AlertPane [heading] detail", and ends
// with status 0. On a UTF-8 terminal stampmany's own texts show in UTF-8;
// elsewhere, and a file name always, as the bytes it was given.
#include <cstdio>
#include <cstring>

#include "alert_texts.h"
#include "platform.h"

namespace {
AlertTexts texts;

void put_text(const char* text, bool own_text, platform::TextForm form) {
  const Message* message = own_text && form == platform::TextForm::Utf8 ? alert_message(text) : nullptr;
  if (message == nullptr) {
    std::fputs(text, stderr);
    return;
  }
  const char* utf8 = reinterpret_cast<const char*>(message->utf8);
  const std::size_t length = std::strlen(utf8);
  std::fwrite(utf8, 1, length - (utf8[length - 1] == '\n' ? 1 : 0), stderr);
}
}  // namespace

int main(int argc, char** argv) {
  read_alert_texts(argc, argv, texts);
  const platform::TextForm form = platform::text_form(stderr);
  std::fputs("AlertPane [", stderr);
  put_text(texts.heading, true, form);
  std::fputc(']', stderr);
  if (argc > 2) {
    std::fputc(' ', stderr);
    put_text(texts.detail, texts.detail_is_own_text, form);
  }
  std::fputc('\n', stderr);
  return 0;
}
