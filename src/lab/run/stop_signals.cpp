// The request to stop a measurement, which the stop signals' handlers make.
#include "run/stop_signals.h"

#include <csignal>

namespace kavlab {

namespace {

volatile std::sig_atomic_t stop_flag = 0;

}  // namespace

void request_stop() { stop_flag = 1; }

void clear_stop_request() { stop_flag = 0; }

bool stop_requested() { return stop_flag != 0; }

}  // namespace kavlab
