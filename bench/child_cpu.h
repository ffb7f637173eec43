// Processor time of the benchmarks' finished child processes.
#ifndef KAVTEST_BENCH_CHILD_CPU_H
#define KAVTEST_BENCH_CHILD_CPU_H

/// User plus system time, in seconds, of all child processes waited for so far; -1 when the
/// system cannot tell.
double children_cpu_seconds();

#endif
