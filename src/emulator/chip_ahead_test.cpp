// Calls computed ahead: taken, the chip answers as it would have; not taken (another call, a
// reset, a power-down), the cells are put back. NA2_11 (circuit 12, pull-down chain broken)
// shows a cell's state: its output, once pulled up by a 0 on an input, stays up, so that 11
// reads 1 after 00 and 0 from power-up.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "KavrinConst.h"
#include "chip.h"

namespace {

using Bytes = std::vector<unsigned char>;

ChipCall call_of(int circuit, int cell, Bytes inputs) {
  const KAVRIN_ELEMENT& e = elements[circuit].idx[cell];
  return {elements[circuit].lib, e.col, e.row, std::move(inputs)};
}

const ChipCall kNa2Up = call_of(12, 11, {0x0});    // pulls the output up for good
const ChipCall kNa2Read = call_of(12, 11, {0x3});  // reads it: 0x03 once pulled up, else 0x01

Bytes apply(Chip* chip, const ChipCall& call, bool monitor = true) {
  Bytes replies(call.inputs.size(), 0xee);
  std::string error;
  EXPECT_TRUE(chip_apply(chip, call.block, call.col, call.row, call.inputs.data(),
                         call.inputs.size(), monitor, replies.data(), &error))
      << error;
  return replies;
}

struct ChipAheadTest : ::testing::Test {
  Chip* chip = chip_power_up();
  Chip* plain = chip_power_up();  ///< the same calls, none computed ahead
  ~ChipAheadTest() override {
    chip_power_down(chip);
    chip_power_down(plain);
  }
  /// Both chips answer `call` alike; the answer.
  Bytes both(const ChipCall& call, bool monitor = true) {
    Bytes answer = apply(chip, call, monitor);
    EXPECT_EQ(answer, apply(plain, call, monitor));
    return answer;
  }
};

TEST_F(ChipAheadTest, TakenCallsAnswerAsTheyWouldHave) {
  const ChipCall no_cell{0x00, 200, 200, {0x0, 0x1}};
  chip_compute_ahead(chip, {kNa2Read, kNa2Up, kNa2Read, no_cell});
  EXPECT_EQ(both(kNa2Read), Bytes{0x01});
  EXPECT_EQ(both(kNa2Up), Bytes{0x03});
  EXPECT_EQ(both(kNa2Read), Bytes{0x03});
  EXPECT_EQ(both(no_cell), (Bytes{0x00, 0x00}));
  EXPECT_EQ(chip_calls_taken_ahead(chip), 4u);

  // Many vectors at once, and the monitor bit of the call that takes them: NO42 "A/gnd" fails
  // the monitor where A is 1.
  const ChipCall a_gnd = call_of(0, 4, {0x0, 0x1, 0x2, 0x3, 0xF});
  chip_compute_ahead(chip, {a_gnd});
  for (unsigned char reply : both(a_gnd, false)) EXPECT_EQ(reply & 1u, 1u);
  EXPECT_EQ(chip_calls_taken_ahead(chip), 5u);
  chip_compute_ahead(chip, {a_gnd});
  EXPECT_EQ(both(a_gnd, true)[1] & 1u, 0u);
  EXPECT_EQ(chip_calls_taken_ahead(chip), 6u);
}

TEST_F(ChipAheadTest, ACallThatDoesNotComePutsItsCellBack) {
  chip_compute_ahead(chip, {kNa2Up});
  EXPECT_EQ(both(kNa2Read), Bytes{0x01});  // not the expected call: as if never computed
  EXPECT_EQ(chip_calls_taken_ahead(chip), 0u);

  // The first of two taken, the second not: only the first counts.
  const ChipCall reference = call_of(12, 0, {0x3});
  chip_compute_ahead(chip, {reference, kNa2Up});
  EXPECT_EQ(both(reference), Bytes{0x01});
  EXPECT_EQ(chip_calls_taken_ahead(chip), 1u);
  EXPECT_EQ(both(kNa2Read), Bytes{0x01});

  // The same position with other inputs is another call.
  chip_compute_ahead(chip, {call_of(12, 11, {0x3, 0x0})});
  EXPECT_EQ(both(call_of(12, 11, {0x3, 0x1})), (Bytes{0x01, 0x03}));
  EXPECT_EQ(chip_calls_taken_ahead(chip), 1u);

  // Computing ahead anew drops what was computed before.
  chip_power_down(chip);
  chip_power_down(plain);
  chip = chip_power_up();
  plain = chip_power_up();
  chip_compute_ahead(chip, {kNa2Up});
  chip_compute_ahead(chip, {kNa2Read});
  EXPECT_EQ(both(kNa2Read), Bytes{0x01});
  EXPECT_EQ(chip_calls_taken_ahead(chip), 1u);
}

TEST_F(ChipAheadTest, AResetADropOrAPowerDownPutsTheCellsBackFirst) {
  chip_compute_ahead(chip, {kNa2Up});
  chip_reset(chip);
  EXPECT_EQ(apply(chip, kNa2Read), Bytes{0x01});

  chip_compute_ahead(chip, {kNa2Up});
  chip_drop_ahead(chip);
  EXPECT_EQ(apply(chip, kNa2Read), Bytes{0x01});
  EXPECT_EQ(chip_calls_taken_ahead(chip), 0u);

  // Powered down while computing: the thread is waited for (a sanitizer or valgrind build
  // would see it outlive the chip).
  chip_compute_ahead(chip, {kNa2Up, kNa2Read, kNa2Up});
  chip_power_down(chip);
  chip = chip_power_up();
}

}  // namespace
