#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include <csignal>

#include <gtest/gtest.h>

#include "harness.h"

namespace e2e {
namespace {

const Bytes kUsage =
    "音楽データトリミング pcmclip Version 0.90\n"
    "使い方\n"
    "　ファイルモード: pcmclip [入力ファイル名] [カットする頭のバイト数] [全体のファイルサイズ]  "
    "（出力ファイル名は[入力ファイル名.wa]）\n";

// The canonical 44-byte header with the given size fields and format.
Bytes wav_header(std::int64_t riff_size, std::int64_t data_size, std::uint16_t channels = 2,
                 std::uint32_t rate = 44100, std::uint16_t bits = 16) {
  const auto block = static_cast<std::uint16_t>(channels * bits / 8);
  return "RIFF" + le(std::uint32_t(riff_size), 4) + "WAVE" + "fmt " + le(16, 4) + le(1, 2) + le(channels, 2) +
         le(rate, 4) + le(rate * block, 4) + le(block, 2) + le(bits, 2) + "data" + le(std::uint32_t(data_size), 4);
}
// What the output starts with for a total size T: both size fields from T.
Bytes header_for(std::int64_t total) { return wav_header(total - 8, total - 44); }

// Sample data that show every byte's place; the input's size fields are
// wrong on purpose, so that a test sees them rewritten.
const Bytes kData = "ABCDEFGHIJKLMNOP";
const Bytes kWav = wav_header(0xFFFFFFFF, 0x12345678) + kData;  // N = 60
const std::vector<File> kInput = {{"song.wav", kWav}};

Bytes names(const std::string& input, const std::string& output) {
  return "入力ファイル名:" + input + "\n出力ファイル名:" + output + "\n";
}
Bytes sizes(std::int64_t n, std::int64_t h, std::int64_t t) {
  return "入力データサイズ:" + std::to_string(n) + "　バイト\n" + "カットする頭のバイト数:" + std::to_string(h) +
         " バイト\n" + "全体のファイルサイズ:" + std::to_string(t) + " バイト\n";
}
Bytes done(std::int64_t t) { return "出力データサイズ:" + std::to_string(t) + "　バイト\nトリミング完了\n"; }
const Bytes kNames = names("song.wav", "song.wa");

// A successful trim of song.wav with head cut h and total size t.
Case trim(const std::string& name, std::int64_t h, std::int64_t t, const Bytes& expected, const Bytes& input = kWav) {
  return {.name = name, .args = {"song.wav", std::to_string(h), std::to_string(t)}, .inputs = {{"song.wav", input}},
          .out = kNames + sizes(std::int64_t(input.size()), h, t) + done(t), .outputs = {{"song.wa", expected}}};
}
// A run of song.wav that stops after the name lines with these lines.
Case refused(const std::string& name, const std::string& h, const std::string& t, const Bytes& lines,
             const Bytes& input = kWav) {
  return {.name = name, .args = {"song.wav", h, t}, .inputs = {{"song.wav", input}}, .out = kNames + lines,
          .status = 1, .absent = {"song.wa"}};
}

const Bytes kHeadCutInvalid = "[カットする頭のバイト数]の指定が異常です[%s]\n";
const Bytes kTotalSizeInvalid = "[全体のファイルサイズ]の指定が異常です[%s]\n";
const Bytes kNotWave = "WAVEデータではありません\n";
const Bytes kNotRiff = "RIFFデータではありません\n";
const Bytes kNot44100 = "44.1KHzではありません\n";
const Bytes kNot16Bit = "１６ビットデータではありません\n";
const Bytes kNotStereo = "ステレオではありません\n";
const Bytes kNoFormatChunk = "fmtチャンクがありません\n";
const Bytes kNotPcm = "リニアPCMではありません\n";
const Bytes kNoDataChunk = "dataチャンクがありません\n";

// 5,000 bytes of samples.
const Bytes kLong = wav_header(0, 0) + [] {
  Bytes data;
  for (int i = 0; i < 5000; ++i) data += static_cast<char>('a' + i % 26);
  return data;
}();

// Chunk layouts that other tools write, each with the samples of kData
// (see make_files.py).
Bytes as_written(const std::string& layout) { return test_file(layout + ".wav"); }
// The canonical format chunk, its name and size included.
const Bytes kFormatChunk = wav_header(0, 0).substr(12, 24);
// Where the format chunk's fields lie in a file with a 28-byte JUNK chunk
// before it.
constexpr std::size_t kJunkedFormat = 12 + 8 + 28 + 8;

const Case kCases[] = {
    // Arguments: the name lines come before any check.
    {.name = "two arguments give the usage", .args = {"song.wav", "0"}, .out = kUsage, .status = 1},
    {.name = "empty numbers count as 0", .args = {"song.wav", "", ""}, .inputs = kInput,
     .out = kNames + sizes(60, 0, 0) + done(0), .outputs = {{"song.wa", ""}}},
    {.name = "leading zeros, extra arguments ignored", .args = {"song.wav", "004", "048", "x"}, .inputs = kInput,
     .out = kNames + sizes(60, 4, 48) + done(48), .outputs = {{"song.wa", header_for(48) + "EFGH"}}},
    refused("head cut with a sign", "+4", "60", with(kHeadCutInvalid, "+4")),
    refused("head cut with a blank, before a bad total", "4 ", "x", with(kHeadCutInvalid, "4 ")),
    refused("total size negative", "0", "-1", with(kTotalSizeInvalid, "-1")),
    refused("head cut above int32 is refused", "2147483648", "60", with(kHeadCutInvalid, "2147483648")),
    refused("total size above int32 is refused", "0", "4294967340", with(kTotalSizeInvalid, "4294967340")),
    refused("total size above the output buffer", "0", "104857601", with(kTotalSizeInvalid, "104857601")),
    {.name = "numbers are checked before the file", .args = {"gone.wav", "0", "x"},
     .out = names("gone.wav", "gone.wa") + with(kTotalSizeInvalid, "x"), .status = 1},
    {.name = "name of 1024 bytes is refused before the name lines", .args = {repeat('n', 1024), "0", "0"},
     .out = "ファイル名が長すぎます\n" + repeat('n', 1024) + "\n", .status = 1},
    {.name = "missing input", .args = {"gone.wav", "0", "0"},
     .out = names("gone.wav", "gone.wa") + "ファイルリードエラー\ngone.wav\n", .status = 1},
    {.name = "percent in the name prints as itself", .args = {"%s%d.wav", "0", "0"},
     .out = names("%s%d.wav", "%s%d.wa") + "ファイルリードエラー\n%s%d.wav\n", .status = 1},
    {.name = "a folder cannot be read", .args = {"song.wav", "0", "0"},
     .out = kNames + "ファイルリードエラー\nsong.wav\n", .status = 1, .absent = {"song.wa"},
     .links = {{"song.wav", "."}}},
    // Header tests in their order; bytes after a short file read as zero.
    refused("neither RIFF nor WAVE reports WAVE", "0", "60", kNotWave, with_bytes(kWav, 0, "RIFX....WAVX")),
    refused("RIFF after WAVE", "0", "60", kNotRiff, with_bytes(kWav, 0, "riff")),
    refused("48 kHz, 8-bit mono reports the rate", "0", "60", kNot44100, wav_header(0, 0, 1, 48000, 8)),
    refused("8-bit mono reports the bits", "0", "60", kNot16Bit, wav_header(0, 0, 1, 44100, 8) + kData),
    refused("mono", "0", "60", kNotStereo, wav_header(0, 0, 1) + kData),
    refused("bits read as two bytes", "0", "60", kNot16Bit, with_bytes(kWav, 35, "\1")),
    refused("empty file", "0", "60", kNotWave, ""),
    refused("file ending before the bits field", "0", "60", kNot16Bit, kWav.substr(0, 34)),
    refused("file ending before the data chunk", "0", "60", kNoDataChunk, kWav.substr(0, 36)),
    // The chunks, wherever they are.
    trim("a LIST chunk before the data", 0, 60, header_for(60) + kData, as_written("list-before-data")),
    trim("the head cut counts from the first sample", 4, 52, header_for(52) + "EFGHIJKL", as_written("list-before-data")),
    trim("a JUNK chunk before the format", 0, 60, header_for(60) + kData, as_written("junk-before-format")),
    trim("chunks of odd size and their pad bytes", 0, 60, header_for(60) + kData, as_written("odd-chunk-before-data")),
    trim("an 18-byte format chunk", 0, 60, header_for(60) + kData, as_written("format-18")),
    trim("an extensible format chunk of PCM", 0, 60, header_for(60) + kData, as_written("extensible")),
    trim("the data before the format", 0, 60, header_for(60) + kData, as_written("data-before-format")),
    trim("a data size not filled in runs to the end", 2, 58, header_for(58) + "CDEFGHIJKLMNOP",
         as_written("size-not-filled-in")),
    trim("a data size past the end runs to the end", 0, 64, header_for(64) + kData + Bytes(4, '\0'),
         as_written("size-past-the-end")),
    trim("the samples end with the data chunk", 0, 64, header_for(64) + kData + Bytes(4, '\0'),
         as_written("list-after-data")),
    trim("a 70 KB JUNK chunk before the format", 0, 60, header_for(60) + kData,
         "RIFF" + le(0, 4) + "WAVE" + "JUNK" + le(70000, 4) + Bytes(70000, 'j') + kFormatChunk + "data" + le(16, 4) + kData),
    trim("200 KB of data before the format", 0, 60, header_for(60) + kData.substr(0, 8) + Bytes(8, 'd'),
         "RIFF" + le(0, 4) + "WAVE" + "data" + le(200000, 4) + kData.substr(0, 8) + Bytes(200000 - 8, 'd') + kFormatChunk),
    refused("the rate is read from the format chunk", "0", "60", kNot44100,
            with_bytes(as_written("junk-before-format"), kJunkedFormat + 4, le(48000, 4))),
    refused("the channels are read from the format chunk", "0", "60", kNotStereo,
            with_bytes(as_written("junk-before-format"), kJunkedFormat + 2, le(1, 2))),
    refused("no format chunk", "0", "60", kNoFormatChunk, "RIFF" + le(28, 4) + "WAVE" + "data" + le(16, 4) + kData),
    refused("format tag 3", "0", "60", kNotPcm, with_bytes(kWav, 20, le(3, 2))),
    refused("an extensible format chunk of another subformat", "0", "60", kNotPcm,
            with_bytes(as_written("extensible"), 12 + 8 + 24, le(3, 2))),
    refused("no data chunk", "0", "60", kNoDataChunk, with_bytes(kWav, 36, "dat!")),
    // The trim.
    trim("H 0 and T N keeps the data and sets both sizes", 0, 60, header_for(60) + kData),
    trim("H 4 drops the first frame", 4, 56, header_for(56) + "EFGHIJKLMNOP"),
    trim("H 2 shifts the channels", 2, 54, header_for(54) + "CDEFGHIJKL"),
    trim("odd H splits the samples", 3, 57, header_for(57) + "DEFGHIJKLMNOP"),
    trim("T beyond the data pads with zeros", 12, 52, header_for(52) + "MNOP" + Bytes(4, '\0')),
    trim("T short of the data cuts it", 0, 47, header_for(47) + "ABC"),
    trim("H at the end of the data leaves silence", 16, 50, header_for(50) + Bytes(6, '\0')),
    trim("H of int32 max leaves silence", 2147483647, 46, header_for(46) + Bytes(2, '\0')),
    trim("T of 44 is the header alone", 0, 44, header_for(44)),
    trim("T below 44 cuts the header inside a size field", 0, 6, "RIFF" + le(0xFFFE, 2)),
    trim("T of 0 gives an empty file", 5, 0, ""),
    // Output.
    {.name = "one-byte name gives an empty output name", .args = {"w", "0", "60"}, .inputs = {{"w", kWav}},
     .out = names("w", "") + sizes(60, 0, 60) + "ファイルオープンエラー\n\n", .status = 1},
    {.name = "an existing output is replaced", .args = {"song.wav", "0", "44"},
     .inputs = {kInput[0], {"song.wa", Bytes(100, 'x')}}, .out = kNames + sizes(60, 0, 44) + done(44),
     .outputs = {{"song.wa", header_for(44)}}},
    {.name = "an output that is a link is replaced, the file it names stays", .args = {"song.wav", "0", "60"},
     .inputs = {kInput[0], {"keys", "ssh-ed25519 AAAA"}}, .out = kNames + sizes(60, 0, 60) + done(60),
     .outputs = {{"song.wa", header_for(60) + kData}, {"keys", "ssh-ed25519 AAAA"}}, .links = {{"song.wa", "keys"}}},
    {.name = "failed write of a few bytes is not reported as success", .args = {"song.wav", "0", "6"},
     .inputs = kInput, .out = kNames + sizes(60, 0, 6) + "ファイルの書き込みに失敗しました\n", .status = 1,
     .absent = {"song.wa"}, .run = {.file_size_limit = 3}},
    // A signal during the write removes the temporary file, then ends the
    // run as the signal would (what was printed is lost in its buffer).
    {.name = "SIGTERM during the write leaves nothing behind", .args = {"song.wav", "0", "104857600"},
     .inputs = kInput, .status = 128 + SIGTERM, .absent = {"song.wa"}, .run = {.signal = SIGTERM}},
    {.name = "SIGINT during the write leaves the old output", .args = {"song.wav", "0", "104857600"},
     .inputs = {kInput[0], {"song.wa", "old"}}, .status = 128 + SIGINT, .outputs = {{"song.wa", "old"}},
     .run = {.signal = SIGINT}},
    {.name = "SIGHUP during the write leaves nothing behind", .args = {"song.wav", "0", "104857600"},
     .inputs = kInput, .status = 128 + SIGHUP, .absent = {"song.wa"}, .run = {.signal = SIGHUP}},
    {.name = "a write beyond the file-size limit leaves the old output whole", .args = {"song.wav", "0", "5044"},
     .inputs = {{"song.wav", kLong}, {"song.wa", "old"}},
     .out = kNames + sizes(5044, 0, 5044) + "ファイルの書き込みに失敗しました\n", .status = 1,
     .outputs = {{"song.wa", "old"}}, .run = {.file_size_limit = 1000}},
    {.name = "a failed new output leaves no file", .args = {"song.wav", "0", "5044"}, .inputs = {{"song.wav", kLong}},
     .out = kNames + sizes(5044, 0, 5044) + "ファイルの書き込みに失敗しました\n", .status = 1, .absent = {"song.wa"},
     .run = {.file_size_limit = 1000}},
};

class Pcmclip : public testing::TestWithParam<Case> {};
TEST_P(Pcmclip, Case) { check_case("pcmclip", GetParam()); }
INSTANTIATE_TEST_SUITE_P(Table, Pcmclip, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return case_name(info.param); });

// An input of the given length (sparse after its first bytes).
void write_sized(const TempDir& dir, const std::string& name, const Bytes& head, off_t length) {
  dir.write(name, head);
  ASSERT_EQ(truncate((dir.path() + "/" + name).c_str(), length), 0);
}

TEST(PcmclipBuffer, WarnsOnlyWhenAByteArrivesAfterAFullBuffer) {
  TempDir dir;
  const Bytes head = header_for(0) + "abcd";
  const Bytes warning = "入力データがバッファサイズ(104857600 バイト)を超えています\n";
  for (const off_t length : {104857600, 104857601}) {
    SCOPED_TRACE(length);
    write_sized(dir, "big.wav", head, length);
    const RunResult run = run_tool("pcmclip", {"big.wav", "0", "48"}, dir.path());
    EXPECT_EQ(run.out, names("big.wav", "big.wa") + (length > 104857600 ? warning : "") +
                           sizes(104857600, 0, 48) + done(48));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.read("big.wa"), header_for(48) + "abcd");
  }
}

