// Writing a program's output so that a failure never costs the user a file:
// the bytes go to a new temporary file beside the output, which replaces
// the output in one step only once every write and the close have
// succeeded. A failed run leaves the output as it was (or absent), never
// partly written, and two runs writing one output leave the whole result of
// one of them.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>

// A piece of an output: bytes in memory or, with a source, length bytes of
// an open file from an offset on, which the system copies file to file
// where it can (no trip through the program's memory).
struct OutputPart {
  const unsigned char* bytes;
  std::size_t length;
  std::FILE* source = nullptr;
  std::int64_t offset = 0;
};

// The files a run reads: every step-th name of an array, count names.
struct ReadFiles {
  const char* const* names;
  std::size_t count;
  std::size_t step = 1;
};

enum class SaveResult { Saved, CannotOpen, WriteFailed, SameAsInput, LinkNotReplaced, SameAsStandardOutput };

// Writes the parts, in order, as the whole content of the named file.
// - An output that is the file or pipe standard output goes to (/dev/stdout,
//   /dev/fd/1, a file the shell redirected it to) is refused before anything
//   is written: SameAsStandardOutput. A device named directly is not.
// - A new output gets the permission bits a plain create gives (0666 less
//   the umask); an existing one keeps its permission bits, and its group
//   (and owner, for root) where the system lets the writer set them.
// - An existing output that nobody may write (no write permission for the
//   writer, or none at all, for root) is refused: CannotOpen.
// - An output that is a symbolic link is replaced by the new file: the file
//   it points to is never written. A link that cannot be replaced is
//   refused, link and file unchanged: LinkNotReplaced.
// - Nothing in /dev or /proc is created or replaced (CannotOpen); a device
//   or FIFO named directly, there or anywhere, is written where it is.
// - Written in place instead, and only then: a device or FIFO, an output in
//   a folder that allows no new file (no permission, a read-only file
//   system), and an output whose replacement the system refuses once the
//   temporary file was written whole (a sticky folder, a bind mount).
//   Written in place over one of the files the run reads, an output would
//   destroy it: SameAsInput, before anything is written. A file written in
//   place is never left torn: a full disk, a quota or a file-size limit is
//   found before its first byte changes (WriteFailed, the file as it was),
//   and SIGINT, SIGTERM and SIGHUP wait until it is whole.
// CannotOpen when the output cannot be created or opened at all;
// WriteFailed when a write, the close or the replacement fails (a full
// disk, a quota, a file-size limit), after the temporary file is removed.
// SIGINT, SIGTERM and SIGHUP (Ctrl-C, Ctrl-Break and closing the console on
// Windows) while the temporary file exists remove it, then end the process
// as the signal would; a signal already ignored (nohup) stays ignored.
SaveResult save_file(const char* name, std::initializer_list<OutputPart> parts, const ReadFiles& reads);

// An existing file as the system knows it, however its name is spelt: its
// device (volume) and file number.
struct FileIdentity {
  std::uint64_t device;
  std::uint64_t file;
  auto operator<=>(const FileIdentity&) const = default;
};
// The identity of the file a name opens (through links), or with
// through_links false of the name's own directory entry (a link itself);
// false when there is no such file.
bool identify_file(const char* name, bool through_links, FileIdentity& identity);

// The directory entries a name passes through to the file it opens: its
// own, each link of its chain in turn, and the file at the end if there is
// one (at most capacity). Returns how many. A chain holds at most
// kLongestChain entries: the system follows at most 40 links in a row.
inline constexpr std::size_t kLongestChain = 42;
std::size_t identify_chain(const char* name, FileIdentity* entries, std::size_t capacity);

// True when both names open the same existing file, however spelt (through
// a link, another path, a hard link).
bool is_same_file(const char* a, const char* b);
