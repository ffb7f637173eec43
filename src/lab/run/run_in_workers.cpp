// Cell runs as jobs of the worker pool, and their answers merged pass by pass.
#include "run/run_in_workers.h"

#include "apply_vectors.h"
#include "run/cell_run.h"
#include "run/stop_signals.h"
#include "worker_pool.h"

namespace kavlab {

namespace {

/// One cell run: pass `pass` of circuit `circuit`, its reference (`cell` < 0) or its chosen
/// cell number `cell` (an index into the circuit's cells).
struct CellJob {
  std::size_t circuit = 0, pass = 0;
  int cell = -1;
};

/// A job's bytes begin with one of these: the reply bytes follow, or what failed.
constexpr char kReplies = 'R', kFailed = 'F';

/// The cell runs that the passes of `r` lack, in the order one process makes them: per pass
/// the reference, then the cells it lacks. A pass without its reference loses any cells.
std::vector<CellJob> jobs_of(Results& r) {
  std::vector<CellJob> jobs;
  for (std::size_t i = 0; i < r.circuits.size(); i++) {
    CircuitResult& c = r.circuits[i];
    for (std::size_t k = 0; k < c.passes.size(); k++) {
      Pass& p = c.passes[k];
      if (pass_complete(c, p)) continue;
      if (!p.reference_measured) p.cells.clear();
      jobs.push_back({i, k, -1});
      for (std::size_t cell = p.cells.size(); cell < c.cells.size(); cell++)
        jobs.push_back({i, k, static_cast<int>(cell)});
    }
  }
  return jobs;
}

int cell_index(const CircuitResult& c, const CellJob& j) {
  return j.cell < 0 ? getReferenceCell(c.index) : c.cells[static_cast<std::size_t>(j.cell)].index;
}

/// What a worker does for job `j`: the box made ready for its pass, then the cell run.
std::string run_job(DeviceList* dev, const Results& r, std::vector<unsigned char> in,
                    const CellJob& j, const MeasureHow& how) {
  std::string error, raw;
  if (!start_of_pass(dev, r, j.circuit, j.pass, how, &error)) return kFailed + error;
  const CircuitResult& c = r.circuits[j.circuit];
  int cell = cell_index(c, j);
  if (!run_cell(dev, c, cell, in, &raw))
    return kFailed + box_failure(c, c.passes[j.pass], cell, "no reply");
  return kReplies + raw;
}

/// The answers of job `j` from its result, or false with `*failure` set when it failed (left
/// empty when it was not made).
bool answers_of(const Results& r, const CellJob& j, const worker_pool::JobResult& result,
                Response* answers, std::string* failure) {
  const CircuitResult& c = r.circuits[j.circuit];
  const Pass& p = c.passes[j.pass];
  failure->clear();
  if (result.status == worker_pool::JobStatus::kNotRun) return false;
  const std::string& b = result.bytes;
  if (result.status == worker_pool::JobStatus::kFailed) {
    *failure = box_failure(c, p, cell_index(c, j), b);
  } else if (!b.empty() && b[0] == kFailed) {
    *failure = b.substr(1);
  } else if (b.size() != 1 + c.vectors.size() || b[0] != kReplies) {
    *failure = box_failure(c, p, cell_index(c, j), "its worker's answer is not a cell run's");
  } else {
    *answers = response_of(reinterpret_cast<const unsigned char*>(b.data() + 1), c.vectors.size(),
                           c.outputs, p.monitor_on);
    return true;
  }
  return false;
}

/// Whether the answers of reference job `j` end the run: a resumed pass's reference that
/// answers otherwise than before.
bool reference_moved(const Results& r, const CellJob& j, const Response& answers) {
  const Pass& p = r.circuits[j.circuit].passes[j.pass];
  return j.cell < 0 && p.reference_measured && !same_answers(answers, p.reference);
}

/// Takes the answers of the jobs [first, end) of one pass into it: the reference, then the
/// cells up to the first not measured. What ends the run is noted in `*outcome`, the first
/// failure kept.
void merge_pass(Results& r, const std::vector<CellJob>& jobs,
                const std::vector<worker_pool::JobResult>& results, std::size_t first,
                std::size_t end, RunOutcome* outcome) {
  CircuitResult& c = r.circuits[jobs[first].circuit];
  Pass& p = c.passes[jobs[first].pass];
  auto note = [outcome](const std::string& failure) {
    if (outcome->end == RunEnd::BoxFailed) return;
    *outcome =
        failure.empty() ? RunOutcome{RunEnd::Stopped, ""} : RunOutcome{RunEnd::BoxFailed, failure};
  };
  Response answers;
  std::string failure;
  if (!answers_of(r, jobs[first], results[first], &answers, &failure)) return note(failure);
  if (reference_moved(r, jobs[first], answers)) return note(reference_differs(c, p));
  p.reference = answers;
  p.reference_measured = true;
  for (std::size_t i = first + 1; i < end; i++) {
    if (!answers_of(r, jobs[i], results[i], &answers, &failure)) return note(failure);
    p.cells.push_back(answers);
  }
}

}  // namespace

RunOutcome measure_in_workers(DeviceList* dev, Results& r, const ProgressFn& progress,
                              const MeasureHow& how, unsigned workers) {
  std::vector<CellJob> jobs = jobs_of(r);
  std::vector<std::vector<unsigned char>> inputs;
  for (const CircuitResult& c : r.circuits) inputs.push_back(input_bytes(c));
  int done = 0, total = static_cast<int>(jobs.size());
  worker_pool::PoolOptions options;
  options.workers = workers;
  options.stop = stop_flag();
  options.on_result = [&](std::size_t i, const worker_pool::JobResult& result) {
    Response answers;
    std::string failure;
    if (answers_of(r, jobs[i], result, &answers, &failure) &&
        !reference_moved(r, jobs[i], answers)) {
      progress(++done, total, jobs[i].pass);
      return;
    }
    if (result.status != worker_pool::JobStatus::kNotRun) request_stop();
  };
  std::vector<worker_pool::JobResult> results = worker_pool::run_jobs(
      jobs.size(),
      [&](std::size_t i) { return run_job(dev, r, inputs[jobs[i].circuit], jobs[i], how); },
      options);
  RunOutcome outcome;
  for (std::size_t first = 0; first < jobs.size();) {
    std::size_t end = first + 1;
    while (end < jobs.size() && jobs[end].cell >= 0) end++;
    merge_pass(r, jobs, results, first, end, &outcome);
    first = end;
  }
  r.partial = lacks_cells(r);
  return outcome;
}

}  // namespace kavlab
