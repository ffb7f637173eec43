// Computes from the chip model how an exhaustive test set detects each circuit's defects, by
// logic and by the current monitor, and prints the tables of docs/chip-model.md; with --check
// or --write it compares or replaces the generated part of that document.
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "KavrinConst.h"
#include "exhaustive.h"
#include "generated_section.h"

namespace {

struct Detection {
  int defects = 0, logic = 0, monitor = 0, both = 0, neither = 0;
  std::vector<std::string> undetected;
};

Detection detect(int c) {
  const KAVRIN_ELEMENT_LIST& circuit = elements[c];
  std::vector<CellAnswer> reference = switch_exhaustive(cell_netlist(c, 0));
  Detection d;
  for (int k = 1; k < circuit.count; ++k) {
    Verdict verdict = judge(reference, switch_exhaustive(cell_netlist(c, k)));
    bool by_logic = verdict.logic, by_monitor = verdict.monitor;
    ++d.defects;
    d.logic += by_logic;
    d.monitor += by_monitor;
    d.both += by_logic && by_monitor;
    if (!by_logic && !by_monitor) {
      ++d.neither;
      d.undetected.push_back("\"" + std::string(circuit.idx[k].defect) + "\" (cell " +
                             std::to_string(k) + ")");
    }
  }
  return d;
}

std::string row(const std::string& index, const std::string& name, const std::string& desc,
                const Detection& d) {
  std::ostringstream out;
  out << "| " << index << " | " << name << " | " << desc << " | " << d.defects << " | " << d.logic
      << " | " << d.monitor << " | " << d.both << " | " << d.neither << " |\n";
  return out.str();
}

std::string generated_text() {
  std::string table =
      "| idx | circuit | function | defects | by logic | by current monitor | by both | "
      "by neither |\n|---|---|---|---|---|---|---|---|\n";
  std::string lists;
  Detection total;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    Detection d = detect(c);
    table += row(std::to_string(c), elements[c].name, elements[c].desc, d);
    total.defects += d.defects;
    total.logic += d.logic;
    total.monitor += d.monitor;
    total.both += d.both;
    total.neither += d.neither;
    if (!d.undetected.empty()) {
      lists += "- " + std::to_string(c) + " " + elements[c].name + ":";
      for (size_t i = 0; i < d.undetected.size(); ++i)
        lists += (i == 0 ? " " : ", ") + d.undetected[i];
      lists += "\n";
    }
  }
  table += row("", "all", "", total);
  return table +
         "\nDefects that the exhaustive set detects neither by logic nor by the "
         "current monitor:\n\n" +
         (lists.empty() ? std::string("- none\n") : lists);
}

}  // namespace

int main(int argc, char** argv) {
  std::string generated = generated_text();
  if (argc == 1) {
    std::fputs(generated.c_str(), stdout);
    return 0;
  }
  std::string mode = argv[1];
  if (argc != 3 || (mode != "--check" && mode != "--write")) {
    std::fprintf(stderr, "usage: chip_model_report [--check FILE | --write FILE]\n");
    return 2;
  }
  return check_or_write_section("chip_model_report", mode, argv[2], generated);
}
