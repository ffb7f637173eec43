// The device library's allocator in the product: the C heap.
#include <cstdlib>

#include "KavrinContext.h"

void* kavrin_allocate(std::size_t size) { return std::calloc(1, size == 0 ? 1 : size); }

void kavrin_release(void* memory) { std::free(memory); }
