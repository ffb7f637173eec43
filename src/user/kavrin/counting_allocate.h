// The device library's allocator for tests: it keeps count and fails when told to.
#ifndef KAVRIN_COUNTING_ALLOCATE_H
#define KAVRIN_COUNTING_ALLOCATE_H

/// The `number`-th allocation from now on fails (1 = the next one); 0 lets every one succeed.
void kavrin_fail_allocation(unsigned long number);
/// Allocations made and not yet released.
long kavrin_live_allocations();

#endif
