// The chip as the box sees it: cells at their catalogue positions, reply bytes, empty
// positions, the monitor bit, and cell state kept between calls until the next power-up or reset.
#include "chip.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "KavrinConst.h"
#include "gate_logic_test.h"

namespace {

struct ChipTest : ::testing::Test {
  Chip* chip = chip_power_up();
  ~ChipTest() override { chip_power_down(chip); }

  unsigned char apply(int circuit, int cell, unsigned char input, bool monitor) {
    const KAVRIN_ELEMENT& e = elements[circuit].idx[cell];
    return at(elements[circuit].lib, e.col, e.row, input, monitor);
  }
  unsigned char at(unsigned char block, unsigned char col, unsigned char row, unsigned char input,
                   bool monitor) {
    unsigned char reply = 0xee;
    std::string error;
    EXPECT_TRUE(chip_apply(chip, block, col, row, &input, 1, monitor, &reply, &error)) << error;
    return reply;
  }
};

TEST_F(ChipTest, ReferenceCellsAnswerTheirFunctionAtTheirPositions) {
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    LogicCircuit logic = logic_circuit(c);
    for (unsigned v = 0; v < (1u << elements[c].in); ++v) {
      unsigned expected = (logic_outputs(logic, v) << 1) | 1u;
      EXPECT_EQ(apply(c, 0, static_cast<unsigned char>(v), true), expected) << c << " " << v;
      EXPECT_EQ(apply(c, 0, static_cast<unsigned char>(v), false), expected) << c << " " << v;
    }
  }
}

TEST_F(ChipTest, EveryCataloguePositionHoldsACellAndOthersAnswerZero) {
  int occupied = 0;
  for (unsigned char block : {0x00, 0x80})
    for (int col = 0; col < 16; ++col)
      for (int row = 0; row < 32; ++row) {
        unsigned char reply =
            at(block, static_cast<unsigned char>(col), static_cast<unsigned char>(row), 0, false);
        bool in_grid = block == 0x00 ? col < 13 && row < 30 : col < 6 && row < 29;
        EXPECT_EQ((reply & 1u) != 0, in_grid) << int(block) << " " << col << " " << row;
        if (!in_grid) {
          EXPECT_EQ(reply, 0x00);
        }
        occupied += in_grid;
      }
  EXPECT_EQ(occupied, 564);
  for (unsigned char block : {0x01, 0x40, 0x7F, 0x81, 0xFF})
    EXPECT_EQ(at(block, 0, 0, 0, false), 0x00) << int(block);
  EXPECT_EQ(at(0x00, 255, 255, 0, false), 0x00);
}

TEST_F(ChipTest, MonitorBitIsTheMonitorWhenOnAndOneWhenOff) {
  // NO42 "n1/n3" oscillates on 0000
  EXPECT_EQ(apply(0, 33, 0x0, true) & 1u, 0u);
  EXPECT_EQ(apply(0, 33, 0x0, false) & 1u, 1u);
  // NO42 "A/gnd" draws current exactly when A is driven to 1
  EXPECT_EQ(apply(0, 4, 0x0, true) & 1u, 1u);
  EXPECT_EQ(apply(0, 4, 0x1, true) & 1u, 0u);
}

TEST_F(ChipTest, CellsKeepTheirStateUntilPowerDown) {
  const int na2_11 = 11;  // circuit 12: "NA2_11", pull-down chain broken
  apply(12, na2_11, 0x0, true);
  // vectors to other cells in between change nothing
  for (int k = 0; k < elements[12].count; ++k)
    if (k != na2_11) apply(12, k, 0x0, true);
  apply(0, 0, 0xF, true);
  EXPECT_EQ(apply(12, na2_11, 0x3, true), 0x03);  // Q still 1 from the earlier 00
  chip_power_down(chip);
  chip = chip_power_up();
  EXPECT_EQ(apply(12, na2_11, 0x3, true), 0x01);  // from power-up Q was 0
  apply(12, na2_11, 0x0, true);
  chip_reset(chip);
  EXPECT_EQ(apply(12, na2_11, 0x3, true), 0x01);  // a reset forgets the earlier 00 as well
  apply(12, 0, 0x0, true);
  EXPECT_EQ(apply(12, na2_11, 0x3, true), 0x01);  // and leaves the cells working
}

TEST_F(ChipTest, InputBitsAboveTheCircuitsInputsDriveNothing) {
  for (unsigned v = 0; v < 256; ++v)
    EXPECT_EQ(apply(14, 0, static_cast<unsigned char>(v), true), (v & 1u) ? 0x01 : 0x03) << v;
}

}  // namespace
