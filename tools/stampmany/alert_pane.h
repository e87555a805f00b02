// Starting the message-box program AlertPane through the command processor
// with a heading and a detail text.
//
// AlertPane is started by an absolute path, resolved before the command
// processor runs: never from the current folder (where an asset pack could
// have planted one) nor through an empty or relative PATH entry.
//
// Each text is split into words at runs of blanks, as an unquoted text on a
// command line would be, so a text with blanks still reaches AlertPane as
// several words. Every word is then quoted for the command processor so
// that it reaches AlertPane whole, byte for byte, and no byte of it (of a
// file name above all) is ever interpreted. No word is ever cut. The rules
// of each command processor are in alert_pane.cpp.
#pragma once

#include <cstddef>
#include <string_view>

#include "console.h"
#include "platform.h"

// The longest text the tool passes: a name from a file name buffer, or one
// of its messages.
inline constexpr std::size_t kAlertTextLimit = kFileNameCapacity - 1;
// The longest path of AlertPane the tool starts.
inline constexpr std::size_t kAlertProgramLimit = 4095;

struct AlertProgram {
  char path[kAlertProgramLimit + 1];
};

// Finds AlertPane, trying in order
// - POSIX: each absolute entry of PATH, then the folder
//   ../libexec/assettools/ beside the folder of the running program (where
//   an installation puts the stand-in);
// - Windows: the running program's own folder, then each absolute entry of
//   PATH (a drive and a separator, or \\server), as AlertPane.com, .exe,
//   .bat and .cmd.
// False when there is none.
bool find_alert_pane(AlertProgram& program);

// Commands are built for either command processor, wherever they are built;
// std::system runs platform::kCommandProcessor.
using platform::CommandProcessor;

// The longest a text of n bytes can grow when it is quoted, whatever its
// bytes (the program's path, a word of its own, grows less). A text of n bytes split into k words of L1..Lk bytes has at least
// k - 1 blanks between them, so L1 + ... + Lk <= n - k + 1.
//   sh:  a word is a blank, two quotes and its bytes, a quote inside growing
//        to four bytes: at most 3 + 4L; summed, 4n + 4 - k, at most 4n + 3.
//   cmd: a word is a blank, two escaped quotes (^") and its bytes, a percent
//        sign growing to eight bytes (the most any byte grows): at most
//        5 + 8L; summed, 8n + 8 - 3k, at most 8n + 5.
constexpr std::size_t quoted_text_bound(CommandProcessor processor, std::size_t n) {
  return processor == CommandProcessor::Sh ? 4 * n + 3 : 8 * n + 5;
}
inline constexpr std::size_t kAlertCommandCapacity = quoted_text_bound(CommandProcessor::Cmd, kAlertProgramLimit) +
                                                     2 * quoted_text_bound(CommandProcessor::Cmd, kAlertTextLimit) + 3;
static_assert(quoted_text_bound(CommandProcessor::Sh, kAlertTextLimit) <=
              quoted_text_bound(CommandProcessor::Cmd, kAlertTextLimit));

// A command line for the command processor, NUL-terminated.
struct AlertCommand {
  char text[kAlertCommandCapacity];
  std::size_t length;
};

// Builds the command that starts the program with the words of the two
// texts, all quoted for the given command processor. Returns false, leaving
// an empty command, when the program's path is longer than
// kAlertProgramLimit, a text is longer than kAlertTextLimit, or the command
// processor cannot be given them safely: for cmd.exe, a path or text that is
// not whole code page 932 characters, a path with a quote, or a command line
// longer than cmd.exe accepts.
bool build_alert_command(CommandProcessor processor, std::string_view program, std::string_view heading,
                         std::string_view detail, AlertCommand& command);

// Finds AlertPane, flushes standard output, starts AlertPane with the two
// texts through the platform's command processor and waits for it to
// return; its result is not examined. Returns false, starting nothing, when
// there is no AlertPane or no command is built.
bool start_alert_pane(std::string_view heading, std::string_view detail);
