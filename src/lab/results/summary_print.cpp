// The text table and CSV rows of summaries.
#include "results/summary_print.h"

#include "results/csv.h"

namespace kavlab {

std::string count_and_percent(int n, int whole) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%4d %5.1f %%", n, percent(n, whole));
  return buf;
}

namespace {

/// "  37  84.1 %", or a dash when the count is unknown.
std::string count_cell(bool known, int n, int whole) {
  return known ? count_and_percent(n, whole) : "       -    ";
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
  for (const CircuitSummary& c : s)
    std::fprintf(out, "%4d %-8s %7d  %s %s %s %s\n", c.index, c.name.c_str(), c.defects,
                 count_cell(c.logic.known, c.logic.detected, c.defects).c_str(),
                 count_cell(c.monitor.known, c.monitor.detected, c.defects).c_str(),
                 count_cell(c.both >= 0, c.both, c.defects).c_str(),
                 count_cell(true, c.neither, c.defects).c_str());
  if (s.size() > 1) {
    CircuitSummary all = totals(s);
    std::fprintf(out, "%4s %-8s %7d  %s %s %s %s\n", "", "all", all.defects,
                 count_cell(all.logic.known, all.logic.detected, all.defects).c_str(),
                 count_cell(all.monitor.known, all.monitor.detected, all.defects).c_str(),
                 count_cell(all.both >= 0, all.both, all.defects).c_str(),
                 count_cell(true, all.neither, all.defects).c_str());
  }
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
