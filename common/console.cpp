#include "console.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "messages.h"
#include "platform.h"

namespace {
constexpr Message kNameLine = MESSAGE("%s\n");

FailureEpilogue failure_epilogue = nullptr;
std::jmp_buf* run_end_jump = nullptr;

[[noreturn]] void end_failed_run() {
  if (failure_epilogue != nullptr) failure_epilogue();
  end_run(1);
}

bool output_checked_at_exit = false;
bool console_write_failed = false;

void check_standard_output() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0 || console_write_failed) std::_Exit(1);
}
}  // namespace

void start_run() {
  platform::let_oversized_writes_fail();
  // Once, also when a fuzz driver runs the program many times in one process.
  if (!output_checked_at_exit) output_checked_at_exit = std::atexit(check_standard_output) == 0;
}

namespace {
// Standard output's form, found at the first message: on a pipe, a file or
// a terminal of another character set, the code page 932 bytes of the
// messages; on a UTF-8 terminal, their UTF-8 text; on a Windows console,
// their text through the console. Names and argument texts are shown as
// they were given, which is already the terminal's encoding (on a
// console, the program's code page).
// (Not a function-local static: its guard would link the C++ runtime
// library into every program, a megabyte and more of resident memory.)
bool output_form_known = false;
platform::TextForm output_form_found;
platform::TextForm output_form() {
  if (!output_form_known) {
    output_form_found = platform::text_form(stdout);
    output_form_known = true;
  }
  return output_form_found;
}

void put(const char* bytes, std::size_t length, platform::TextOrigin origin) {
  if (output_form() != platform::TextForm::Console) {
    std::fwrite(bytes, 1, length, stdout);
  } else if (!platform::write_to_console(stdout, bytes, length, origin)) {
    console_write_failed = true;
  }
}

// The message with the value in place of its %s or %d, and % for %%.
void print_format(const Message& message, const char* value) {
  const char* format =
      output_form() == platform::TextForm::Utf8 ? reinterpret_cast<const char*>(message.utf8) : message.cp932;
  const char* run = format;
  const char* p = format;
  for (; *p != '\0'; ++p) {
    if (*p != '%') continue;
    put(run, static_cast<std::size_t>(p - run), platform::TextOrigin::Program);
    ++p;
    if (*p == '%') {
      put("%", 1, platform::TextOrigin::Program);
    } else {
      put(value, std::strlen(value), platform::TextOrigin::Outside);
    }
    run = p + 1;
  }
  put(run, static_cast<std::size_t>(p - run), platform::TextOrigin::Program);
}
}  // namespace

void print_message(const Message& message) { print_format(message, ""); }

void print_message_and_name(const Message& message, const char* name) {
  print_message(message);
  print_argument(kNameLine, name);
}

void print_argument(const Message& message, const char* text) { print_format(message, text); }

void print_number(const Message& message, int number) {
  char digits[24];
  std::snprintf(digits, sizeof digits, "%d", number);
  print_format(message, digits);
}

void print_text(const char* text, std::size_t length) { put(text, length, platform::TextOrigin::Outside); }

void fail_number(const Message& message, int number) {
  print_number(message, number);
  end_failed_run();
}

void end_run(int status) {
  if (run_end_jump != nullptr) std::longjmp(*run_end_jump, status + 1);
  std::exit(status);
}

void set_run_end_jump(std::jmp_buf* jump) { run_end_jump = jump; }

void set_failure_epilogue(FailureEpilogue epilogue) { failure_epilogue = epilogue; }

void fail(const Message& message) {
  print_message(message);
  end_failed_run();
}

void fail_with_name(const Message& message, const char* name) {
  print_message_and_name(message, name);
  end_failed_run();
}

void fail_on(const Message* failure, const char* name) {
  if (failure != nullptr) fail_with_name(*failure, name);
}

void fail_argument(const Message& message, const char* text) {
  print_argument(message, text);
  end_failed_run();
}

void usage_exit(std::initializer_list<Message> lines) {
  for (const Message& line : lines) print_message(line);
  end_run(1);
}

bool parse_numeric_argument(const char* text, std::int32_t& value) {
  std::int64_t total = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    total = total * 10 + (*p - '0');
    if (total > INT32_MAX) return false;
  }
  value = static_cast<std::int32_t>(total);
  return true;
}

std::int32_t numeric_argument_or_fail(const char* text, const Message& message) {
  std::int32_t value = 0;
  if (!parse_numeric_argument(text, value)) fail_argument(message, text);
  return value;
}

bool same_name(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

bool copy_file_name(FileName& buffer, const char* name) {
  const std::size_t length = std::strlen(name);
  if (length >= kFileNameCapacity) return false;
  std::memcpy(buffer.text, name, length + 1);
  return true;
}

void set_file_name(FileName& buffer, const char* name) {
  if (!copy_file_name(buffer, name)) fail_with_name(msg::kNameTooLong, name);
}

void cut_line(char* text) {
  for (std::size_t i = 0; i < kFileNameCapacity - 1 && text[i] != '\0'; ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      text[i] = '\0';
      return;
    }
  }
}

void derive_output_name(FileName& output, const char* input, LineCut cut) {
  set_file_name(output, input);
  if (cut == LineCut::Cut) cut_line(output.text);
  const std::size_t length = std::strlen(output.text);
  if (length > 0) output.text[length - 1] = '\0';
}
