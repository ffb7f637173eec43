// The switch-level model of one cell: transistors as switched conductances, charge sharing
// on floating components, nodal analysis of every driven component, rounds until the on/off
// set of the transistors repeats, and the quiescent current judged by the current monitor.
#ifndef KAVTEST_SOLVER_H
#define KAVTEST_SOLVER_H

#include <bitset>
#include <vector>

#include "netlist.h"

/// Conductances (normalised to one on nMOS channel).
constexpr double G_N = 1.0;
constexpr double G_P = 0.4;
constexpr double G_DRV = 10.0;
constexpr double G_SHORT = 100.0;
/// Voltages are normalised: gnd = 0, vdd = 1.
constexpr double VT = 0.3;
constexpr double V_FLOAT = 0.4;
constexpr double EPS = 1e-9;
/// Capacitances for charge sharing.
constexpr double C_OUT = 10.0;
constexpr double C_INT = 1.0;
/// Quiescent current limit of the monitor.
constexpr double I_TH = 0.01;
/// Rounds after which a cell that has not repeated an on/off set counts as oscillating.
constexpr int MAX_ROUNDS = 64;

/// Which transistors conduct, one bit per transistor.
using OnSet = std::bitset<MAX_TRANSISTORS>;

/// A conducting element between two nodes: a transistor channel or a short.
struct Element {
  int a;
  int b;
  double g;
  int transistor;  ///< index of the transistor, -1 for a short (always conducting)
};

/// One cell: its netlist with the defect applied, what the solver derives from it once, and
/// its node voltages, kept from one vector to the next.
struct Cell {
  Netlist net;
  std::vector<Element> elements;
  std::vector<double> capacitance;
  std::vector<int> input_of;    ///< per node: the input whose driver is attached, or -1
  std::vector<double> voltage;  ///< per node, rails included
};

/// What one vector did to a cell.
struct VectorResult {
  unsigned outputs;   ///< bit i: output Yi reads 1
  bool settled;       ///< false when the cell oscillates
  double iddq;        ///< quiescent current of the kept solution
  bool monitor_pass;  ///< settled and iddq <= I_TH
  int rounds;         ///< on/off sets evaluated, the repeating one included
};

/// A powered-up cell of `net`: every node at 0, floating gate segments at V_FLOAT.
Cell cell_power_up(const Netlist& net);

/// Applies one input vector (bit 0 drives the first input) and keeps the new voltages.
VectorResult cell_apply(Cell* cell, unsigned input);

/// The logic value a node voltage reads as.
inline bool reads_one(double v) { return v > 0.5 + EPS; }

/// True when a node has no channel, driver or short attached.
bool is_floating_gate_segment(const Netlist& net, int node);

#endif