TEST(PcmclipBuffer, DataOfAFullBufferIsCutAtItsEnd) {
  TempDir dir;
  Bytes head = header_for(0) + "abcd";
  write_sized(dir, "big.wav", head, 104857601);
  {  // the last byte the buffer holds, and the one after it
    std::FILE* f = std::fopen((dir.path() + "/big.wav").c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 104857599, SEEK_SET);
    std::fputs("YZ", f);
    std::fclose(f);
  }
  const RunResult run = run_tool("pcmclip", {"big.wav", "104857554", "48"}, dir.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(dir.read("big.wa"), header_for(48) + Bytes("\0Y\0\0", 4));
}

// A trim of kWav to the total size: its samples, then silence.
std::vector<std::string> trim_args(std::int64_t total) { return {"song.wav", "0", std::to_string(total)}; }
bool is_trim_to(const Bytes& out, std::int64_t total) {
  return static_cast<std::int64_t>(out.size()) == total && out.compare(0, 60, header_for(total) + kData) == 0 &&
         out.find_first_not_of('\0', 60) == Bytes::npos;
}
constexpr std::int64_t kWholeBuffer = 104857600;
// Long enough to write that a signal lands in the middle of it.
constexpr std::int64_t kLongWrite = 20 << 20;

TEST(PcmclipBuffer, TotalSizeOfTheWholeOutputBuffer) {
  TempDir dir;
  dir.write("song.wav", kWav);
  const RunResult run = run_tool("pcmclip", trim_args(kWholeBuffer), dir.path());
  EXPECT_EQ(run.out, kNames + sizes(60, 0, kWholeBuffer) + done(kWholeBuffer));
  EXPECT_TRUE(is_trim_to(dir.read("song.wa"), kWholeBuffer));
}

// A signal ignored when the run starts (nohup) stays ignored: the write
// finishes and the run succeeds.
TEST(PcmclipSignals, AnIgnoredSighupLetsTheWriteFinish) {
  if (windows_tools()) GTEST_SKIP() << "Windows: POSIX signals";
  TempDir dir;
  dir.write("song.wav", kWav);
  const RunResult run =
      run_tool("pcmclip", trim_args(kLongWrite), dir.path(), {.signal = SIGHUP, .ignored_signals = {SIGHUP}});
  EXPECT_EQ(run.out, kNames + sizes(60, 0, kLongWrite) + done(kLongWrite));
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(is_trim_to(dir.read("song.wa"), kLongWrite));
  EXPECT_EQ(dir.names().size(), 2u) << "a temporary file was left";
}

// Written in place (the folder allows no new file), an output that SIGTERM
// interrupts at any moment is the old file or the new one, whole. The
// signal comes at five moments spread over an uninterrupted run's time.
TEST(PcmclipSignals, SigtermDuringAWriteInPlaceLeavesTheOldOrTheNewFileWhole) {
  if (windows_tools()) GTEST_SKIP() << "Windows: POSIX signals";
  TempDir dir;
  dir.write("song.wav", kWav);
  const std::string folder = dir.path(), output = folder + "/song.wa";
  auto run_in_place = [&](std::int64_t signal_after_us) {
    dir.write("song.wa", "old");
    chmod(output.c_str(), 0666);
    chmod(folder.c_str(), 0555);
    const RunResult run = run_tool("pcmclip", trim_args(kLongWrite), folder,
                                   {.signal = signal_after_us >= 0 ? SIGTERM : 0,
                                    .signal_after_us = signal_after_us, .as_other_user = true});
    chmod(folder.c_str(), 0700);
    return run;
  };
  timespec start{}, end{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  ASSERT_EQ(run_in_place(-1).status, 0);
  clock_gettime(CLOCK_MONOTONIC, &end);
  ASSERT_TRUE(is_trim_to(dir.read("song.wa"), kLongWrite)) << "not written";
  const std::int64_t took_us = (end.tv_sec - start.tv_sec) * 1000000 + (end.tv_nsec - start.tv_nsec) / 1000;
  for (int moment = 1; moment <= 5; ++moment) {
    const RunResult run = run_in_place(took_us * moment / 6);
    const Bytes out = dir.read("song.wa");
    EXPECT_TRUE(run.status == 0 || run.status == 128 + SIGTERM) << "status " << run.status;
    EXPECT_TRUE(out == "old" || is_trim_to(out, kLongWrite)) << "moment " << moment << ": torn, " << out.size() << " bytes";
    EXPECT_EQ(dir.names().size(), 2u) << "a file was left";
  }
}

TEST(PcmclipMemory, SmallInputTouchesLittleOfTheBuffers) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer runtime has a large footprint of its own";
#endif
  if (windows_tools()) GTEST_SKIP() << "wine, which runs the tool, has a large footprint of its own";
  TempDir dir;
  write_sized(dir, "song.wav", header_for(0), 1 << 20);
  const RunResult run = run_tool("pcmclip", {"song.wav", "0", "2097152"}, dir.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_LT(run.max_rss_kib, 8 * 1024);
}

}  // namespace
}  // namespace e2e
