// The CSV export: cells by vectors, with every pass's answers and the verdicts.
#include "results/export_csv.h"

#include <algorithm>
#include <string>
#include <vector>

#include "results/csv.h"

namespace kavlab {

namespace {

/// The names of every pass of every circuit, in first-seen order: one column pair each.
std::vector<std::string> pass_names(const Results& r) {
  std::vector<std::string> names;
  for (const CircuitResult& c : r.circuits)
    for (const Pass& p : c.passes)
      if (std::find(names.begin(), names.end(), p.name) == names.end()) names.push_back(p.name);
  return names;
}

/// The reference's outputs at vector `v`: from the pass that judges by logic, else the first
/// that has them.
std::string reference_outputs(const CircuitResult& c, std::size_t v) {
  const Pass* logic = pass_for(c, Measure::Logic);
  if (logic != nullptr && v < logic->reference.outputs.size()) return logic->reference.outputs[v];
  for (const Pass& p : c.passes)
    if (v < p.reference.outputs.size()) return p.reference.outputs[v];
  return "";
}

/// "1" detected, "0" not, "" unknown.
std::string verdict(const std::vector<std::string>& marks, std::size_t k, std::size_t v) {
  if (k >= marks.size() || marks[k][v] == '?') return "";
  return marks[k][v] == '1' ? "1" : "0";
}

/// The outputs and monitor columns of pass `name` for cell `k` at vector `v`.
std::string pass_columns(const CircuitResult& c, const std::string& name, std::size_t k,
                         std::size_t v) {
  for (const Pass& p : c.passes) {
    if (p.name != name || k >= p.cells.size()) continue;
    const Response& r = p.cells[k];
    std::string outputs = v < r.outputs.size() ? r.outputs[v] : "";
    std::string monitor = v < r.monitor.size() ? (r.monitor[v] == 'P' ? "pass" : "fail") : "";
    return outputs + "," + monitor;
  }
  return ",";
}

}  // namespace

bool export_csv(const Results& r, FILE* out) {
  std::vector<std::string> names = pass_names(r);
  std::string header = "circuit,cell,defect,class,inputs,reference_outputs";
  for (const std::string& n : names) header += "," + n + "_outputs," + n + "_monitor";
  bool ok = std::fprintf(out, "%s,logic_detected,monitor_detected\n", header.c_str()) >= 0;
  for (const CircuitResult& c : r.circuits) {
    std::vector<std::string> logic = detection_marks(c, Measure::Logic);
    std::vector<std::string> monitor = detection_marks(c, Measure::Monitor);
    for (std::size_t k = 0; k < c.cells.size() && ok; k++) {
      std::string cell = std::to_string(c.index) + "," + std::to_string(c.cells[k].index) + "," +
                         csv_field(c.cells[k].defect) + "," + defect_class(c.cells[k].type);
      for (std::size_t v = 0; v < c.vectors.size() && ok; v++) {
        std::string row = cell + "," + c.vectors[v] + "," + reference_outputs(c, v);
        for (const std::string& n : names) row += "," + pass_columns(c, n, k, v);
        row += "," + verdict(logic, k, v) + "," + verdict(monitor, k, v) + "\n";
        ok = std::fputs(row.c_str(), out) >= 0;
      }
    }
  }
  return ok && std::fflush(out) == 0;
}

}  // namespace kavlab
