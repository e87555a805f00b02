#include "alert_pane.h"

#include <cstdio>
#include <cstdlib>

// How a word reaches AlertPane whole and uninterpreted.
//
// sh (POSIX shell): words are split at blanks (space, tab). Each word is put
// in single quotes, inside which the shell interprets no byte at all; a
// quote inside is written '\'' (close, an escaped quote, reopen). A line
// feed inside quotes is an ordinary byte. Shift-JIS trail bytes that read as
// '|' or '\' are ordinary bytes inside quotes too.
//
// cmd (cmd.exe /c, as std::system runs it on Windows): the line passes two
// parsers, cmd.exe first and then the C runtime's splitter in AlertPane.
//   Words are split at blanks and also at CR and LF: cmd.exe removes every
//   CR and ends the command at a LF, so neither can be passed through it.
//   1. The splitter: each word is put in double quotes, a quote inside
//      written \", and a run of backslashes doubled where it comes before a
//      quote (inside, or the closing one); elsewhere a backslash is literal.
//      Source: Microsoft C documentation, "Parsing C command-line arguments"
//      (learn.microsoft.com/cpp/c-language/parsing-c-command-line-arguments).
//      The runtime splits multibyte text by characters: it copies a lead
//      byte and the byte after it together (_ismbblead in the runtime's
//      stdargv.c), so a trail byte 0x5C is not a backslash to it, and it
//      never sees a quote that follows a lead byte. The texts are code page
//      932 (lead bytes 0x81-0x9F and 0xE0-0xFC, trail bytes 0x40-0x7E and
//      0x80-0xFC), so a lead byte must be followed by a trail byte or the
//      closing quote would be taken for a trail byte: such a text is
//      refused. cmd.exe reads its line as UTF-16 converted from code page
//      932 as well, where a lead byte before an ASCII byte would make the
//      pair unpredictable.
//   2. cmd.exe: outside double quotes, ^ makes the next character literal
//      and is removed; inside double quotes ^ is kept and & | < > ( ) are
//      plain. Every quote the splitter needs is written ^", so cmd.exe never
//      enters quote mode and every ^ works; ^ goes before each of
//      ( ) ! ^ " < > & | as well, so cmd.exe runs, redirects or pipes
//      nothing. (! matters only with delayed expansion, which cmd /c leaves
//      off unless the registry turns it on.) A ^ is never put between the
//      two bytes of a Shift-JIS character (e.g. ポ 83 7C, タ 83 5E).
//      Percent signs are expanded before ^ is looked at, inside quotes or
//      not, and on a command line (not a batch file) %% is no escape and an
//      undefined %NAME% stays as it is. So each % is written %%cd:~,%: the
//      first % finds no name before the next one and stays, and %cd:~,% is
//      an empty substring of the always-defined variable cd; no text after
//      it can pair with the % that stays. Source: "How does the Windows
//      Command Interpreter (CMD.EXE) parse scripts?", phases 1 and 2 and
//      the command line parser (stackoverflow.com/questions/4094699), and
//      "cmd /?" on /C: the line keeps its quotes because it does not start
//      with one.
//   cmd.exe takes at most 8,191 characters (Microsoft: "Command prompt
//   line string limitation"); a longer line starts nothing. (wine's cmd.exe
//   drops lines a little longer and crashes on far longer ones.)
// The tests run the sh variant through /bin/sh and the cmd variant through
// cmd.exe under wine, each with a recording AlertPane.

namespace {
constexpr std::string_view kProgram = "AlertPane";
constexpr std::size_t kCmdLineLimit = 8191;

// Appends to a command, up to a limit; a byte past it marks the command as
// unusable, so that a word is never cut (for sh the capacity's bound keeps
// this from happening).
class CommandWriter {
 public:
  CommandWriter(AlertCommand& command, std::size_t limit) : command_(command), limit_(limit) { command_.length = 0; }
  void put(char c) {
    if (command_.length < limit_) {
      command_.text[command_.length++] = c;
    } else {
      fits_ = false;
    }
  }
  void put(std::string_view text) {
    for (char c : text) put(c);
  }
  // Ends the command with its NUL; false, with an empty command, when
  // something did not fit or the command was refused.
  bool finish() {
    if (!fits_) command_.length = 0;
    command_.text[command_.length] = '\0';
    return fits_;
  }
  bool refuse() {
    fits_ = false;
    return finish();
  }

 private:
  AlertCommand& command_;
  const std::size_t limit_;
  bool fits_ = true;
};

// True when every lead byte of the text has a trail byte after it.
bool whole_characters(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!is_cp932_lead_byte(text[i])) continue;
    if (i + 1 == text.size() || !is_cp932_trail_byte(text[i + 1])) return false;
    ++i;
  }
  return true;
}

// Word breaks are never Shift-JIS trail bytes, so splitting byte by byte
// keeps every character whole.
bool is_word_break(CommandProcessor processor, char c) {
  return c == ' ' || c == '\t' || (processor == CommandProcessor::Cmd && (c == '\r' || c == '\n'));
}

void put_sh_word(CommandWriter& out, std::string_view word) {
  out.put(" '");
  for (char c : word) {
    if (c == '\'') {
      out.put("'\\''");
    } else {
      out.put(c);
    }
  }
  out.put('\'');
}

void put_backslashes(CommandWriter& out, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) out.put('\\');
}

void put_cmd_word(CommandWriter& out, std::string_view word) {
  out.put(" ^\"");
  std::size_t backslashes = 0;  // the run of backslashes just written
  for (std::size_t i = 0; i < word.size(); ++i) {
    const char c = word[i];
    if (is_cp932_lead_byte(c)) {
      out.put(word.substr(i, 2));
      ++i;
      backslashes = 0;
      continue;
    }
    if (c == '"') {
      put_backslashes(out, backslashes + 1);
      out.put("^\"");
    } else if (c == '%') {
      out.put("%%cd:~,%");
    } else if (std::string_view("()!^<>&|").find(c) != std::string_view::npos) {
      out.put('^');
      out.put(c);
    } else {
      out.put(c);
    }
    backslashes = c == '\\' ? backslashes + 1 : 0;
  }
  put_backslashes(out, backslashes);
  out.put("^\"");
}

void put_words(CommandWriter& out, CommandProcessor processor, std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (is_word_break(processor, text[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && !is_word_break(processor, text[end])) ++end;
    const std::string_view word = text.substr(i, end - i);
    if (processor == CommandProcessor::Sh) {
      put_sh_word(out, word);
    } else {
      put_cmd_word(out, word);
    }
    i = end;
  }
}
}  // namespace

bool build_alert_command(CommandProcessor processor, std::string_view heading, std::string_view detail,
                         AlertCommand& command) {
  const bool sh = processor == CommandProcessor::Sh;
  CommandWriter out(command, sh ? kAlertCommandCapacity - 1 : kCmdLineLimit);
  if (heading.size() > kAlertTextLimit || detail.size() > kAlertTextLimit) return out.refuse();
  if (!sh && !(whole_characters(heading) && whole_characters(detail))) return out.refuse();
  out.put(kProgram);
  put_words(out, processor, heading);
  put_words(out, processor, detail);
  return out.finish();
}

bool start_alert_pane(std::string_view heading, std::string_view detail) {
  static AlertCommand command;
  if (!build_alert_command(kPlatformCommandProcessor, heading, detail, command)) return false;
  // AlertPane may write to the same terminal; what the tool printed comes first.
  std::fflush(stdout);
  const int ignored = std::system(command.text);  // the run ends with status 1 whatever happened
  static_cast<void>(ignored);
  return true;
}
