// Starting the message-box program AlertPane through the command processor
// with a heading and a detail text.
//
// Each text is split into words at runs of blanks (space, tab), as an
// unquoted text on a shell command line would be, so a text with blanks
// still reaches AlertPane as several words. Every word is then put in single
// quotes for the POSIX shell, each quote inside written as '\'', so that no
// byte of a file name (';', '|', '$', '`', '*', a line feed, a Shift-JIS
// trail byte that reads as '|' or a backslash) is ever interpreted. No word
// is ever cut.
#pragma once

#include <cstddef>
#include <string_view>

#include "console.h"

// The longest text the tool passes: a name from a file name buffer, or one
// of its messages.
inline constexpr std::size_t kAlertTextLimit = kFileNameCapacity - 1;

// Flushes standard output, starts AlertPane with the two texts and waits for
// the command processor to return; its result is not examined. Returns
// false, starting nothing, when a text is longer than kAlertTextLimit.
bool start_alert_pane(std::string_view heading, std::string_view detail);
