#include "count.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

CountText read_count(const char* text, int* count) {
  char* rest = nullptr;
  errno = 0;
  long value = std::strtol(text, &rest, 10);
  if (rest == text) return CountText::kNone;
  if (errno == ERANGE || value < 0 || value > INT_MAX) return CountText::kOutOfRange;
  *count = static_cast<int>(value);
  return CountText::kFits;
}
