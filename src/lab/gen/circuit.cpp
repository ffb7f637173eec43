// One circuit's generation and compaction: the defects' kinds, goals for the sequence builder,
// the bound, and the exact checks of the result.
#include "gen/circuit.h"

#include <algorithm>

#include "KavrinConst.h"
#include "exhaustive.h"
#include "gen/cover.h"
#include "gen/sequence.h"
#include "gen/verify.h"

namespace kavlab {

bool model_circuit(int circuit, CircuitModel* m, std::string* error) {
  const KAVRIN_ELEMENT_LIST& list = elements[circuit];
  m->circuit = circuit;
  std::string why;
  for (int k = 0; k < list.count; k++) {
    Netlist net = cell_netlist(circuit, k);
    StateGraph g;
    if (!explore_states(net, &g, &why)) {
      *error = "circuit " + std::to_string(circuit) + " cell " + std::to_string(k) + " (" +
               list.idx[k].defect + "): " + why;
      return false;
    }
    if (list.idx[k].type == DEFECT_REFERENCE) {
      m->reference_net = net;
      if (!answers_by_input(g, &m->reference, &why)) {
        *error = "circuit " + std::to_string(circuit) + ": " + why;
        return false;
      }
      continue;
    }
    m->cells.push_back(k);
    m->nets.push_back(std::move(net));
    m->graphs.push_back(std::move(g));
  }
  return true;
}

namespace {

/// The sequence's detections of every defect, by exact simulation from each reachable state.
void check_sequence(const CircuitModel& m, CircuitTests* t) {
  t->states = 0;
  for (std::size_t d = 0; d < m.nets.size(); d++) {
    std::vector<int> counts =
        detections_from_each_state(m.nets[d], m.graphs[d], m.reference, t->by, t->sequence);
    t->defects[d].least_detections = *std::min_element(counts.begin(), counts.end());
    t->defects[d].power_up_detections = counts[0];
    t->states += counts.size();
  }
}

/// The findings of every defect that need no sequence: names, and what the exhaustive set does.
void start_findings(const CircuitModel& m, Criterion by, int need, CircuitTests* t) {
  t->circuit = m.circuit;
  t->by = by;
  t->need = need;
  t->reference = m.reference;
  t->exhaustive_length = static_cast<int>(m.reference.size());
  std::vector<CellAnswer> ref = switch_exhaustive(m.reference_net);
  for (std::size_t d = 0; d < m.nets.size(); d++) {
    DefectFinding f;
    f.cell = m.cells[d];
    f.name = elements[m.circuit].idx[f.cell].defect;
    std::vector<CellAnswer> got = switch_exhaustive(m.nets[d]);
    for (std::size_t v = 0; v < got.size(); v++)
      f.exhaustive = f.exhaustive || tells_apart(by, ref[v], got[v]);
    t->defects.push_back(f);
  }
}

/// The vectors that detect the defect `mc` judges from some reachable state.
std::vector<int> detecting_vectors(const Machine& mc) {
  std::vector<int> set;
  for (int v = 0; v < mc.vectors; v++)
    for (int s = 0; s < mc.states; s++)
      if (mc.detects[static_cast<std::size_t>(s) * mc.vectors + v]) {
        set.push_back(v);
        break;
      }
  return set;
}

/// Searches every sequence of each length from the bound up to one short of the sequence's: a
/// length none of which detects every Forced defect raises the bound past it; a sequence found
/// that also meets the sequence's other goals replaces it. Stops when the search budget is spent.
void search_shorter(const std::vector<Goal>& forced, const std::vector<Goal>& others,
                    const std::vector<int>& all, CircuitTests* t) {
  std::vector<Goal> goals(forced);
  goals.insert(goals.end(), others.begin(), others.end());
  std::size_t budget = SEQUENCE_SEARCH_BUDGET;
  for (int length = std::max(t->bound, 1); length < static_cast<int>(t->sequence.size());
       length++) {
    std::vector<int> found;
    SearchOutcome o = sequence_of_length(forced, all, length, &budget, &found);
    if (o == SearchOutcome::TooLarge) return;
    if (o == SearchOutcome::None) {
      t->bound = length + 1;
      t->bound_searched = true;
      continue;
    }
    bool keeps = true;
    for (const Goal& g : others) keeps = keeps && (!meets(g, t->sequence) || meets(g, found));
    if (keeps) t->sequence = drop_redundant(goals, found);
    return;
  }
}

}  // namespace

bool generate_tests(const CircuitModel& m, Criterion by, int need, CircuitTests* t,
                    std::string* error) {
  *t = CircuitTests{};
  start_findings(m, by, need, t);
  std::vector<Machine> machines;
  for (std::size_t d = 0; d < m.nets.size(); d++) {
    DefectFinding& f = t->defects[d];
    int unused = 0;
    Machine logic = machine_of(m.graphs[d], m.reference, Criterion::Logic);
    Machine monitor = machine_of(m.graphs[d], m.reference, Criterion::Monitor);
    machines.push_back(machine_of(m.graphs[d], m.reference, by));
    bool ok = classify(logic, 1, &f.by_logic, &unused, error) &&
              classify(monitor, 1, &f.by_monitor, &unused, error) &&
              classify(machines.back(), need, &f.kind, &f.forcing_length, error);
    if (!ok) {
      *error = f.name + ": " + *error;
      return false;
    }
  }
  std::vector<Goal> forced, from_power_up;
  std::vector<std::vector<int>> sets;
  int longest = 0;
  for (std::size_t d = 0; d < m.nets.size(); d++) {
    const DefectFinding& f = t->defects[d];
    if (f.kind == DefectKind::Forced) {
      forced.push_back({&machines[d], pending_from_every_state(machines[d], need), need});
      sets.push_back(detecting_vectors(machines[d]));
      longest = std::max(longest, f.forcing_length);
    } else if (f.kind == DefectKind::Unforceable) {
      from_power_up.push_back({&machines[d], pending_from_power_up(), 1});
    }
  }
  std::vector<Goal> goals(forced);
  goals.insert(goals.end(), from_power_up.begin(), from_power_up.end());
  std::vector<int> all = every_vector(static_cast<int>(m.reference.size()));
  t->sequence = build_sequence(goals, all);
  CoverBound cover = cover_bound(sets, need, static_cast<int>(m.reference.size()));
  t->bound = std::max(cover.value, longest);
  t->bound_optimal = cover.optimal;
  search_shorter(forced, from_power_up, all, t);
  check_sequence(m, t);
  return true;
}

bool compact_tests(const CircuitModel& m, Criterion by, const std::vector<int>& given,
                   CircuitTests* t, CircuitTests* before, std::string* error) {
  *before = CircuitTests{};
  start_findings(m, by, 1, before);
  before->sequence = given;
  check_sequence(m, before);
  std::vector<Machine> machines;
  for (std::size_t d = 0; d < m.nets.size(); d++)
    machines.push_back(machine_of(m.graphs[d], m.reference, by));
  std::vector<Goal> goals;
  for (std::size_t d = 0; d < m.nets.size(); d++) {
    const DefectFinding& f = before->defects[d];
    if (f.least_detections > 0)
      goals.push_back({&machines[d], pending_from_every_state(machines[d], 1), 1});
    else if (f.power_up_detections > 0)
      goals.push_back({&machines[d], pending_from_power_up(), 1});
  }
  std::vector<int> allowed(given);
  std::sort(allowed.begin(), allowed.end());
  allowed.erase(std::unique(allowed.begin(), allowed.end()), allowed.end());
  std::vector<int> pruned = drop_redundant(goals, given);
  std::vector<int> built = build_sequence(goals, allowed);
  bool built_meets_all = true;
  for (const Goal& g : goals) built_meets_all = built_meets_all && meets(g, built);
  *t = *before;
  t->sequence = built_meets_all && built.size() < pruned.size() ? built : pruned;
  check_sequence(m, t);
  for (std::size_t d = 0; d < m.nets.size(); d++) {
    const DefectFinding &was = before->defects[d], &now = t->defects[d];
    if ((was.least_detections > 0 && now.least_detections == 0) ||
        (was.power_up_detections > 0 && now.power_up_detections == 0)) {
      *error = was.name + ": the shorter sequence lost it on exact simulation";
      return false;
    }
  }
  return true;
}

int count_kind(const CircuitTests& t, DefectKind DefectFinding::*field, DefectKind k) {
  int n = 0;
  for (const DefectFinding& f : t.defects) n += f.*field == k ? 1 : 0;
  return n;
}

int detected_from_power_up(const CircuitTests& t) {
  int n = 0;
  for (const DefectFinding& f : t.defects) n += f.power_up_detections > 0 ? 1 : 0;
  return n;
}

int detected_from_every_state(const CircuitTests& t) {
  int n = 0;
  for (const DefectFinding& f : t.defects) n += f.least_detections > 0 ? 1 : 0;
  return n;
}

int detected_by_exhaustive(const CircuitTests& t) {
  int n = 0;
  for (const DefectFinding& f : t.defects) n += f.exhaustive ? 1 : 0;
  return n;
}

}  // namespace kavlab
