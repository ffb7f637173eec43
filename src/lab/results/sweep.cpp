// The points and the table of a sweep, each pass summarized as a run of its own.
#include "results/sweep.h"

#include "results/summary.h"
#include "results/summary_print.h"
#include "results/sweep_defects.h"
#include "results/terminal_text.h"
#include "units.h"

namespace kavlab {

std::vector<SweepPoint> sweep_points(const CircuitResult& c, const std::string& parameter) {
  std::vector<SweepPoint> points;
  CircuitResult single = c;
  for (const Pass& p : c.passes) {
    auto value = p.engine_parameters.find(parameter);
    if (value == p.engine_parameters.end()) continue;
    single.passes = {p};
    CircuitSummary s = summarize(single);
    SweepPoint point;
    point.value = value->second;
    point.chosen = s.chosen;
    point.defects = s.defects;
    point.measured = s.measured;
    point.logic = s.logic.detected;
    point.monitor = s.monitor.detected;
    point.either = s.either.detected;
    point.neither = s.neither;
    for (int k = 0; k < kDefectClasses; k++) point.by_class[k] = s.by_class[k];
    point.escapes = s.escapes;
    points.push_back(point);
  }
  return points;
}

namespace {

/// Per value, the defects that nothing detects there, by name.
void print_escapes_per_value(FILE* out, const CircuitResult& c, const std::string& parameter) {
  std::fprintf(out, "escapes (detected by neither) at each value:\n");
  for (const SweepPoint& s : sweep_points(c, parameter)) {
    std::string names;
    for (const std::string& e : s.escapes) names += (names.empty() ? "" : " ") + e;
    std::fprintf(out, "%8s  %s\n", ohms_text(s.value).c_str(),
                 s.measured == Measured::None ? "not measured"
                 : names.empty()              ? "none"
                                              : terminal_text(names).c_str());
  }
}

/// Per defect and way of judging, its critical value.
void print_thresholds(FILE* out, const CircuitResult& c, const std::string& parameter) {
  std::vector<double> values;
  for (const SweepPoint& s : sweep_points(c, parameter))
    if (s.measured != Measured::None) values.push_back(s.value);
  std::fprintf(out,
               "critical resistance per defect, detected at every value up to it (>= : at every "
               "value, < : at none):\n");
  std::fprintf(out, "  %4s  %-18s %-11s %-12s %-12s %s\n", "cell", "defect", "class", "logic",
               "monitor", "either");
  for (const SweptDefect& d : swept_defects(c, parameter)) {
    std::string by[3];
    for (Judgement j : kEveryJudgement)
      by[static_cast<int>(j)] = threshold_text(d.by[static_cast<int>(j)], values, ohms_text);
    std::fprintf(out, "  %4d  %-18s %-11s %-12s %-12s %s\n", d.cell->index,
                 terminal_text(d.cell->defect).c_str(), class_name(class_of(d.cell->type)),
                 by[0].c_str(), by[1].c_str(), by[2].c_str());
  }
}

}  // namespace

void print_sweep(FILE* out, const std::string& source, const Results& r) {
  const Provenance& p = r.provenance;
  auto threshold = p.engine_parameters.find("monitor_ua");
  char monitor[64] = "";
  if (threshold != p.engine_parameters.end())
    std::snprintf(monitor, sizeof monitor, ", monitor threshold %g uA", threshold->second);
  std::fprintf(out, "%s: %s %s, sweep of %s, %s engine%s, %s%s\n", terminal_text(source).c_str(),
               terminal_text(p.program).c_str(), terminal_text(p.version).c_str(),
               terminal_text(r.sweep).c_str(), terminal_text(p.engine).c_str(), monitor,
               terminal_text(p.date_time).c_str(), r.partial ? ", PARTIAL" : "");
  for (const CircuitResult& c : r.circuits) {
    std::fprintf(out, "circuit %d %s: %s; %zu vectors\n", c.index, terminal_text(c.name).c_str(),
                 terminal_text(c.description).c_str(), c.vectors.size());
    std::fprintf(out, "%8s %7s  %-12s %-12s %-12s %s\n", "ohms", "defects", "logic", "monitor",
                 "either", "neither");
    bool all_measured = true;
    for (const SweepPoint& s : sweep_points(c, r.sweep)) {
      std::string defects = std::to_string(s.defects);
      if (s.measured != Measured::All) defects += "/" + std::to_string(s.chosen);
      all_measured = all_measured && s.measured == Measured::All;
      if (s.measured == Measured::None)
        std::fprintf(out, "%8s %7s  not measured\n", ohms_text(s.value).c_str(), defects.c_str());
      else
        std::fprintf(out, "%8s %7s  %s %s %s %s\n", ohms_text(s.value).c_str(), defects.c_str(),
                     count_and_percent(s.logic, s.defects).c_str(),
                     count_and_percent(s.monitor, s.defects).c_str(),
                     count_and_percent(s.either, s.defects).c_str(),
                     count_and_percent(s.neither, s.defects).c_str());
    }
    if (!all_measured)
      std::fprintf(out,
                   "(m/n: m of n chosen cells measured; counts and percentages are of the "
                   "measured cells alone)\n");
    print_escapes_per_value(out, c, r.sweep);
    print_thresholds(out, c, r.sweep);
  }
}

}  // namespace kavlab
