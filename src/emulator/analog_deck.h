// The circuit deck of one cell for the analog engine: the cell's netlist with its defect as
// level-1 MOSFETs, resistive bridges, node capacitances and leaks, its input drivers, the node
// voltages it starts from and the vectors of one chunk, as ngspice input lines. The reference
// conditions (process, sizes, timing) are docs/chip-model.md's "The analog engine".
#ifndef KAVTEST_ANALOG_DECK_H
#define KAVTEST_ANALOG_DECK_H

#include <cstddef>
#include <string>
#include <vector>

#include "netlist.h"

/// Supply voltage of the cell and of its drivers, volts.
constexpr double ANALOG_VDD = 5.0;
/// Power-up voltage of a floating gate segment (0.4 VDD), volts.
constexpr double ANALOG_V_FLOAT = 2.0;
/// Node capacitance to ground besides the devices' own: gate outputs and output nodes, others.
constexpr double ANALOG_C_OUT_FF = 100.0;
constexpr double ANALOG_C_INT_FF = 10.0;
/// Each vector lasts this long; its input edges take ANALOG_EDGE_PS from its start.
constexpr long long ANALOG_VECTOR_PS = 100000;
constexpr long long ANALOG_EDGE_PS = 500;
/// The part of a vector at its end over which outputs, current and settling are read.
constexpr long long ANALOG_WINDOW_PS = 25000;
/// The largest time step of the transient. The input edges are breakpoints of their
/// piecewise-linear sources, where ngspice shortens its steps of its own accord; between them the
/// cell is quiet, and a 1 ns cap only multiplies the time points (nearly twice the run time
/// for one reading of the whole chip's that differs, on a floating node of an open).
constexpr long long ANALOG_MAX_STEP_PS = 5000;

/// The name of netlist node `node` in a deck: "n<index>" (n0 is the cell's gnd, n1 its vdd).
std::string deck_node(int node);

/// The deck of one chunk of `count` vectors applied to a cell of `net`, every short a resistor
/// of `bridge_ohms`: the transient starts from `start` (volts per node, rails included; every
/// other node gets an initial condition) with the inputs at `previous_input` and applies
/// `inputs` one vector every ANALOG_VECTOR_PS. With `vt_shift_v` (one entry per transistor of
/// `net`), each cell transistor has a model of its own whose |VT| is the process's plus its
/// entry (at least 0.1 V); without it, they share the process's models. The first line is the
/// title, the last ".end".
std::vector<std::string> cell_deck(const Netlist& net, const std::vector<double>& start,
                                   unsigned previous_input, const unsigned char* inputs,
                                   std::size_t count, double bridge_ohms,
                                   const std::vector<double>* vt_shift_v = nullptr);

/// The voltages of a freshly powered cell: every node at 0 V, vdd at ANALOG_VDD, floating gate
/// segments at ANALOG_V_FLOAT.
std::vector<double> analog_power_up_voltages(const Netlist& net);

#endif
