// The switch-level engine: one solver cell per chip cell (solver.h).
#include <vector>

#include "engine.h"
#include "solver.h"

namespace {

class SwitchEngine : public CellEngine {
 public:
  void add_cell(const Netlist& net) override {
    cells_.push_back(cell_power_up(net));
    power_up_voltage_.push_back(cells_.back().voltage);
  }

  bool apply(std::size_t cell, const unsigned char* inputs, std::size_t count,
             CellAnswer* answers, std::string*) override {
    for (std::size_t k = 0; k < count; ++k) {
      VectorResult r = cell_apply(&cells_[cell], inputs[k]);
      answers[k].outputs = r.outputs;
      answers[k].monitor_pass = r.monitor_pass;
    }
    return true;
  }

  void power_up_all() override {
    for (std::size_t i = 0; i < cells_.size(); ++i) cells_[i].voltage = power_up_voltage_[i];
  }

  CellState save_state(std::size_t cell) const override { return {cells_[cell].voltage, 0}; }

  void restore_state(std::size_t cell, const CellState& state) override {
    cells_[cell].voltage = state.voltage;
  }

 private:
  std::vector<Cell> cells_;
  std::vector<std::vector<double>> power_up_voltage_;
};

}  // namespace

std::unique_ptr<CellEngine> make_switch_engine() { return std::make_unique<SwitchEngine>(); }
