// A helper thread that the process's signals never reach: they go to its other threads, which
// handle them as a single-threaded program does (a handler that holds signals back while it
// commits a file, say, holds them back for the whole process).
#ifndef KAVTEST_QUIET_THREAD_H
#define KAVTEST_QUIET_THREAD_H

#include <functional>
#include <thread>

/// A thread running `body` with every signal blocked (POSIX); on Windows, which delivers no
/// signals to threads, a plain thread. The caller joins it.
std::thread quiet_thread(std::function<void()> body);

#endif
