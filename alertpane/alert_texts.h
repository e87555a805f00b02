// The two texts AlertPane shows, as stampmany gives them: the heading, the
// first word of the command line, is always a text of stampmany's own (an
// error kind, or "エラー"); the detail, the other words joined by single
// blanks (stampmany split each text at its blanks), is a file name after an
// error kind and a text of stampmany's own after "エラー". Its own texts are
// code page 932, a file name is as stampmany got it.
#pragma once

#include <cstddef>

#include "console.h"

// Every word of a command line (at most 32,767 characters of up to two
// bytes) fits.
inline constexpr std::size_t kAlertDetailCapacity = 65536;

struct AlertTexts {
  const char* heading;
  char detail[kAlertDetailCapacity];
  bool detail_is_own_text;
};

void read_alert_texts(int argc, char** argv, AlertTexts& texts);

// The message whose text, without its line end, the bytes are, among the
// texts stampmany gives AlertPane (msg::kAlertTexts); nullptr for any
// other text.
const Message* alert_message(const char* text);
