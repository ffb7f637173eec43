// Stop signals on POSIX systems: SIGINT, SIGTERM and SIGHUP.
#include <csignal>

#include "run/stop_signals.h"

namespace kavlab {

namespace {

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction earlier[3], earlier_file_size;
volatile std::sig_atomic_t caught = 0;

/// The first signal is why the measurement stops: a later one (a terminal's Ctrl-C reaching a
/// worker after its command passed on a SIGTERM, say) does not change it.
void on_stop(int signal) {
  if (caught == 0) caught = signal;
  request_stop();
}

}  // namespace

void catch_stop_signals() {
  caught = 0;
  clear_stop_request();
  struct sigaction stop = {};
  stop.sa_handler = on_stop;
  sigemptyset(&stop.sa_mask);
  for (int i = 0; i < 3; i++) sigaction(kSignals[i], &stop, &earlier[i]);
  // A write past the file-size limit then fails as a full disk does, and the result is kept
  // elsewhere, instead of the signal ending the process with nothing saved.
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, &earlier_file_size);
}

void release_stop_signals() {
  for (int i = 0; i < 3; i++) sigaction(kSignals[i], &earlier[i], nullptr);
  sigaction(SIGXFSZ, &earlier_file_size, nullptr);
}

ExitStatus caught_stop() {
  switch (caught) {
    case SIGINT:
      return ExitStatus::Interrupted;
    case SIGTERM:
      return ExitStatus::Terminated;
    case SIGHUP:
      return ExitStatus::HungUp;
    default:
      return ExitStatus::Done;
  }
}

}  // namespace kavlab
