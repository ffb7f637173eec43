// Exhaustive runs of single cells and their verdicts against the reference cell.
#include "exhaustive.h"

#include <cstdio>

#include "KavrinConst.h"
#include "defects.h"
#include "exit.h"
#include "solver.h"

Netlist cell_netlist(int circuit, int cell) {
  Netlist net;
  std::string error;
  if (!apply_defect(circuit_netlist(circuit), elements[circuit].idx[cell].defect, &net, &error)) {
    std::fprintf(stderr, "cell %d of circuit %d: %s\n", cell, circuit, error.c_str());
    end_process(1);
  }
  return net;
}

std::vector<unsigned char> counting_vectors(const Netlist& net) {
  std::vector<unsigned char> vectors;
  for (unsigned v = 0; v < (1u << net.inputs.size()); ++v)
    vectors.push_back(static_cast<unsigned char>(v));
  return vectors;
}

std::vector<CellAnswer> switch_exhaustive(const Netlist& net) {
  Cell cell = cell_power_up(net);
  std::vector<CellAnswer> answers;
  for (unsigned char v : counting_vectors(net)) {
    VectorResult r = cell_apply(&cell, v);
    answers.push_back({r.outputs, r.monitor_pass});
  }
  return answers;
}

Verdict judge(const std::vector<CellAnswer>& reference, const std::vector<CellAnswer>& cell) {
  Verdict v;
  for (std::size_t k = 0; k < cell.size() && k < reference.size(); ++k) {
    v.logic = v.logic || cell[k].outputs != reference[k].outputs;
    v.monitor = v.monitor || (reference[k].monitor_pass && !cell[k].monitor_pass);
  }
  return v;
}
