// The line reader of the TST reader: one line at a time into a buffer that grows as needed.
#ifndef KAVTEST_RDLINE_H
#define KAVTEST_RDLINE_H

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "exit.h"

/// The size in bytes of the open regular file `fp`; -1 for a pipe, a device or a terminal, whose
/// size is not known before its end.
inline long long regular_file_size(std::FILE* fp) {
#ifdef _WIN32
  struct _stat64 st;
  if (_fstat64(_fileno(fp), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) return -1;
#else
  struct stat st;
  if (fstat(fileno(fp), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
#endif
  return static_cast<long long>(st.st_size);
}

/// Reads a file line by line. A line ends at LF, at CR, or at a CR LF pair; the line end is not
/// kept. Ends the process when the file cannot be opened or the buffer cannot grow.
class Read {
 private:
  std::FILE* fp;       ///< the open file
  int bufsize;         ///< size of `buffer` in blocks of 64 bytes
  int end;             ///< 1 once the end of the file has been met
  int len;             ///< characters of the line last returned
  long long size;      ///< bytes of a regular file; -1 for a pipe or a device
  long long consumed;  ///< bytes taken from the file so far, line ends included

  void Grow();

 public:
  char* buffer;  ///< the last line, null-terminated

  explicit Read(const char* name);
  ~Read();
  Read(const Read&) = delete;
  Read& operator=(const Read&) = delete;

  /// The next line, valid until the next call; null when the file was already at its end.
  char* GetLine();
  int AtEnd() const { return end; }
  int GetLen() const { return len; }
  /// True when reading the file failed (it is then also at its end).
  bool Failed() const { return std::ferror(fp) != 0; }
  /// The file's size when it is a regular file, else -1.
  long long Size() const { return size; }
  /// Bytes of the file before the next line: the offset at which the next GetLine starts.
  long long Offset() const { return consumed; }
};

inline Read::Read(const char* name)
    : fp(nullptr), bufsize(0), end(0), len(0), size(-1), consumed(0), buffer(nullptr) {
  fp = name ? std::fopen(name, "rb") : nullptr;
  if (!fp) {
    std::printf("Can't open file : %s\n", name ? name : "");
    end_process(-1);
  }
  size = regular_file_size(fp);
  buffer = static_cast<char*>(std::malloc(64));
  if (!buffer) {
    std::puts("Malloc failed!|");
    end_process(-1);
  }
  bufsize = 1;
}

inline Read::~Read() {
  if (fp) std::fclose(fp);
  std::free(buffer);
}

/// Doubles the buffer: long lines cost a number of copies that grows with the logarithm of
/// their length, not with the length itself.
inline void Read::Grow() {
  if (bufsize > INT_MAX / 128) {
    std::puts("realloc failed!");
    end_process(-1);
  }
  char* bigger = static_cast<char*>(std::realloc(buffer, static_cast<std::size_t>(bufsize) * 128));
  if (!bigger) {
    std::puts("realloc failed!");
    end_process(-1);
  }
  buffer = bigger;
  bufsize *= 2;
}

inline char* Read::GetLine() {
  buffer[0] = 0;
  len = 0;
  if (std::feof(fp) || std::ferror(fp)) {
    end = 1;
    return nullptr;
  }
  int count = 0;
  for (;;) {
    int c = std::getc(fp);
    if (c == EOF) {
      end = 1;
      break;
    }
    ++consumed;
    if (c == '\n') break;
    if (c == '\r') {
      // CR LF is one line end; a lone CR ends the line by itself.
      int next = std::getc(fp);
      if (next == EOF)
        end = 1;
      else if (next == '\n')
        ++consumed;
      else
        std::ungetc(next, fp);
      break;
    }
    buffer[count++] = static_cast<char>(c);
    if (count == 64 * bufsize) Grow();  // keeps room for the terminator
  }
  buffer[count] = 0;
  len = count;
  return buffer;
}

#endif
