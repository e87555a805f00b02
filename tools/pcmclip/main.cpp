// pcmclip: cuts bytes from the head of the sample data of a 44.1 kHz,
// 16-bit, stereo PCM WAV file and sets the total size of the output file,
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
#include "platform.h"

namespace {
constexpr Message kBanner = MESSAGE("音楽データトリミング pcmclip Version 0.90\n");
constexpr Message kUsageTitle = MESSAGE("使い方\n");
constexpr Message kUsage = MESSAGE(
    "　ファイルモード: pcmclip [入力ファイル名] [カットする頭のバイト数] [全体のファイルサイズ]  "
    "（出力ファイル名は[入力ファイル名.wa]）\n");
constexpr Message kInputNameLine = MESSAGE("入力ファイル名:%s\n");
constexpr Message kOutputNameLine = MESSAGE("出力ファイル名:%s\n");
constexpr Message kHeadCutInvalid = MESSAGE("[カットする頭のバイト数]の指定が異常です[%s]\n");
constexpr Message kTotalSizeInvalid = MESSAGE("[全体のファイルサイズ]の指定が異常です[%s]\n");
constexpr Message kInputTooLarge = MESSAGE("入力データがバッファサイズ(%d バイト)を超えています\n");
constexpr Message kNotWave = MESSAGE("WAVEデータではありません\n");
constexpr Message kNotRiff = MESSAGE("RIFFデータではありません\n");
constexpr Message kNot44100 = MESSAGE("44.1KHzではありません\n");
constexpr Message kNot16Bit = MESSAGE("１６ビットデータではありません\n");
constexpr Message kNotStereo = MESSAGE("ステレオではありません\n");
constexpr Message kNoFormatChunk = MESSAGE("fmtチャンクがありません\n");
constexpr Message kNotPcm = MESSAGE("リニアPCMではありません\n");
constexpr Message kNoDataChunk = MESSAGE("dataチャンクがありません\n");
constexpr Message kInputSizeLine = MESSAGE("入力データサイズ:%d　バイト\n");
constexpr Message kHeadCutLine = MESSAGE("カットする頭のバイト数:%d バイト\n");
constexpr Message kTotalSizeLine = MESSAGE("全体のファイルサイズ:%d バイト\n");
constexpr Message kOutputSizeLine = MESSAGE("出力データサイズ:%d　バイト\n");
constexpr Message kDone = MESSAGE("トリミング完了\n");

constexpr std::int32_t kBufferCapacity = 104857600;  // 0x6400000, 100 MiB
constexpr std::int64_t kHeaderSize = 44;             // of the output
constexpr std::int64_t kFirstChunk = 12;             // after "RIFF", its size and "WAVE"
constexpr std::int64_t kChunkHeaderSize = 8;         // its name and its size
constexpr std::int64_t kFormatFieldsSize = 40;       // of the longest format chunk read
constexpr std::int64_t kReadAhead = 65536;           // the front of a file, in one read
constexpr std::uint32_t kToTheEnd = 0xFFFFFFFF;      // a data size not filled in

constexpr unsigned char kRiff[] = {'R', 'I', 'F', 'F'};
constexpr unsigned char kWave[] = {'W', 'A', 'V', 'E'};
constexpr unsigned char kFormatName[] = {'f', 'm', 't', ' '};
constexpr unsigned char kDataName[] = {'d', 'a', 't', 'a'};
// Format chunk fields, at their offsets in the chunk (little-endian).
constexpr std::int64_t kFormatTagField = 0, kChannelsField = 2, kRateField = 4, kBitsField = 14;
constexpr std::int64_t kSubformatField = 24;  // of WAVE_FORMAT_EXTENSIBLE
constexpr unsigned char kRate44100[] = {0x44, 0xAC, 0x00, 0x00};
constexpr unsigned char kBits16[] = {0x10, 0x00};
constexpr unsigned char kChannels2[] = {0x02, 0x00};
constexpr std::uint16_t kFormatPcm = 1, kFormatExtensible = 0xFFFE;
constexpr unsigned char kPcmSubformat[] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                           0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// What every output starts with: a 16-byte PCM format chunk (44,100 Hz,
// 16 bits, 2 channels) and the data chunk; both sizes are set from T.
constexpr unsigned char kCanonicalHeader[kHeaderSize] = {
    'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0,
    2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0, 4, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};

// Both buffers are static and zero at start. A run writes only the input
// bytes it reads and the 44 header bytes of the output; the rest of the
// output buffer stays zero and serves as the silence that pads the file, so
// a small file costs little memory.
alignas(kHugePageAlignment) unsigned char input_buffer[kBufferCapacity];
unsigned char output_buffer[kBufferCapacity];
FileName input_name;
FileName output_name;

// The input file. Of a regular file the buffer gets the front, as far as
// the chunks need, and the samples are copied file to file when the output
// is saved; anything else (a pipe, a device) is read whole into the buffer.
// The file is open only while it is read and while the output is saved.
struct Input {
  std::FILE* file;
  bool regular;
  std::int64_t held;  // bytes of the file in the buffer, from byte 0
  std::int64_t size;  // N: the bytes the run works on, at most the buffer's capacity
};
Input input;

// Reads on until the buffer holds the first `end` bytes of the file, or
// all that the run works on.
void read_to(std::int64_t end) {
  const std::int64_t limit = input.regular ? input.size : kBufferCapacity;
  end = std::min(end, limit);
  if (input.held >= end || input.file == nullptr) return;  // all there is, or read whole
  const auto wanted = static_cast<std::size_t>(std::min(std::max(end - input.held, kReadAhead), limit - input.held));
  input.held += static_cast<std::int64_t>(std::fread(input_buffer + input.held, 1, wanted, input.file));
}

// Closes the input; a file that could not be read to its end (a folder, a
// device error) would otherwise be trimmed as if it had ended there.
void close_input_or_fail() {
  const bool failed = std::ferror(input.file) != 0;
  std::fclose(input.file);
  input.file = nullptr;
  if (failed) fail_with_name(msg::kReadError, input_name.text);
}

void open_input_file_or_fail() {
  input.file = std::fopen(input_name.text, "rb");
  if (input.file == nullptr) fail_with_name(msg::kReadError, input_name.text);
  // Unbuffered, so the reads land in the input buffer without a second copy.
  std::setvbuf(input.file, nullptr, _IONBF, 0);
}

// Opens the input and finds its size; only a byte that arrives when the
// buffer is full makes it too large.
void open_input_or_fail() {
  open_input_file_or_fail();
  // Huge pages cut the page faults of a 100 MiB read from 25,600 to about
  // 50; only the pages a read reaches are backed.
  advise_huge_pages(input_buffer, sizeof input_buffer);
  std::uint64_t file_size = 0;
  input.regular = platform::regular_file_length(input.file, file_size);
  bool beyond = false;
  if (input.regular) {
    input.size = static_cast<std::int64_t>(std::min<std::uint64_t>(file_size, kBufferCapacity));
    beyond = file_size > kBufferCapacity;
  } else {
    read_to(kBufferCapacity);
    input.size = input.held;
    beyond = input.held == kBufferCapacity && std::fgetc(input.file) != EOF;
    close_input_or_fail();
  }
  if (beyond) print_number(kInputTooLarge, kBufferCapacity);
}

// Fields of the input, by their place in the file; bytes after the end of
// what the run works on read as zero.
template <std::size_t n>
bool input_holds(std::int64_t at, const unsigned char (&expected)[n]) {
  return at + static_cast<std::int64_t>(n) <= kBufferCapacity && std::memcmp(input_buffer + at, expected, n) == 0;
}
std::uint16_t input_le16(std::int64_t at) { return at + 2 <= kBufferCapacity ? read_le16(input_buffer + at) : 0; }

struct Chunk {
  bool found;
  std::int64_t body;  // where its contents start
  std::uint32_t size;
};

// The first format chunk and the first data chunk, wherever they are:
// other chunks (LIST, fact, JUNK, ...) are skipped, each with the pad byte
// that follows a chunk of odd size. A data chunk whose size is not filled
// in, or reaches past the file's end, runs to the end: nothing follows it.
struct Chunks {
  Chunk format, data;
};

Chunks find_chunks() {
  Chunks chunks{};
  read_to(kReadAhead);
  for (std::int64_t at = kFirstChunk; !(chunks.format.found && chunks.data.found);) {
    if (at + kChunkHeaderSize > input.size) break;
    read_to(at + kChunkHeaderSize);
    const unsigned char* header = input_buffer + at;
    const std::uint32_t size = read_le32(header + 4);
    const Chunk chunk{true, at + kChunkHeaderSize, size};
    if (!chunks.format.found && std::memcmp(header, kFormatName, 4) == 0) {
      chunks.format = chunk;
      read_to(chunk.body + kFormatFieldsSize);
    } else if (!chunks.data.found && std::memcmp(header, kDataName, 4) == 0) {
      chunks.data = chunk;
      if (size == kToTheEnd || chunk.body + size > input.size) break;
    }
    at = chunk.body + size + (size & 1);
  }
  if (input.file != nullptr) close_input_or_fail();
  return chunks;
}

// Where the samples end: at the data chunk's end, or at the end of the file.
std::int64_t data_end(const Chunk& data) {
  return data.size == kToTheEnd || data.body + data.size > input.size ? input.size : data.body + data.size;
}

bool is_pcm(const Chunk& format) {
  const std::uint16_t tag = input_le16(format.body + kFormatTagField);
  if (tag == kFormatPcm) return format.size >= 16;
  return tag == kFormatExtensible && format.size >= kFormatFieldsSize &&
         input_holds(format.body + kSubformatField, kPcmSubformat);
}

// The five header tests in this order, the last three on the fields of the
// format chunk; then the samples must be PCM and have a data chunk.
void check_header_or_fail(const Chunks& chunks) {
  if (!input_holds(8, kWave)) fail(kNotWave);
  if (!input_holds(0, kRiff)) fail(kNotRiff);
  if (!chunks.format.found) fail(kNoFormatChunk);
  const std::int64_t format = chunks.format.body;
  if (!input_holds(format + kRateField, kRate44100)) fail(kNot44100);
  if (!input_holds(format + kBitsField, kBits16)) fail(kNot16Bit);
  if (!input_holds(format + kChannelsField, kChannels2)) fail(kNotStereo);
  if (!is_pcm(chunks.format)) fail(kNotPcm);
  if (!chunks.data.found) fail(kNoDataChunk);
}

// The output file, T bytes: the canonical header with both size fields set
// from T, the samples from the H-th byte on, then zero bytes; cut at T.
// Counted in 64 bits, so that no H or T can wrap a length.
struct Layout {
  OutputPart header, samples, silence;
};

Layout build_output(const Chunk& data, std::int32_t head_cut, std::int32_t total_size) {
  std::memcpy(output_buffer, kCanonicalHeader, kHeaderSize);
  write_le32(output_buffer + 4, std::int64_t{total_size} - 8);
  write_le32(output_buffer + 40, std::int64_t{total_size} - kHeaderSize);

  const std::int64_t header = std::min<std::int64_t>(kHeaderSize, total_size);
  const std::int64_t first_sample = data.body + head_cut;
  const std::int64_t samples =
      std::max<std::int64_t>(0, std::min<std::int64_t>(data_end(data) - first_sample, total_size - kHeaderSize));
  const std::int64_t silence = total_size - header - samples;
  const auto sample_bytes = static_cast<std::size_t>(samples);
  const OutputPart sample_part =
      input.regular ? OutputPart{nullptr, sample_bytes, nullptr, first_sample}  // the file is opened to save
                    : OutputPart{input_buffer + (samples > 0 ? first_sample : 0), sample_bytes};
  return {{output_buffer, static_cast<std::size_t>(header)},
          sample_part,
          {output_buffer + header + samples, static_cast<std::size_t>(silence)}};
}

void save_output_or_fail(Layout layout) {
  const char* const read[] = {input_name.text};
  if (input.regular) {
    open_input_file_or_fail();
    layout.samples.source = input.file;
  }
  const SaveResult saved = save_file(output_name.text, {layout.header, layout.samples, layout.silence}, {read, 1});
  if (input.regular) std::fclose(input.file);
  switch (saved) {
    case SaveResult::Saved: return;
    case SaveResult::CannotOpen: fail_with_name(msg::kOpenError, output_name.text);
    case SaveResult::WriteFailed: fail(msg::kWriteFailed);
    case SaveResult::SameAsInput: fail_with_name(msg::kOutputIsInput, output_name.text);
    case SaveResult::LinkNotReplaced: fail_with_name(msg::kOutputIsLink, output_name.text);
    case SaveResult::SameAsStandardOutput: fail_with_name(msg::kOutputIsStandardOutput, output_name.text);
  }
}
}  // namespace

int main(int argc, char** argv) {
  start_run();
  if (argc - 1 < 3) usage_exit({kBanner, kUsageTitle, kUsage});
  set_file_name(input_name, argv[1]);
  derive_output_name(output_name, argv[1], LineCut::Keep);
  print_argument(kInputNameLine, input_name.text);
  print_argument(kOutputNameLine, output_name.text);

  const std::int32_t head_cut = numeric_argument_or_fail(argv[2], kHeadCutInvalid);
  const std::int32_t total_size = numeric_argument_or_fail(argv[3], kTotalSizeInvalid);
  // The whole output must fit the output buffer.
  if (total_size > kBufferCapacity) fail_argument(kTotalSizeInvalid, argv[3]);

  open_input_or_fail();
  const Chunks chunks = find_chunks();
  check_header_or_fail(chunks);
  print_number(kInputSizeLine, static_cast<int>(input.size));
  print_number(kHeadCutLine, head_cut);
  print_number(kTotalSizeLine, total_size);

  save_output_or_fail(build_output(chunks.data, head_cut, total_size));
  print_number(kOutputSizeLine, total_size);
  print_message(kDone);
  return 0;
}
