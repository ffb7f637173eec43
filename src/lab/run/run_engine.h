// The measurement: every pass of every circuit of a result, through the device library, with
// the chunks and pauses of kavtest (its runTest).
#ifndef KAVLAB_RUN_ENGINE_H
#define KAVLAB_RUN_ENGINE_H

#include <functional>
#include <string>
#include <vector>

#include "device_list.h"
#include "results/results.h"

namespace kavlab {

enum class RunEnd { Complete, Stopped, BoxFailed };
struct RunOutcome {
  RunEnd end = RunEnd::Complete;
  std::string message;  ///< what failed, for BoxFailed
};

/// Called after every cell run (the reference's included) with the runs done and in all.
using ProgressFn = std::function<void(int done, int total)>;

/// Measures every pass of every circuit of `r` (cells, vectors and passes set) on `dev`: what
/// the passes lack, so that a partial result is completed. A pass that already holds some
/// cells measures its reference again, which must answer as before (else the run ends as a
/// failing box). A requested stop or a failing box ends it early; what was measured stays, and
/// `r.partial` says whether any pass lacks cells.
RunOutcome measure(DeviceList* dev, Results& r, const ProgressFn& progress);

}  // namespace kavlab

#endif
