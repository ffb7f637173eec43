// One cell of the analog engine: its netlist, the node voltages it ended its last chunk with,
// and the level its inputs were driven to. Each chunk of vectors is one ngspice transient that
// starts where the previous chunk ended.
#ifndef KAVTEST_ANALOG_CELL_H
#define KAVTEST_ANALOG_CELL_H

#include <cstddef>
#include <string>
#include <vector>

#include "analog_readout.h"
#include "netlist.h"

struct AnalogCell {
  Netlist net;
  std::vector<double> voltage;  ///< per node, volts, rails included
  unsigned input = 0;           ///< the input vector last driven; all inputs low at power-up
  /// Per transistor, the shift of its |VT| from the process's (a chip that differs as a die
  /// does); empty for the nominal cell.
  std::vector<double> vt_shift_v;
};

/// A freshly powered cell of `net` (analog_power_up_voltages, inputs low).
AnalogCell analog_power_up(const Netlist& net);

/// Applies `count` vectors to `cell` as one transient with every short of `bridge_ohms` (and the
/// cell's thresholds) and
/// reads each vector into `*out`; the cell keeps its final voltages and inputs. False with
/// `*error` set when ngspice fails; the cell is then unchanged.
bool analog_apply(AnalogCell* cell, const unsigned char* inputs, std::size_t count,
                  double bridge_ohms, std::vector<AnalogVector>* out, std::string* error);

#endif
