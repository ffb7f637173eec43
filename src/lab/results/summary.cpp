// Summaries of results: counts, escapes, essential vectors, and their text and CSV forms.
#include "results/summary.h"

#include <algorithm>
#include <iterator>

#include "results/csv.h"

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
    if (la[k].empty() && ma[k].empty()) s.escapes.push_back(c.cells[k].defect);
  }
  s.neither = static_cast<int>(s.escapes.size());
  return s;
}

std::vector<CircuitSummary> summarize(const Results& r) {
  std::vector<CircuitSummary> all;
  for (const CircuitResult& c : r.circuits) all.push_back(summarize(c));
  return all;
}

double percent(int part, int whole) { return whole == 0 ? 0.0 : 100.0 * part / whole; }

namespace {

/// "  37  84.1 %", or a dash when the count is unknown.
std::string count_cell(bool known, int n, int whole) {
  char buf[32];
  if (!known) return "       -    ";
  std::snprintf(buf, sizeof buf, "%4d %5.1f %%", n, percent(n, whole));
  return buf;
}

/// The vectors of `indices` as their input bits, space separated; "none" when empty.
std::string vector_list(const CircuitResult& c, const std::vector<int>& indices) {
  if (indices.empty()) return "none";
  std::string s;
  for (int v : indices) s += (s.empty() ? "" : " ") + c.vectors[static_cast<std::size_t>(v)];
  return s;
}

std::string join(const std::vector<std::string>& words, const char* sep) {
  std::string s;
  for (const std::string& w : words) s += (s.empty() ? "" : sep) + w;
  return s;
}

void print_details(FILE* out, const CircuitResult& c, const CircuitSummary& s) {
  std::fprintf(out, "\ncircuit %d %s: %s; %d vectors, %d of %d cells measured\n", s.index,
               s.name.c_str(), s.description.c_str(), s.vectors, s.defects, s.chosen);
  std::fprintf(out, "  escapes: %s\n", s.escapes.empty() ? "none" : join(s.escapes, " ").c_str());
  const std::pair<const char*, const MeasureSummary*> rows[] = {
      {"logic", &s.logic}, {"monitor", &s.monitor}, {"either", &s.either}};
  for (const auto& [label, m] : rows) {
    if (!m->known) continue;
    std::fprintf(out, "  %-7s essential vectors: %s\n", label,
                 vector_list(c, m->essential).c_str());
    std::fprintf(out, "  %-7s vectors per detected defect: least %d, median %g\n", label, m->least,
                 m->median);
  }
}

}  // namespace

void print_summary(FILE* out, const std::string& source, const Results& r,
                   const std::vector<CircuitSummary>& s) {
  const Provenance& p = r.provenance;
  std::string resumed = p.resumed.empty() ? "" : ", resumed " + p.resumed.back();
  std::fprintf(out, "%s: %s %s on %s%s, %s%s%s\n", source.c_str(), p.program.c_str(),
               p.version.c_str(), p.device.empty() ? "an unknown box" : p.device.c_str(),
               p.emulated == Emulated::Yes ? (" (emulated, " + p.engine + ")").c_str() : "",
               p.date_time.c_str(), resumed.c_str(), r.partial ? ", PARTIAL" : "");
  std::fprintf(out, "%4s %-8s %7s  %-12s %-12s %-12s %s\n", "idx", "circuit", "defects", "logic",
               "monitor", "both", "neither");
  int total[5] = {0, 0, 0, 0, 0};
  bool logic_known = true, monitor_known = true;
  for (const CircuitSummary& c : s) {
    std::fprintf(out, "%4d %-8s %7d  %s %s %s %s\n", c.index, c.name.c_str(), c.defects,
                 count_cell(c.logic.known, c.logic.detected, c.defects).c_str(),
                 count_cell(c.monitor.known, c.monitor.detected, c.defects).c_str(),
                 count_cell(c.both >= 0, c.both, c.defects).c_str(),
                 count_cell(true, c.neither, c.defects).c_str());
    int add[5] = {c.defects, c.logic.detected, c.monitor.detected, c.both, c.neither};
    for (int k = 0; k < 5; k++) total[k] += add[k];
    logic_known = logic_known && c.logic.known;
    monitor_known = monitor_known && c.monitor.known;
  }
  if (s.size() > 1)
    std::fprintf(out, "%4s %-8s %7d  %s %s %s %s\n", "", "all", total[0],
                 count_cell(logic_known, total[1], total[0]).c_str(),
                 count_cell(monitor_known, total[2], total[0]).c_str(),
                 count_cell(logic_known && monitor_known, total[3], total[0]).c_str(),
                 count_cell(true, total[4], total[0]).c_str());
  for (std::size_t i = 0; i < s.size(); i++) print_details(out, r.circuits[i], s[i]);
}

namespace {

/// A CSV field of one measure: the count, or empty when unknown.
std::string csv_count(bool known, int n) { return known ? std::to_string(n) : ""; }

std::string csv_percent(bool known, int n, int whole) {
  if (!known) return "";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", percent(n, whole));
  return buf;
}

std::string csv_measure(const CircuitResult& c, const MeasureSummary& m, int defects) {
  char median[32] = "";
  if (m.known) std::snprintf(median, sizeof median, "%g", m.median);
  return csv_count(m.known, m.detected) + "," + csv_percent(m.known, m.detected, defects) + "," +
         (m.known ? std::to_string(m.least) : "") + "," + median + "," +
         (m.known ? csv_field(vector_list(c, m.essential)) : "");
}

}  // namespace

void print_summary_csv(FILE* out, const std::string& source, const Results& r,
                       const std::vector<CircuitSummary>& s, bool header) {
  if (header) {
    std::string measure_cols;
    for (const char* m : {"logic", "monitor", "either"})
      for (const char* col : {"", "_percent", "_least", "_median", "_essential"})
        measure_cols += std::string(",") + m + col;
    std::fprintf(out, "results,partial,circuit,name,vectors,defects%s,both,neither,escapes\n",
                 measure_cols.c_str());
  }
  for (std::size_t i = 0; i < s.size(); i++) {
    const CircuitSummary& c = s[i];
    const CircuitResult& cr = r.circuits[i];
    std::fprintf(
        out, "%s,%d,%d,%s,%d,%d,%s,%s,%s,%s,%d,%s\n", csv_field(source).c_str(), r.partial ? 1 : 0,
        c.index, csv_field(c.name).c_str(), c.vectors, c.defects,
        csv_measure(cr, c.logic, c.defects).c_str(), csv_measure(cr, c.monitor, c.defects).c_str(),
        csv_measure(cr, c.either, c.defects).c_str(), csv_count(c.both >= 0, c.both).c_str(),
        c.neither, csv_field(join(c.escapes, " ")).c_str());
  }
}

}  // namespace kavlab
