// Character input for the model and pattern readers: a stream handed out from blocks read
// with fread, without the per-character locking of getc.
#ifndef KAVTEST_BLOCK_READER_H
#define KAVTEST_BLOCK_READER_H

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

struct BlockReader {
  std::FILE* file = nullptr;
  std::size_t pos = 0;  ///< next character in `block`
  std::size_t end = 0;  ///< characters held in `block`
  char block[1 << 16];
};

/// Starts reading `file` from its current position.
inline void start_reading(BlockReader& r, std::FILE* file) {
  r.file = file;
  r.pos = r.end = 0;
}

/// The next character as an unsigned char, or EOF.
inline int next_char(BlockReader& r) {
  if (r.pos == r.end) {
    r.end = std::fread(r.block, 1, sizeof r.block, r.file);
    r.pos = 0;
    if (r.end == 0) return EOF;
  }
  return static_cast<unsigned char>(r.block[r.pos++]);
}

/// Copies the rest of the current line, its line end included, into `line`, at most `limit`
/// characters; the count copied. 0 only at end of file.
inline std::size_t next_line(BlockReader& r, char* line, std::size_t limit) {
  std::size_t n = 0;
  while (n < limit) {
    if (r.pos == r.end) {
      r.end = std::fread(r.block, 1, sizeof r.block, r.file);
      r.pos = 0;
      if (r.end == 0) break;
    }
    std::size_t room = std::min(limit - n, r.end - r.pos);
    const char* start = r.block + r.pos;
    const void* stop = std::memchr(start, '\n', room);
    std::size_t take = stop ? static_cast<const char*>(stop) - start + 1 : room;
    std::memcpy(line + n, start, take);
    n += take;
    r.pos += take;
    if (stop) break;
  }
  return n;
}

/// Passes over the rest of the current line; true when it ended with a line end.
inline bool skip_line(BlockReader& r) {
  for (;;) {
    if (r.pos == r.end) {
      r.end = std::fread(r.block, 1, sizeof r.block, r.file);
      r.pos = 0;
      if (r.end == 0) return false;
    }
    const char* start = r.block + r.pos;
    const void* stop = std::memchr(start, '\n', r.end - r.pos);
    if (stop) {
      r.pos += static_cast<const char*>(stop) - start + 1;
      return true;
    }
    r.pos = r.end;
  }
}

/// Lets the character that next_char has just returned (not EOF) be read again.
inline void step_back(BlockReader& r) { r.pos--; }

#endif
