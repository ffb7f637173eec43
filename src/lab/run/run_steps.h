// The steps of a run that kavlab run and kavlab-sim sweep share: the provenance, the plan of the
// circuits, the measurement on the box, and the saving of what was measured.
#ifndef KAVLAB_RUN_STEPS_H
#define KAVLAB_RUN_STEPS_H

#include <string>
#include <vector>

#include "exit_status.h"
#include "file_lock.h"
#include "results/results.h"
#include "run/progress.h"
#include "run/run_engine.h"

namespace kavlab {

/// What a run measures: the circuits in order, each with its chosen cells and its test file (or
/// every input vector), and the passes.
struct RunPlan {
  std::vector<int> circuits;
  std::vector<std::vector<int>> cells;  ///< per circuit, indices into its cell list
  std::vector<std::string> tests;       ///< per circuit; empty with `exhaustive`
  bool exhaustive = false;
  bool fit = false;  ///< test files of other columns fitted as kavtest fits them (--fit)
  PassPlan passes = PassPlan::Both;
};

/// What was run on what, as the box describes itself now, started now.
Provenance provenance_of(const std::vector<std::string>& command_line);
/// The chip in the box called `device` (empty: the first) described in `p` (an emulated chip's
/// seed), before the box is opened: what a resumed run must match.
void describe_device(Provenance& p, const std::string& device);
/// The circuits of `plan` with their cells, vectors and empty passes appended to `r`; the test
/// files stay locked (shared) in `locks` until unlocked. False with `*error` set when a test
/// file is busy or cannot be read or fitted.
bool plan_run(const RunPlan& plan, std::vector<FileLock>& locks, Results& r, std::string* error);
/// Measures what `r` lacks on the box called `device` (empty: the first) as `how` says (by
/// default in this process alone), drawing `line`; a stop signal caught (catch_stop_signals,
/// which the command calls first) stops it before the next cell. Done, the status of the
/// signal, or BoxFailed with `*message` saying what failed.
ExitStatus measure_on_box(const std::string& device, Results& r, ProgressLine& line,
                          std::string* message, const MeasureHow& how = {});

/// How a run ends: its status and the line to print (empty: nothing to say).
struct RunEnding {
  ExitStatus status = ExitStatus::Done;
  std::string message;
};
/// Saves what was measured to `out`, complete or not, after a measurement that ended with
/// `status` and `error`. A result of which nothing was measured is not written. When `out`
/// cannot be written, the result is kept at a fallback path (in the temporary directory, else
/// the home directory), ending KeptElsewhere with the message naming it, or NotSaved when no
/// path takes it: never Done, nor the status of a stop that says "saved".
RunEnding save_run(const Results& r, const std::string& out, ExitStatus status,
                   const std::string& error);

}  // namespace kavlab

#endif
