// Writes a cell's ngspice deck: models, supplies, the netlist's transistors and bridges, every
// node's capacitance and leak, the input drivers with their piecewise-linear sources, the
// initial conditions and the transient of one chunk.
#include "analog_deck.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "solver.h"

namespace {

// Level-1 models of the generic 5 V, 1 um process: the thresholds, and the other parameters.
constexpr double kNmosVt = 0.7, kPmosVt = 0.8;
const char kNmosParameters[] =
    "kp=120u gamma=0.4 phi=0.65 lambda=0.03 tox=20n cgso=0.3n cgdo=0.3n cgbo=0.4n cj=0.3m mj=0.5 "
    "cjsw=0.3n mjsw=0.33 pb=0.8";
const char kPmosParameters[] =
    "kp=40u gamma=0.5 phi=0.65 lambda=0.05 tox=20n cgso=0.3n cgdo=0.3n cgbo=0.4n cj=0.5m mj=0.5 "
    "cjsw=0.35n mjsw=0.33 pb=0.8";
/// The least |VT| a varied transistor gets: a draw far in the tail stays an enhancement device.
constexpr double kLeastVt = 0.1;

/// Channel widths in um: cell transistors, then the input drivers'. Every channel is 1 um long.
constexpr double kCellNmosW = 2.0, kCellPmosW = 2.4;
constexpr double kDriverNmosW = 20.0, kDriverPmosW = 60.0;
/// Diffusion of a channel of width W: area W x 2.5 um, perimeter 2 W + 5 um.
constexpr double kDiffusionLength = 2.5;

/// printf into a string; every line of a deck is far shorter than the buffer.
std::string format(const char* pattern, ...) {
  char buffer[256];
  va_list args;
  va_start(args, pattern);
  int n = std::vsnprintf(buffer, sizeof buffer, pattern, args);
  va_end(args);
  return n < 0 ? std::string()
               : std::string(buffer, static_cast<std::size_t>(n) < sizeof buffer
                                         ? static_cast<std::size_t>(n)
                                         : sizeof buffer - 1);
}

/// A MOSFET line: name, drain, gate, source, bulk, model name and width with its diffusions.
std::string mosfet(const std::string& name, const std::string& drain, const std::string& gate,
                   const std::string& source, const std::string& bulk, const std::string& model,
                   double width) {
  double area = width * kDiffusionLength, perimeter = 2 * width + 2 * kDiffusionLength;
  return format("%s %s %s %s %s %s l=1u w=%gu ad=%gp as=%gp pd=%gu ps=%gu", name.c_str(),
                drain.c_str(), gate.c_str(), source.c_str(), bulk.c_str(), model.c_str(), width,
                area, area, perimeter, perimeter);
}

/// The driver's input level of a cell input at logic `level`: the driver inverts.
const char* driver_input(bool level) { return level ? "0" : "5"; }

/// The piecewise-linear source of input `bit`: from the previous level, one 0.5 ns edge at the
/// start of each vector that changes it.
std::string input_source(int bit, unsigned previous, const unsigned char* inputs,
                         std::size_t count) {
  bool level = ((previous >> bit) & 1u) != 0;
  std::string line = format("vi%d i%d 0 pwl(0 %s", bit, bit, driver_input(level));
  for (std::size_t k = 0; k < count; ++k) {
    bool next = ((inputs[k] >> bit) & 1u) != 0;
    if (next == level) continue;
    long long start = static_cast<long long>(k) * ANALOG_VECTOR_PS;
    if (k > 0) line += format(" %lldp %s", start, driver_input(level));
    line += format(" %lldp %s", start + ANALOG_EDGE_PS, driver_input(next));
    level = next;
  }
  return line + ")";
}

/// The model line `name` of the process's nMOS or pMOS with the threshold `vt` (its magnitude,
/// volts).
std::string model_line(const std::string& name, bool pmos, double vt) {
  return format(".model %s %s (level=1 vto=%.9g %s)", name.c_str(), pmos ? "pmos" : "nmos",
                pmos ? -vt : vt, pmos ? kPmosParameters : kNmosParameters);
}

}  // namespace

