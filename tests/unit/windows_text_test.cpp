// Windows: every message reads on a console as its UTF-8 text, names as the
// ANSI code page gives them, stampmany passes such a name to AlertPane.exe,
// and its box shows stampmany's texts and names alike, whatever the
// system's code page. Run under two
// code pages (see tests/CMakeLists.txt).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "alert_pane.h"
#include "box_text.h"
#include "every_message.h"
#include "messages.h"
#include "platform.h"

namespace {

std::wstring from_utf8(const char8_t* text) {
  wchar_t wide[4096];
  const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(text), -1, wide, 4096);
  return units > 0 ? std::wstring(wide, units - 1) : L"(not UTF-8)";
}

std::wstring widened(const std::string& bytes, platform::TextOrigin origin) {
  wchar_t wide[4096];
  const int units = platform::widen(bytes.data(), bytes.size(), origin, wide, 4096);
  return units >= 0 ? std::wstring(wide, units) : L"(does not fit)";
}

std::wstring without_line_end(std::wstring text) {
  if (!text.empty() && text.back() == L'\n') text.pop_back();
  return text;
}
std::string without_line_end(std::string text) {
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

// The box for AlertPane's command line: the heading, then the detail split
// at its blanks as stampmany splits it.
BoxText& box_for(const std::string& heading, const std::string& detail) {
  static AlertTexts texts;
  static BoxText box;
  std::vector<std::string> words = {"AlertPane", heading};
  for (std::size_t start = 0; start < detail.size();) {
    const std::size_t end = detail.find(' ', start);
    words.push_back(detail.substr(start, end - start));
    start = end == std::string::npos ? detail.size() : end + 1;
  }
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  read_alert_texts(static_cast<int>(argv.size()), argv.data(), texts);
  make_box_text(texts, box);
  return box;
}

// A name in the ANSI code page and what it reads as.
struct Name {
  std::string bytes;
  std::wstring text;
};
Name ansi_name() {
  if (GetACP() == 932) return {"\x96\xbc\x91\x4f.bmp", L"\u540d\u524d.bmp"};  // 名前.bmp
  return {"caf\xe9.bmp", L"caf\u00e9.bmp"};                                   // café.bmp in 1252
}

TEST(WindowsText, TheCodePageIsTheOneAsked) {
  const char* wanted = std::getenv("EXPECTED_ANSI_CODE_PAGE");
  if (wanted == nullptr) GTEST_SKIP() << "no code page asked";
  EXPECT_EQ(GetACP(), std::strtoul(wanted, nullptr, 10));
}

TEST(WindowsText, EveryMessageReadsOnAConsoleAsItsText) {
  ASSERT_GT(std::size(kEveryMessage), 60u);
  for (const ListedMessage& listed : kEveryMessage) {
    EXPECT_EQ(widened(listed.message.cp932, platform::TextOrigin::Program), from_utf8(listed.message.utf8)) << listed.where;
  }
}

TEST(WindowsText, NamesReadInTheAnsiCodePage) {
  const Name name = ansi_name();
  EXPECT_EQ(widened(name.bytes, platform::TextOrigin::Outside), name.text);
}

TEST(WindowsText, StampmanyPassesANameOfTheAnsiCodePage) {
  AlertCommand command;
  EXPECT_TRUE(build_alert_command(CommandProcessor::Cmd, "AlertPane", msg::kError.cp932, ansi_name().bytes, command));
}

TEST(WindowsText, TheBoxShowsStampmanysTextsAndNames) {
  const Name name = ansi_name();
  for (const Message* message : msg::kAlertTexts) {
    const std::wstring text = without_line_end(from_utf8(message->utf8));
    const std::string bytes = without_line_end(message->cp932);
    if (message != &msg::kError) {
      const BoxText& about_a_file = box_for(bytes, name.bytes);
      EXPECT_EQ(about_a_file.caption, text);
      EXPECT_EQ(about_a_file.text, name.text) << "after " << bytes;
    }
    const BoxText& about_none = box_for(msg::kError.cp932, bytes);
    EXPECT_EQ(about_none.caption, from_utf8(msg::kError.utf8));
    EXPECT_EQ(about_none.text, text);
  }
}

}  // namespace
