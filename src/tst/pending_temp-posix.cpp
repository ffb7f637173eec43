// Removal of a pending temporary file at exit and at SIGINT, SIGTERM, SIGHUP, SIGQUIT and
// SIGPIPE, whose handlers remove it and raise the signal again, so that whoever started the
// process sees it end by that signal. A signal whose action is not the default (ignored, or
// handled by the program) is left alone. SIGXFSZ is ignored meanwhile, so that writing past a
// file-size limit fails with EFBIG instead of ending the process with the file half-written.
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "pending_temp.h"

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};
constexpr int kSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];

char pending[PATH_MAX];
volatile sig_atomic_t is_pending = 0;
struct sigaction previous[kSignalCount];
bool armed[kSignalCount];
struct sigaction previous_xfsz;

void remove_pending() {
  if (is_pending && pending[0] != '\0') unlink(pending);
  is_pending = 0;
}

void on_ending_signal(int sig) {
  remove_pending();
  raise(sig);  // the action is the default again (SA_RESETHAND): delivered once this returns
}

sigset_t ending_set() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : kEndingSignals) sigaddset(&set, sig);
  return set;
}

void arm() {
  struct sigaction act = {};
  act.sa_handler = on_ending_signal;
  act.sa_flags = SA_RESETHAND;
  act.sa_mask = ending_set();
  for (int i = 0; i < kSignalCount; ++i) {
    sigaction(kEndingSignals[i], nullptr, &previous[i]);
    armed[i] = previous[i].sa_handler == SIG_DFL;
    if (armed[i]) sigaction(kEndingSignals[i], &act, nullptr);
  }
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous_xfsz);
}

void disarm() {
  for (int i = 0; i < kSignalCount; ++i)
    if (armed[i]) sigaction(kEndingSignals[i], &previous[i], nullptr);
  sigaction(SIGXFSZ, &previous_xfsz, nullptr);
}

}  // namespace

void hold_temp(const char* path) {
  static bool at_exit = false;
  if (!at_exit) at_exit = std::atexit(remove_pending) == 0;
  if (path != nullptr && std::strlen(path) >= sizeof pending) return;  // mkstemp made it: it fits
  sigset_t set = ending_set(), before;
  sigprocmask(SIG_BLOCK, &set, &before);
  std::strcpy(pending, path != nullptr ? path : "");
  is_pending = 1;
  arm();
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

void release_temp() {
  sigset_t set = ending_set(), before;
  sigprocmask(SIG_BLOCK, &set, &before);
  if (is_pending) disarm();
  is_pending = 0;
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

void hold_signals(bool held) {
  sigset_t set = ending_set();
  sigprocmask(held ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}
