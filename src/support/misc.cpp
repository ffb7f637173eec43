#include "misc.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "exit.h"

[[noreturn]] static void table_failed() {
  std::fputs("AllocCharTable: malloc failed.\n", stderr);
  end_process(-1);
}

char** AllocCharTable(int x, int y, char fill) {
  // x + 1 rows of y + 1 characters; a count below -1 cannot be allocated.
  if (x < -1 || y < -1) table_failed();
  const std::size_t rows = static_cast<std::size_t>(x) + 1;
  const std::size_t cols = static_cast<std::size_t>(y) + 1;
  // The row pointers and the rows share one block: a table of short rows (a TST file's
  // vectors) then costs little more than its characters.
  const std::size_t pointers = rows * sizeof(char*);
  // A count from a file (".VECTORS") cannot ask for more than a sane amount of memory, which
  // would be set to the fill character byte by byte.
  if (pointers > kMaxCharTableBytes ||
      (cols != 0 && rows > (kMaxCharTableBytes - pointers) / cols))
    table_failed();
  char** t = static_cast<char**>(std::malloc(pointers + rows * cols + 1));
  if (!t) table_failed();
  char* characters = reinterpret_cast<char*>(t) + pointers;
  std::memset(characters, fill, rows * cols);
  for (std::size_t i = 0; i < rows; ++i) t[i] = characters + i * cols;
  return t;
}

void FreeCharTable(char** t, int /*x*/, int /*y*/) { std::free(t); }

char* AllocCharVector(int len, char fill) {
  if (len < 0) len = 0;
  char* v = static_cast<char*>(std::malloc(len ? static_cast<std::size_t>(len) : 1));
  if (!v) {
    std::fputs("Not enough memory.\n", stderr);
    end_process(-1);
  }
  std::memset(v, fill, static_cast<std::size_t>(len));
  return v;
}

char CheckFault(char x, char y) {
  if (y == 'X') return x;
  if (x == 'X') return y;
  if (x == '&') return '&';
  if (x == '0') return (y == '1' || y == '&') ? '&' : '0';
  if (x == '1') return (y == '0' || y == '&') ? '&' : '1';
  return x;
}

/// The polarities a mark does not hold; anything but 'X', '0' and '1' holds both.
static char complement(char mark) {
  switch (mark) {
    case 'X': return '&';
    case '0': return '1';
    case '1': return '0';
    default: return 'X';
  }
}

char SubtractOneFault(char A, char B) { return complement(CheckFault(complement(A), B)); }

char* AddVect(char* buf, char* A, const char* B, int len) {
  char* out = buf ? buf : A;
  for (int i = 0; i < len; ++i) out[i] = CheckFault(A[i], B[i]);
  return out;
}

char* SubtractVect(char* buf, char* A, const char* B, int len) {
  char* out = buf ? buf : A;
  for (int i = 0; i < len; ++i) out[i] = SubtractOneFault(A[i], B[i]);
  return out;
}
