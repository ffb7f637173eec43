// New files that appear whole or not at all. On Linux a new file is written unnamed (O_TMPFILE)
// in its directory and gets its name once it is complete, so that a process killed while writing
// leaves nothing behind; elsewhere, and where the file system refuses unnamed files, it is made
// under a name and removed again when writing fails.
#ifndef KAVTEST_NEW_FILE_H
#define KAVTEST_NEW_FILE_H

#include <string>

/// Copies the regular file `from` to `to`, which must not exist: an existing file is never
/// replaced. True when the copy is complete, on the disk, with the permission bits of `from`.
/// False with nothing made at `to`: `*taken` true when `to` exists already, else `*error` says
/// why (the system's words).
bool copy_to_new_file(const std::string& from, const std::string& to, bool* taken,
                      std::string* error);

#ifndef _WIN32
#include <sys/types.h>

/// Whether new files start unnamed where the system allows it (true, the default). The tests
/// turn it off to check the named way that other systems and file systems take.
void allow_unnamed_files(bool allowed);
/// An unnamed regular file in the directory `dir`, open for reading and writing, with `mode`
/// less the umask; -1 where unnamed files are not allowed, the system or the file system refuses
/// them, or /proc/self/fd is not there to name them later.
int open_unnamed(const std::string& dir, mode_t mode);
/// Gives the unnamed file open as `fd` the name `path`. False with errno set (EEXIST when the
/// name is taken) when it cannot.
bool name_unnamed(int fd, const std::string& path);
/// The path through which the file open as `fd` opens again (/proc/self/fd/N).
std::string reopen_path(int fd);
/// The directory of `path`: what comes before its last '/', "." for a bare name.
std::string directory_of(const std::string& path);
#endif

#endif
