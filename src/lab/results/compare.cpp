// Comparing detections: per cell, vector and way of judging, whether each side tells the cell
// from its reference.
#include "results/compare.h"

#include <algorithm>
#include <tuple>

#include "results/result_match.h"

namespace kavlab {

namespace {

/// The mark of cell `k` at vector `v`; '?' where the marks do not reach.
char mark_at(const std::vector<std::string>& marks, std::size_t k, std::size_t v) {
  return k < marks.size() && v < marks[k].size() ? marks[k][v] : '?';
}

/// Adds to `out` every cell and vector of `c` where the marks `left` and `right` differ.
void compare_marks(const CircuitResult& c, const std::vector<std::string>& left,
                   const std::vector<std::string>& right, Measure by, CircuitComparison& out) {
  for (std::size_t k = 0; k < c.cells.size(); k++)
    for (std::size_t v = 0; v < c.vectors.size(); v++) {
      char l = mark_at(left, k, v), r = mark_at(right, k, v);
      if (l == '?' || r == '?') {
        out.unknown++;
        continue;
      }
      out.compared++;
      if (l == r) continue;
      out.differences.push_back({k, v, by, l == '1', r == '1'});
      (l == '1' ? out.left_only : out.right_only)++;
    }
}

/// Whether a row of marks detects: 1 yes, 0 no (measured, never detected), -1 unknown.
int detects(const std::vector<std::string>& marks, std::size_t k) {
  if (k >= marks.size()) return -1;
  if (marks[k].find('1') != std::string::npos) return 1;
  return marks[k].find('?') == std::string::npos ? 0 : -1;
}

/// Adds to `out` every cell of `c` that one side's marks detect and the other's never do.
void compare_defects(const CircuitResult& c, const std::vector<std::string>& left,
                     const std::vector<std::string>& right, Measure by, CircuitComparison& out) {
  for (std::size_t k = 0; k < c.cells.size(); k++) {
    int l = detects(left, k), r = detects(right, k);
    if (l >= 0 && r >= 0 && l != r) out.defects.push_back({k, by, l == 1});
  }
}

/// The differences by cell, then vector, then way of judging.
void order_differences(CircuitComparison& c) {
  std::sort(c.differences.begin(), c.differences.end(),
            [](const DetectionDifference& x, const DetectionDifference& y) {
              return std::make_tuple(x.cell, x.vector, x.by) <
                     std::make_tuple(y.cell, y.vector, y.by);
            });
  std::sort(c.defects.begin(), c.defects.end(), [](const DefectEscape& x, const DefectEscape& y) {
    return std::make_tuple(x.cell, x.by) < std::make_tuple(y.cell, y.by);
  });
}

/// Why `r` (named `name`) does not judge every circuit by `m`; empty when it does.
std::string missing_measure(const Results& r, const std::string& name, Measure m) {
  for (const CircuitResult& c : r.circuits)
    if (pass_for(c, m) == nullptr)
      return name + " does not judge " + circuit_label(c) + " by " +
             (m == Measure::Logic ? "logic" : "the monitor");
  return "";
}

/// The ways of judging to compare: `asked`, or those that both judge by; false with
/// `*trouble` set when one is missing or none is shared.
bool choose_measures(const Results& a, const std::string& a_name, const Results& b,
                     const std::string& b_name, const std::vector<Measure>& asked,
                     std::vector<Measure>* ways, std::string* trouble) {
  *ways = asked;
  if (asked.empty())
    for (Measure m : {Measure::Logic, Measure::Monitor})
      if (missing_measure(a, a_name, m).empty() && missing_measure(b, b_name, m).empty())
        ways->push_back(m);
  if (ways->empty()) {
    *trouble = a_name + " and " + b_name + " share no way of judging (logic or the monitor)";
    return false;
  }
  for (Measure m : *ways) {
    *trouble = missing_measure(a, a_name, m);
    if (trouble->empty()) *trouble = missing_measure(b, b_name, m);
    if (!trouble->empty()) return false;
  }
  return true;
}

}  // namespace

const char* measure_name(Measure m) { return m == Measure::Logic ? "logic" : "monitor"; }

bool compare_results(const Results& a, const std::string& a_name, const Results& b,
                     const std::string& b_name, const std::vector<Measure>& measures,
                     Comparison* out, std::string* trouble) {
  *trouble = sweep_refusal(a, a_name);
  if (trouble->empty()) *trouble = sweep_refusal(b, b_name);
  if (trouble->empty()) *trouble = layout_difference(a, a_name, b, b_name);
  std::vector<Measure> ways;
  if (!trouble->empty() || !choose_measures(a, a_name, b, b_name, measures, &ways, trouble))
    return false;
  *out = Comparison{false, a_name, b_name, ways, {}};
  for (const CircuitResult& c : a.circuits) {
    const CircuitResult* other = find_circuit(b, c.index);
    CircuitComparison cc;
    cc.circuit = &c;
    for (Measure m : ways) {
      std::vector<std::string> left = detection_marks(c, m), right = detection_marks(*other, m);
      compare_marks(c, left, right, m, cc);
      compare_defects(c, left, right, m, cc);
    }
    order_differences(cc);
    out->circuits.push_back(cc);
  }
  return true;
}

bool compare_logic_monitor(const Results& r, const std::string& name, Comparison* out,
                           std::string* trouble) {
  *trouble = sweep_refusal(r, name);
  if (!trouble->empty()) return false;
  for (Measure m : {Measure::Logic, Measure::Monitor}) {
    *trouble = missing_measure(r, name, m);
    if (!trouble->empty()) {
      *trouble += ": --logic-vs-monitor needs a result judged both ways";
      return false;
    }
  }
  *out = Comparison{true, name, "", {Measure::Logic, Measure::Monitor}, {}};
  for (const CircuitResult& c : r.circuits) {
    CircuitComparison cc;
    cc.circuit = &c;
    std::vector<std::string> logic = detection_marks(c, Measure::Logic),
                             monitor = detection_marks(c, Measure::Monitor);
    compare_marks(c, logic, monitor, Measure::Logic, cc);
    compare_defects(c, logic, monitor, Measure::Logic, cc);
    out->circuits.push_back(cc);
  }
  return true;
}

std::vector<int> escapes_by_class(const CircuitComparison& cc, bool left) {
  std::vector<int> counts(kDefectClasses, 0);
  for (const DefectEscape& d : cc.defects)
    if (d.left == left)
      counts[static_cast<std::size_t>(class_of(cc.circuit->cells[d.cell].type))]++;
  return counts;
}

namespace {

/// Circuit `c` with only the cells whose numbers are `keep`, in that order, and each pass's
/// answers of them up to the first it lacks (a partial pass holds a prefix of the cells).
CircuitResult with_cells(const CircuitResult& c, const std::vector<int>& keep) {
  CircuitResult out = c;
  out.cells.clear();
  for (Pass& p : out.passes) p.cells.clear();
  for (int number : keep) {
    std::size_t at = 0;
    while (at < c.cells.size() && c.cells[at].index != number) at++;
    out.cells.push_back(c.cells[at]);
    for (std::size_t k = 0; k < c.passes.size(); k++) {
      Pass& p = out.passes[k];
      if (p.cells.size() + 1 == out.cells.size() && at < c.passes[k].cells.size())
        p.cells.push_back(c.passes[k].cells[at]);
    }
  }
  return out;
}

}  // namespace

bool common_parts(const Results& a, const std::string& a_name, const Results& b,
                  const std::string& b_name, Results* a_common, Results* b_common,
                  std::string* trouble) {
  *a_common = a;
  *b_common = b;
  a_common->circuits.clear();
  b_common->circuits.clear();
  for (const CircuitResult& ca : a.circuits) {
    const CircuitResult* cb = find_circuit(b, ca.index);
    if (cb == nullptr) continue;
    if (ca.vectors != cb->vectors) {
      *trouble = circuit_label(ca) + ": " + a_name + " and " + b_name +
                 " applied other vectors: --common compares the same test on both";
      return false;
    }
    std::vector<int> both;
    for (const TestedCell& cell : ca.cells)
      for (const TestedCell& other : cb->cells)
        if (other.index == cell.index) both.push_back(cell.index);
    a_common->circuits.push_back(with_cells(ca, both));
    b_common->circuits.push_back(with_cells(*cb, both));
  }
  if (a_common->circuits.empty()) {
    *trouble = a_name + " and " + b_name + " hold no circuit in common";
    return false;
  }
  return true;
}

int total_differences(const Comparison& c) {
  int n = 0;
  for (const CircuitComparison& cc : c.circuits) n += static_cast<int>(cc.differences.size());
  return n;
}

}  // namespace kavlab
