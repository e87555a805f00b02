#include "alert_texts.h"

#include <cstring>

#include "messages.h"

void read_alert_texts(int argc, char** argv, AlertTexts& texts) {
  texts.heading = argc > 1 ? argv[1] : "";
  std::size_t length = 0;
  for (int i = 2; i < argc; ++i) {
    const std::size_t word_length = std::strlen(argv[i]);
    const std::size_t blank = i > 2 ? 1 : 0;
    if (length + blank + word_length >= sizeof texts.detail) break;
    if (blank != 0) texts.detail[length++] = ' ';
    std::memcpy(texts.detail + length, argv[i], word_length);
    length += word_length;
  }
  texts.detail[length] = '\0';
  texts.detail_is_own_text = std::strcmp(texts.heading, msg::kError.cp932) == 0;
}

const Message* alert_message(const char* text) {
  const std::size_t length = std::strlen(text);
  for (const Message* message : msg::kAlertTexts) {
    const std::size_t message_length = std::strlen(message->cp932);
    const std::size_t without_line_end = message_length - (message->cp932[message_length - 1] == '\n' ? 1 : 0);
    if (length == without_line_end && std::memcmp(text, message->cp932, length) == 0) return message;
  }
  return nullptr;
}
