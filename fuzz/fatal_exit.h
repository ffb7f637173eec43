// The fuzz build's end of a fatal path: end_process() throws FatalExit instead of ending the
// process, so that one input's fatal error is an ordinary outcome for the harness.
#ifndef KAVTEST_FUZZ_FATAL_EXIT_H
#define KAVTEST_FUZZ_FATAL_EXIT_H

/// Thrown by the fuzz build's end_process(status).
struct FatalExit {
  int status;
};

#endif
