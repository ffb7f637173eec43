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

}  // namespace

void print_comparison(FILE* out, const Comparison& c) {
  print_heading(out, c);
  print_counts(out, c);
  for (const CircuitComparison& cc : c.circuits)
    if (!cc.differences.empty()) print_differences(out, c, cc);
}

void print_comparison_csv(FILE* out, const Comparison& c) {
  std::fprintf(out, "circuit,cell,defect,class,inputs,%s\n",
               c.within ? "logic_detected,monitor_detected" : "judged_by,a_detected,b_detected");
  for (const CircuitComparison& cc : c.circuits)
    for (const DetectionDifference& d : cc.differences) {
      const TestedCell& cell = cc.circuit->cells[d.cell];
      std::string by = c.within ? "" : std::string(measure_name(d.by)) + ",";
      std::fprintf(out, "%d,%d,%s,%s,%s,%s%d,%d\n", cc.circuit->index, cell.index,
                   csv_field(cell.defect).c_str(), defect_class(cell.type),
                   cc.circuit->vectors[d.vector].c_str(), by.c_str(), d.left ? 1 : 0,
                   d.right ? 1 : 0);
    }
}

}  // namespace kavlab
