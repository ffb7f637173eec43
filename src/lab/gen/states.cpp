// Breadth-first exploration of a cell's reachable states, and the detections of a defective
// cell against the reference.
#include "gen/states.h"

#include <map>

#include "solver.h"

namespace kavlab {

namespace {

std::vector<unsigned short> state_key(const std::vector<double>& voltages) {
  std::vector<unsigned short> key;
  key.reserve(voltages.size());
  for (double v : voltages) key.push_back(voltage_class(v));
  return key;
}

}  // namespace

unsigned short voltage_class(double v) {
  unsigned rail = v == 0.0 ? 1 : v == 1.0 ? 2 : 0;
  return static_cast<unsigned short>(
      (drive_level(false, v) * (DRIVE_LEVELS + 1) + drive_level(true, v)) * 6 + rail * 2 +
      (reads_one(v) ? 1 : 0));
}

bool explore_states(const Netlist& net, StateGraph* g, std::string* error) {
  Cell cell = cell_power_up(net);
  g->vectors = 1 << net.inputs.size();
  g->states = {cell.voltage};
  g->next.clear();
  g->answer.clear();
  std::map<std::vector<unsigned short>, int> index{{state_key(cell.voltage), 0}};
  for (std::size_t s = 0; s < g->states.size(); s++) {
    for (int v = 0; v < g->vectors; v++) {
      cell.voltage = g->states[s];
      VectorResult r = cell_apply(&cell, static_cast<unsigned>(v));
      auto found = index.emplace(state_key(cell.voltage), static_cast<int>(g->states.size()));
      if (found.second) {
        if (g->states.size() >= MAX_CELL_STATES) {
          *error = "the cell reaches more than " + std::to_string(MAX_CELL_STATES) + " states";
          return false;
        }
        g->states.push_back(cell.voltage);
      }
      g->next.push_back(found.first->second);
      g->answer.push_back({r.outputs, r.monitor_pass});
    }
  }
  return true;
}

const char* criterion_name(Criterion c) {
  return c == Criterion::Logic ? "logic" : c == Criterion::Monitor ? "monitor" : "either";
}

bool tells_apart(Criterion c, const CellAnswer& ref, const CellAnswer& cell) {
  bool logic = ref.outputs != cell.outputs;
  bool monitor = ref.monitor_pass && !cell.monitor_pass;
  return c == Criterion::Logic ? logic : c == Criterion::Monitor ? monitor : logic || monitor;
}

bool answers_by_input(const StateGraph& ref, std::vector<CellAnswer>* per_vector,
                      std::string* error) {
  per_vector->assign(ref.answer.begin(), ref.answer.begin() + ref.vectors);
  for (std::size_t s = 1; s < ref.states.size(); s++)
    for (int v = 0; v < ref.vectors; v++) {
      const CellAnswer& a = ref.answer[s * ref.vectors + v];
      if (a.outputs != (*per_vector)[v].outputs ||
          a.monitor_pass != (*per_vector)[v].monitor_pass) {
        *error = "the reference cell answers vector " + std::to_string(v) +
                 " by its state, not by its input alone";
        return false;
      }
    }
  return true;
}

Machine machine_of(const StateGraph& cell, const std::vector<CellAnswer>& reference, Criterion c) {
  Machine m;
  m.vectors = cell.vectors;
  m.states = static_cast<int>(cell.states.size());
  m.next = &cell.next;
  m.detects.resize(cell.answer.size());
  for (std::size_t k = 0; k < cell.answer.size(); k++)
    m.detects[k] = tells_apart(c, reference[k % cell.vectors], cell.answer[k]) ? 1 : 0;
  return m;
}

}  // namespace kavlab
