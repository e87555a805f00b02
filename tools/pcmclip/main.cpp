// pcmclip: cuts bytes from the head of the sample data of a 44.1 kHz,
// 16-bit, stereo WAV file and sets the total size of the output file,
// cutting the data short or padding it with silence.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console.h"
#include "huge_pages.h"
#include "little_endian.h"
#include "messages.h"
#include "output_file.h"

namespace {
constexpr const char kBanner[] = "音楽データトリミング pcmclip Version 0.90\n";
constexpr const char kUsageTitle[] = "使い方\n";
constexpr const char kUsage[] =
    "　ファイルモード: pcmclip [入力ファイル名] [カットする頭のバイト数] [全体のファイルサイズ]  "
    "（出力ファイル名は[入力ファイル名.wa]）\n";
constexpr const char kInputNameLine[] = "入力ファイル名:%s\n";
constexpr const char kOutputNameLine[] = "出力ファイル名:%s\n";
constexpr const char kHeadCutInvalid[] = "[カットする頭のバイト数]の指定が異常です[%s]\n";
constexpr const char kTotalSizeInvalid[] = "[全体のファイルサイズ]の指定が異常です[%s]\n";
constexpr const char kInputTooLarge[] = "入力データがバッファサイズ(%d バイト)を超えています\n";
constexpr const char kNotWave[] = "WAVEデータではありません\n";
constexpr const char kNotRiff[] = "RIFFデータではありません\n";
constexpr const char kNot44100[] = "44.1KHzではありません\n";
constexpr const char kNot16Bit[] = "１６ビットデータではありません\n";
constexpr const char kNotStereo[] = "ステレオではありません\n";
constexpr const char kNotCanonical[] = "標準の44バイトヘッダのWAVではありません\n";
constexpr const char kInputSizeLine[] = "入力データサイズ:%d　バイト\n";
constexpr const char kHeadCutLine[] = "カットする頭のバイト数:%d バイト\n";
constexpr const char kTotalSizeLine[] = "全体のファイルサイズ:%d バイト\n";
constexpr const char kOutputSizeLine[] = "出力データサイズ:%d　バイト\n";
constexpr const char kDone[] = "トリミング完了\n";

constexpr std::int32_t kBufferCapacity = 104857600;  // 0x6400000, 100 MiB
constexpr std::int64_t kHeaderSize = 44;             // sample data start here

// Header fields the tool tests, at their fixed offsets (little-endian).
constexpr unsigned char kRiff[] = {'R', 'I', 'F', 'F'};
constexpr unsigned char kWave[] = {'W', 'A', 'V', 'E'};
constexpr unsigned char kRate44100[] = {0x44, 0xAC, 0x00, 0x00};
constexpr unsigned char kBits16[] = {0x10, 0x00};
constexpr unsigned char kChannels2[] = {0x02, 0x00};
// The canonical layout: a 16-byte PCM format chunk, then the data chunk.
constexpr unsigned char kFormatChunk[] = {'f', 'm', 't', ' ', 0x10, 0x00, 0x00, 0x00, 0x01, 0x00};
constexpr unsigned char kDataChunk[] = {'d', 'a', 't', 'a'};

// Both buffers are static and zero at start. A run writes only the input
// bytes it reads and the 44 header bytes of the output; the rest of the
// output buffer stays zero and serves as the silence that pads the file, so
// a small file costs little memory.
alignas(kHugePageAlignment) unsigned char input_buffer[kBufferCapacity];
unsigned char output_buffer[kBufferCapacity];
FileName input_name;
FileName output_name;

// Reads the input file into the input buffer with block reads, cut at its
// capacity, and gives the number of bytes held. Bytes after them stay zero.
std::int32_t load_input_or_fail() {
  std::FILE* file = std::fopen(input_name.text, "rb");
  if (file == nullptr) fail_with_name(msg::kReadError, input_name.text);
  // Unbuffered, so the reads land in the input buffer without a second copy.
  std::setvbuf(file, nullptr, _IONBF, 0);
  // Huge pages cut the page faults of a 100 MiB read from 25,600 to about
  // 50; only the pages a read reaches are backed.
  advise_huge_pages(input_buffer, sizeof input_buffer);
  const std::size_t held = std::fread(input_buffer, 1, sizeof input_buffer, file);
  // Only a byte that arrives when the buffer is full makes the input too large.
  const bool beyond = held == sizeof input_buffer && std::fgetc(file) != EOF;
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  // A file that cannot be read to its end (a folder, a device error) would
  // otherwise be trimmed as if it had ended there.
  if (failed) fail_with_name(msg::kReadError, input_name.text);
  if (beyond) std::printf(kInputTooLarge, kBufferCapacity);
  return static_cast<std::int32_t>(held);
}

template <std::size_t n>
bool input_holds(std::size_t at, const unsigned char (&expected)[n]) {
  return std::memcmp(input_buffer + at, expected, n) == 0;
}

// The five header tests, in this order, then the layout: the data must
// really start at byte 44, or the trim would cut and relabel the wrong
// bytes (an extra chunk, a longer format chunk, samples that are not PCM).
// A file shorter than a field is tested against the zero bytes after its end.
void check_header_or_fail() {
  if (!input_holds(8, kWave)) fail(kNotWave);
  if (!input_holds(0, kRiff)) fail(kNotRiff);
  if (!input_holds(24, kRate44100)) fail(kNot44100);
  if (!input_holds(34, kBits16)) fail(kNot16Bit);
  if (!input_holds(22, kChannels2)) fail(kNotStereo);
  if (!input_holds(12, kFormatChunk) || !input_holds(36, kDataChunk)) fail(kNotCanonical);
}

// The output file, T bytes: the input's header with both size fields set
// from T, the sample data from byte 44 + H on, then zero bytes; cut at T.
// Counted in 64 bits, so that no H or T can wrap a length.
struct Layout {
  ByteSpan header, samples, silence;
};

Layout build_output(std::int32_t input_size, std::int32_t head_cut, std::int32_t total_size) {
  std::memcpy(output_buffer, input_buffer, kHeaderSize);
  write_le32(output_buffer + 4, std::int64_t{total_size} - 8);
  write_le32(output_buffer + 40, std::int64_t{total_size} - 44);

  const std::int64_t header = std::min<std::int64_t>(kHeaderSize, total_size);
  const std::int64_t first_sample = kHeaderSize + head_cut;
  const std::int64_t samples =
      std::max<std::int64_t>(0, std::min<std::int64_t>(input_size - first_sample, total_size - kHeaderSize));
  const std::int64_t silence = total_size - header - samples;
  return {{output_buffer, static_cast<std::size_t>(header)},
          {input_buffer + (samples > 0 ? first_sample : 0), static_cast<std::size_t>(samples)},
          {output_buffer + header + samples, static_cast<std::size_t>(silence)}};
}

void save_output_or_fail(const Layout& layout) {
  switch (save_file(output_name.text, {layout.header, layout.samples, layout.silence})) {
    case SaveResult::Saved: return;
    case SaveResult::CannotOpen: fail_with_name(msg::kOpenError, output_name.text);
    case SaveResult::WriteFailed: fail(msg::kWriteFailed);
  }
}
}  // namespace

int main(int argc, char** argv) {
  start_run();
  if (argc - 1 < 3) usage_exit({kBanner, kUsageTitle, kUsage});
  set_file_name(input_name, argv[1]);
  derive_output_name(output_name, argv[1], LineCut::Keep);
  std::printf(kInputNameLine, input_name.text);
  std::printf(kOutputNameLine, output_name.text);

  const std::int32_t head_cut = numeric_argument_or_fail(argv[2], kHeadCutInvalid);
  const std::int32_t total_size = numeric_argument_or_fail(argv[3], kTotalSizeInvalid);
  // The whole output must fit the output buffer.
  if (total_size > kBufferCapacity) fail_argument(kTotalSizeInvalid, argv[3]);

  const std::int32_t input_size = load_input_or_fail();
  check_header_or_fail();
  std::printf(kInputSizeLine, input_size);
  std::printf(kHeadCutLine, head_cut);
  std::printf(kTotalSizeLine, total_size);

  save_output_or_fail(build_output(input_size, head_cut, total_size));
  std::printf(kOutputSizeLine, total_size);
  print_message(kDone);
  return 0;
}
