// What differs between the systems the programs run on, behind one small
// interface: platform_posix.cpp and platform_windows.cpp each hold all of
// it for their system, and the build compiles the one for its target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "output_file.h"

namespace platform {

// ---- Constants ----

// The command processors std::system may run a line with.
enum class CommandProcessor {
  Sh,   // the POSIX shell
  Cmd,  // cmd.exe
};

// kCommandProcessor: the one std::system runs a line with.
// kFolderSeparator: what the programs put between a folder and a name.
// kPathListSeparator: what separates the entries of PATH.
// kProgramEndings: the endings a program's name is tried with, in order.
// kAlertPaneFolder, kAlertPaneFolderFirst: where stampmany looks for
//   AlertPane besides PATH's entries: this folder, relative to the running
//   program's own, before those entries or after them.
// kLargeBufferAlignment: the alignment that lets whole huge pages back a
//   large static buffer (2 MiB); on Windows, whose object files allow at
//   most 8 KiB and which takes no huge-page hint, a page.
#if defined(_WIN32)
inline constexpr CommandProcessor kCommandProcessor = CommandProcessor::Cmd;
inline constexpr char kFolderSeparator[] = "\\";
inline constexpr char kPathListSeparator = ';';
inline constexpr const char* kProgramEndings[] = {".com", ".exe", ".bat", ".cmd"};
inline constexpr char kAlertPaneFolder[] = "";  // the zip puts AlertPane.exe beside the programs
inline constexpr bool kAlertPaneFolderFirst = true;
inline constexpr std::size_t kLargeBufferAlignment = 4096;
#else
inline constexpr CommandProcessor kCommandProcessor = CommandProcessor::Sh;
inline constexpr char kFolderSeparator[] = "/";
inline constexpr char kPathListSeparator = ':';
inline constexpr const char* kProgramEndings[] = {""};
inline constexpr char kAlertPaneFolder[] = "../libexec/assettools/";  // where an installation puts the stand-in
inline constexpr bool kAlertPaneFolderFirst = false;
inline constexpr std::size_t kLargeBufferAlignment = 2097152;
#endif

// ---- Starting a run (start_run) ----

// Makes a write past the file-size limit (ulimit -f) fail like any other
// instead of ending the process: SIGXFSZ is ignored (Windows has no such
// limit).
void let_oversized_writes_fail();

// ---- Saving outputs (output_file.cpp) ----

// The longest path the system's file functions take, its NUL included.
extern const std::size_t kPathCapacity;

// What an output's name stands for before it is written: the directory
// entry itself, not what a link names.
enum class Entry {
  Missing,       // nothing by that name
  File,          // a regular file the writer may write
  ReadOnlyFile,  // a regular file the writer may not write, or, for root, one without any write permission
  Link,          // a symbolic link (or another reparse point)
  Device,        // a device, FIFO or console: written where it is
  Other,         // a folder, a socket
  Unknown,       // the name cannot be looked at (a folder without search permission)
};
// Looks at the name, and remembers what a file replacing an existing one
// keeps of it (see create_temporary).
Entry look_at_output(const char* name);

// True when the name opens the file or pipe that standard output goes to,
// through links or not; a device named directly (a terminal, /dev/null)
// does not count.
bool is_standard_output(const char* name);
// True when the folder the name is in lies inside /dev or /proc, however
// the path is spelt (never on Windows).
bool in_system_folder(const char* name);

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

enum class Opened { Yes, Link, Failed };
// Opens an existing output for writing where it is, at its first byte,
// without truncating it and never through a link: a name that is a link
// gives Link and opens nothing.
Opened open_in_place(const char* name, std::FILE*& file);
// The identity of an open file; false for a device without one.
bool identify_open(std::FILE* file, FileIdentity& identity);
// True for a regular file (not a device, FIFO or console), with its length.
bool regular_file_length(std::FILE* file, std::uint64_t& length);
// Makes the length a regular file has.
bool set_length(std::FILE* file, std::uint64_t length);

enum class Room { Reserved, NoRoom, Unknown };
// Makes sure a regular file has room for its first length bytes before
// they are written, the file's length and bytes unchanged: Reserved when
// the blocks are the file's now; NoRoom for a full disk, a quota or a
// file-size limit; Unknown where the system cannot reserve blocks.
Room reserve_room(std::FILE* file, std::uint64_t length);

// SIGINT, SIGTERM and SIGHUP (Ctrl-C and Ctrl-Break on Windows) wait from
// hold_signals until release_signals, which lets one that came end the
// process as it would have (removing the temporary file first, if there is
// one); a signal already ignored stays ignored.
void hold_signals();
void release_signals();

// Copies length bytes of from, from offset on, to the position of to, in
// the system (file to file) where it can. done counts the bytes copied;
// false when the copy failed or the source ended early, true when it is
// complete or the rest must be copied by the caller.
bool copy_in_system(std::FILE* to, std::FILE* from, std::int64_t offset, std::size_t length, std::size_t& done);

// The identity of the file a name opens (through links), or with
// through_links false of the name's own directory entry.
bool identify(const char* name, bool through_links, FileIdentity& identity);
// The directory entries a name passes through to the file it opens: its
// own, each link it leads to in turn, and the file at the end, if there is
// one; at most capacity of them, and a chain of links ends where the
// system would stop following it. Returns how many there are.
std::size_t identify_chain(const char* name, FileIdentity* entries, std::size_t capacity);

// ---- Paths and programs ----

// The length of a path's folder part, its last separator included: '/'
// and, on Windows, '\\' and ':' too, but never the second byte of a
// double-byte character (表 is 95 5C).
std::size_t folder_part_length(const char* path);

// True when the named file may be opened for reading, found without
// opening it: a named pipe opened and closed would lose its writer.
bool may_read(const char* name);

// True when the path names a file that can be run: a regular file with
// execute permission; on Windows, any file that is not a folder.
bool is_program(const char* path);

// The folder an entry of PATH names when the entry is an absolute path
// ('/' first; on Windows a drive and a separator, or \\server, the quotes
// around the entry dropped); empty for any other entry.
std::string_view absolute_path_entry(std::string_view entry);

// The running program's own path, NUL-terminated, into capacity bytes;
// false when it is not known or does not fit.
bool running_program_path(char* path, std::size_t capacity);

// The double-byte characters of the code page that cmd.exe and a program's
// C runtime read a command line in: the system's ANSI code page on
// Windows; elsewhere, where such lines are only built, code page 932.
bool is_ansi_lead_byte(char c);
// True when the two bytes, a lead byte first, are one character.
bool is_ansi_character(char lead, char trail);

// ---- Standard streams and consoles ----

enum class TextForm {
  Cp932,    // code page 932 bytes: a pipe, a file, or a terminal of another character set
  Utf8,     // UTF-8 bytes: a terminal whose locale's character set is UTF-8
  Console,  // UTF-16 through the console's own output: a Windows console
};

// The form of the stream's text, found anew at each call.
TextForm text_form(std::FILE* stream);

// Where a piece of text comes from, which gives its code page on a console.
enum class TextOrigin {
  Program,  // the program's own texts: code page 932
  Outside,  // names and arguments as the program got them: its ANSI code page
};

// Writes the piece to the console behind the stream (TextForm::Console
// only), after what the stream holds; false when it could not be written.
bool write_to_console(std::FILE* stream, const char* bytes, std::size_t length, TextOrigin origin);

// Windows only, for the console and AlertPane.exe's message box: the bytes
// as UTF-16 into wide, read as code page 932 (the program's own texts) or
// as the ANSI code page (names and arguments), a byte that is not a
// character of it as the replacement character; the number of UTF-16
// units written, or -1 when they do not fit capacity units. Writes nothing
// past capacity.
int widen(const char* bytes, std::size_t length, TextOrigin origin, wchar_t* wide, std::size_t capacity);

// ---- Large static buffers ----

// Asks the system to back the buffer with huge pages where it offers them
// (Linux: madvise); nothing depends on the answer.
void advise_huge_pages(void* buffer, std::size_t size);

}  // namespace platform
