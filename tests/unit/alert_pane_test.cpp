#include "alert_pane.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace {

const std::string kHeading = "ファイルリードエラー";
const std::string kSo = "ソ", kPo = "ポ", kHyo = "表";  // trail bytes 5C, 7C, 5C
const std::string kGyo = "\xFA\x7C";                   // 僴, an IBM extension kanji: lead byte FA, trail byte '|' 
const std::string kLongName(kAlertTextLimit, 'n');

// A hostile detail text, the words AlertPane must record after the heading
// (through sh; through cmd.exe where that differs, since it also breaks words
// at CR and LF), and the words as written for cmd.exe.
struct Row {
  std::string detail;
  std::string recorded;
  std::string cmd_words;
  std::string cmd_recorded = {};
};
const Row kRows[] = {
    {"x&echo INJECTED>pwned", "[x&echo][INJECTED>pwned]", R"( ^"x^&echo^" ^"INJECTED^>pwned^")"},
    {"a|b <c (d) !e! ^f", "[a|b][<c][(d)][!e!][^f]", R"( ^"a^|b^" ^"^<c^" ^"^(d^)^" ^"^!e^!^" ^"^^f^")"},
    {"%OS% %%cd:~,% 50%", "[%OS%][%%cd:~,%][50%]",
     R"( ^"%%cd:~,%OS%%cd:~,%^" ^"%%cd:~,%%%cd:~,%cd:~,%%cd:~,%^" ^"50%%cd:~,%^")"},
    {"x;touch pwned $(touch pwned) `touch pwned`", "[x;touch][pwned][$(touch][pwned)][`touch][pwned`]",
     R"( ^"x;touch^" ^"pwned^" ^"$^(touch^" ^"pwned^)^" ^"`touch^" ^"pwned`^")"},
    {"\"q\" it's a\"b", "[\"q\"][it's][a\"b]", R"( ^"\^"q\^"^" ^"it's^" ^"a\^"b^")"},
    {"a\\ b\\\\ c\\\"d \\\\\"", "[a\\][b\\\\][c\\\"d][\\\\\"]",
     R"( ^"a\\^" ^"b\\\\^" ^"c\\\^"d^" ^"\\\\\^"^")"},
    {kSo + " " + kPo + "| " + kHyo + "\" " + kSo + kHyo, "[" + kSo + "][" + kPo + "|][" + kHyo + "\"][" + kSo + kHyo + "]",
     " ^\"" + kSo + "^\" ^\"" + kPo + "^|^\" ^\"" + kHyo + "\\^\"^\" ^\"" + kSo + kHyo + "^\""},
    {"x\ntouch\rpwned  \t y", "[x\ntouch\rpwned][y]", R"( ^"x^" ^"touch^" ^"pwned^" ^"y^")", "[x][touch][pwned][y]"},
    {kGyo + "&x " + kGyo, "[" + kGyo + "&x][" + kGyo + "]", " ^\"" + kGyo + "^&x^\" ^\"" + kGyo + "^\""},
    {kLongName, "[" + kLongName + "]", " ^\"" + kLongName + "^\""},
};

TEST(AlertCommand, CmdWordsAreQuotedForTheRuntimeAndEscapedForCmd) {
  EXPECT_EQ(kSo + kPo + kHyo, "\x83\x5c\x83\x7c\x95\x5c");
  for (const Row& row : kRows) {
    AlertCommand command;
    ASSERT_TRUE(build_alert_command(CommandProcessor::Cmd, "AlertPane", kHeading, row.detail, command)) << row.detail;
    EXPECT_EQ(std::string(command.text, command.length),
              "\"\"AlertPane\" ^\"" + kHeading + "^\"" + row.cmd_words + "\"");
  }
}

// The folder of the recording AlertPane (tests/recorder) as an absolute
// path: under wine, the build machine's folders are on drive Z.
std::string recorder_folder() {
  std::string folder = std::filesystem::absolute(RECORDER_DIR).string();
#ifdef _WIN32
  if (folder.rfind("/", 0) == 0) folder = "Z:" + folder;
  for (char& c : folder)
    if (c == '/') c = '\\';
#endif
  return folder;
}

// The recording AlertPane first on PATH.
void put_recorder_first_on_path() {
  static const std::string recorder = recorder_folder();
  const char* path = std::getenv("PATH");
#ifdef _WIN32
  static std::string entry;
  entry = "PATH=" + recorder + ";" + (path != nullptr ? path : "");
  _putenv(entry.c_str());
#else
  setenv("PATH", (recorder + ":" + (path != nullptr ? path : "")).c_str(), 1);
#endif
}

// Runs every row through the platform's command processor, in a folder of
// its own: AlertPane records exactly its words and nothing else happens.
TEST(AlertCommand, WordsReachAlertPaneWholeThroughThePlatformProcessor) {
  put_recorder_first_on_path();
  AlertProgram program;
  ASSERT_TRUE(find_alert_pane(program));
  const std::filesystem::path start = std::filesystem::current_path();
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("alert_pane_test-" + std::to_string(std::random_device()()));
  for (const Row& row : kRows) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    std::filesystem::current_path(folder);
    AlertCommand command;
    ASSERT_TRUE(build_alert_command(platform::kCommandProcessor, program.path, kHeading, row.detail, command));
    EXPECT_EQ(std::system(command.text), 0);
    std::ifstream log("alertpane.log", std::ios::binary);
    const std::string recorded{std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>()};
    const bool cmd = platform::kCommandProcessor == CommandProcessor::Cmd && !row.cmd_recorded.empty();
    EXPECT_EQ(recorded, "[" + kHeading + "]" + (cmd ? row.cmd_recorded : row.recorded) + "\n");
    log.close();
    std::filesystem::current_path(start);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1)
        << "files besides the log after " << row.detail;
  }
  std::filesystem::remove_all(folder);
}

