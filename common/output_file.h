// Writing a program's output so that a failure never costs the user a file:
// the bytes go to a new temporary file beside the output, which replaces
// the output in one step only once every write and the close have
// succeeded. A failed run leaves the output as it was (or absent), never
// partly written, and two runs writing one output leave the whole result of
// one of them.
#pragma once

#include <cstddef>
#include <initializer_list>

struct ByteSpan {
  const unsigned char* bytes;
  std::size_t length;
};

enum class SaveResult { Saved, CannotOpen, WriteFailed };

// Writes the parts, in order, as the whole content of the named file.
// - An existing output keeps its permission bits; a new one gets those a
//   plain create gives (0666 less the umask).
// - A symbolic link stays a link: the file it points to is replaced.
// - An output that is not a regular file (/dev/null, a device, a FIFO), one
//   that is not writable, a link that points nowhere, and an output whose
//   folder does not allow a new file are written directly, in place (or
//   refused there, as a read-only file is).
// CannotOpen when the output cannot be created or opened at all;
// WriteFailed when a write, the close or the replacement fails, after the
// temporary file is removed.
SaveResult save_file(const char* name, std::initializer_list<ByteSpan> parts);

// True when both names open the same existing file, however spelt (through
// a link, another path, a hard link): same device and file number.
bool is_same_file(const char* a, const char* b);
