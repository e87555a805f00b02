#include "output_file.h"

#include <cstdio>
#include <cstring>

#include "console.h"
#include "platform.h"

namespace {
// Where the system cannot copy file to file, a file part goes through here.
constexpr std::size_t kCopyPieceSize = 1 << 20;
unsigned char copy_piece[kCopyPieceSize];

// Copies a file part from where the system's copy stopped, block by block.
bool copy_in_blocks(std::FILE* out, const OutputPart& part, std::size_t done) {
  if (std::fseek(part.source, static_cast<long>(part.offset + static_cast<std::int64_t>(done)), SEEK_SET) != 0) {
    return false;
  }
  while (done < part.length) {
    const std::size_t piece = part.length - done < kCopyPieceSize ? part.length - done : kCopyPieceSize;
    if (std::fread(copy_piece, 1, piece, part.source) != piece) return false;  // the source ended early
    if (std::fwrite(copy_piece, 1, piece, out) != piece) return false;
    done += piece;
  }
  return true;
}

bool copy_file_part(std::FILE* out, const OutputPart& part) {
  std::size_t done = 0;
  if (!platform::copy_in_system(out, part.source, part.offset, part.length, done)) return false;
  return done == part.length || copy_in_blocks(out, part, done);
}

bool write_parts(std::FILE* file, std::initializer_list<OutputPart> parts) {
  // Unbuffered: each part goes straight from its buffer or file to the output.
  std::setvbuf(file, nullptr, _IONBF, 0);
  bool written = true;
  for (const OutputPart& part : parts) {
    if (!written || part.length == 0) continue;
    written = part.source != nullptr ? copy_file_part(file, part)
                                     : std::fwrite(part.bytes, 1, part.length, file) == part.length;
  }
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

std::uint64_t total_length(std::initializer_list<OutputPart> parts) {
  std::uint64_t total = 0;
  for (const OutputPart& part : parts) total += part.length;
  return total;
}

bool is_read_file(const char* name, const ReadFiles& reads) {
  for (std::size_t i = 0; i < reads.count; ++i)
    if (is_same_file(name, reads.names[i * reads.step])) return true;
  return false;
}

// Writing over the output itself, which truncates it first: only for the
// outputs that cannot be replaced, and never over a file the run reads.
SaveResult write_in_place(const char* name, std::initializer_list<OutputPart> parts, const ReadFiles& reads) {
  if (is_read_file(name, reads)) return SaveResult::SameAsInput;
  std::FILE* file = std::fopen(name, "wb");
  if (file == nullptr) return SaveResult::CannotOpen;
  return write_parts(file, parts) ? SaveResult::Saved : SaveResult::WriteFailed;
}

// True for a name that can name a file in a folder: not empty, not ending
// in a separator, and short enough for the system's paths.
bool names_a_file(const char* name) {
  const std::size_t length = std::strlen(name);
  return length > 0 && length < kFileNameCapacity && length < platform::kPathCapacity &&
         folder_part_length(name) != length;
}

// The outputs that are written where they are rather than replaced.
bool is_written_in_place(platform::Entry entry) {
  switch (entry) {
    case platform::Entry::Missing:
    case platform::Entry::File:
    case platform::Entry::Link: return false;
    case platform::Entry::ReadOnlyFile:
    case platform::Entry::Device:
    case platform::Entry::Other:
    case platform::Entry::Unknown: return true;
  }
  return true;
}
}  // namespace

SaveResult save_file(const char* name, std::initializer_list<OutputPart> parts, const ReadFiles& reads) {
  if (!names_a_file(name) || is_written_in_place(platform::look_at_output(name))) {
    return write_in_place(name, parts, reads);
  }
  std::FILE* file = nullptr;
  switch (platform::create_temporary(name, file)) {
    case platform::Temporary::Created: break;
    case platform::Temporary::NotAllowed: return write_in_place(name, parts, reads);
    case platform::Temporary::NoFolder: return SaveResult::CannotOpen;
    case platform::Temporary::Failed: return SaveResult::WriteFailed;
  }
  if (!platform::reserve_room(file, total_length(parts))) {
    std::fclose(file);
    platform::remove_temporary();
    return SaveResult::WriteFailed;
  }
  if (!write_parts(file, parts)) {
    platform::remove_temporary();
    return SaveResult::WriteFailed;
  }
  switch (platform::replace_with_temporary(name)) {
    case platform::Replaced::Yes: return SaveResult::Saved;
    case platform::Replaced::Refused: {
      // The temporary file proved that the whole output fits.
      const SaveResult in_place = write_in_place(name, parts, reads);
      platform::remove_temporary();
      return in_place;
    }
    case platform::Replaced::Failed: break;
  }
  platform::remove_temporary();
  return SaveResult::WriteFailed;
}

bool identify_file(const char* name, bool through_links, FileIdentity& identity) {
  return platform::identify(name, through_links, identity);
}

bool is_same_file(const char* a, const char* b) {
  FileIdentity first, second;
  return identify_file(a, true, first) && identify_file(b, true, second) && first == second;
}
