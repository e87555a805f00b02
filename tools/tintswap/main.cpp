// tintswap: replaces pixel colours by a colour table, in one picture (file
// mode) or in every picture named in a list file (list mode).
#include <algorithm>
#include <iterator>
#include <cstdio>

#include "bmp_image.h"
#include "colour_table.h"
#include "console.h"
#include "messages.h"
#include "text_file.h"

namespace {
constexpr Message kBanner = MESSAGE("カラーテーブルで指定した色を変換する tintswap Version 0.90\n");
constexpr Message kUsage = MESSAGE("使い方\n");
constexpr Message kUsageFile = MESSAGE(
    "　ファイルモード: tintswap [-F or -f] [画像ファイル名] [カラーテーブルファイル名] "
    "（出力ファイル名は[入力ファイル名.bm]）\n");
constexpr Message kUsageList = MESSAGE(
    "　リストモード:   tintswap [-L or -l] [リスト名] [カラーテーブルファイル名] "
    "（出力ファイル名は[リスト内ファイル名.bm]）\n");
constexpr Message kNoMode = MESSAGE("モードを指定して下さい\n");
constexpr Message kAborted = MESSAGE("処理を中断しました\n");
constexpr Message kListDone = MESSAGE("処理が終了しました\n");
constexpr Message kConverted = MESSAGE("変換完了:[%s]\n");
constexpr Message kLineTooShort = MESSAGE("パレット情報が少ないです[L%d]\n");
constexpr Message kLineInError = MESSAGE("エラーがあります[L%d]\n");
constexpr Message kTableTooLarge = MESSAGE("カラーテーブルの色指定が多すぎます（最大1036970件）\n");
constexpr Message kFileTooLarge = MESSAGE("ファイルが大きすぎます\n");

// Far above any real file (a full table is 25 MB), so that an endless
// input (/dev/zero, a pipe that never ends) stops: a table is read up to
// 256 MiB, a list, which is held whole, up to 16 MiB and 1,048,576 names.
constexpr std::uint64_t kTableLimit = 256u << 20;
constexpr std::size_t kListCapacity = 16u << 20;
constexpr std::size_t kListedNamesLimit = 1u << 20;

enum class Mode { File, List, None };

BmpImage image;
ColourTable table;
ColourIndex index;
TextFile table_file;
TextFile list_file;
TextLine line;
FileName table_name;
FileName list_name;
FileName input_name;
FileName output_name;
unsigned char list_text[kListCapacity];
// The outputs that exist, each as its own directory entry, with the place
// of its line among the listed names (from 1).
struct ListedOutput {
  FileIdentity entry;
  std::size_t place;
  auto operator<=>(const ListedOutput&) const = default;
};
ListedOutput listed_outputs[kListedNamesLimit];
// The entries one listed name passes through.
FileIdentity chain[kLongestChain];

Mode mode_of(const char* flag) {
  if (same_name(flag, "-F") || same_name(flag, "-f")) return Mode::File;
  if (same_name(flag, "-L") || same_name(flag, "-l")) return Mode::List;
  return Mode::None;
}

void report_table_line(const Message& message, std::int32_t line_number) {
  print_number(message, line_number);
  print_text_line(line);
}

// Reads the whole table file, reporting each bad line with its number and
// the line as read, then builds the lookup index. Only a table larger than
// the program holds stops the run, before any picture is written.
void load_colour_table_or_fail(const char* name) {
  set_file_name(table_name, name);
  if (!open_text_file(table_file, table_name.text, kTableLimit)) fail_with_name(msg::kReadError, table_name.text);
  clear_table(table);
  std::int32_t line_number = 0;
  while (read_text_line(table_file, line)) {
    ++line_number;
    switch (add_table_line(table, line)) {
      case TableLine::TooShort: report_table_line(kLineTooShort, line_number); break;
      case TableLine::Rejected: report_table_line(kLineInError, line_number); break;
      case TableLine::Full:
        close_text_file(table_file);
        fail_with_name(kTableTooLarge, table_name.text);
      case TableLine::Skipped:
      case TableLine::Accepted: break;
    }
  }
  // A table that could not be read to its end must not pass for a short one.
  if (text_file_failed(table_file)) fail_with_name(msg::kReadError, table_name.text);
  if (text_file_too_large(table_file)) fail_with_name(kFileTooLarge, table_name.text);
  close_text_file(table_file);
  build_index(table, index);
}

// Load, checks, recolour and save of one picture; every failure ends the
// run. The output never replaces the table, nor in list mode the list.
void convert_image(Mode mode) {
  load_bmp_or_fail(input_name, image);
  check_fits_buffer_or_fail(image, input_name.text);
  recolour_image(index, image);
  check_not_same_file_or_fail(output_name, table_name.text);
  if (mode == Mode::List) check_not_same_file_or_fail(output_name, list_name.text);
  const char* const read[] = {input_name.text, table_name.text, list_name.text};
  save_image_or_fail(output_name, image, {read, mode == Mode::List ? 3u : 2u});
}

void print_aborted() { print_message(kAborted); }

void run_file_mode(const char* image_name, const char* colour_table) {
  set_file_name(input_name, image_name);
  check_readable_or_fail(input_name);  // before the table, so its diagnostics never hide this
  load_colour_table_or_fail(colour_table);
  derive_output_name(output_name, input_name.text, LineCut::Cut);
  convert_image(Mode::File);
  print_argument(kConverted, output_name.text);
}

// A line that names a picture: not a comment, not empty, and not the rest
// of a line too long for one read (a comment runs to its line's end).
bool is_list_entry(const TextLine& listed) {
  const char first = listed.text[0];
  return !listed.continued && first != '#' && first != '\r' && first != '\n';
}

// The picture that the list line names, and its output name.
void take_listed_name() {
  set_file_name(input_name, line.text);
  cut_line(input_name.text);
  derive_output_name(output_name, input_name.text, LineCut::Keep);
}

// The next picture of the list; false at the list's end. A name longer
// than a line read is passed over here, and refused when it comes to be
// processed.
bool next_listed_picture() {
  while (read_text_line(list_file, line)) {
    if (!is_list_entry(line) || line.cut) continue;
    take_listed_name();
    return true;
  }
  return false;
}

// No output may replace a directory entry that a name anywhere in the list
// passes through, before or after it: the picture's own entry, each link
// its chain leads through, and the file at its end. An output stands for
// its own entry (a link is replaced, not written through). Checked for
// every output before the first is written; the first output of the list
// that would is reported.
void check_no_output_is_a_listed_picture_or_fail() {
  std::size_t names = 0, existing = 0;
  while (next_listed_picture()) {
    if (++names > kListedNamesLimit) fail_with_name(kFileTooLarge, list_name.text);
    if (identify_file(output_name.text, false, listed_outputs[existing].entry)) listed_outputs[existing++].place = names;
  }
  std::sort(listed_outputs, listed_outputs + existing);
  std::size_t first_replacing = names + 1;
  rewind_text_file(list_file);
  while (next_listed_picture()) {
    const std::size_t entries = identify_chain(input_name.text, chain, std::size(chain));
    for (std::size_t i = 0; i < entries; ++i) {
      const ListedOutput* found = std::lower_bound(listed_outputs, listed_outputs + existing, ListedOutput{chain[i], 0});
      if (found != listed_outputs + existing && found->entry == chain[i]) first_replacing = std::min(first_replacing, found->place);
    }
  }
  rewind_text_file(list_file);
  if (first_replacing > names) return;
  for (std::size_t place = 0; place < first_replacing; ++place) next_listed_picture();
  fail_with_name(msg::kOutputIsInput, output_name.text);
}

void run_list_mode(const char* list, const char* colour_table) {
  set_file_name(list_name, list);
  if (!hold_text_file(list_file, list_name.text, list_text, sizeof list_text)) {
    fail_with_name(msg::kReadError, list_name.text);
  }
  load_colour_table_or_fail(colour_table);
  set_failure_epilogue(print_aborted);  // from here on every failure concerns a listed picture
  // A list that could not be read to its end must not pass for a finished one.
  if (text_file_failed(list_file)) fail_with_name(msg::kReadError, list_name.text);
  if (text_file_too_large(list_file)) fail_with_name(kFileTooLarge, list_name.text);
  check_no_output_is_a_listed_picture_or_fail();
  while (read_text_line(list_file, line)) {
    if (!is_list_entry(line)) continue;
    print_text_line(line);
    if (line.cut) fail_with_name(msg::kNameTooLong, line.text);
    take_listed_name();
    convert_image(Mode::List);
  }
  set_failure_epilogue(nullptr);
  close_text_file(list_file);
  print_message(kListDone);
}
}  // namespace

int main(int argc, char** argv) {
  start_run();
  if (argc - 1 < 3) usage_exit({kBanner, kUsage, kUsageFile, kUsageList});
  switch (mode_of(argv[1])) {
    case Mode::File: run_file_mode(argv[2], argv[3]); break;
    case Mode::List: run_list_mode(argv[2], argv[3]); break;
    case Mode::None: fail(kNoMode);
  }
  return 0;
}