// A program in a folder whose name holds blanks and every sign the command
// processors interpret is started whole.
TEST(AlertCommand, ProgramPathIsStartedWhole) {
  AlertProgram recorder;
  put_recorder_first_on_path();
  ASSERT_TRUE(find_alert_pane(recorder));
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("alert pane %OS% & (x) ! ^ ' $HOME " + std::to_string(std::random_device()()));
  std::filesystem::create_directory(folder);
  const std::filesystem::path copy = folder / std::filesystem::path(recorder.path).filename();
  std::filesystem::copy_file(recorder.path, copy);
  const std::filesystem::path start = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  AlertCommand command;
  ASSERT_TRUE(build_alert_command(platform::kCommandProcessor, copy.string(), "h", "d", command));
  EXPECT_EQ(std::system(command.text), 0) << command.text;
  std::ifstream log("alertpane.log", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>()), "[h][d]\n");
  log.close();
  std::filesystem::current_path(start);
  std::filesystem::remove_all(folder);
}

TEST(AlertCommand, RefusesWhatCannotBePassedSafely) {
  const std::string percents(kAlertTextLimit, '%'), quotes(kAlertTextLimit, '\'');
  struct Refusal {
    CommandProcessor processor;
    std::string heading, detail;
    bool built;
  };
  const Refusal refusals[] = {
      {CommandProcessor::Sh, kHeading, kLongName + "n", false},
      {CommandProcessor::Cmd, kLongName + "n", "x", false},
      {CommandProcessor::Sh, quotes, quotes, true},       // the longest sh command fits
      {CommandProcessor::Cmd, kHeading, percents, false},  // longer than cmd.exe accepts
      {CommandProcessor::Cmd, kHeading, "x\x83", false},   // a lead byte would take the closing quote
      {CommandProcessor::Cmd, kHeading, "\x83&calc", false},
      {CommandProcessor::Sh, kHeading, "x\x83", true},
  };
  for (const Refusal& r : refusals) {
    AlertCommand command;
    EXPECT_EQ(build_alert_command(r.processor, "AlertPane", r.heading, r.detail, command), r.built)
        << r.detail.substr(0, 8);
    if (!r.built) {
      EXPECT_STREQ(command.text, "");
    }
  }
}

}  // namespace
