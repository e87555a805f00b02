// What differs between the systems the programs run on, behind one small
// interface: platform_posix.cpp and platform_windows.cpp each hold all of
// it for their system, and the build compiles the one for its target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "output_file.h"

namespace platform {

// ---- Saving outputs (output_file.cpp) ----

// The longest path the system's file functions take, its NUL included.
extern const std::size_t kPathCapacity;

// What an output's name stands for before it is written: the directory
// entry itself, not what a link names.
enum class Entry {
  Missing,       // nothing by that name
  File,          // a regular file the writer may write
  ReadOnlyFile,  // a regular file the writer may not write
  Link,          // a symbolic link (or another reparse point)
  Device,        // a device, FIFO or console: written where it is
  Other,         // a folder, a socket
  Unknown,       // the name cannot be looked at (a folder without search permission)
};
// Looks at the name, and remembers what a file replacing an existing one
// keeps of it (see create_temporary).
Entry look_at_output(const char* name);

enum class Temporary { Created, NotAllowed, NoFolder, Failed };
// Creates a new hidden file in the folder of target, open for writing.
// It gets what look_at_output found to keep: the permission bits of a new
// file (0666 less the umask), or those of the output it replaces, and its
// group where the writer may set it (its owner too, for root). From here
// until the file is gone, SIGINT, SIGTERM and SIGHUP (Ctrl-C, Ctrl-Break and
// closing the console on Windows) remove it, then end the process as the
// signal would; a signal already ignored stays ignored. NotAllowed: the
// folder allows no new file at all (permission, a read-only file system);
// NoFolder: there is no such folder; Failed: anything else (a full disk,
// no inode to spare, a quota).
Temporary create_temporary(const char* target, std::FILE*& file);

enum class Replaced { Yes, Refused, Failed };
// Puts the temporary file, written and closed, in the target's place in
// one step. Refused: the system refuses to replace the target although it
// could be written (a sticky folder, a bind-mounted file); the temporary
// file is still there.
Replaced replace_with_temporary(const char* target);
// Removes the temporary file.
void remove_temporary();

// Makes the file's blocks for its first length bytes before they are
// written, so that a full disk or a quota shows at once. False only when
// there is no room.
bool reserve_room(std::FILE* file, std::uint64_t length);

// Copies length bytes of from, from offset on, to the position of to, in
// the system (file to file) where it can. done counts the bytes copied;
// false when the copy failed or the source ended early, true when it is
// complete or the rest must be copied by the caller.
bool copy_in_system(std::FILE* to, std::FILE* from, std::int64_t offset, std::size_t length, std::size_t& done);

// The identity of the file a name opens (through links), or with
// through_links false of the name's own directory entry.
bool identify(const char* name, bool through_links, FileIdentity& identity);

}  // namespace platform
