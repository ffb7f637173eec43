// A helper thread that the process's signals never reach: they go to its other threads, which
// handle them as a single-threaded program does (a handler that holds signals back while it
// commits a file, say, holds them back for the whole process).
#ifndef KAVTEST_QUIET_THREAD_H
#define KAVTEST_QUIET_THREAD_H

#include <functional>
#include <thread>

/// Runs `body` in a thread with every signal blocked and returns that thread for the caller
/// to join (POSIX). On Windows `body` runs at once in the calling thread and the thread
/// returned is empty (not joinable): there MinGW-w64's threads crash as they end, in the
/// destructors of their thread-local objects (the solver's scratch vectors), so the work is
/// done before the call returns instead of beside the caller.
std::thread quiet_thread(std::function<void()> body);

#endif
