// A chunk of an analog cell: its deck, ngspice's transient, the readings and the state kept.
#include "analog_cell.h"

#include "analog_deck.h"
#include "spice_session.h"

AnalogCell analog_power_up(const Netlist& net) {
  AnalogCell cell;
  cell.net = net;
  cell.voltage = analog_power_up_voltages(net);
  return cell;
}

bool analog_apply(AnalogCell* cell, const unsigned char* inputs, std::size_t count,
                  double bridge_ohms, std::vector<AnalogVector>* out, std::string* error) {
  out->clear();
  if (count == 0) return true;
  const Netlist& net = cell->net;
  std::vector<std::string> deck =
      cell_deck(net, cell->voltage, cell->input, inputs, count, bridge_ohms,
                cell->vt_shift_v.empty() ? nullptr : &cell->vt_shift_v);
  // The time, every node but the rails, and the currents of the cell's two rail sources.
  std::vector<std::string> names{"time", "vvdd#branch", "vgnd#branch"};
  for (std::size_t n = 2; n < net.nodes.size(); ++n)
    names.push_back(deck_node(static_cast<int>(n)));
  std::vector<std::vector<double>> values;
  double stop = static_cast<double>(count) * static_cast<double>(ANALOG_VECTOR_PS) * 1e-12;
  if (!spice_transient(deck, stop, names, &values, error)) return false;

  for (const std::vector<double>& v : values)
    if (v.size() != values[0].size()) {
      *error = "ngspice gave vectors of unequal lengths for " + deck.front();
      return false;
    }
  Waveforms w;
  w.time = std::move(values[0]);
  // ngspice's current of a source flows into its positive terminal: a supply that delivers
  // current has a negative one; the gnd source takes the cell's current in.
  w.vdd_current = std::move(values[1]);
  for (double& i : w.vdd_current) i = -i;
  w.gnd_current = std::move(values[2]);
  w.node.resize(net.nodes.size());
  for (std::size_t n = 2; n < net.nodes.size(); ++n) w.node[n] = std::move(values[n + 1]);
  for (std::size_t k = 0; k < count; ++k) out->push_back(read_vector(net, w, k));
  cell->voltage = final_voltages(w, cell->voltage);
  cell->input = inputs[count - 1];
  return true;
}
