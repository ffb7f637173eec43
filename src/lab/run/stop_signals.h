// The signals that ask a run to stop: Ctrl-C (SIGINT), SIGTERM, and a closed terminal (SIGHUP);
// on Windows Ctrl-C, Ctrl-Break and the console's closing. Each lets the cell being measured
// finish, stops the run before the next one, and the run saves what was measured.
#ifndef KAVLAB_STOP_SIGNALS_H
#define KAVLAB_STOP_SIGNALS_H

#include <csignal>

#include "exit_status.h"

namespace kavlab {

/// Asks the measurement to stop before its next cell, the one running or the next to start;
/// safe in a signal handler. The request holds until clear_stop_request.
void request_stop();
/// Forgets a request to stop: a command does so once, before its first measurement.
void clear_stop_request();
/// Whether a stop was asked for since clear_stop_request.
bool stop_requested();
/// The flag that request_stop sets, for what reads it between jobs (the worker pool's `stop`):
/// non-zero once a stop was asked for. Never null.
const volatile std::sig_atomic_t* stop_flag();

/// Catches the stop signals from now on, each asking the running measurement to stop
/// (request_stop), and forgets any caught before.
void catch_stop_signals();
/// Restores what the stop signals did before catch_stop_signals; a console closing on Windows
/// is let go on only now, once what was measured is saved.
void release_stop_signals();
/// The exit status of the stop signal caught since catch_stop_signals: Interrupted (Ctrl-C,
/// and Ctrl-Break), Terminated or HungUp (and a closed console); Done when none was caught.
ExitStatus caught_stop();

}  // namespace kavlab

#endif
