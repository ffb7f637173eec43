// The one way the program ends early. Kept in its own file so that a build which must survive
// fatal paths (a fuzzing harness) can link its own version.
#ifndef KAVTEST_EXIT_H
#define KAVTEST_EXIT_H

/// Ends the process with `status` through the normal exit path (buffered output is flushed).
[[noreturn]] void end_process(int status);

#endif
