// The switch-level model of one cell (docs/chip-model.md, "The model"): transistors as
// conductances that grow in steps with their gate drive, charge sharing on floating
// components, nodal analysis of every driven component, rounds until the drive levels of the
// transistors repeat, and the quiescent current judged by the current monitor.
#ifndef KAVTEST_SOLVER_H
#define KAVTEST_SOLVER_H

#include <array>
#include <vector>

#include "netlist.h"

/// Conductances at full gate drive (normalised to one nMOS channel).
constexpr double G_N = 1.0;
constexpr double G_P = 0.4;
constexpr double G_DRV = 10.0;
constexpr double G_SHORT = 100.0;
/// Voltages are normalised: gnd = 0, vdd = 1. Threshold voltages of the two transistor types.
constexpr double VT_N = 0.14;
constexpr double VT_P = 0.16;
/// A channel's conductance grows in this many steps from off to full gate drive.
constexpr int DRIVE_LEVELS = 8;
/// Power-up voltage of a floating gate segment that reaches transistor gates (pulled up from
/// 0.4 by their coupling as the cell powers up), and of one that reaches no gate.
constexpr double V_FLOAT = 0.5;
constexpr double V_FLOAT_PIN = 0.4;
/// The share of its swing that a node driven in a round keeps when a later round of the same
/// vector cuts it off: the switching takes part of the time a round stands for.
constexpr double RACE_SHARE = 0.25;
constexpr double EPS = 1e-9;
/// Capacitances for charge sharing.
constexpr double C_OUT = 10.0;
constexpr double C_INT = 1.0;
/// Quiescent current limit of the monitor.
constexpr double I_TH = 0.01;
/// Rounds after which a cell that has not repeated an on/off set counts as oscillating.
constexpr int MAX_ROUNDS = 64;

/// The drive level of each transistor, 0 (off) to DRIVE_LEVELS (full gate drive).
using DriveLevels = std::array<unsigned char, MAX_TRANSISTORS>;

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
  int rounds;         ///< drive level sets evaluated, the repeating one included
};

/// A powered-up cell of `net`: every node at 0, floating gate segments at V_FLOAT (V_FLOAT_PIN
/// when they reach no transistor gate).
Cell cell_power_up(const Netlist& net);

/// Applies one input vector (bit 0 drives the first input) and keeps the new voltages.
VectorResult cell_apply(Cell* cell, unsigned input);

/// The logic value a node voltage reads as.
inline bool reads_one(double v) { return v > 0.5 + EPS; }

/// The drive level of a transistor whose gate is at `gate`: its overdrive (gate voltage beyond
/// the threshold, towards the other rail) as a fraction of the full one, rounded to the
/// nearest step; a fraction within EPS of a half step takes the lower level.
int drive_level(bool pmos, double gate);

/// True when a node has no channel, driver or short attached.
bool is_floating_gate_segment(const Netlist& net, int node);

#endif
