// A thread started with every signal blocked: the mask is set around its creation, which it
// inherits, so that no signal reaches it even before its body runs.
#include <signal.h>

#include "quiet_thread.h"

std::thread quiet_thread(std::function<void()> body) {
  sigset_t all, before;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &before);
  std::thread thread;
  try {
    thread = std::thread(std::move(body));
  } catch (...) {
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    throw;
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return thread;
}
