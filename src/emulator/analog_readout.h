// Reading a cell's transient as the box reads it: per vector, over the last ANALOG_WINDOW_PS of
// the vector, each output's minimum against half the supply, the mean supply current, and
// whether some node still swings.
#ifndef KAVTEST_ANALOG_READOUT_H
#define KAVTEST_ANALOG_READOUT_H

#include <cstddef>
#include <vector>

#include "netlist.h"

/// An output reads 1 when its minimum over the window is above this, volts.
constexpr double ANALOG_V_LOGIC = 2.5;
/// A node whose voltage moves by more than this over the window has not settled, volts.
constexpr double ANALOG_SETTLE_SWING = 0.5;

/// One chunk's transient: the time points and, at each, every node's voltage and the cell's
/// supply currents.
struct Waveforms {
  std::vector<double> time;                ///< seconds from the chunk's start, increasing
  std::vector<std::vector<double>> node;   ///< per netlist node (rails may be empty), volts
  std::vector<double> vdd_current;         ///< leaving the cell's vdd, amperes
  std::vector<double> gnd_current;         ///< entering the cell's gnd, amperes
};

/// What one vector did to an analog cell.
struct AnalogVector {
  unsigned outputs = 0;  ///< bit i: output Yi reads 1
  double iddq = 0.0;     ///< the larger mean supply current over the window, amperes
  bool settled = true;   ///< no node swung by more than ANALOG_SETTLE_SWING over the window
};

/// The readings of vector `k` (0 for the first of the chunk) of the cell of `net`; the
/// transient must reach the vector's end.
AnalogVector read_vector(const Netlist& net, const Waveforms& w, std::size_t k);

/// Every node's voltage at the transient's last time point; the rails, and any node without a
/// waveform, keep their value in `start`.
std::vector<double> final_voltages(const Waveforms& w, const std::vector<double>& start);

#endif
