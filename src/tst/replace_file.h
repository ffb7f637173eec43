// Writing a file so that it is either wholly replaced or left as it was.
#ifndef KAVTEST_REPLACE_FILE_H
#define KAVTEST_REPLACE_FILE_H

#include <cstdio>
#include <string>

/// How the new content reaches the target.
enum class ReplacementKind {
  Rename,   ///< a temporary file beside the target, renamed over it
  InPlace,  ///< a temporary file elsewhere, copied over the target's own bytes at the end
  Direct,   ///< a device or a pipe, written as it goes
};

/// A stream that will replace the file `target`. A new file, or a regular file with one link
/// whose owner, group and mode the new file can keep in a directory the user can write, is
/// written through a temporary file beside it and renamed over it. On Linux the temporary file
/// is unnamed (O_TMPFILE) while it is written, and gets its temporary name only as it is
/// renamed, so that even a process killed with SIGKILL leaves no file behind; where the file
/// system refuses unnamed files, it is named from the start. Any other regular file (a
/// writable file in a directory the user cannot write, a file of another owner, a file with
/// several hard links) is rewritten in place, so that it keeps what it is: its new bytes go to a
/// temporary file in the system's temporary directory first, and the original bytes are kept in
/// memory while they are overwritten and restored if anything fails. A device or a pipe is
/// written directly.
///
/// While a replacement is pending, SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGPIPE (where their
/// action is the default one) remove the temporary file before they end the process, and so
/// does the normal end of the process; they are held back while the file is committed. SIGXFSZ
/// is ignored, so that a file-size limit is a failed write. On Windows, Ctrl-C and closing the
/// console remove the temporary file too.
struct FileReplacement {
  std::string target;
  std::string temp;
  ReplacementKind kind = ReplacementKind::Rename;
  std::FILE* fp = nullptr;
  bool unnamed = false;  ///< the temporary file has no name yet (`temp` is empty)
};

/// Opens the stream (text mode) for replacing `path`. False, with nothing created, when it
/// cannot: the target is write-protected, or no temporary file can be made for it.
bool begin_replacement(FileReplacement& r, const char* path);
/// Flushes and closes the stream and commits it: the temporary file gets the target's
/// permission bits, reaches the disk and is renamed over the target, or its bytes are copied
/// over the target's. False, with the target as it was and the temporary file removed, when any
/// step fails.
bool finish_replacement(FileReplacement& r);
/// Closes the stream and removes the temporary file; the target stays as it was.
void abandon_replacement(FileReplacement& r);

/// Copies the bytes of the file `from` over the bytes of the file `target`, which keeps its
/// identity (links, owner, mode), and cuts it to their length. The original bytes are read
/// first and written back when a step fails; false then.
bool rewrite_in_place(const std::string& target, const std::string& from);

#endif
