// The text table and CSV rows of summaries.
#include "results/summary_print.h"

#include "results/csv.h"
#include "results/terminal_text.h"

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

/// The defects column: the measured cells, and of how many chosen when not all.
std::string defects_cell(const CircuitSummary& c) {
  if (c.measured == Measured::All) return std::to_string(c.defects);
  return std::to_string(c.defects) + "/" + std::to_string(c.chosen);
}

/// One row of the table: the counts, or "not measured" for a circuit with no measured cell.
void print_row(FILE* out, const std::string& index, const std::string& name,
               const CircuitSummary& c) {
  if (c.measured == Measured::None) {
    std::fprintf(out, "%4s %-8s %7s  not measured\n", index.c_str(), name.c_str(),
                 defects_cell(c).c_str());
    return;
  }
  std::fprintf(out, "%4s %-8s %7s  %s %s %s %s\n", index.c_str(), name.c_str(),
               defects_cell(c).c_str(),
               count_cell(c.logic.known, c.logic.detected, c.defects).c_str(),
               count_cell(c.monitor.known, c.monitor.detected, c.defects).c_str(),
               count_cell(c.both >= 0, c.both, c.defects).c_str(),
               count_cell(true, c.neither, c.defects).c_str());
}

/// The vectors of `indices` as their input bits, space separated.
std::string vector_list(const CircuitResult& c, const std::vector<int>& indices) {
  std::string s;
  for (int v : indices) s += (s.empty() ? "" : " ") + c.vectors[static_cast<std::size_t>(v)];
  return s;
}

std::string join(const std::vector<std::string>& words, const char* sep) {
  std::string s;
  for (const std::string& w : words) s += (s.empty() ? "" : sep) + w;
  return s;
}

/// One class's row: its defects and what each known way of judging detects of them.
void print_class_row(FILE* out, const char* indent, const char* name, const ClassSummary& k,
                     const CircuitSummary& s) {
  std::fprintf(out, "%s%-11s %7d  %s %s %s\n", indent, name, k.defects,
               count_cell(s.logic.known, k.logic, k.defects).c_str(),
               count_cell(s.monitor.known, k.monitor, k.defects).c_str(),
               count_cell(s.either.known, k.either, k.defects).c_str());
}

/// The classes of defect that `s` holds, one row each.
void print_classes(FILE* out, const char* indent, const CircuitSummary& s) {
  for (DefectClass c : kEveryClass) {
    const ClassSummary& k = s.by_class[static_cast<int>(c)];
    if (k.defects > 0) print_class_row(out, indent, class_name(c), k, s);
  }
}

/// "A B C", or "none".
std::string names_or_none(const std::vector<std::string>& names) {
  return names.empty() ? "none" : terminal_text(join(names, " "));
}

void print_details(FILE* out, const CircuitResult& c, const CircuitSummary& s) {
  std::fprintf(out, "\ncircuit %d %s: %s; %d vectors, ", s.index, terminal_text(s.name).c_str(),
               terminal_text(s.description).c_str(), s.vectors);
  if (s.measured == Measured::None) {
    std::fprintf(out, "not measured (0 of %d cells)\n", s.chosen);
    return;
  }
  std::fprintf(out, "%d of %d cells measured\n", s.defects, s.chosen);
  std::fprintf(out, "  %-11s %7s  %-12s %-12s %s\n", "class", "defects", "logic", "monitor",
               "either");
  print_classes(out, "  ", s);
  std::fprintf(out, "  escapes (detected by neither): %s\n", names_or_none(s.escapes).c_str());
  if (s.logic.known)
    std::fprintf(out, "  missed by logic: %s\n", names_or_none(s.missed_by_logic).c_str());
  if (s.monitor.known)
    std::fprintf(out, "  missed by the monitor: %s\n", names_or_none(s.missed_by_monitor).c_str());
  const std::pair<const char*, const MeasureSummary*> rows[] = {
      {"logic", &s.logic}, {"monitor", &s.monitor}, {"either", &s.either}};
  for (const auto& [label, m] : rows) {
    if (!m->known) continue;
    std::string essential = vector_list(c, m->essential);
    std::fprintf(out, "  %-7s essential vectors: %s\n", label,
                 essential.empty() ? "none" : essential.c_str());
    if (m->detected == 0)
      std::fprintf(out, "  %-7s vectors per detected defect: no defect detected\n", label);
    else
      std::fprintf(out, "  %-7s vectors per detected defect: least %d, median %g\n", label,
                   m->least, m->median);
  }
}

}  // namespace

