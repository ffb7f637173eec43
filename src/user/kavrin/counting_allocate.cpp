#include "counting_allocate.h"

#include <cstdlib>

#include "KavrinContext.h"

static unsigned long fail_countdown = 0;
static long live = 0;

void kavrin_fail_allocation(unsigned long number) { fail_countdown = number; }

long kavrin_live_allocations() { return live; }

void* kavrin_allocate(std::size_t size) {
  if (fail_countdown != 0 && --fail_countdown == 0) return nullptr;
  void* memory = std::calloc(1, size == 0 ? 1 : size);
  if (memory != nullptr) live++;
  return memory;
}

void kavrin_release(void* memory) {
  if (memory != nullptr) live--;
  std::free(memory);
}
