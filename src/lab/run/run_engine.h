// The measurement: every pass of every circuit of a result, through the device library, with
// the chunks and pauses of kavtest (its runTest).
#ifndef KAVLAB_RUN_ENGINE_H
#define KAVLAB_RUN_ENGINE_H

#include <cstddef>
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

/// Called after every cell run (the reference's included) with the runs done and in all, and
/// the index of the pass (within its circuit) whose run it was. Runs split over workers are
/// counted as they end, in the order they end.
using ProgressFn = std::function<void(int done, int total, std::size_t pass)>;

/// How a measurement is carried out.
struct MeasureHow {
  /// Worker processes that measure cells at once, each on its own copy of the box: 0 one per
  /// core, 1 the calling process alone, pass after pass. Only where the box kind allows it
  /// (workers_have_own_box) and the system has worker processes (worker_pool::jobs_in_workers);
  /// elsewhere the calling process measures alone, as with 1. The answers are the same for
  /// every number.
  unsigned workers = 1;
  /// Makes the box ready for pass `pass` of circuit `circuit`, as that pass finds it when it
  /// starts: called before each pass, and by a worker before each cell run it makes. Not set:
  /// before_pass(). False with `*error` set when it cannot; the run then ends as a failing box.
  std::function<bool(std::size_t circuit, std::size_t pass, std::string* error)> ready;
};

/// Measures every pass of every circuit of `r` (cells, vectors and passes set) on `dev`: what
/// the passes lack, so that a partial result is completed. A pass that already holds some
/// cells measures its reference again, which must answer as before (else the run ends as a
/// failing box). A requested stop or a failing box ends it early (no further cell run starts;
/// those running end); what was measured stays, each pass keeping its cells up to the first
/// one not measured, and `r.partial` says whether any pass lacks cells.
RunOutcome measure(DeviceList* dev, Results& r, const ProgressFn& progress,
                   const MeasureHow& how = {});

}  // namespace kavlab

#endif
