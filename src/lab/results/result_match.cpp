// The circuits, cells and vectors of two results, side by side.
#include "results/result_match.h"

#include <algorithm>

namespace kavlab {

std::string list_difference(const std::string& what, const std::vector<std::string>& a,
                            const std::string& a_name, const std::vector<std::string>& b,
                            const std::string& b_name) {
  if (a == b) return "";
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) i++;
  auto at = [i](const std::vector<std::string>& v) { return i < v.size() ? v[i] : "none"; };
  return "the " + what + " differ: " + a_name + " holds " + std::to_string(a.size()) + ", " +
         b_name + " holds " + std::to_string(b.size()) + "; the first that differs is number " +
         std::to_string(i + 1) + ": " + at(a) + " in " + a_name + ", " + at(b) + " in " + b_name;
}

namespace {

std::vector<std::string> cell_labels(const CircuitResult& c) {
  std::vector<std::string> labels;
  for (const TestedCell& cell : c.cells)
    labels.push_back("cell " + std::to_string(cell.index) + " (" + cell.defect + ")");
  return labels;
}

std::string joined(const std::vector<std::string>& words) {
  std::string s;
  for (const std::string& w : words) s += (s.empty() ? "" : ", ") + w;
  return s.empty() ? "none" : s;
}

}  // namespace

std::string circuit_label(const CircuitResult& c) {
  return "circuit " + std::to_string(c.index) + " (" + c.name + ")";
}

std::vector<std::string> circuit_numbers(const Results& r) {
  std::vector<std::string> numbers;
  for (const CircuitResult& c : r.circuits) numbers.push_back(std::to_string(c.index));
  return numbers;
}

std::string circuit_difference(const CircuitResult& a, const std::string& a_name,
                               const CircuitResult& b, const std::string& b_name) {
  std::string why = list_difference("cells", cell_labels(a), a_name, cell_labels(b), b_name);
  if (why.empty()) why = list_difference("vectors", a.vectors, a_name, b.vectors, b_name);
  return why.empty() ? "" : circuit_label(a) + ": " + why;
}

std::string layout_difference(const Results& a, const std::string& a_name, const Results& b,
                              const std::string& b_name) {
  std::vector<std::string> in_a = circuit_numbers(a), in_b = circuit_numbers(b);
  std::vector<std::string> sorted_a = in_a, sorted_b = in_b;
  std::sort(sorted_a.begin(), sorted_a.end());
  std::sort(sorted_b.begin(), sorted_b.end());
  if (sorted_a != sorted_b)
    return "the circuits differ: " + a_name + " holds " + joined(in_a) + "; " + b_name + " holds " +
           joined(in_b);
  for (const CircuitResult& c : a.circuits) {
    const CircuitResult* other = find_circuit(b, c.index);
    std::string why = circuit_difference(c, a_name, *other, b_name);
    if (!why.empty()) return why;
  }
  return "";
}

std::string sweep_refusal(const Results& r, const std::string& name) {
  if (r.sweep.empty()) return "";
  return name + " is a sweep, a pass per value of " + r.sweep + ", not the result of a run";
}

}  // namespace kavlab
