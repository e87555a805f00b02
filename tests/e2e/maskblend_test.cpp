#include <gtest/gtest.h>

#include <thread>

#include "blend_reference.h"
#include "harness.h"
#include "messages.h"

namespace e2e {
namespace {

const Bytes kBanner = "画像合成アルファ対応 maskblend Version 0.90\n";
const Bytes kUsage =
    "使い方:maskblend [背景ファイル名] [キャラファイル名] [アルファファイル名] [出力ファイル名] [X] [Y]\n";

// A 5 x 4 background (odd width, so rows carry padding), a 2 x 3 sprite and
// its alpha with every kind of opacity.
const Bytes kBackground = bmp(5, 4, [](int x, int y) { return Rgb{uint8_t(40 * x), uint8_t(60 * y), 100}; });
const Bytes kSprite = bmp(2, 3, [](int x, int y) { return Rgb{200, uint8_t(10 + 90 * x), uint8_t(250 - 70 * y)}; });
const Bytes kAlpha = bmp(2, 3, [](int x, int y) { return Rgb{uint8_t(128 - y), uint8_t(255 * x), uint8_t(64 * y)}; });
const Bytes kClear = solid_bmp(2, 3, {0, 0, 0});
const Bytes kOpaque = solid_bmp(2, 3, {255, 255, 255});

const std::vector<File> kInputs = {{"bg.bmp", kBackground}, {"sp.bmp", kSprite}, {"al.bmp", kAlpha}};
std::vector<File> inputs_with(const File& replaced) {
  std::vector<File> files = kInputs;
  for (File& f : files)
    if (f.name == replaced.name) f = replaced;
  return files;
}
std::vector<std::string> args(const std::string& x, const std::string& y) {
  return {"bg.bmp", "sp.bmp", "al.bmp", "out.bmp", x, y};
}


const std::string kLongName = repeat('n', 1024);
// A background whose result takes more pages than the old output it is
// written over.
const Bytes kLargeBackground = solid_bmp(100, 100, {1, 2, 3});
const Bytes kOldOutput = repeat('o', 1200);
const Bytes kBlend00 = reference_blend(kBackground, kSprite, kAlpha, 0, 0);

const Case kCases[] = {
    // Argument count and numbers.
    {.name = "five arguments give the usage", .args = {"bg.bmp", "sp.bmp", "al.bmp", "out.bmp", "0"},
     .out = kBanner + kUsage, .status = 1},
    {.name = "extra arguments are ignored", .args = {"bg.bmp", "sp.bmp", "al.bmp", "out.bmp", "3", "1", "x"},
     .inputs = kInputs, .out = with(kCompositeDone, "out.bmp"),
     .outputs = {{"out.bmp", reference_blend(kBackground, kSprite, kAlpha, 3, 1)}}},
    {.name = "empty X and leading zeros", .args = args("", "001"), .inputs = kInputs, .out = with(kCompositeDone, "out.bmp"),
     .outputs = {{"out.bmp", reference_blend(kBackground, kSprite, kAlpha, 0, 1)}}},
    {.name = "X with a sign", .args = args("+5", "0"), .out = "Xが異常です[+5]\n", .status = 1},
    {.name = "X negative", .args = args("-1", "0"), .out = "Xが異常です[-1]\n", .status = 1},
    {.name = "X decimal", .args = args("5.0", "0"), .out = "Xが異常です[5.0]\n", .status = 1},
    {.name = "X with a blank", .args = args("5 ", "0"), .out = "Xが異常です[5 ]\n", .status = 1},
    {.name = "X above int32 is refused, not wrapped", .args = args("4294967296", "0"),
     .out = "Xが異常です[4294967296]\n", .status = 1},
    {.name = "Y after X", .args = args("0", "1x"), .out = "Yが異常です[1x]\n", .status = 1},
    {.name = "Y above int32", .args = args("0", "2147483648"), .out = "Yが異常です[2147483648]\n", .status = 1},
    // Files: existence in order, then same names, then signatures.
    {.name = "missing background", .args = args("0", "0"), .out = "ファイルリードエラー\nbg.bmp\n", .status = 1},
    {.name = "missing alpha", .args = args("0", "0"), .inputs = {kInputs[0], kInputs[1]},
     .out = "ファイルリードエラー\nal.bmp\n", .status = 1},
    {.name = "existence before same name", .args = {"bg.bmp", "sp.bmp", "al.bmp", "bg.bmp", "0", "0"},
     .inputs = {kInputs[0], kInputs[1]}, .out = "ファイルリードエラー\nal.bmp\n", .status = 1},
    {.name = "a folder opens but cannot be read", .args = args("0", "0"), .inputs = {kInputs[1], kInputs[2]},
     .out = "ファイルリードエラー\nbg.bmp\n", .status = 1, .links = {{"bg.bmp", "."}}},
    {.name = "percent in a name prints as itself", .args = {"b%s%d.bmp", "sp.bmp", "al.bmp", "o.bmp", "0", "0"},
     .out = "ファイルリードエラー\nb%s%d.bmp\n", .status = 1},
    {.name = "background is output", .args = {"bg.bmp", "sp.bmp", "al.bmp", "bg.bmp", "0", "0"}, .inputs = kInputs,
     .out = "[背景ファイル名] と [出力ファイル名] が同じです\n", .status = 1},
    {.name = "sprite is output", .args = {"bg.bmp", "sp.bmp", "al.bmp", "sp.bmp", "0", "0"}, .inputs = kInputs,
     .out = "[キャラファイル名] と [出力ファイル名] が同じです\n", .status = 1},
    {.name = "alpha is output", .args = {"bg.bmp", "sp.bmp", "al.bmp", "al.bmp", "0", "0"}, .inputs = kInputs,
     .out = "[アルファファイル名] と [出力ファイル名] が同じです\n", .status = 1},
    {.name = "an input spelt another way is replaced by the whole result",
     .args = {"bg.bmp", "sp.bmp", "al.bmp", "./sp.bmp", "0", "0"}, .inputs = kInputs,
     .out = with(kCompositeDone, "./sp.bmp"), .outputs = {{"sp.bmp", reference_blend(kBackground, kSprite, kAlpha, 0, 0)}}},
    {.name = "names differing in case are different", .args = {"bg.bmp", "sp.bmp", "al.bmp", "BG.bmp", "0", "0"},
     .inputs = kInputs, .out = with(kCompositeDone, "BG.bmp"),
     .outputs = {{"BG.bmp", reference_blend(kBackground, kSprite, kAlpha, 0, 0)}}},
    {.name = "background not BMP", .args = args("0", "0"), .inputs = inputs_with({"bg.bmp", "PK\3\4 not a picture"}),
     .out = "BMPデータではありません\nbg.bmp\n", .status = 1, .absent = {"out.bmp"}},
    {.name = "sprite not BMP", .args = args("0", "0"), .inputs = inputs_with({"sp.bmp", "MB"}),
     .out = "BMPデータではありません\nsp.bmp\n", .status = 1},
    {.name = "alpha not BMP", .args = args("0", "0"), .inputs = inputs_with({"al.bmp", ""}),
     .out = "BMPデータではありません\nal.bmp\n", .status = 1},
    // Sizes and fit.
    {.name = "widths differ before heights", .args = args("0", "0"), .inputs = inputs_with({"al.bmp", solid_bmp(3, 4, {})}),
     .out = "キャラとアルファの幅が違います\n", .status = 1},
    {.name = "heights differ", .args = args("0", "0"), .inputs = inputs_with({"al.bmp", solid_bmp(2, 2, {})}),
     .out = "キャラとアルファの高さが違います\n", .status = 1},
    {.name = "sizes before position", .args = args("9", "9"), .inputs = inputs_with({"al.bmp", solid_bmp(2, 2, {})}),
     .out = "キャラとアルファの高さが違います\n", .status = 1},
    {.name = "last column on the right edge", .args = args("3", "1"), .inputs = kInputs, .out = with(kCompositeDone, "out.bmp"),
     .outputs = {{"out.bmp", reference_blend(kBackground, kSprite, kAlpha, 3, 1)}}},
    {.name = "one column too far", .args = args("4", "0"), .inputs = kInputs, .out = "横がはみ出ます\n", .status = 1,
     .absent = {"out.bmp"}},
    {.name = "one row too far", .args = args("0", "2"), .inputs = kInputs, .out = "縦がはみ出ます\n", .status = 1},
    {.name = "sideways reported first", .args = args("4", "2"), .inputs = kInputs, .out = "横がはみ出ます\n", .status = 1},
    {.name = "huge X does not wrap", .args = args("2147483647", "0"), .inputs = kInputs, .out = "横がはみ出ます\n",
     .status = 1},
    {.name = "huge Y does not wrap", .args = args("0", "2147483647"), .inputs = kInputs, .out = "縦がはみ出ます\n",
     .status = 1},
    {.name = "negative background height: its rows read top-down", .args = args("0", "0"),
     .inputs = inputs_with({"bg.bmp", with_le32(kBackground, 22, -4)}), .out = with(kCompositeDone, "out.bmp"),
     .outputs = {{"out.bmp", reference_blend(upside_down(kBackground), kSprite, kAlpha, 0, 0)}}},
    {.name = "background larger than the buffer", .args = args("0", "0"),
     .inputs = inputs_with({"bg.bmp", with_le32(with_le32(kBackground, 18, 1921), 22, 1080)}),
     .out = "画像サイズが異常です\nbg.bmp\n", .status = 1, .absent = {"out.bmp"}},
    {.name = "negative background width", .args = args("0", "0"),
     .inputs = {{"bg.bmp", with_le32(kBackground, 18, -1)}, {"sp.bmp", with_le32(kSprite, 18, -5)},
                {"al.bmp", with_le32(kAlpha, 18, -5)}},
     .out = kUnreadableFormat + "bg.bmp\n", .status = 1},
    {.name = "sprite and alpha of negative width are not passed over as empty", .args = args("0", "0"),
     .inputs = inputs_with({"sp.bmp", with_le32(kSprite, 18, -5)}), .out = kUnreadableFormat + "sp.bmp\n",
     .status = 1},
    // The blend.
    {.name = "clear alpha keeps the background", .args = args("1", "1"), .inputs = inputs_with({"al.bmp", kClear}),
     .out = with(kCompositeDone, "out.bmp"), .outputs = {{"out.bmp", kBackground}}},
    {.name = "opaque alpha copies the sprite", .args = args("1", "1"), .inputs = inputs_with({"al.bmp", kOpaque}),
     .out = with(kCompositeDone, "out.bmp"),
     .outputs = {{"out.bmp", reference_blend(kBackground, kSprite, kOpaque, 1, 1)}}},
    {.name = "worked value 100 200 64 gives 125", .args = {"b.bmp", "s.bmp", "a.bmp", "o.bmp", "0", "0"},
     .inputs = {{"b.bmp", solid_bmp(1, 1, {100, 100, 100})}, {"s.bmp", solid_bmp(1, 1, {200, 200, 200})},
                {"a.bmp", solid_bmp(1, 1, {64, 0, 255})}},
     .out = with(kCompositeDone, "o.bmp"), .outputs = {{"o.bmp", solid_bmp(1, 1, {125, 100, 200})}}},
    {.name = "black over black gives 1", .args = {"b.bmp", "s.bmp", "a.bmp", "o.bmp", "0", "0"},
     .inputs = {{"b.bmp", solid_bmp(1, 1, {0, 0, 0})}, {"s.bmp", solid_bmp(1, 1, {0, 0, 0})},
                {"a.bmp", solid_bmp(1, 1, {128, 128, 128})}},
     .out = with(kCompositeDone, "o.bmp"), .outputs = {{"o.bmp", solid_bmp(1, 1, {1, 1, 1})}}},
    {.name = "sprite of the background size", .args = {"b.bmp", "s.bmp", "a.bmp", "o.bmp", "0", "0"},
     .inputs = {{"b.bmp", kSprite}, {"s.bmp", kAlpha}, {"a.bmp", kAlpha}}, .out = with(kCompositeDone, "o.bmp"),
     .outputs = {{"o.bmp", reference_blend(kSprite, kAlpha, kAlpha, 0, 0)}}},
    {.name = "zero-width sprite still needs the alpha width", .args = args("5", "0"),
     .inputs = inputs_with({"sp.bmp", bmp_header(0, 3)}), .out = "キャラとアルファの幅が違います\n", .status = 1},
    {.name = "zero-size sprite and alpha", .args = args("5", "4"),
     .inputs = {kInputs[0], {"sp.bmp", bmp_header(0, 0)}, {"al.bmp", bmp_header(0, 0)}},
     .out = with(kCompositeDone, "out.bmp"), .outputs = {{"out.bmp", kBackground}}},
    {.name = "short background is padded, long one cut", .args = args("0", "0"),
     .inputs = {{"bg.bmp", kBackground.substr(0, 60)}, {"sp.bmp", bmp_header(0, 0)}, {"al.bmp", bmp_header(0, 0) + "tail"}},
     .out = with(kCompositeDone, "out.bmp"), .outputs = {{"out.bmp", kBackground.substr(0, 60) + Bytes(kBackground.size() - 60, '\0')}}},
    {.name = "trailing bytes of the background are dropped", .args = args("0", "0"),
     .inputs = {{"bg.bmp", kBackground + "trailer"}, {"sp.bmp", bmp_header(0, 0)}, {"al.bmp", bmp_header(0, 0)}},
     .out = with(kCompositeDone, "out.bmp"), .outputs = {{"out.bmp", kBackground}}},
    // Output.
    {.name = "output cannot be opened", .args = {"bg.bmp", "sp.bmp", "al.bmp", "no/out.bmp", "0", "0"},
     .inputs = kInputs, .out = "ファイルオープンエラー\nno/out.bmp\n", .status = 1},
    {.name = "failed write is reported", .args = {"bg.bmp", "sp.bmp", "al.bmp", "/dev/full", "0", "0"},
     .inputs = kInputs, .out = "ファイルの書き込みに失敗しました\n/dev/full\n", .status = 1},
    // Replacing the output: whole or not at all.
    {.name = "a failed write leaves the earlier output whole", .args = args("0", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"out.bmp", "good"}},
     .out = "ファイルの書き込みに失敗しました\nout.bmp\n", .status = 1, .outputs = {{"out.bmp", "good"}},
     .run = {.file_size_limit = 100}},
    {.name = "an output that is a link is replaced, the file it names stays", .args = args("0", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"real.bmp", "old"}}, .out = with(kCompositeDone, "out.bmp"),
     .outputs = {{"out.bmp", reference_blend(kBackground, kSprite, kAlpha, 0, 0)}, {"real.bmp", "old"}},
     .links = {{"out.bmp", "real.bmp"}}},
    {.name = "an existing output keeps its permission bits", .args = args("0", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"out.bmp", "old", 0604}}, .out = with(kCompositeDone, "out.bmp"),
     .outputs = {{"out.bmp", reference_blend(kBackground, kSprite, kAlpha, 0, 0), 0604}}},
    // Replacing needs a new file beside the output; where there can be none,
    // the output is written in place, never over a file the run reads. Run
    // as another user than root, which would ignore the permission bits.
    {.name = "a read-only output is refused", .args = args("0", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"out.bmp", "old", 0444}}, .out = kOpenError + "out.bmp\n",
     .status = 1, .outputs = {{"out.bmp", "old", 0444}}, .run = {.as_other_user = true}},
    {.name = "a read-only output is refused to root too", .args = args("0", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"out.bmp", "old", 0444}}, .out = kOpenError + "out.bmp\n",
     .status = 1, .outputs = {{"out.bmp", "old", 0444}}},
    {.name = "a writable output in a read-only folder is written in place", .args = args("0", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"out.bmp", "old", 0646}}, .out = with(kCompositeDone, "out.bmp"),
     .outputs = {{"out.bmp", kBlend00, 0646}}, .run = {.as_other_user = true, .folder_mode = 0555}},
    {.name = "an output link in a read-only folder is refused, also to an input", .args = args("0", "0"),
     .inputs = kInputs, .out = kOutputIsLink + "out.bmp\n", .status = 1, .outputs = {{"bg.bmp", kBackground}},
     .links = {{"out.bmp", "bg.bmp"}}, .run = {.as_other_user = true, .folder_mode = 0555}},
    {.name = "an input spelt another way as the output is not written in place",
     .args = {"bg.bmp", "sp.bmp", "al.bmp", "./sp.bmp", "0", "0"}, .inputs = {kInputs[0], {"sp.bmp", kSprite, 0666}, kInputs[2]},
     .out = kOutputIsInput + "./sp.bmp\n", .status = 1, .outputs = {{"sp.bmp", kSprite}},
     .run = {.as_other_user = true, .folder_mode = 0555}},
    {.name = "in a sticky folder another user's writable output is written in place", .args = args("0", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"out.bmp", "old", 0666, 0, 0}},
     .out = with(kCompositeDone, "out.bmp"), .outputs = {{"out.bmp", kBlend00, 0666, 0, 0}},
     .run = {.as_other_user = true, .folder_mode = 01777}},
    {.name = "a replaced output keeps its group where the writer is in it", .args = args("0", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"out.bmp", "old", 0664, 0, 60000}},
     .out = with(kCompositeDone, "out.bmp"), .outputs = {{"out.bmp", kBlend00, 0664, kOtherUser, 60000}},
     .run = {.as_other_user = true, .groups = {60000}}},
    {.name = "replaced by root, an output keeps its owner and group", .args = args("0", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"out.bmp", "old", 0640, 1234, 4321}},
     .out = with(kCompositeDone, "out.bmp"), .outputs = {{"out.bmp", kBlend00, 0640, 1234, 4321}}},
    {.name = "a longer output written in place is cut to the new length", .args = args("0", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"out.bmp", kOldOutput, 0646}}, .out = with(kCompositeDone, "out.bmp"),
     .outputs = {{"out.bmp", kBlend00, 0646}}, .run = {.as_other_user = true, .folder_mode = 0555}},
    {.name = "a file-size limit leaves an output written in place as it was", .args = args("0", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"out.bmp", "good", 0666}}, .out = kWriteFailed + "out.bmp\n",
     .status = 1, .outputs = {{"out.bmp", "good"}},
     .run = {.file_size_limit = 100, .as_other_user = true, .folder_mode = 0555}},
    // A link is never written through, also where it cannot be replaced.
    {.name = "an output link in a read-only folder is refused, the file it names unchanged", .args = args("0", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"keys", "ssh-ed25519 AAAA", 0666}},
     .out = kOutputIsLink + "out.bmp\n", .status = 1, .outputs = {{"keys", "ssh-ed25519 AAAA"}},
     .links = {{"out.bmp", "keys"}}, .run = {.as_other_user = true, .folder_mode = 0555}},
    {.name = "an output link in a sticky folder is refused, the file it names unchanged", .args = args("0", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"keys", "ssh-ed25519 AAAA", 0666, kOtherUser, kOtherUser}},
     .out = kOutputIsLink + "out.bmp\n", .status = 1, .outputs = {{"keys", "ssh-ed25519 AAAA"}},
     .links = {{"out.bmp", "keys"}}, .run = {.as_other_user = true, .folder_mode = 01777}},
    {.name = "an output link on a read-only mount is refused, the file it names unchanged",
     .args = {"bg.bmp", "sp.bmp", "al.bmp", "ro/out.bmp", "0", "0"},
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"keys", "ssh-ed25519 AAAA", 0666}},
     .out = kOutputIsLink + "ro/out.bmp\n", .status = 1, .outputs = {{"keys", "ssh-ed25519 AAAA"}},
     .links = {{"ro/out.bmp", "../keys"}}, .run = {.as_other_user = true, .read_only_mount = "ro"}},
    // Written in place, a file is never torn: a full disk shows before its first byte changes.
    {.name = "a full disk leaves an output written in place as it was", .args = args("0", "0"),
     .inputs = {{"bg.bmp", kLargeBackground}, kInputs[1], kInputs[2], {"out.bmp", kOldOutput, 0666}},
     .out = kWriteFailed + "out.bmp\n", .status = 1, .outputs = {{"out.bmp", kOldOutput}},
     .run = {.as_other_user = true, .folder_mode = 0555, .no_free_space = true}},
    // Standard output never receives the picture among the messages.
    {.name = "dev stdout as the output is refused", .args = {"bg.bmp", "sp.bmp", "al.bmp", "/dev/stdout", "0", "0"},
     .inputs = kInputs, .out = kOutputIsStandardOutput + "/dev/stdout\n", .status = 1, .run = {.as_other_user = true}},
    {.name = "dev fd 1 as the output is refused", .args = {"bg.bmp", "sp.bmp", "al.bmp", "/dev/fd/1", "0", "0"},
     .inputs = kInputs, .out = kOutputIsStandardOutput + "/dev/fd/1\n", .status = 1, .run = {.as_other_user = true}},
    {.name = "with no inode for a new file the output is not written in place", .args = args("0", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"out.bmp", "good"}}, .out = kWriteFailed + "out.bmp\n",
     .status = 1, .outputs = {{"out.bmp", "good"}}, .run = {.no_free_inodes = true}},
    {.name = "a named pipe as background is read once", .args = args("0", "0"), .inputs = {kInputs[1], kInputs[2]},
     .out = with(kCompositeDone, "out.bmp"), .outputs = {{"out.bmp", kBlend00}}, .run = {.fifo = kInputs[0]}},
    {.name = "a lost completion message fails the run", .args = args("0", "0"), .inputs = kInputs, .status = 1,
     .outputs = {{"out.bmp", reference_blend(kBackground, kSprite, kAlpha, 0, 0)}}, .run = {.stdout_full = true}},
    {.name = "a failed check leaves an existing output alone", .args = args("4", "0"),
     .inputs = {kInputs[0], kInputs[1], kInputs[2], {"out.bmp", "keep"}}, .out = "横がはみ出ます\n", .status = 1,
     .outputs = {{"out.bmp", "keep"}}},
    {.name = "name of 1024 bytes is refused", .args = {kLongName, "sp.bmp", "al.bmp", "out.bmp", "0", "0"},
     .out = "ファイル名が長すぎます\n" + kLongName + "\n", .status = 1},
    // A UTF-8 terminal shows the messages in UTF-8 and names as typed (in
    // UTF-8 too); a pipe gets the code page 932 bytes whatever the locale,
    // and so does a terminal whose locale (LC_ALL first) is not UTF-8.
    {.name = "on a UTF-8 terminal the messages are UTF-8",
     .args = {"bg.bmp", "sp.bmp", "al.bmp", utf8(u8"出力.bmp"), "0", "0"}, .inputs = kInputs,
     .out = utf8(u8"合成完了:[出力.bmp]\n"), .outputs = {{utf8(u8"出力.bmp"), kBlend00}},
     .run = {.environment = {"LANG=C.UTF-8"}, .terminal = true}},
    {.name = "on a UTF-8 terminal a name follows its message as typed",
     .args = {utf8(u8"背景.bmp"), "sp.bmp", "al.bmp", "out.bmp", "0", "0"}, .inputs = kInputs,
     .out = utf8(u8"ファイルリードエラー\n背景.bmp\n"), .status = 1,
     .run = {.environment = {"LC_CTYPE=ja_JP.utf8"}, .terminal = true}},
    {.name = "to a pipe the messages stay code page 932 in a UTF-8 locale",
     .args = {"bg.bmp", "sp.bmp", "al.bmp", utf8(u8"出力.bmp"), "0", "0"}, .inputs = kInputs,
     .out = "合成完了:[" + utf8(u8"出力.bmp") + "]\n", .outputs = {{utf8(u8"出力.bmp"), kBlend00}},
     .run = {.environment = {"LANG=C.UTF-8"}}},
    {.name = "on a terminal of another locale the messages stay code page 932", .args = args("0", "0"),
     .out = "ファイルリードエラー\nbg.bmp\n", .status = 1,
     .run = {.environment = {"LANG=C.UTF-8", "LC_ALL=C"}, .terminal = true}},
};

