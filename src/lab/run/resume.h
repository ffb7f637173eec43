// kavlab run --resume: a partial result, saved after Ctrl-C or a failing box, continued by a
// run with the same options. The run measures only what the result lacks (run_engine.h).
#ifndef KAVLAB_RESUME_H
#define KAVLAB_RESUME_H

#include <string>

#include "results/results.h"

namespace kavlab {

/// Why the result `partial` (read from `source`) cannot be continued by the run planned as
/// `planned` (circuits, cells, vectors, test files and passes set): it is complete, or was
/// made by another program or engine, or of other circuits, cells, passes, vectors or test
/// file bytes; the message names what differs. Empty when it can be continued.
std::string resume_refusal(const Results& partial, const std::string& source,
                           const Results& planned);

/// Takes every answer of `partial` into the same passes of `planned`, and its provenance
/// (the run's command line and start), adding the start of `planned` as a resumption.
void take_measured(const Results& partial, Results& planned);

/// Reads the results file `path` and, when it can be continued, takes it into `planned`;
/// false with `*error` set otherwise.
bool resume_from(const std::string& path, Results& planned, std::string* error);

}  // namespace kavlab

#endif
