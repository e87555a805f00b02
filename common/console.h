// Console conventions shared by every tool: messages on standard output,
// exit status 0 or 1, the numeric argument rule, file name buffers and
// output name derivation.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

// Plain literals, and with them the code page 932 form of every message
// (see Message), must be Shift-JIS; refuse to build otherwise. Only the
// fuzzing build, whose compiler cannot convert and whose output nobody
// reads, keeps UTF-8 literals.
#ifndef ASSETTOOLS_UTF8_LITERALS
static_assert(sizeof("ア") == 3 && static_cast<unsigned char>("ア"[0]) == 0x83,
              "string literals must be compiled to CP932 (-fexec-charset=CP932)");
#endif

// Messages and file names are code page 932: a double-byte character is a
// lead byte and a trail byte, and a trail byte may read as '\' or '|'.
inline bool is_cp932_lead_byte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xFC);
}
inline bool is_cp932_trail_byte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 0x40 && u <= 0x7E) || (u >= 0x80 && u <= 0xFC);
}

inline constexpr std::size_t kFileNameCapacity = 1024;

// A file name as the tools open and print it: at most 1,023 bytes and a NUL.
struct FileName {
  char text[kFileNameCapacity];
};

// A message of the tools, in both of the forms it is shown in: the code
// page 932 bytes that pipes, files and most terminals get, and the same
// text in UTF-8 for a UTF-8 terminal. Each is a format with at most one
// value: %s (an argument text or a file name, shown as given) or %d (a
// number); %% is a percent sign. Made by MESSAGE from one literal, which
// the build compiles twice: as code page 932 bytes and, as a u8 literal,
// in UTF-8.
struct Message {
  const char* cp932;
  const char8_t* utf8;
};

// Refuses to compile a message whose format holds a conversion the print
// functions do not read. (Both forms come from one literal, so checking
// one checks both.)
consteval Message checked_message(Message message) {
  int values = 0;
  for (const char* p = message.cp932; *p != '\0'; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == '%') continue;
    if ((*p != 's' && *p != 'd') || ++values > 1) throw "a message may hold one %s or %d, and any %%";
  }
  return message;
}

#define MESSAGE(text) (checked_message(Message{text, u8##text}))

// The first step of every program. An over-limit write (a file-size limit)
// then fails like any other write instead of ending the program without a
// word, and standard output is flushed and checked when the process ends:
// a message that could not be written makes the exit status 1, on success
// too.
void start_run();

// Prints a message.
void print_message(const Message& message);
// Prints a message, then the name on a line of its own.
void print_message_and_name(const Message& message, const char* name);
// Prints a message whose %s shows the argument text.
void print_argument(const Message& message, const char* text);
// Prints a message whose %d shows the number.
void print_number(const Message& message, int number);
// Prints text from outside the program (a line of a list) as it is.
void print_text(const char* text, std::size_t length);

// The one way a run ends early: with the status, through exit. A driver
// that runs a program in process (the fuzz targets) sets a jump point, and
// the run then returns there instead, with status + 1 as the setjmp value.
[[noreturn]] void end_run(int status);
void set_run_end_jump(std::jmp_buf* jump);

// Called by the failure exits below after their lines are printed and
// before the run ends; a program that adds a line to every failure of a
// stage (tintswap's list mode) sets one, and clears it with nullptr.
using FailureEpilogue = void (*)();
void set_failure_epilogue(FailureEpilogue epilogue);

// The failure exits: print, run the epilogue, end with status 1.
[[noreturn]] void fail(const Message& message);
[[noreturn]] void fail_with_name(const Message& message, const char* name);
// fail_with_name when there is a failure (a message), else nothing.
void fail_on(const Message* failure, const char* name);
// The message shows the argument text.
[[noreturn]] void fail_argument(const Message& message, const char* text);
// The message shows the number.
[[noreturn]] void fail_number(const Message& message, int number);
// Banner and usage lines, then status 1.
[[noreturn]] void usage_exit(std::initializer_list<Message> lines);

// The numeric argument rule: ASCII digits only, the empty text reads as 0,
// and the value must lie in 0..2,147,483,647 (larger texts are refused,
// never wrapped). Returns false on rejection.
bool parse_numeric_argument(const char* text, std::int32_t& value);
// The same rule; a rejected text ends the run with the given message.
std::int32_t numeric_argument_or_fail(const char* text, const Message& message);

// Exact byte comparison, as typed: no case folding, no path rules.
bool same_name(const char* a, const char* b);

// Copies a name into its buffer; false, leaving the buffer as it was, for a
// name of 1,024 bytes or more, which is never cut.
bool copy_file_name(FileName& buffer, const char* name);
// The same; a name too long ends the run with "ファイル名が長すぎます" and the name.
void set_file_name(FileName& buffer, const char* name);

// Ends the text at its first CR or LF within the first 1,023 bytes.
void cut_line(char* text);

enum class LineCut { Keep, Cut };
// The output name: the input name (line-cut where asked) less its last byte.
// An empty input gives an empty output name.
void derive_output_name(FileName& output, const char* input, LineCut cut);
