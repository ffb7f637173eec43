// The measurement loop: per circuit and pass, the reference cell then every chosen cell, in the
// calling process; or the same cell runs split over worker processes (run_in_workers.h).
#include "run/run_engine.h"

#include "apply_vectors.h"
#include "run/box_kind.h"
#include "run/cell_run.h"
#include "run/run_in_workers.h"
#include "run/stop_signals.h"
#include "worker_pool.h"

namespace kavlab {

namespace {

/// The cell runs that `p` still needs: none when complete, else the reference (measured
/// again when the pass resumes) and every cell it lacks.
int runs_left(const CircuitResult& c, const Pass& p) {
  if (pass_complete(c, p)) return 0;
  std::size_t held = p.reference_measured ? p.cells.size() : 0;
  return static_cast<int>(1 + c.cells.size() - held);
}

/// Measures cell `cell_index` of `c` in pass `p`; false when the box failed.
bool measure_cell(DeviceList* dev, const CircuitResult& c, const Pass& p, int cell_index,
                  std::vector<unsigned char>& in, Response* out) {
  std::string raw;
  if (!run_cell(dev, c, cell_index, in, &raw)) return false;
  *out = response_of(reinterpret_cast<const unsigned char*>(raw.data()), raw.size(), c.outputs,
                     p.monitor_on);
  return true;
}

/// The start of pass `pass` of circuit `circuit`: the box made ready (the chip powered afresh
/// on the emulated box), the monitor set, the reference measured; a resumed pass's reference
/// must answer as it did before.
RunOutcome start_pass(DeviceList* dev, Results& r, std::size_t circuit, std::size_t pass,
                      std::vector<unsigned char>& in, const MeasureHow& how) {
  CircuitResult& c = r.circuits[circuit];
  Pass& p = c.passes[pass];
  std::string error;
  if (!start_of_pass(dev, r, circuit, pass, how, &error)) return {RunEnd::BoxFailed, error};
  int ref = getReferenceCell(c.index);
  Response reference;
  if (!measure_cell(dev, c, p, ref, in, &reference))
    return {RunEnd::BoxFailed, box_failure(c, p, ref, "no reply")};
  if (p.reference_measured && !same_answers(reference, p.reference))
    return {RunEnd::BoxFailed, reference_differs(c, p)};
  p.reference = reference;
  p.reference_measured = true;
  return {};
}

/// One pass: the reference, then the cells it lacks; stops early as the run asks. A pass that
/// resumes starts as a whole one does.
RunOutcome measure_pass(DeviceList* dev, Results& r, std::size_t circuit, std::size_t pass,
                        std::vector<unsigned char>& in, int& done, int total,
                        const ProgressFn& progress, const MeasureHow& how) {
  CircuitResult& c = r.circuits[circuit];
  Pass& p = c.passes[pass];
  if (pass_complete(c, p)) return {};
  if (stop_requested()) return {RunEnd::Stopped, ""};
  if (!p.reference_measured) p.cells.clear();
  RunOutcome started = start_pass(dev, r, circuit, pass, in, how);
  if (started.end != RunEnd::Complete) return started;
  progress(++done, total, pass);
  for (std::size_t k = p.cells.size(); k < c.cells.size(); k++) {
    if (stop_requested()) return {RunEnd::Stopped, ""};
    Response answers;
    if (!measure_cell(dev, c, p, c.cells[k].index, in, &answers))
      return {RunEnd::BoxFailed, box_failure(c, p, c.cells[k].index, "no reply")};
    p.cells.push_back(answers);
    progress(++done, total, pass);
  }
  return {};
}

/// The worker processes that `how` gets here: 1 where the box or the system has none.
unsigned workers_for(const MeasureHow& how) {
  if (!workers_have_own_box() || !worker_pool::jobs_in_workers()) return 1;
  return how.workers != 0 ? how.workers : worker_pool::default_workers();
}

}  // namespace

RunOutcome measure(DeviceList* dev, Results& r, const ProgressFn& progress, const MeasureHow& how) {
  int total = 0, done = 0;
  for (const CircuitResult& c : r.circuits)
    for (const Pass& p : c.passes) total += runs_left(c, p);
  unsigned workers = workers_for(how);
  if (workers > 1 && total > 1) return measure_in_workers(dev, r, progress, how, workers);
  RunOutcome outcome;
  for (std::size_t i = 0; i < r.circuits.size(); i++) {
    std::vector<unsigned char> in = input_bytes(r.circuits[i]);
    for (std::size_t k = 0; k < r.circuits[i].passes.size(); k++)
      if (outcome.end == RunEnd::Complete)
        outcome = measure_pass(dev, r, i, k, in, done, total, progress, how);
  }
  r.partial = lacks_cells(r);
  return outcome;
}

}  // namespace kavlab
