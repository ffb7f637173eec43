// Peak memory of the running process, for the benchmarks.
#ifndef KAVTEST_BENCH_PEAK_MEMORY_H
#define KAVTEST_BENCH_PEAK_MEMORY_H

/// The most memory the process has held in RAM so far, in KiB; -1 when the system cannot tell.
long peak_memory_kib();

#endif