std::string deck_node(int node) { return "n" + std::to_string(node); }

std::vector<double> analog_power_up_voltages(const Netlist& net) {
  std::vector<double> v(net.nodes.size(), 0.0);
  v[NODE_VDD] = ANALOG_VDD;
  for (std::size_t i = 0; i < net.nodes.size(); ++i)
    if (is_floating_gate_segment(net, static_cast<int>(i))) v[i] = ANALOG_V_FLOAT;
  return v;
}

std::vector<std::string> cell_deck(const Netlist& net, const std::vector<double>& start,
                                   unsigned previous_input, const unsigned char* inputs,
                                   std::size_t count, double bridge_ohms,
                                   const std::vector<double>* vt_shift_v) {
  std::vector<std::string> deck;
  deck.push_back("* kavtest cell of " + net.circuit);
  deck.push_back(model_line("nch", false, kNmosVt));
  deck.push_back(model_line("pch", true, kPmosVt));
  // The cell's rails through sources of their own, so that their currents can be read; the
  // drivers have their own supply.
  deck.push_back("vgnd n0 0 0");
  deck.push_back(format("vvdd n1 0 %g", ANALOG_VDD));
  deck.push_back(format("vsup sup 0 %g", ANALOG_VDD));
  for (std::size_t i = 0; i < net.transistors.size(); ++i) {
    const Transistor& t = net.transistors[i];
    std::string model = t.pmos ? "pch" : "nch";
    if (vt_shift_v != nullptr) {
      model += std::to_string(i);
      double nominal = t.pmos ? kPmosVt : kNmosVt;
      deck.push_back(model_line(model, t.pmos, std::max(kLeastVt, nominal + (*vt_shift_v)[i])));
    }
    deck.push_back(mosfet("m" + std::to_string(i), deck_node(t.drain), deck_node(t.gate),
                          deck_node(t.source), deck_node(t.pmos ? NODE_VDD : NODE_GND), model,
                          t.pmos ? kCellPmosW : kCellNmosW));
  }
  for (std::size_t i = 0; i < net.shorts.size(); ++i)
    deck.push_back(format("rb%zu %s %s %.9g", i, deck_node(net.shorts[i].first).c_str(),
                          deck_node(net.shorts[i].other).c_str(), bridge_ohms));

  std::vector<bool> carries_output(net.nodes.size(), false);
  for (const OutputPin& pin : net.outputs) carries_output[pin.node] = true;
  for (std::size_t i = 2; i < net.nodes.size(); ++i) {
    bool large = net.nodes[i].gate_output || carries_output[i];
    deck.push_back(format("c%zu n%zu 0 %gf", i, i, large ? ANALOG_C_OUT_FF : ANALOG_C_INT_FF));
    deck.push_back(format("rl%zu n%zu 0 1e12", i, i));
  }
  for (std::size_t k = 0; k < net.inputs.size(); ++k) {
    std::string node = deck_node(net.inputs[k]), in = "i" + std::to_string(k);
    deck.push_back(mosfet("md" + std::to_string(k), node, in, "0", "0", "nch", kDriverNmosW));
    deck.push_back(mosfet("mu" + std::to_string(k), node, in, "sup", "sup", "pch", kDriverPmosW));
    deck.push_back(input_source(static_cast<int>(k), previous_input, inputs, count));
  }
  // Initial conditions, a few nodes a line.
  std::string ic;
  for (std::size_t i = 2; i < net.nodes.size(); ++i) {
    ic += format(" v(n%zu)=%.9g", i, start[i]);
    if ((i - 1) % 8 == 0 || i + 1 == net.nodes.size()) {
      deck.push_back(".ic" + ic);
      ic.clear();
    }
  }
  deck.push_back(".options method=gear noinit");
  deck.push_back(format(".tran 0.1n %lldp 0 %lldp",
                        static_cast<long long>(count) * ANALOG_VECTOR_PS, ANALOG_MAX_STEP_PS));
  deck.push_back(".end");
  return deck;
}