void print_summary(FILE* out, const std::string& source, const Results& r,
                   const std::vector<CircuitSummary>& s) {
  const Provenance& p = r.provenance;
  std::string resumed = p.resumed.empty() ? "" : ", resumed " + p.resumed.back();
  std::string box = p.device.empty() ? "an unknown box" : p.device;
  if (p.emulated == Emulated::Yes) box += " (emulated, " + p.engine + ")";
  std::fprintf(out, "%s: %s %s on %s, %s%s%s\n", terminal_text(source).c_str(),
               terminal_text(p.program).c_str(), terminal_text(p.version).c_str(),
               terminal_text(box).c_str(), terminal_text(p.date_time).c_str(),
               terminal_text(resumed).c_str(), r.partial ? ", PARTIAL" : "");
  std::fprintf(out, "%4s %-8s %7s  %-12s %-12s %-12s %s\n", "idx", "circuit", "defects", "logic",
               "monitor", "both", "neither");
  bool all_measured = true;
  for (const CircuitSummary& c : s) {
    print_row(out, std::to_string(c.index), terminal_text(c.name), c);
    all_measured = all_measured && c.measured == Measured::All;
  }
  CircuitSummary all = totals(s);
  if (s.size() > 1) print_row(out, "", "all", all);
  if (!all_measured)
    std::fprintf(out,
                 "(m/n: m of n chosen cells measured; counts and percentages are of the "
                 "measured cells alone)\n");
  if (s.size() > 1 && all.defects > 0) {
    std::fprintf(out, "\nall circuits by class of defect:\n");
    std::fprintf(out, "  %-11s %7s  %-12s %-12s %s\n", "class", "defects", "logic", "monitor",
                 "either");
    print_classes(out, "  ", all);
  }
  for (std::size_t i = 0; i < s.size(); i++) print_details(out, r.circuits[i], s[i]);
}

namespace {

/// The fields of one way of judging: count, percent, least, median and essential vectors; all
/// empty when it is not known or nothing was measured.
std::string csv_measure(const CircuitResult& c, const MeasureSummary& m, int defects,
                        bool measured) {
  if (!m.known || !measured) return ",,,,";
  char percent_text[32], median[32] = "";
  std::snprintf(percent_text, sizeof percent_text, "%.1f", percent(m.detected, defects));
  if (m.detected > 0) std::snprintf(median, sizeof median, "%g", m.median);
  return std::to_string(m.detected) + "," + percent_text + "," +
         (m.detected > 0 ? std::to_string(m.least) : "") + "," + median + "," +
         csv_field(vector_list(c, m.essential));
}

}  // namespace

namespace {

/// The class columns of a CSV row: per class its defects and what logic, the monitor and either
/// detect of them; empty where not known.
std::string csv_classes(const CircuitSummary& c, bool measured) {
  std::string fields;
  for (DefectClass k : kEveryClass) {
    const ClassSummary& cls = c.by_class[static_cast<int>(k)];
    auto count = [&](bool known, int n) { return known && measured ? std::to_string(n) : ""; };
    fields += "," + count(true, cls.defects) + "," + count(c.logic.known, cls.logic) + "," +
              count(c.monitor.known, cls.monitor) + "," + count(c.either.known, cls.either);
  }
  return fields;
}

}  // namespace

void print_summary_csv(FILE* out, const std::string& source, const Results& r,
                       const std::vector<CircuitSummary>& s, bool header) {
  if (header) {
    std::string measure_cols, class_cols;
    for (const char* m : {"logic", "monitor", "either"})
      for (const char* col : {"", "_percent", "_least", "_median", "_essential"})
        measure_cols += std::string(",") + m + col;
    for (DefectClass k : kEveryClass)
      for (const char* col : {"_defects", "_logic", "_monitor", "_either"})
        class_cols += std::string(",") + class_key(k) + col;
    std::fprintf(out,
                 "results,partial,circuit,name,status,vectors,chosen,defects%s,both,neither,"
                 "escapes,missed_by_logic,missed_by_monitor%s\n",
                 measure_cols.c_str(), class_cols.c_str());
  }
  for (std::size_t i = 0; i < s.size(); i++) {
    const CircuitSummary& c = s[i];
    const CircuitResult& cr = r.circuits[i];
    bool measured = c.measured != Measured::None;
    std::string row =
        csv_field(source) + "," + (r.partial ? "1" : "0") + "," + std::to_string(c.index) + "," +
        csv_field(c.name) + "," + measured_name(c.measured) + "," + std::to_string(c.vectors) +
        "," + std::to_string(c.chosen) + "," + std::to_string(c.defects) + "," +
        csv_measure(cr, c.logic, c.defects, measured) + "," +
        csv_measure(cr, c.monitor, c.defects, measured) + "," +
        csv_measure(cr, c.either, c.defects, measured) + "," +
        (measured && c.both >= 0 ? std::to_string(c.both) : "") + "," +
        (measured ? std::to_string(c.neither) : "") + "," + csv_field(join(c.escapes, " ")) + "," +
        csv_field(join(c.missed_by_logic, " ")) + "," + csv_field(join(c.missed_by_monitor, " ")) +
        csv_classes(c, measured);
    std::fprintf(out, "%s\n", row.c_str());
  }
}

}  // namespace kavlab
