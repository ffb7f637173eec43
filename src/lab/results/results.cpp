// Queries on the results: which pass judges by what, and where each cell differs.
#include "results/results.h"

#include "KavrinConst.h"

namespace kavlab {

std::vector<Pass> plan_passes(PassPlan plan) {
  Pass logic, monitor, one;
  logic.name = "logic";
  logic.gives_logic = true;
  monitor.name = "monitor";
  monitor.monitor_on = monitor.gives_monitor = true;
  one.name = "one-pass";
  one.monitor_on = one.gives_logic = one.gives_monitor = true;
  switch (plan) {
    case PassPlan::Logic:
      return {logic};
    case PassPlan::Monitor:
      return {monitor};
    case PassPlan::Both:
      return {logic, monitor};
    case PassPlan::OnePass:
      return {one};
  }
  return {};
}

const Pass* pass_for(const CircuitResult& c, Measure m) {
  for (const Pass& p : c.passes)
    if (m == Measure::Logic ? p.gives_logic : p.gives_monitor) return &p;
  return nullptr;
}

namespace {

/// '1', 'X' or '?' for one vector of a measured response against the reference.
char compare(const Response& cell, const Response& ref, std::size_t v, Measure m) {
  if (m == Measure::Logic) {
    if (v >= cell.outputs.size() || v >= ref.outputs.size()) return '?';
    return cell.outputs[v] == ref.outputs[v] ? 'X' : '1';
  }
  if (v >= cell.monitor.size() || v >= ref.monitor.size()) return '?';
  return cell.monitor[v] == ref.monitor[v] ? 'X' : '1';
}

}  // namespace

std::vector<std::string> detection_marks(const CircuitResult& c, Measure m) {
  std::vector<std::string> marks;
  const Pass* p = pass_for(c, m);
  if (p == nullptr) return marks;
  for (const Response& cell : p->cells) {
    std::string row(c.vectors.size(), '?');
    for (std::size_t v = 0; v < row.size(); v++)
      row[v] = !cell.marks.empty() ? (v < cell.marks.size() ? cell.marks[v] : '?')
                                   : compare(cell, p->reference, v, m);
    marks.push_back(row);
  }
  return marks;
}

const CircuitResult* find_circuit(const Results& r, int index) {
  for (const CircuitResult& c : r.circuits)
    if (c.index == index) return &c;
  return nullptr;
}

const char* defect_class(unsigned char type) {
  if (type == (DEFECT_SHORT | DEFECT_STUCK_AT)) return "rail short";
  if (type == DEFECT_SHORT) return "short";
  if (type == DEFECT_OPEN) return "open";
  return "reference";
}

DefectClass class_of(unsigned char type) {
  if (type & DEFECT_OPEN) return DefectClass::Open;
  return (type & DEFECT_STUCK_AT) ? DefectClass::RailShort : DefectClass::Bridge;
}

const char* class_name(DefectClass c) {
  switch (c) {
    case DefectClass::RailShort:
      return "rail short";
    case DefectClass::Bridge:
      return "bridge";
    case DefectClass::Open:
      return "open";
  }
  return "";
}

const char* class_key(DefectClass c) {
  return c == DefectClass::RailShort ? "rail_short" : class_name(c);
}

unsigned char defect_type(const std::string& class_name) {
  for (unsigned char t :
       {static_cast<unsigned char>(DEFECT_SHORT | DEFECT_STUCK_AT), DEFECT_SHORT, DEFECT_OPEN})
    if (class_name == defect_class(t)) return t;
  return 0;
}

}  // namespace kavlab
