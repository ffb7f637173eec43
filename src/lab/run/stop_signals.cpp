// The request to stop a measurement, which the stop signals' handlers make.
#include "run/stop_signals.h"

#include <csignal>

namespace kavlab {

namespace {

volatile std::sig_atomic_t stop_asked = 0;

}  // namespace

void request_stop() { stop_asked = 1; }

void clear_stop_request() { stop_asked = 0; }

bool stop_requested() { return stop_asked != 0; }

const volatile std::sig_atomic_t* stop_flag() { return &stop_asked; }

}  // namespace kavlab
