#include <gtest/gtest.h>

#include <cstdio>

#include "harness.h"
#include "messages.h"

namespace e2e {
namespace {

const Bytes kUsage =
    "カラーテーブルで指定した色を変換する tintswap Version 0.90\n"
    "使い方\n"
    "　ファイルモード: tintswap [-F or -f] [画像ファイル名] [カラーテーブルファイル名] "
    "（出力ファイル名は[入力ファイル名.bm]）\n"
    "　リストモード:   tintswap [-L or -l] [リスト名] [カラーテーブルファイル名] "
    "（出力ファイル名は[リスト内ファイル名.bm]）\n";
const Bytes kNoMode = "モードを指定して下さい\n";
const Bytes kConverted = "変換完了:[%s]\n";
const Bytes kListDone = "処理が終了しました\n";

Bytes too_short(int line) { return "パレット情報が少ないです[L" + std::to_string(line) + "]\n"; }
Bytes in_error(int line) { return "エラーがあります[L" + std::to_string(line) + "]\n"; }

// An entry line as the table file writes it: six three-digit fields.
Bytes entry(Rgb from, Rgb to, const char* end = "\n") {
  char text[64];
  std::snprintf(text, sizeof text, "%03d %03d %03d %03d %03d %03d%s", from.r, from.g, from.b, to.r, to.g, to.b, end);
  return text;
}

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kBlack{0, 0, 0}, kWhite{255, 255, 255},
    kGrey{128, 128, 128};
bool same(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

// A 3 x 2 picture (rows carry padding): red, green, blue over black, white, grey.
Rgb palette(int x, int y) {
  static const Rgb colours[2][3] = {{kRed, kGreen, kBlue}, {kBlack, kWhite, kGrey}};
  return colours[y][x];
}
const Bytes kPicture = bmp(3, 2, palette);
// The picture with every pixel of one colour replaced, built pixel by pixel.
Bytes picture_with(std::initializer_list<std::pair<Rgb, Rgb>> swaps) {
  return bmp(3, 2, [swaps](int x, int y) {
    for (const auto& [from, to] : swaps)
      if (same(palette(x, y), from)) return to;
    return palette(x, y);
  });
}

std::vector<File> file_mode(const Bytes& table, const Bytes& picture = kPicture) {
  return {{"pic.bmp", picture}, {"t.txt", table}};
}
const std::vector<std::string> kFileArgs = {"-F", "pic.bmp", "t.txt"};
const Bytes kDone = with(kConverted, "pic.bm");



const Bytes kRedToBlue = entry(kRed, kBlue);
const Bytes k1030 = entry(kBlack, kWhite, "") + repeat('x', 1007) + "\n";  // 1,023 + 7 + LF

// Pictures for list mode and their results under kRedToBlue.
const Bytes kA = solid_bmp(2, 2, kRed), kAOut = solid_bmp(2, 2, kBlue);
const Bytes kB = bmp(1, 3, [](int, int y) { return y == 1 ? kRed : kGreen; });
const Bytes kBOut = bmp(1, 3, [](int, int y) { return y == 1 ? kBlue : kGreen; });
std::vector<File> list_mode(const Bytes& list, std::vector<File> more = {}) {
  std::vector<File> files = {{"list.txt", list}, {"t.txt", kRedToBlue}, {"a.bmp", kA}, {"b.bmp", kB}};
  files.insert(files.end(), more.begin(), more.end());
  return files;
}
const std::vector<std::string> kListArgs = {"-L", "list.txt", "t.txt"};

// A picture of 4 x 2 whose file stops inside its first stored row: the rest
// must read as zeros, whatever an earlier picture left in the buffer.
const Bytes kShort = bmp(4, 2, [](int, int) { return kGreen; }).substr(0, 60);
const Bytes kShortOut = kShort + Bytes(54 + 12 * 2 - 60, '\0');

// Two pictures that are a header and no pixels: each must read as zeros,
// also after the recolouring wrote over the zeros of the one before.
const Bytes kEmpty = bmp_header(100, 80);
const Bytes kZeroChain = entry(kBlack, {1, 2, 3}) + entry({1, 2, 3}, {9, 9, 9});
const Bytes kEmptyOut = solid_bmp(100, 80, {1, 2, 3});
const Bytes kFileTooLarge = "ファイルが大きすぎます\n";

const Case kCases[] = {
    // Command line.
    {.name = "two arguments give the usage", .args = {"-F", "pic.bmp"}, .out = kUsage, .status = 1},
    {.name = "upper F is file mode", .args = kFileArgs, .inputs = file_mode(kRedToBlue), .out = kDone,
     .outputs = {{"pic.bm", picture_with({{kRed, kBlue}})}}},
    {.name = "lower f and extra arguments", .args = {"-f", "pic.bmp", "t.txt", "more"}, .inputs = file_mode(kRedToBlue),
     .out = kDone, .outputs = {{"pic.bm", picture_with({{kRed, kBlue}})}}},
    {.name = "lower l is list mode", .args = {"-l", "list.txt", "t.txt"}, .inputs = list_mode("a.bmp\n"),
     .out = "a.bmp\n" + kListDone, .outputs = {{"a.bm", kAOut}}},
    {.name = "doubled flag", .args = {"-FF", "pic.bmp", "t.txt"}, .inputs = file_mode(kRedToBlue), .out = kNoMode,
     .status = 1, .absent = {"pic.bm"}},
    {.name = "flag without dash", .args = {"F", "pic.bmp", "t.txt"}, .out = kNoMode, .status = 1},
    {.name = "empty flag", .args = {"", "pic.bmp", "t.txt"}, .out = kNoMode, .status = 1},
    // File mode order of checks.
    {.name = "missing picture is reported before the table", .args = kFileArgs,
     .inputs = {{"t.txt", "bad line\n"}}, .out = kReadError + "pic.bmp\n", .status = 1},
    {.name = "missing table", .args = kFileArgs, .inputs = {{"pic.bmp", kPicture}}, .out = kReadError + "t.txt\n",
     .status = 1, .absent = {"pic.bm"}},
    {.name = "table that cannot be read is not taken for an empty one", .args = kFileArgs,
     .inputs = {{"pic.bmp", kPicture}}, .out = kReadError + "t.txt\n", .status = 1, .absent = {"pic.bm"},
     .links = {{"t.txt", "."}}},
    {.name = "table diagnostics come before the signature check", .args = kFileArgs,
     .inputs = file_mode("oops\n", "MB" + kPicture.substr(2)), .out = too_short(1) + "oops\n" + kNotBmp + "pic.bmp\n",
     .status = 1, .absent = {"pic.bm"}},
    {.name = "percent in names prints as itself", .args = {"-F", "p%d.bmp", "t.txt"},
     .inputs = {{"p%d.bmp", kPicture}, {"t.txt", ""}}, .out = with(kConverted, "p%d.bm"),
     .outputs = {{"p%d.bm", kPicture}}},
    // The table parser.
    {.name = "minimal line turns black into white", .args = kFileArgs,
     .inputs = file_mode("000 000 000 255 255 255\n"), .out = kDone, .outputs = {{"pic.bm", picture_with({{kBlack, kWhite}})}}},
    {.name = "minimal last line without line end is too short", .args = kFileArgs,
     .inputs = file_mode("# c\n000 000 000 255 255 255"), .out = too_short(2) + "000 000 000 255 255 255" + kDone,
     .outputs = {{"pic.bm", kPicture}}},
    {.name = "256 in any field rejects the line, its neighbours stay", .args = kFileArgs,
     .inputs = file_mode(entry(kRed, kBlue) + "256 000 000 000 000 000\n255 000 000 000 256 000\n" +
                         "128 128 128 000 000 999\n" + entry(kGreen, kWhite)),
     .out = in_error(2) + "256 000 000 000 000 000\n" + in_error(3) + "255 000 000 000 256 000\n" + in_error(4) +
            "128 128 128 000 000 999\n" + kDone,
     .outputs = {{"pic.bm", picture_with({{kRed, kBlue}, {kGreen, kWhite}})}}},
    {.name = "short fields signs and blanks", .args = kFileArgs,
     .inputs = file_mode("0 0 0 255 255 255\n+00 000 000 255 255 255\n000 0 0 000 255 255 255\n"),
     .out = too_short(1) + "0 0 0 255 255 255\n" + in_error(2) + "+00 000 000 255 255 255\n" + in_error(3) +
            "000 0 0 000 255 255 255\n" + kDone,
     .outputs = {{"pic.bm", kPicture}}},
    {.name = "leading blank or tab makes an entry line", .args = kFileArgs,
     .inputs = file_mode(" \n\t000 000 000 255 255 255\n"),
     .out = too_short(1) + " \n" + in_error(2) + "\t000 000 000 255 255 255\n" + kDone, .outputs = {{"pic.bm", kPicture}}},
    {.name = "any separators and trailing text", .args = kFileArgs,
     .inputs = file_mode("255,000\t000x000a000;255 turns red blue\n"), .out = kDone,
     .outputs = {{"pic.bm", picture_with({{kRed, kBlue}})}}},
    {.name = "line numbers count comments and empty lines", .args = kFileArgs,
     .inputs = file_mode("# header\n\n\r\n" + Bytes("\0 nul\n", 6) + "12x\n# 50% done\n100% 000 000 000 000 000\n"),
     .out = too_short(5) + "12x\n" + in_error(7) + "100% 000 000 000 000 000\n" + kDone, .outputs = {{"pic.bm", kPicture}}},
    {.name = "CR LF lines echo with LF alone", .args = kFileArgs,
     .inputs = file_mode("# c\r\n255 000 000 000 000 255\r\nbad\r\n255 000 000 000 000 255"),
     .out = too_short(3) + "bad\n" + too_short(4) + "255 000 000 000 000 255" + kDone,
     .outputs = {{"pic.bm", picture_with({{kRed, kBlue}})}}},
    {.name = "a long line is read in numbered pieces", .args = kFileArgs, .inputs = file_mode(k1030),
     .out = too_short(2) + repeat('x', 7) + "\n" + kDone, .outputs = {{"pic.bm", picture_with({{kBlack, kWhite}})}}},
    {.name = "only comments leave the picture unchanged, tail dropped", .args = kFileArgs,
     .inputs = file_mode("# nothing\n", kPicture + "tail"), .out = kDone, .outputs = {{"pic.bm", kPicture}}},
    // The lookup.
    {.name = "table red green blue against pixel blue green red", .args = kFileArgs,
     .inputs = file_mode("010 020 030 040 050 060\n", bmp(2, 1, [](int x, int) {
                           return x == 0 ? Rgb{10, 20, 30} : Rgb{30, 20, 10};
                         })),
     .out = kDone, .outputs = {{"pic.bm", bmp(2, 1, [](int x, int) { return x == 0 ? Rgb{40, 50, 60} : Rgb{30, 20, 10}; })}}},
    {.name = "chain A to B and B to D gives B", .args = kFileArgs,
     .inputs = file_mode(entry(kRed, kGreen) + entry(kGreen, kWhite)), .out = kDone,
     .outputs = {{"pic.bm", picture_with({{kRed, kGreen}, {kGreen, kWhite}})}}},
    {.name = "A and B swapped", .args = kFileArgs, .inputs = file_mode(entry(kRed, kBlue) + entry(kBlue, kRed)),
     .out = kDone, .outputs = {{"pic.bm", picture_with({{kRed, kBlue}, {kBlue, kRed}})}}},
    {.name = "earlier duplicate wins", .args = kFileArgs,
     .inputs = file_mode(entry(kGrey, kRed) + entry(kGrey, kBlack) + entry(kWhite, kWhite)), .out = kDone,
     .outputs = {{"pic.bm", picture_with({{kGrey, kRed}})}}},
    {.name = "zero width writes the header only", .args = kFileArgs,
     .inputs = file_mode(kRedToBlue, bmp_header(0, 5) + "rest"), .out = kDone, .outputs = {{"pic.bm", bmp_header(0, 5)}}},
    {.name = "zero height writes the header only", .args = kFileArgs,
     .inputs = file_mode(kRedToBlue, bmp_header(7, 0)), .out = kDone, .outputs = {{"pic.bm", bmp_header(7, 0)}}},
    // Sizes that do not fit, and output failures.
    {.name = "negative width", .args = kFileArgs, .inputs = file_mode(kRedToBlue, with_le32(kPicture, 18, -3)),
     .out = kUnreadableFormat + "pic.bmp\n", .status = 1, .absent = {"pic.bm"}},
    {.name = "negative height: its rows read top-down", .args = kFileArgs,
     .inputs = file_mode(kRedToBlue, with_le32(kPicture, 22, -2)), .out = kDone,
     .outputs = {{"pic.bm", upside_down(picture_with({{kRed, kBlue}}))}}},
    {.name = "larger than the buffer", .args = kFileArgs,
     .inputs = file_mode(kRedToBlue, with_le32(with_le32(kPicture, 18, 1921), 22, 1080)),
     .out = kSizeAbnormal + "pic.bmp\n", .status = 1, .absent = {"pic.bm"}},
    {.name = "one character name has no output name", .args = {"-F", "p", "t.txt"},
     .inputs = {{"p", kPicture}, {"t.txt", kRedToBlue}}, .out = kOpenError + "\n", .status = 1},
    {.name = "failed write", .args = kFileArgs, .inputs = file_mode(kRedToBlue), .out = kWriteFailed + "pic.bm\n",
     .status = 1, .absent = {"pic.bm"}, .run = {.file_size_limit = 20}},
    // List mode.
    {.name = "list of two with comments and blank lines", .args = kListArgs,
     .inputs = list_mode("# pictures\n\na.bmp\n\r\nb.bmp\n"), .out = "a.bmp\nb.bmp\n" + kListDone,
     .outputs = {{"a.bm", kAOut}, {"b.bm", kBOut}}},
    {.name = "CR LF list gives the same names", .args = kListArgs, .inputs = list_mode("a.bmp\r\n# x\r\nb.bmp\r\n"),
     .out = "a.bmp\nb.bmp\n" + kListDone, .outputs = {{"a.bm", kAOut}, {"b.bm", kBOut}}},
    {.name = "last name without line end", .args = kListArgs, .inputs = list_mode("a.bmp"),
     .out = "a.bmp" + kListDone, .outputs = {{"a.bm", kAOut}}},
    {.name = "empty list", .args = kListArgs, .inputs = list_mode("# none\n\n"), .out = kListDone,
     .absent = {"a.bm", "b.bm"}},
    {.name = "third picture missing keeps the first two", .args = kListArgs,
     .inputs = list_mode("a.bmp\nb.bmp\nc.bmp\na.bmp\n"),
     .out = "a.bmp\nb.bmp\nc.bmp\n" + kReadError + "c.bmp\n" + kListAborted, .status = 1,
     .outputs = {{"a.bm", kAOut}, {"b.bm", kBOut}}, .absent = {"c.bm"}},
    {.name = "blanks around a listed name are part of it", .args = kListArgs, .inputs = list_mode(" a.bmp\n"),
     .out = " a.bmp\n" + kReadError + " a.bmp\n" + kListAborted, .status = 1},
    {.name = "listed picture not BMP", .args = kListArgs, .inputs = list_mode("a.bmp\nz.bmp\n", {{"z.bmp", "ZZ"}}),
     .out = "a.bmp\nz.bmp\n" + kNotBmp + "z.bmp\n" + kListAborted, .status = 1, .outputs = {{"a.bm", kAOut}},
     .absent = {"z.bm"}},
    {.name = "listed picture too large", .args = kListArgs,
     .inputs = list_mode("z.bmp\n", {{"z.bmp", bmp_header(1920, 1081)}}),
     .out = "z.bmp\n" + kSizeAbnormal + "z.bmp\n" + kListAborted, .status = 1, .absent = {"z.bm"}},
    {.name = "listed write fails", .args = kListArgs,
     .inputs = list_mode("a.bmp\nbig.bmp\n", {{"big.bmp", solid_bmp(10, 10, kRed)}}),
     .out = "a.bmp\nbig.bmp\n" + kWriteFailed + "big.bm\n" + kListAborted, .status = 1, .outputs = {{"a.bm", kAOut}},
     .absent = {"big.bm"}, .run = {.file_size_limit = 100}},
    {.name = "listed output cannot be opened", .args = kListArgs, .inputs = list_mode("x\n", {{"x", kA}}),
     .out = "x\n" + kOpenError + "\n" + kListAborted, .status = 1},
    // No output replaces the table or the list, however its name is spelt.
    {.name = "a listed name whose output is the list", .args = kListArgs,
     .inputs = list_mode("a.bmp\nlist.txtX\n", {{"list.txtX", kA}}),
     .out = "a.bmp\nlist.txtX\n" + kOutputIsInput + "list.txt\n" + kListAborted, .status = 1,
     .outputs = {{"list.txt", "a.bmp\nlist.txtX\n"}, {"a.bm", kAOut}}},
    {.name = "a listed name whose output is the table by another path", .args = kListArgs,
     .inputs = list_mode("./t.txtX\n", {{"t.txtX", kA}}),
     .out = "./t.txtX\n" + kOutputIsInput + "./t.txt\n" + kListAborted, .status = 1, .outputs = {{"t.txt", kRedToBlue}}},
    {.name = "a picture whose output is the table", .args = {"-F", "t.txtX", "t.txt"},
     .inputs = {{"t.txtX", kA}, {"t.txt", kRedToBlue}}, .out = kOutputIsInput + "t.txt\n", .status = 1,
     .outputs = {{"t.txt", kRedToBlue}}},
    {.name = "short picture after a long one reads zeros", .args = kListArgs,
     .inputs = list_mode("a.bmp\ns.bmp\n", {{"s.bmp", kShort}}), .out = "a.bmp\ns.bmp\n" + kListDone,
     .outputs = {{"a.bm", kAOut}, {"s.bm", kShortOut}}},
    {.name = "short pictures read zeros after a recoloured one", .args = kListArgs,
     .inputs = {{"list.txt", "b.bmp\nc.bmp\n"}, {"t.txt", kZeroChain}, {"b.bmp", kEmpty}, {"c.bmp", kEmpty}},
     .out = "b.bmp\nc.bmp\n" + kListDone, .outputs = {{"b.bm", kEmptyOut}, {"c.bm", kEmptyOut}}},
    // No output replaces a picture named anywhere in the list, checked before the first is written.
    {.name = "an output that is a picture listed before it", .args = kListArgs,
     .inputs = list_mode("a.bmp\na.bmpx\n", {{"a.bmpx", kB}}), .out = kOutputIsInput + "a.bmp\n" + kListAborted,
     .status = 1, .outputs = {{"a.bmp", kA}}, .absent = {"a.bm"}},
    {.name = "an output that is a picture listed after it, by another path", .args = kListArgs,
     .inputs = list_mode("b.bmp\na.bmpx\n./a.bmp\n", {{"a.bmpx", kB}}),
     .out = kOutputIsInput + "a.bmp\n" + kListAborted, .status = 1, .outputs = {{"a.bmp", kA}}, .absent = {"b.bm"}},
    {.name = "a listed picture that is a link to another's output", .args = kListArgs,
     .inputs = list_mode("a.bmp\nl.bmp\n", {{"a.bm", kB}}), .out = kOutputIsInput + "a.bm\n" + kListAborted,
     .status = 1, .outputs = {{"a.bm", kB}}, .links = {{"l.bmp", "a.bm"}}},
    {.name = "an output that is a link to a listed picture is replaced", .args = kListArgs,
     .inputs = list_mode("a.bmp\nb.bmp\n"), .out = "a.bmp\nb.bmp\n" + kListDone,
     .outputs = {{"a.bm", kAOut}, {"b.bm", kBOut}, {"a.bmp", kA}}, .links = {{"a.bm", "a.bmp"}}},
    {.name = "an output that is the middle link of a listed picture's chain of two", .args = kListArgs,
     .inputs = list_mode("a.bmp\np.bmp\n", {{"F.bmp", kB}}), .out = kOutputIsInput + "a.bm\n" + kListAborted,
     .status = 1, .outputs = {{"F.bmp", kB}}, .absent = {"p.bm"}, .links = {{"p.bmp", "a.bm"}, {"a.bm", "F.bmp"}}},
    {.name = "an output that is a link in a listed picture's chain of three", .args = kListArgs,
     .inputs = list_mode("a.bmp\nq.bmp\n", {{"F.bmp", kB}}), .out = kOutputIsInput + "a.bm\n" + kListAborted,
     .status = 1, .outputs = {{"F.bmp", kB}}, .absent = {"q.bm"},
     .links = {{"q.bmp", "p.bmp"}, {"p.bmp", "a.bm"}, {"a.bm", "F.bmp"}}},
    {.name = "an output that is a listed link", .args = kListArgs, .inputs = list_mode("c.bmp\nc.bm\n", {{"c.bmp", kA}}),
     .out = kOutputIsInput + "c.bm\n" + kListAborted, .status = 1, .absent = {"c.b"}, .links = {{"c.bm", "a.bmp"}}},
    {.name = "a file mode output linked to its own picture is replaced", .args = kFileArgs,
     .inputs = file_mode(kRedToBlue), .out = kDone, .outputs = {{"pic.bm", picture_with({{kRed, kBlue}})}, {"pic.bmp", kPicture}},
     .links = {{"pic.bm", "pic.bmp"}}},
    // Tables and lists: pipes work, endless ones stop.
    {.name = "a picture from standard input has an output in dev, never made", .args = {"-F", "/dev/stdin", "t.txt"},
     .inputs = {{"t.txt", kRedToBlue}}, .out = kOpenError + "/dev/stdi\n", .status = 1, .run = {.stdin_bytes = kPicture}},
    {.name = "a table from a pipe", .args = {"-F", "pic.bmp", "/dev/stdin"}, .inputs = {{"pic.bmp", kPicture}},
     .out = kDone, .outputs = {{"pic.bm", picture_with({{kRed, kBlue}})}}, .run = {.stdin_bytes = kRedToBlue}},
    {.name = "a list from a pipe", .args = {"-L", "/dev/stdin", "t.txt"}, .inputs = list_mode(""),
     .out = "a.bmp\nb.bmp\n" + kListDone, .outputs = {{"a.bm", kAOut}, {"b.bm", kBOut}},
     .run = {.stdin_bytes = "a.bmp\nb.bmp\n"}},
    {.name = "an endless table stops at its bound", .args = kFileArgs, .inputs = {{"pic.bmp", kPicture}},
     .out = kFileTooLarge + "t.txt\n", .status = 1, .absent = {"pic.bm"}, .links = {{"t.txt", "/dev/zero"}}},
    {.name = "an endless list stops at its bound", .args = kListArgs, .inputs = {{"t.txt", kRedToBlue}},
     .out = kFileTooLarge + "list.txt\n" + kListAborted, .status = 1, .links = {{"list.txt", "/dev/zero"}}},
    {.name = "a named pipe as the picture is read once", .args = kFileArgs, .inputs = {{"t.txt", kRedToBlue}},
     .out = kDone, .outputs = {{"pic.bm", picture_with({{kRed, kBlue}})}}, .run = {.fifo = {"pic.bmp", kPicture}}},
    {.name = "list that cannot be read is not taken for a finished one", .args = {"-L", "folder", "t.txt"},
     .inputs = list_mode(""), .out = kReadError + "folder\n" + kListAborted, .status = 1, .links = {{"folder", "."}}},
    {.name = "missing list before missing table", .args = kListArgs, .out = kReadError + "list.txt\n", .status = 1},
    {.name = "missing table in list mode does not abort a picture", .args = {"-L", "list.txt", "none.txt"},
     .inputs = list_mode("a.bmp\n"), .out = kReadError + "none.txt\n", .status = 1, .absent = {"a.bm"}},
    {.name = "the rest of a long line is no listed name", .args = kListArgs,
     .inputs = list_mode("a.bmp\n" + repeat('y', 1023) + "a.bmpx\n"),
     .out = "a.bmp\n" + repeat('y', 1023) + kNameTooLong + repeat('y', 1023) + "\n" + kListAborted, .status = 1,
     .outputs = {{"a.bm", kAOut}}},
    {.name = "a long comment is a comment to its line end", .args = kListArgs,
     .inputs = list_mode("#" + repeat('c', 1022) + "b.bmp\na.bmp\n"), .out = "a.bmp\n" + kListDone,
     .outputs = {{"a.bm", kAOut}}, .absent = {"b.bm"}},
    {.name = "listed name longer than a line read is refused", .args = kListArgs,
     .inputs = list_mode("a.bmp\n" + repeat('n', 1023) + "x.bmp\nb.bmp\n"),
     .out = "a.bmp\n" + repeat('n', 1023) + kNameTooLong + repeat('n', 1023) + "\n" + kListAborted, .status = 1,
     .outputs = {{"a.bm", kAOut}}, .absent = {"b.bm"}},
};

class Tintswap : public testing::TestWithParam<Case> {};
TEST_P(Tintswap, Case) { check_case("tintswap", GetParam()); }
INSTANTIATE_TEST_SUITE_P(Table, Tintswap, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return case_name(info.param); });

// Tables at the capacity of 1,036,970 entries and one above it: every entry
// has its own from colour, so the last one is only found if all are held.
Bytes numbered_table(int entries) {
  Bytes table;
  table.reserve(static_cast<std::size_t>(entries) * 24);
  for (int i = 0; i < entries; ++i)
    table += entry({std::uint8_t(i >> 16), std::uint8_t(i >> 8), std::uint8_t(i)}, {0, 0, 1});
  return table;
}
constexpr int kCapacity = 1036970;
const Rgb kLastColour{std::uint8_t((kCapacity - 1) >> 16), std::uint8_t((kCapacity - 1) >> 8),
                      std::uint8_t(kCapacity - 1)};

TEST(TintswapCapacity, FullTableIsHeldWhole) {
  check_case("tintswap", {.args = kFileArgs, .inputs = file_mode(numbered_table(kCapacity), solid_bmp(2, 1, kLastColour)),
                          .out = kDone, .outputs = {{"pic.bm", solid_bmp(2, 1, {0, 0, 1})}}});
}

// A list at both of its bounds: 1,048,576 names (all but the first
// missing), and 16,777,216 bytes.
TEST(TintswapCapacity, ListAtItsBoundsIsAccepted) {
  Bytes names = "a.bmp\n";
  for (int i = 1; i < (1 << 20); ++i) names += "z\n";
  check_case("tintswap", {.args = kListArgs, .inputs = list_mode(names),
                          .out = "a.bmp\nz\n" + kReadError + "z\n" + kListAborted, .status = 1,
                          .outputs = {{"a.bm", kAOut}}});
  const Bytes full = "a.bmp\n#" + repeat('c', (16 << 20) - 8) + "\n";
  check_case("tintswap", {.args = kListArgs, .inputs = list_mode(full), .out = "a.bmp\n" + kListDone,
                          .outputs = {{"a.bm", kAOut}}});
}

TEST(TintswapCapacity, OneEntryMoreStopsBeforeAnyPicture) {
  const Bytes refused = "カラーテーブルの色指定が多すぎます（最大1036970件）\nt.txt\n";
  check_case("tintswap", {.args = kFileArgs, .inputs = file_mode(numbered_table(kCapacity + 1)), .out = refused,
                          .status = 1, .absent = {"pic.bm"}});
  check_case("tintswap", {.args = kListArgs,
                          .inputs = {{"list.txt", "a.bmp\n"}, {"t.txt", numbered_table(kCapacity + 1)}, {"a.bmp", kA}},
                          .out = refused, .status = 1, .absent = {"a.bm"}});
}

}  // namespace
}  // namespace e2e
