// Critical values of a sweep's defects, from each value's own pass.
#include "results/sweep_defects.h"

#include <algorithm>
#include <map>

namespace kavlab {

namespace {

/// Per value of the sweep (ascending), whether each cell is detected by `j`: 1, 0, or -1 where
/// that value's pass did not measure it.
std::map<double, std::vector<int>> detections_by_value(const CircuitResult& c,
                                                       const std::string& parameter, Judgement j) {
  std::map<double, std::vector<int>> by_value;
  for (const Pass& p : c.passes) {
    auto value = p.engine_parameters.find(parameter);
    if (value == p.engine_parameters.end()) continue;
    CircuitResult single = c;
    single.passes = {p};
    std::vector<std::string> logic = detection_marks(single, Measure::Logic),
                             monitor = detection_marks(single, Measure::Monitor);
    std::vector<int>& row = by_value[value->second];
    row.assign(c.cells.size(), -1);
    for (std::size_t k = 0; k < c.cells.size(); k++) {
      auto seen = [&](const std::vector<std::string>& marks) {
        if (k >= marks.size()) return -1;
        if (marks[k].find('1') != std::string::npos) return 1;
        return marks[k].find('?') == std::string::npos ? 0 : -1;
      };
      int l = p.gives_logic ? seen(logic) : -1, m = p.gives_monitor ? seen(monitor) : -1;
      row[k] = j == Judgement::Logic     ? l
               : j == Judgement::Monitor ? m
               : l == 1 || m == 1        ? 1
               : l < 0 && m < 0          ? -1
                                         : 0;
    }
  }
  return by_value;
}

/// The threshold of cell `k` from its detections at each value, smallest first.
DefectThreshold threshold_of(const std::map<double, std::vector<int>>& by_value, std::size_t k) {
  DefectThreshold t;
  bool escaped = false, measured = false;
  for (const auto& [value, row] : by_value) {
    if (row[k] < 0) continue;
    measured = true;
    if (row[k] == 1) {
      t.detected_at.push_back(value);
      if (escaped) t.kind = Threshold::NotMonotonic;
      if (!escaped) t.critical = value;
    } else {
      escaped = true;
    }
  }
  if (!measured) return DefectThreshold{};
  if (t.kind == Threshold::NotMonotonic) return t;
  t.kind = t.detected_at.empty() ? Threshold::Never : escaped ? Threshold::UpTo : Threshold::Every;
  t.detected_at.clear();
  return t;
}

}  // namespace

std::vector<SweptDefect> swept_defects(const CircuitResult& c, const std::string& parameter) {
  std::vector<SweptDefect> defects(c.cells.size());
  for (std::size_t k = 0; k < c.cells.size(); k++) defects[k].cell = &c.cells[k];
  for (Judgement j : kEveryJudgement) {
    std::map<double, std::vector<int>> by_value = detections_by_value(c, parameter, j);
    for (std::size_t k = 0; k < c.cells.size(); k++)
      defects[k].by[static_cast<int>(j)] = threshold_of(by_value, k);
  }
  return defects;
}

std::string threshold_text(const DefectThreshold& t, const std::vector<double>& values,
                           std::string (*unit)(double)) {
  switch (t.kind) {
    case Threshold::Every:
      return ">= " + unit(t.critical);
    case Threshold::UpTo:
      return unit(t.critical);
    case Threshold::Never:
      return values.empty() ? "never"
                            : "< " + unit(*std::min_element(values.begin(), values.end()));
    case Threshold::NotMonotonic: {
      std::string at = "not monotonic:";
      for (double v : t.detected_at) at += " " + unit(v);
      return at;
    }
    case Threshold::NotMeasured:
      break;
  }
  return "-";
}

}  // namespace kavlab
