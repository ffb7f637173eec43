// Writing a file so that it is either wholly replaced or left as it was.
#ifndef KAVTEST_REPLACE_FILE_H
#define KAVTEST_REPLACE_FILE_H

#include <cstdio>
#include <string>

/// A stream that will replace the file `target`. A regular or missing target is written through
/// a temporary file beside it (`temp`), renamed over the target only when everything was
/// written; a device or a pipe is written in place (`temp` empty).
struct FileReplacement {
  std::string target;
  std::string temp;
  std::FILE* fp = nullptr;
};

/// Opens the stream (text mode) for replacing `path`. False, with nothing created, when it
/// cannot: the target is write-protected, or no temporary file can be made beside it.
bool begin_replacement(FileReplacement& r, const char* path);
/// Flushes and closes the stream; a temporary file gets the target's permission bits, reaches
/// the disk and is renamed over the target. False, with the target untouched and the temporary
/// file removed, when any step fails.
bool finish_replacement(FileReplacement& r);
/// Closes the stream and removes the temporary file; the target stays as it was.
void abandon_replacement(FileReplacement& r);

#endif
