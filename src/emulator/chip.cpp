// The simulated test chip: every catalogue cell at its position in its block, each a
// switch-level cell that keeps its voltages for as long as the chip is powered.
#include "chip.h"

#include <cstdio>
#include <string>
#include <vector>

#include "KavrinConst.h"
#include "defects.h"
#include "exit.h"
#include "solver.h"

namespace {

/// Positions of one block: `cell_at[col * rows + row]` is an index into `Chip::cells` or -1.
struct Block {
  int cols = 0;
  int rows = 0;
  std::vector<int> cell_at;
};

int block_index(unsigned char block) {
  if (block == 0x00) return 0;
  if (block == 0x80) return 1;
  return -1;
}

}  // namespace

struct Chip {
  std::vector<Cell> cells;
  Block blocks[2];
  std::vector<std::vector<double>> power_up_voltage;  ///< per cell, for chip_reset
};

Chip* chip_power_up() {
  Chip* chip = new Chip;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    const KAVRIN_ELEMENT_LIST& circuit = elements[c];
    Block& block = chip->blocks[block_index(circuit.lib)];
    for (int k = 0; k < circuit.count; ++k) {
      if (circuit.idx[k].col >= block.cols) block.cols = circuit.idx[k].col + 1;
      if (circuit.idx[k].row >= block.rows) block.rows = circuit.idx[k].row + 1;
    }
  }
  for (Block& block : chip->blocks) block.cell_at.assign(block.cols * block.rows, -1);

  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    const KAVRIN_ELEMENT_LIST& circuit = elements[c];
    Block& block = chip->blocks[block_index(circuit.lib)];
    Netlist base = circuit_netlist(c);
    for (int k = 0; k < circuit.count; ++k) {
      const KAVRIN_ELEMENT& element = circuit.idx[k];
      Netlist net;
      std::string error;
      if (!apply_defect(base, element.defect, &net, &error)) {
        // The catalogue is fixed data that the tests resolve in full; this is a build defect.
        std::fprintf(stderr, "chip: cell %d of circuit %d: %s\n", k, c, error.c_str());
        end_process(-1);
      }
      block.cell_at[element.col * block.rows + element.row] = static_cast<int>(chip->cells.size());
      chip->cells.push_back(cell_power_up(net));
      chip->power_up_voltage.push_back(chip->cells.back().voltage);
    }
  }
  return chip;
}

void chip_power_down(Chip* chip) { delete chip; }

void chip_reset(Chip* chip) {
  for (std::size_t i = 0; i < chip->cells.size(); ++i)
    chip->cells[i].voltage = chip->power_up_voltage[i];
}

unsigned char chip_apply(Chip* chip, unsigned char block, unsigned char col, unsigned char row,
                         unsigned char input, bool monitor_on) {
  int b = block_index(block);
  if (b < 0) return 0x00;
  const Block& grid = chip->blocks[b];
  if (col >= grid.cols || row >= grid.rows) return 0x00;
  int index = grid.cell_at[col * grid.rows + row];
  if (index < 0) return 0x00;
  VectorResult result = cell_apply(&chip->cells[index], input);
  bool monitor_bit = monitor_on ? result.monitor_pass : true;
  return static_cast<unsigned char>((result.outputs << 1) | (monitor_bit ? 1u : 0u));
}
