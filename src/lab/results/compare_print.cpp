// A comparison as text and as CSV.
#include "results/compare_print.h"

#include <string>

#include "results/csv.h"
#include "results/terminal_text.h"

namespace kavlab {

namespace {

/// "logic and the monitor", "logic", "the monitor".
std::string measures_words(const std::vector<Measure>& ms) {
  std::string s;
  for (std::size_t i = 0; i < ms.size(); i++)
    s += std::string(i == 0 ? "" : " and ") + (ms[i] == Measure::Logic ? "logic" : "the monitor");
  return s;
}

const char* detected(bool d) { return d ? "detected" : "-"; }

/// `word` and spaces after it to `width` characters.
std::string padded(const std::string& word, std::size_t width) {
  return word + std::string(word.size() < width ? width - word.size() : 1, ' ');
}

/// The side columns' headings: "A" and "B", or "logic" and "monitor".
std::string left_heading(const Comparison& c) { return c.within ? "logic" : "A"; }
std::string right_heading(const Comparison& c) { return c.within ? "monitor" : "B"; }

void print_heading(FILE* out, const Comparison& c) {
  int n = total_differences(c);
  std::string count = n == 0 ? "no differences" : std::to_string(n) + " difference(s)";
  if (c.within) {
    std::fprintf(out, "%s: logic against the monitor: %s\n", terminal_text(c.left).c_str(),
                 count.c_str());
    return;
  }
  std::fprintf(out, "A: %s\nB: %s\njudged by %s: %s\n", terminal_text(c.left).c_str(),
               terminal_text(c.right).c_str(), measures_words(c.measures).c_str(), count.c_str());
}

void print_counts(FILE* out, const Comparison& c) {
  std::string l = left_heading(c) + " only", r = right_heading(c) + " only";
  std::fprintf(out, "%4s %-8s %5s %7s %8s %7s %12s %12s %7s\n", "idx", "circuit", "cells",
               "vectors", "compared", "differ", l.c_str(), r.c_str(), "unknown");
  for (const CircuitComparison& cc : c.circuits)
    std::fprintf(out, "%4d %-8s %5zu %7zu %8d %7zu %12d %12d %7d\n", cc.circuit->index,
                 terminal_text(cc.circuit->name).c_str(), cc.circuit->cells.size(),
                 cc.circuit->vectors.size(), cc.compared, cc.differences.size(), cc.left_only,
                 cc.right_only, cc.unknown);
}

void print_differences(FILE* out, const Comparison& c, const CircuitComparison& cc) {
  const CircuitResult& circuit = *cc.circuit;
  std::fprintf(out, "\ncircuit %d %s: %zu difference(s)\n", circuit.index,
               terminal_text(circuit.name).c_str(), cc.differences.size());
  auto by = [&](const char* word) { return c.within ? std::string() : padded(word, 8); };
  std::fprintf(out, "  %4s  %-16s %-10s %-8s %s%-9s %s\n", "cell", "defect", "class", "inputs",
               by("by").c_str(), left_heading(c).c_str(), right_heading(c).c_str());
  for (const DetectionDifference& d : cc.differences) {
    const TestedCell& cell = circuit.cells[d.cell];
    std::fprintf(out, "  %4d  %-16s %-10s %-8s %s%-9s %s\n", cell.index,
                 terminal_text(cell.defect).c_str(), defect_class(cell.type),
                 circuit.vectors[d.vector].c_str(), by(measure_name(d.by)).c_str(),
                 detected(d.left), detected(d.right));
  }
}

/// "A" ("logic"), or "B" ("the monitor"): a side in the defects' roll-up.
std::string side(const Comparison& c, bool left) {
  return c.within ? (left ? "logic" : "the monitor") : (left ? "A" : "B");
}

/// Per circuit, the defects each side alone detects, per class.
void print_defect_counts(FILE* out, const Comparison& c) {
  std::string l = side(c, true) + " only", r = side(c, false) + " only";
  std::fprintf(out, "\ndefects detected by one side only, and escaping the other, per class:\n");
  char heads[64];
  std::snprintf(heads, sizeof heads, "%4s %10s %6s %4s", "all", class_name(kEveryClass[0]),
                class_name(kEveryClass[1]), class_name(kEveryClass[2]));
  std::fprintf(out, "%4s %-8s %-27s  %s\n", "idx", "circuit", l.c_str(), r.c_str());
  std::fprintf(out, "%4s %-8s %s  %s\n", "", "", heads, heads);
  for (const CircuitComparison& cc : c.circuits) {
    std::string cells[2];
    for (bool left : {true, false}) {
      std::vector<int> n = escapes_by_class(cc, left);
      char row[64];
      std::snprintf(row, sizeof row, "%4d %10d %6d %4d", n[0] + n[1] + n[2], n[0], n[1], n[2]);
      cells[left ? 0 : 1] = row;
    }
    std::fprintf(out, "%4d %-8s %s  %s\n", cc.circuit->index,
                 terminal_text(cc.circuit->name).c_str(), cells[0].c_str(), cells[1].c_str());
  }
}

/// One circuit's defects detected on one side only, by name.
void print_defect_escapes(FILE* out, const Comparison& c, const CircuitComparison& cc) {
  for (bool left : {true, false}) {
    std::string names;
    for (const DefectEscape& d : cc.defects) {
      if (d.left != left) continue;
      const TestedCell& cell = cc.circuit->cells[d.cell];
      names += (names.empty() ? "" : ", ") + terminal_text(cell.defect) + " (" +
               class_name(class_of(cell.type)) +
               (c.within ? "" : std::string(", by ") + measure_name(d.by)) + ")";
    }
    std::fprintf(out, "  detected by %s, escaping %s: %s\n", side(c, left).c_str(),
                 side(c, !left).c_str(), names.empty() ? "none" : names.c_str());
  }
}

}  // namespace

void print_comparison(FILE* out, const Comparison& c) {
  print_heading(out, c);
  print_counts(out, c);
  print_defect_counts(out, c);
  for (const CircuitComparison& cc : c.circuits)
    if (!cc.differences.empty()) {
      print_differences(out, c, cc);
      print_defect_escapes(out, c, cc);
    }
}

void print_comparison_csv(FILE* out, const Comparison& c) {
  std::fprintf(out, "circuit,cell,defect,class,inputs,%s\n",
               c.within ? "logic_detected,monitor_detected" : "judged_by,a_detected,b_detected");
  auto row = [&](const CircuitComparison& cc, std::size_t k, const std::string& inputs, Measure by,
                 bool left, bool right) {
    const TestedCell& cell = cc.circuit->cells[k];
    std::string judged = c.within ? "" : std::string(measure_name(by)) + ",";
    std::fprintf(out, "%d,%d,%s,%s,%s,%s%d,%d\n", cc.circuit->index, cell.index,
                 csv_field(cell.defect).c_str(), defect_class(cell.type), inputs.c_str(),
                 judged.c_str(), left ? 1 : 0, right ? 1 : 0);
  };
  for (const CircuitComparison& cc : c.circuits)
    for (const DetectionDifference& d : cc.differences)
      row(cc, d.cell, cc.circuit->vectors[d.vector], d.by, d.left, d.right);
  // Then per defect, with no inputs: detected on some vector on one side, on none on the other.
  for (const CircuitComparison& cc : c.circuits)
    for (const DefectEscape& d : cc.defects) row(cc, d.cell, "", d.by, d.left, !d.left);
}

}  // namespace kavlab
