// Exact switch-level runs from every state, and runs on a chosen engine from power-up.
#include "gen/verify.h"

#include <memory>
#include <stdexcept>

#include "solver.h"
#include "worker_pool.h"

namespace kavlab {

std::vector<int> detections_from_each_state(const Netlist& net, const StateGraph& g,
                                            const std::vector<CellAnswer>& reference, Criterion c,
                                            const std::vector<int>& sequence) {
  Cell cell = cell_power_up(net);
  std::vector<int> counts;
  for (const std::vector<double>& start : g.states) {
    cell.voltage = start;
    int count = 0;
    for (int v : sequence) {
      VectorResult r = cell_apply(&cell, static_cast<unsigned>(v));
      count += tells_apart(c, reference[v], {r.outputs, r.monitor_pass}) ? 1 : 0;
    }
    counts.push_back(count);
  }
  return counts;
}

namespace {

/// The answers of `net` to `bytes` from power-up on a fresh engine of `choice`, two bytes a
/// vector (the outputs, then 1 where the monitor passes); throws what the engine says when it
/// fails, which fails the job.
std::string answers_from_power_up(const EngineChoice& choice, const Netlist& net,
                                  const std::vector<unsigned char>& bytes) {
  std::string error;
  std::unique_ptr<CellEngine> engine = make_engine(choice, &error);
  std::vector<CellAnswer> got(bytes.size());
  if (engine != nullptr) engine->add_cell(net);
  if (engine == nullptr || !engine->apply(0, bytes.data(), bytes.size(), got.data(), &error))
    throw std::runtime_error(error);
  std::string answers;
  for (const CellAnswer& a : got) {
    answers += static_cast<char>(a.outputs);
    answers += static_cast<char>(a.monitor_pass ? 1 : 0);
  }
  return answers;
}

/// One job: cell `cell` of check `check`, its reference when `cell` is negative.
struct CheckJob {
  std::size_t check = 0;
  int cell = -1;
};

}  // namespace

bool verdicts_on_engine(const EngineChoice& choice, const std::vector<EngineCheck>& checks,
                        unsigned workers, std::vector<std::vector<EngineVerdict>>* verdicts,
                        std::string* error) {
  std::vector<CheckJob> jobs;
  std::vector<std::vector<unsigned char>> bytes;
  for (std::size_t i = 0; i < checks.size(); i++) {
    for (int k = -1; k < static_cast<int>(checks[i].cells.size()); k++) jobs.push_back({i, k});
    bytes.emplace_back(checks[i].sequence.begin(), checks[i].sequence.end());
  }
  worker_pool::PoolOptions options;
  options.workers = workers;
  std::vector<worker_pool::JobResult> results = worker_pool::run_jobs(
      jobs.size(),
      [&](std::size_t j) {
        const EngineCheck& c = checks[jobs[j].check];
        const Netlist& net = jobs[j].cell < 0 ? c.reference : c.cells[jobs[j].cell];
        return answers_from_power_up(choice, net, bytes[jobs[j].check]);
      },
      options);
  verdicts->assign(checks.size(), {});
  const std::string* reference = nullptr;
  for (std::size_t j = 0; j < jobs.size(); j++) {
    const worker_pool::JobResult& r = results[j];
    std::size_t length = 2 * bytes[jobs[j].check].size();
    if (r.status != worker_pool::JobStatus::kDone || r.bytes.size() != length) {
      const EngineCheck& c = checks[jobs[j].check];
      *error =
          "circuit " + std::to_string(c.circuit) + ", " +
          (jobs[j].cell < 0 ? std::string("its reference cell")
                            : "cell " + std::to_string(c.numbers[jobs[j].cell])) +
          ": " +
          (r.status == worker_pool::JobStatus::kDone ? "an answer of another length" : r.bytes);
      return false;
    }
    if (jobs[j].cell < 0) {
      reference = &r.bytes;
      continue;
    }
    EngineVerdict v;
    for (std::size_t i = 0; i < length; i += 2) {
      CellAnswer ref{static_cast<unsigned char>((*reference)[i]), (*reference)[i + 1] != 0};
      CellAnswer got{static_cast<unsigned char>(r.bytes[i]), r.bytes[i + 1] != 0};
      v.logic = v.logic || tells_apart(Criterion::Logic, ref, got);
      v.monitor = v.monitor || tells_apart(Criterion::Monitor, ref, got);
    }
    (*verdicts)[jobs[j].check].push_back(v);
  }
  return true;
}

}  // namespace kavlab
