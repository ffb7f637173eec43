// Fitting a file's vectors to the circuit.
#include "fit_vectors.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

using test_support::preset_record;
using test_support::test_record;

TEST(Fitting, KeepsTheLastInputColumns) {
  BIST* dat = test_record(6, 2, {"110101LH", "001010HL"});
  adjustTST(dat, 15);  // CB1: 4 inputs, 2 outputs
  EXPECT_EQ(dat->inps, 4);
  EXPECT_EQ(dat->vars, 6);
  EXPECT_EQ(dat->outs, 2);
  EXPECT_EQ(std::string(dat->vects[0], 4), "0101");
  EXPECT_EQ(std::string(dat->vects[1], 4), "1010");
  FreeTST(dat);
}

TEST(Fitting, LeavesAFittingRecordAlone) {
  BIST* dat = test_record(2, 1, {"01H"});
  char* before = dat->vects[0];
  EXPECT_EQ(adjustTST(dat, 11), dat);
  EXPECT_EQ(dat->vects[0], before);
  EXPECT_STREQ(dat->vects[0], "01H");
  FreeTST(dat);
}

TEST(Fitting, FitsRowsOfTheRightLengthWithTooManyInputs) {
  // six inputs, no outputs, for four inputs and two outputs
  BIST* dat = test_record(6, 2, {"110101"});
  adjustTST(dat, 15);
  EXPECT_EQ(dat->inps, 4);
  EXPECT_EQ(std::string(dat->vects[0], 4), "0101");
  FreeTST(dat);
}

TEST(Fitting, GivesShortRowsRoomForOutputs) {
  BIST* dat = test_record(2, 1, {"01", "11"});
  adjustTST(dat, 11);  // NA2: rows need 3 characters and a terminator
  EXPECT_EQ(dat->vars, 3);
  for (int i = 0; i <= dat->vcount; i++) {
    EXPECT_EQ(dat->vects[i][2], '\0');
    EXPECT_EQ(dat->vects[i][3], '\0');
  }
  EXPECT_STREQ(dat->vects[1], "11");
  FreeTST(dat);
}

TEST(Fitting, AnnouncedButMissingRowsBecomeEmptyRows) {
  BIST* dat = preset_record(2, 0);
  dat->vcount = 3;
  adjustTST(dat, 11);
  ASSERT_NE(dat->vects, nullptr);
  for (int i = 0; i < 3; i++) EXPECT_STREQ(dat->vects[i], "");
  FreeTST(dat);
}

}  // namespace
