// The simulated test chip: every catalogue cell at its position in its block, each an instance
// of its circuit's netlist with its defect, computed by the chip's engine, which keeps the
// cells' state for as long as the chip is powered.
#include "chip.h"

#include <cstdio>
#include <vector>

#include "KavrinConst.h"
#include "chip_ahead.h"
#include "defects.h"
#include "exit.h"

namespace {

/// Positions of one block: `cell_at[col * rows + row]` is a cell of the engine or -1.
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
  EngineChoice choice;
  std::unique_ptr<CellEngine> engine;
  Block blocks[2];
  std::vector<CellAnswer> answers;  ///< working storage of chip_apply
  ChipAhead ahead;                  ///< last: it goes first, while the engine is still there
};

namespace {

/// The engine's cell at (col, row) of `block`, or -1 when there is none.
int engine_cell(const Chip* chip, unsigned char block, unsigned char col, unsigned char row) {
  int b = block_index(block);
  if (b < 0) return -1;
  const Block& grid = chip->blocks[b];
  if (col >= grid.cols || row >= grid.rows) return -1;
  return grid.cell_at[col * grid.rows + row];
}

}  // namespace

Chip* chip_power_up() {
  std::string error;
  Chip* chip = chip_power_up_with(EngineChoice{}, &error);
  if (chip == nullptr) {
    // The switch-level engine cannot fail to be made.
    std::fprintf(stderr, "chip: %s\n", error.c_str());
    end_process(-1);
  }
  return chip;
}

Chip* chip_power_up_with(const EngineChoice& choice, std::string* error) {
  std::unique_ptr<CellEngine> engine = make_engine(choice, error);
  if (!engine) return nullptr;
  Chip* chip = new Chip;
  chip->choice = choice;
  chip->engine = std::move(engine);
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    const KAVRIN_ELEMENT_LIST& circuit = elements[c];
    Block& block = chip->blocks[block_index(circuit.lib)];
    for (int k = 0; k < circuit.count; ++k) {
      if (circuit.idx[k].col >= block.cols) block.cols = circuit.idx[k].col + 1;
      if (circuit.idx[k].row >= block.rows) block.rows = circuit.idx[k].row + 1;
    }
  }
  for (Block& block : chip->blocks) block.cell_at.assign(block.cols * block.rows, -1);

  int cells = 0;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    const KAVRIN_ELEMENT_LIST& circuit = elements[c];
    Block& block = chip->blocks[block_index(circuit.lib)];
    Netlist base = circuit_netlist(c);
    for (int k = 0; k < circuit.count; ++k) {
      const KAVRIN_ELEMENT& element = circuit.idx[k];
      Netlist net;
      std::string defect_error;
      if (!apply_defect(base, element.defect, &net, &defect_error)) {
        // The catalogue is fixed data that the tests resolve in full; this is a build defect.
        std::fprintf(stderr, "chip: cell %d of circuit %d: %s\n", k, c, defect_error.c_str());
        end_process(-1);
      }
      block.cell_at[element.col * block.rows + element.row] = cells++;
      chip->engine->add_cell(net);
    }
  }
  return chip;
}

void chip_power_down(Chip* chip) { delete chip; }

void chip_reset(Chip* chip) {
  chip->ahead.drop();
  chip->engine->power_up_all();
}

const EngineChoice& chip_engine(const Chip* chip) { return chip->choice; }

bool chip_apply(Chip* chip, unsigned char block, unsigned char col, unsigned char row,
                const unsigned char* inputs, std::size_t count, bool monitor_on,
                unsigned char* replies, std::string* error) {
  for (std::size_t k = 0; k < count; ++k) replies[k] = 0x00;
  AheadCall taken;
  const std::vector<CellAnswer>* answers = &chip->answers;
  if (chip->ahead.take(block, col, row, inputs, count, &taken)) {
    if (!taken.ok) {
      *error = taken.error;
      return false;
    }
    if (taken.cell < 0) return true;
    answers = &taken.answers;
  } else {
    chip->ahead.drop();
    int index = engine_cell(chip, block, col, row);
    if (index < 0) return true;
    chip->answers.resize(count);
    if (!chip->engine->apply(static_cast<std::size_t>(index), inputs, count, chip->answers.data(),
                             error))
      return false;
  }
  for (std::size_t k = 0; k < count; ++k) {
    bool monitor_bit = monitor_on ? (*answers)[k].monitor_pass : true;
    replies[k] = static_cast<unsigned char>(((*answers)[k].outputs << 1) | (monitor_bit ? 1u : 0u));
  }
  return true;
}

void chip_compute_ahead(Chip* chip, const std::vector<ChipCall>& calls) {
  std::vector<AheadCall> ahead;
  for (const ChipCall& c : calls) {
    AheadCall a;
    a.block = c.block;
    a.col = c.col;
    a.row = c.row;
    a.inputs = c.inputs;
    a.cell = engine_cell(chip, c.block, c.col, c.row);
    ahead.push_back(std::move(a));
  }
  chip->ahead.start(chip->engine.get(), std::move(ahead));
}

void chip_drop_ahead(Chip* chip) { chip->ahead.drop(); }

unsigned long chip_calls_taken_ahead(const Chip* chip) { return chip->ahead.taken_total(); }
