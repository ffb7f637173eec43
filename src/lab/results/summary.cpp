// Summaries of results: counts, escapes, essential vectors, least and median, totals.
#include "results/summary.h"

#include <algorithm>
#include <iterator>

namespace kavlab {

namespace {

/// The vectors at which each measured cell is detected, from one measure's marks.
std::vector<std::vector<int>> detecting_vectors(const std::vector<std::string>& marks) {
  std::vector<std::vector<int>> at(marks.size());
  for (std::size_t c = 0; c < marks.size(); c++)
    for (std::size_t v = 0; v < marks[c].size(); v++)
      if (marks[c][v] == '1') at[c].push_back(static_cast<int>(v));
  return at;
}

/// Counts, essential vectors, least and median over the first `cells` cells.
MeasureSummary measure(const std::vector<std::vector<int>>& at, int cells, int vectors) {
  MeasureSummary m;
  m.known = true;
  std::vector<bool> essential(static_cast<std::size_t>(vectors), false);
  std::vector<int> counts;
  for (int c = 0; c < cells; c++) {
    const std::vector<int>& v = at[static_cast<std::size_t>(c)];
    if (v.empty()) continue;
    m.detected++;
    counts.push_back(static_cast<int>(v.size()));
    if (v.size() == 1) essential[static_cast<std::size_t>(v[0])] = true;
  }
  for (int v = 0; v < vectors; v++)
    if (essential[static_cast<std::size_t>(v)]) m.essential.push_back(v);
  if (!counts.empty()) {
    std::sort(counts.begin(), counts.end());
    std::size_t n = counts.size();
    m.least = counts.front();
    m.median = n % 2 == 1 ? counts[n / 2] : (counts[n / 2 - 1] + counts[n / 2]) / 2.0;
  }
  return m;
}

/// Per cell the union of two detection lists (either of them detects).
std::vector<std::vector<int>> either_of(const std::vector<std::vector<int>>& a,
                                        const std::vector<std::vector<int>>& b, int cells) {
  std::vector<std::vector<int>> u(static_cast<std::size_t>(cells));
  for (std::size_t c = 0; c < u.size(); c++) {
    std::set_union(a[c].begin(), a[c].end(), b[c].begin(), b[c].end(), std::back_inserter(u[c]));
  }
  return u;
}

}  // namespace

CircuitSummary summarize(const CircuitResult& c) {
  CircuitSummary s;
  s.index = c.index;
  s.name = c.name;
  s.description = c.description;
  s.vectors = static_cast<int>(c.vectors.size());
  s.chosen = static_cast<int>(c.cells.size());
  std::vector<std::string> lm = detection_marks(c, Measure::Logic);
  std::vector<std::string> mm = detection_marks(c, Measure::Monitor);
  bool has_logic = pass_for(c, Measure::Logic) != nullptr;
  bool has_monitor = pass_for(c, Measure::Monitor) != nullptr;
  s.defects = s.chosen;
  if (has_logic) s.defects = std::min(s.defects, static_cast<int>(lm.size()));
  if (has_monitor) s.defects = std::min(s.defects, static_cast<int>(mm.size()));
  std::vector<std::vector<int>> la = detecting_vectors(lm), ma = detecting_vectors(mm);
  la.resize(static_cast<std::size_t>(std::max(s.defects, static_cast<int>(la.size()))));
  ma.resize(static_cast<std::size_t>(std::max(s.defects, static_cast<int>(ma.size()))));
  if (has_logic) s.logic = measure(la, s.defects, s.vectors);
  if (has_monitor) s.monitor = measure(ma, s.defects, s.vectors);
  s.either = measure(either_of(la, ma, s.defects), s.defects, s.vectors);
  s.either.known = has_logic || has_monitor;
  if (has_logic && has_monitor) s.both = s.logic.detected + s.monitor.detected - s.either.detected;
  for (int i = 0; i < s.defects; i++) {
    std::size_t k = static_cast<std::size_t>(i);
    const std::string& name = c.cells[k].defect;
    if (la[k].empty() && ma[k].empty()) s.escapes.push_back(name);
    if (has_logic && la[k].empty()) s.missed_by_logic.push_back(name);
    if (has_monitor && ma[k].empty()) s.missed_by_monitor.push_back(name);
    ClassSummary& cls = s.by_class[static_cast<int>(class_of(c.cells[k].type))];
    cls.defects++;
    cls.logic += la[k].empty() ? 0 : 1;
    cls.monitor += ma[k].empty() ? 0 : 1;
    cls.either += la[k].empty() && ma[k].empty() ? 0 : 1;
  }
  s.neither = static_cast<int>(s.escapes.size());
  s.measured = measured_of(s.defects, s.chosen);
  return s;
}

std::vector<CircuitSummary> summarize(const Results& r) {
  std::vector<CircuitSummary> all;
  for (const CircuitResult& c : r.circuits) all.push_back(summarize(c));
  return all;
}

double percent(int part, int whole) { return whole == 0 ? 0.0 : 100.0 * part / whole; }

const char* judgement_name(Judgement j) {
  return j == Judgement::Logic ? "logic" : j == Judgement::Monitor ? "monitor" : "either";
}

Measured measured_of(int defects, int chosen) {
  if (defects >= chosen) return Measured::All;
  return defects == 0 ? Measured::None : Measured::Some;
}

const char* measured_name(Measured m) {
  switch (m) {
    case Measured::All:
      return "complete";
    case Measured::Some:
      return "partial";
    case Measured::None:
      return "not measured";
  }
  return "";
}

CircuitSummary totals(const std::vector<CircuitSummary>& circuits) {
  CircuitSummary t;
  t.logic.known = t.monitor.known = t.either.known = true;
  t.both = 0;
  for (const CircuitSummary& c : circuits) {
    t.chosen += c.chosen;
    if (c.measured == Measured::None) continue;  // it adds no count, and judges no way
    t.defects += c.defects;
    t.logic.known = t.logic.known && c.logic.known;
    t.monitor.known = t.monitor.known && c.monitor.known;
    t.logic.detected += c.logic.detected;
    t.monitor.detected += c.monitor.detected;
    t.either.detected += c.either.detected;
    t.both = t.both < 0 || c.both < 0 ? -1 : t.both + c.both;
    t.neither += c.neither;
    for (int k = 0; k < kDefectClasses; k++) {
      t.by_class[k].defects += c.by_class[k].defects;
      t.by_class[k].logic += c.by_class[k].logic;
      t.by_class[k].monitor += c.by_class[k].monitor;
      t.by_class[k].either += c.by_class[k].either;
    }
  }
  t.measured = measured_of(t.defects, t.chosen);
  return t;
}

}  // namespace kavlab
