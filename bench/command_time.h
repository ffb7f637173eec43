// The wall time of a shell command, for the benchmarks that time the programs end to end.
#ifndef KAVTEST_BENCH_COMMAND_TIME_H
#define KAVTEST_BENCH_COMMAND_TIME_H

#include <string>

/// Best wall time of `repeats` runs of `command` (by the shell), in seconds; negative when a
/// run failed.
double best_of(const std::string& command, int repeats);

#endif
