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

// An output's stream, before its first write: unbuffered, so that each
// part goes straight from its buffer or file to the output.
void set_unbuffered(std::FILE* file) { std::setvbuf(file, nullptr, _IONBF, 0); }

// Writes the parts in order from the file's position; the caller closes it.
bool write_parts(std::FILE* file, std::initializer_list<OutputPart> parts) {
  for (const OutputPart& part : parts) {
    if (part.length == 0) continue;
    const bool written = part.source != nullptr ? copy_file_part(file, part)
                                                : std::fwrite(part.bytes, 1, part.length, file) == part.length;
    if (!written) return false;
  }
  return true;
}

std::uint64_t total_length(std::initializer_list<OutputPart> parts) {
  std::uint64_t total = 0;
  for (const OutputPart& part : parts) total += part.length;
  return total;
}

bool is_read_file(const FileIdentity& output, const ReadFiles& reads) {
  for (std::size_t i = 0; i < reads.count; ++i) {
    FileIdentity read;
    if (identify_file(reads.names[i * reads.step], true, read) && read == output) return true;
  }
  return false;
}

// Where the system cannot reserve blocks, the file is made longer with
// zeros first, so that the output's bytes then only overwrite; if even
// that fails the file gets its old length back.
bool make_room(std::FILE* file, std::uint64_t old_length, std::uint64_t length) {
  switch (platform::reserve_room(file, length)) {
    case platform::Room::Reserved: return true;
    case platform::Room::NoRoom: return false;
    case platform::Room::Unknown: break;
  }
  if (length <= old_length) return true;
  std::memset(copy_piece, 0, sizeof copy_piece);
  bool extended = std::fseek(file, static_cast<long>(old_length), SEEK_SET) == 0;
  for (std::uint64_t at = old_length; extended && at < length;) {
    const std::size_t piece = length - at < kCopyPieceSize ? static_cast<std::size_t>(length - at) : kCopyPieceSize;
    extended = std::fwrite(copy_piece, 1, piece, file) == piece;
    at += piece;
  }
  if (extended && std::fseek(file, 0, SEEK_SET) == 0) return true;
  platform::set_length(file, old_length);
  return false;
}

// Writing into the output itself, for the outputs that cannot be replaced.
// Never through a link and never over a file the run reads. A regular file
// is never left torn: its room is made before its first byte changes, it
// is cut to the new length only after the write, and SIGINT, SIGTERM and
// SIGHUP wait until it is whole.
SaveResult write_in_place(const char* name, std::initializer_list<OutputPart> parts, const ReadFiles& reads) {
  std::FILE* file = nullptr;
  switch (platform::open_in_place(name, file)) {
    case platform::Opened::Yes: break;
    case platform::Opened::Link: return SaveResult::LinkNotReplaced;
    case platform::Opened::Failed: return SaveResult::CannotOpen;
  }
  set_unbuffered(file);
  FileIdentity opened;
  if (platform::identify_open(file, opened) && is_read_file(opened, reads)) {
    std::fclose(file);
    return SaveResult::SameAsInput;
  }
  std::uint64_t old_length = 0;
  if (!platform::regular_file_length(file, old_length)) {  // a device or a FIFO, written as it comes
    const bool written = write_parts(file, parts);
    return std::fclose(file) == 0 && written ? SaveResult::Saved : SaveResult::WriteFailed;
  }
  const std::uint64_t length = total_length(parts);
  platform::hold_signals();
  const bool room = make_room(file, old_length, length);
  const bool written = room && write_parts(file, parts) && platform::set_length(file, length);
  const bool closed = std::fclose(file) == 0;
  platform::release_signals();
  return written && closed ? SaveResult::Saved : SaveResult::WriteFailed;
}

// True for a name that can name a file in a folder: not empty, not ending
// in a separator, and short enough for the system's paths.
bool names_a_file(const char* name) {
  const std::size_t length = std::strlen(name);
  return length > 0 && length < kFileNameCapacity && length < platform::kPathCapacity &&
         platform::folder_part_length(name) != length;
}
}  // namespace

SaveResult save_file(const char* name, std::initializer_list<OutputPart> parts, const ReadFiles& reads) {
  if (platform::is_standard_output(name)) return SaveResult::SameAsStandardOutput;
  const platform::Entry entry = platform::look_at_output(name);
  if (entry == platform::Entry::Device) return write_in_place(name, parts, reads);
  if (!names_a_file(name) || platform::in_system_folder(name)) return SaveResult::CannotOpen;
  switch (entry) {
    case platform::Entry::Missing:
    case platform::Entry::File:
    case platform::Entry::Link: break;  // replaced
    case platform::Entry::ReadOnlyFile:
    case platform::Entry::Device:
    case platform::Entry::Other:
    case platform::Entry::Unknown: return SaveResult::CannotOpen;
  }
  std::FILE* file = nullptr;
  switch (platform::create_temporary(name, file)) {
    case platform::Temporary::Created: break;
    case platform::Temporary::NotAllowed: return write_in_place(name, parts, reads);
    case platform::Temporary::NoFolder: return SaveResult::CannotOpen;
    case platform::Temporary::Failed: return SaveResult::WriteFailed;
  }
  set_unbuffered(file);
  const bool written = platform::reserve_room(file, total_length(parts)) != platform::Room::NoRoom &&
                       write_parts(file, parts);
  if (std::fclose(file) != 0 || !written) {
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

std::size_t identify_chain(const char* name, FileIdentity* entries, std::size_t capacity) {
  return platform::identify_chain(name, entries, capacity);
}

bool is_same_file(const char* a, const char* b) {
  FileIdentity first, second;
  return identify_file(a, true, first) && identify_file(b, true, second) && first == second;
}
