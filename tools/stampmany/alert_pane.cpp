#include "alert_pane.h"

#include <cstdio>
#include <cstdlib>

namespace {
constexpr std::string_view kProgram = "AlertPane";

// A text of n bytes split into k words of L1..Lk bytes has at least k - 1
// blanks between them, so L1 + ... + Lk <= n - k + 1. A word is written as a
// blank, two quotes and its bytes, a quote inside growing to four bytes: at
// most 3 + 4L bytes. Summed over the words: 4n + 4 - k, at most 4n + 3.
constexpr std::size_t quoted_text_bound(std::size_t n) { return 4 * n + 3; }
constexpr std::size_t kCommandCapacity = kProgram.size() + 2 * quoted_text_bound(kAlertTextLimit) + 1;

char command[kCommandCapacity];
std::size_t command_length;
bool command_fits;

// Appends a byte; a byte that would not fit marks the command as unusable,
// so that a word is never cut (the bound above keeps this from happening).
void put(char c) {
  if (command_length + 1 < kCommandCapacity) {
    command[command_length++] = c;
  } else {
    command_fits = false;
  }
}

void put_text(std::string_view text) {
  for (char c : text) put(c);
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Appends every word of the text as a blank and the word in single quotes.
// Blanks (0x20, 0x09) are never the second byte of a Shift-JIS character,
// so splitting byte by byte keeps every character whole.
void put_words(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (is_blank(text[i])) {
      ++i;
      continue;
    }
    put_text(" '");
    for (; i < text.size() && !is_blank(text[i]); ++i) {
      if (text[i] == '\'') {
        put_text("'\\''");
      } else {
        put(text[i]);
      }
    }
    put('\'');
  }
}
}  // namespace

bool start_alert_pane(std::string_view heading, std::string_view detail) {
  if (heading.size() > kAlertTextLimit || detail.size() > kAlertTextLimit) return false;
  command_length = 0;
  command_fits = true;
  put_text(kProgram);
  put_words(heading);
  put_words(detail);
  if (!command_fits) return false;
  command[command_length] = '\0';

  // AlertPane may write to the same terminal; what the tool printed comes first.
  std::fflush(stdout);
  const int ignored = std::system(command);  // the run ends with status 1 whatever happened
  static_cast<void>(ignored);
  return true;
}
