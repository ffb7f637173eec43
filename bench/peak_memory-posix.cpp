#include <sys/resource.h>

#include "peak_memory.h"

long peak_memory_kib() {
  struct rusage usage;
  if (getrusage(RUSAGE_SELF, &usage) != 0) return -1;
#ifdef __APPLE__
  return usage.ru_maxrss / 1024;  // bytes there
#else
  return usage.ru_maxrss;
#endif
}
