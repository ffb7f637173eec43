#include <sys/resource.h>

#include "child_cpu.h"

double children_cpu_seconds() {
  struct rusage usage;
  if (getrusage(RUSAGE_CHILDREN, &usage) != 0) return -1;
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
