#include "alert_pane.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform.h"

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
//      never sees a quote that follows a lead byte. Its lead bytes are
//      those of the system's ANSI code page (on a Japanese system code page
//      932: lead bytes 0x81-0x9F and 0xE0-0xFC, trail bytes 0x40-0x7E and
//      0x80-0xFC; see platform::is_ansi_lead_byte), so a lead byte must be
//      followed by a trail byte or the closing quote would be taken for a
//      trail byte: such a text is refused. cmd.exe reads its line as UTF-16 converted
//      from that code page as well, where a lead byte before an ASCII byte
//      would make the pair unpredictable.
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
//   3. The program: cmd /c strips the first character of a line that starts
//      with a quote and the last quote of the line ("cmd /?" on /C), so the
//      line is a quote, the program's path in quotes, the words, and a
//      closing quote: cmd.exe then takes the path whole, blanks and all,
//      and interprets nothing inside its quotes but percent signs, written
//      as in the words. A path cannot hold a quote on Windows.
//   cmd.exe takes at most 8,191 characters (Microsoft: "Command prompt
//   line string limitation"); a longer line starts nothing. (wine's cmd.exe
//   drops lines a little longer and crashes on far longer ones.)
// The tests run the sh variant through /bin/sh and the cmd variant through
// cmd.exe under wine, each with a recording AlertPane.

namespace {
constexpr char kProgramName[] = "AlertPane";
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

// True when every lead byte of the text has a trail byte after it. The
// double-byte characters of a cmd.exe line are those of the system's ANSI
// code page, which is code page 932 on a Japanese system; another system
// reads stampmany's own texts byte by byte, and AlertPane.exe reads them
// back as code page 932.
bool whole_characters(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!platform::is_ansi_lead_byte(text[i])) continue;
    if (i + 1 == text.size() || !platform::is_ansi_character(text[i], text[i + 1])) return false;
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
  out.put('\'');
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

// A percent sign that cmd.exe leaves as it is, inside quotes or not.
constexpr std::string_view kCmdPercent = "%%cd:~,%";

void put_cmd_word(CommandWriter& out, std::string_view word) {
  out.put("^\"");
  std::size_t backslashes = 0;  // the run of backslashes just written
  for (std::size_t i = 0; i < word.size(); ++i) {
    const char c = word[i];
    if (platform::is_ansi_lead_byte(c)) {
      out.put(word.substr(i, 2));
      ++i;
      backslashes = 0;
      continue;
    }
    if (c == '"') {
      put_backslashes(out, backslashes + 1);
      out.put("^\"");
    } else if (c == '%') {
      out.put(kCmdPercent);
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
    out.put(' ');
    if (processor == CommandProcessor::Sh) {
      put_sh_word(out, word);
    } else {
      put_cmd_word(out, word);
    }
    i = end;
  }
}

// The program's path inside the quotes of a cmd.exe line (see above).
void put_cmd_program(CommandWriter& out, std::string_view program) {
  out.put('"');
  for (std::size_t i = 0; i < program.size(); ++i) {
    if (platform::is_ansi_lead_byte(program[i])) {
      out.put(program.substr(i, 2));
      ++i;
    } else if (program[i] == '%') {
      out.put(kCmdPercent);
    } else {
      out.put(program[i]);
    }
  }
  out.put('"');
}

// Tries the folder (length bytes of a path, a separator after it or not)
// joined with the name and each of the system's program endings; true,
// with the path, when one is a program.
bool find_in_folder(std::string_view folder, std::string_view below, AlertProgram& program) {
  if (folder.size() >= sizeof program.path) return false;
  std::memcpy(program.path, folder.data(), folder.size());
  program.path[folder.size()] = '\0';
  const bool separated = !folder.empty() && platform::folder_part_length(program.path) == folder.size();
  for (const char* ending : platform::kProgramEndings) {
    const int written = std::snprintf(program.path + folder.size(), sizeof program.path - folder.size(), "%s%.*s%s%s",
                                      separated ? "" : platform::kFolderSeparator, static_cast<int>(below.size()),
                                      below.data(), kProgramName, ending);
    if (written > 0 && folder.size() + static_cast<std::size_t>(written) < sizeof program.path &&
        platform::is_program(program.path)) {
      return true;
    }
  }
  return false;
}

bool find_on_path(AlertProgram& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  for (std::string_view rest = path;;) {
    const std::size_t end = rest.find(platform::kPathListSeparator);
    const std::string_view folder = platform::absolute_path_entry(rest.substr(0, end));
    if (!folder.empty() && find_in_folder(folder, "", program)) return true;
    if (end == std::string_view::npos) return false;
    rest.remove_prefix(end + 1);
  }
}
}  // namespace

bool find_alert_pane(AlertProgram& program) {
  static AlertProgram self;
  const bool known = platform::running_program_path(self.path, sizeof self.path);
  const std::string_view own_folder(self.path, known ? platform::folder_part_length(self.path) : 0);
  const auto find_beside = [&] { return known && find_in_folder(own_folder, platform::kAlertPaneFolder, program); };
  if (platform::kAlertPaneFolderFirst) return find_beside() || find_on_path(program);
  return find_on_path(program) || find_beside();
}

bool build_alert_command(CommandProcessor processor, std::string_view program, std::string_view heading,
                         std::string_view detail, AlertCommand& command) {
  const bool sh = processor == CommandProcessor::Sh;
  CommandWriter out(command, sh ? kAlertCommandCapacity - 1 : kCmdLineLimit);
  if (program.size() > kAlertProgramLimit || heading.size() > kAlertTextLimit || detail.size() > kAlertTextLimit) {
    return out.refuse();
  }
  if (!sh && !(whole_characters(program) && whole_characters(heading) && whole_characters(detail))) return out.refuse();
  if (!sh && program.find('"') != std::string_view::npos) return out.refuse();
  if (sh) {
    put_sh_word(out, program);
  } else {
    out.put('"');
    put_cmd_program(out, program);
  }
  put_words(out, processor, heading);
  put_words(out, processor, detail);
  if (!sh) out.put('"');
  return out.finish();
}

bool start_alert_pane(std::string_view heading, std::string_view detail) {
  static AlertProgram program;
  static AlertCommand command;
  if (!find_alert_pane(program)) return false;
  if (!build_alert_command(platform::kCommandProcessor, program.path, heading, detail, command)) return false;
  // AlertPane may write to the same terminal; what the tool printed comes first.
  std::fflush(stdout);
  const int ignored = std::system(command.text);  // the run ends with status 1 whatever happened
  static_cast<void>(ignored);
  return true;
}