// Two runs writing one output at once: the output is always the whole
// result of one of them, never a mix.
TEST(MaskblendConcurrent, TwoRunsToOneOutputLeaveOneWholeResult) {
  // Files larger than any one write buffer; an opaque sprite over half the
  // background, at the top or at the bottom.
  const Rgb ground{10, 20, 30}, paint{200, 100, 0};
  auto rows = [](Rgb c, int count) {
    const Bytes pixel{static_cast<char>(c.b), static_cast<char>(c.g), static_cast<char>(c.r)};
    Bytes row;
    for (int x = 0; x < 1920; ++x) row += pixel;
    Bytes all;
    for (int y = 0; y < count; ++y) all += row;
    return all;
  };
  const Bytes header = bmp_header(1920, 1080), half_header = bmp_header(1920, 540);
  TempDir dir;
  dir.write("bg.bmp", header + rows(ground, 1080));
  dir.write("sp.bmp", half_header + rows(paint, 540));
  dir.write("al.bmp", half_header + rows({255, 255, 255}, 540));
  const Bytes top = header + rows(ground, 540) + rows(paint, 540);  // rows are stored bottom-up
  const Bytes bottom = header + rows(paint, 540) + rows(ground, 540);
  for (int round = 0; round < 20; ++round) {
    std::thread other([&] { run_tool("maskblend", args("0", "540"), dir.path()); });
    run_tool("maskblend", args("0", "0"), dir.path());
    other.join();
    const Bytes result = dir.read("out.bmp");
    ASSERT_TRUE(result == top || result == bottom) << "round " << round << ": not the whole result of one run";
  }
}

class Maskblend : public testing::TestWithParam<Case> {};
TEST_P(Maskblend, Case) { check_case("maskblend", GetParam()); }
INSTANTIATE_TEST_SUITE_P(Table, Maskblend, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return case_name(info.param); });

}  // namespace
}  // namespace e2e
