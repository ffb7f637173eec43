// Exact switch-level runs from every state, and runs on a chosen engine from power-up.
#include "gen/verify.h"

#include "solver.h"

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

bool verdicts_on_engine(CellEngine* engine, const Netlist& reference,
                        const std::vector<Netlist>& cells, const std::vector<int>& sequence,
                        std::vector<EngineVerdict>* verdicts, std::string* error) {
  std::vector<unsigned char> bytes(sequence.begin(), sequence.end());
  std::vector<CellAnswer> ref(bytes.size()), got(bytes.size());
  engine->add_cell(reference);
  for (const Netlist& n : cells) engine->add_cell(n);
  if (!engine->apply(0, bytes.data(), bytes.size(), ref.data(), error)) return false;
  verdicts->clear();
  for (std::size_t k = 0; k < cells.size(); k++) {
    if (!engine->apply(k + 1, bytes.data(), bytes.size(), got.data(), error)) return false;
    EngineVerdict v;
    for (std::size_t i = 0; i < bytes.size(); i++) {
      v.logic = v.logic || tells_apart(Criterion::Logic, ref[i], got[i]);
      v.monitor = v.monitor || tells_apart(Criterion::Monitor, ref[i], got[i]);
    }
    verdicts->push_back(v);
  }
  return true;
}

}  // namespace kavlab
