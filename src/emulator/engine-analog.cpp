// The analog engine: one analog cell per chip cell, each chunk of vectors one ngspice transient
// (analog_cell.h), the monitor judged by the engine's threshold.
#include <utility>
#include <vector>

#include "analog_cell.h"
#include "analog_deck.h"
#include "engine.h"
#include "spice_session.h"
#include "variation.h"

namespace {

class AnalogEngine : public CellEngine {
 public:
  explicit AnalogEngine(const EngineChoice& choice) : choice_(choice) {}

  /// A chip that differs as a die does draws each cell's thresholds and bridge from its index.
  void add_cell(const Netlist& net) override {
    AnalogCell cell = analog_power_up(net);
    double bridge = choice_.bridge_ohms;
    if (choice_.variation.enabled) {
      kavtest::CellVariation v =
          kavtest::draw_cell_variation(net, choice_.variation, cells_.size());
      cell.vt_shift_v = std::move(v.vt_shift_v);
      bridge = kavtest::varied_bridge_ohms(choice_.bridge_ohms, v.bridge_decades);
    }
    cells_.push_back(std::move(cell));
    bridge_ohms_.push_back(bridge);
  }

  bool apply(std::size_t cell, const unsigned char* inputs, std::size_t count, CellAnswer* answers,
             std::string* error) override {
    if (!analog_apply(&cells_[cell], inputs, count, bridge_ohms_[cell], &readings_, error))
      return false;
    double threshold = choice_.monitor_ua * 1e-6;
    for (std::size_t k = 0; k < count; ++k) {
      answers[k].outputs = readings_[k].outputs;
      answers[k].monitor_pass = readings_[k].iddq <= threshold;
    }
    return true;
  }

  void power_up_all() override {
    for (AnalogCell& cell : cells_) {
      cell.voltage = analog_power_up_voltages(cell.net);
      cell.input = 0;
    }
  }

  CellState save_state(std::size_t cell) const override {
    return {cells_[cell].voltage, cells_[cell].input};
  }

  void restore_state(std::size_t cell, const CellState& state) override {
    cells_[cell].voltage = state.voltage;
    cells_[cell].input = state.input;
  }

 private:
  EngineChoice choice_;
  std::vector<AnalogCell> cells_;
  std::vector<double> bridge_ohms_;  ///< per cell: the choice's, or its own on a varied chip
  std::vector<AnalogVector> readings_;
};

}  // namespace

bool analog_engine_built() { return true; }

std::unique_ptr<CellEngine> make_analog_engine(const EngineChoice& choice, std::string* error) {
  if (!spice_start(error)) return nullptr;
  return std::make_unique<AnalogEngine>(choice);
}
