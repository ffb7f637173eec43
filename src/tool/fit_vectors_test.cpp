// Fitting a file's vectors to the circuit.
#include "fit_vectors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "misc.h"

namespace {

BIST* record_of(const char* const* rows, int vcount, int width) {
  BIST* dat = static_cast<BIST*>(std::calloc(1, sizeof(BIST)));
  dat->vcount = vcount;
  dat->vars = width;
  dat->vects = AllocCharTable(vcount, width, 0);
  for (int i = 0; i < vcount; i++) std::memcpy(dat->vects[i], rows[i], std::strlen(rows[i]));
  return dat;
}

TEST(Fitting, KeepsTheLastInputColumns) {
  const char* rows[] = {"110101LH", "001010HL"};
  BIST* dat = record_of(rows, 2, 8);
  dat->inps = 6;
  dat->outs = 2;
  adjustTST(dat, 15);  // CB1: 4 inputs, 2 outputs
  EXPECT_EQ(dat->inps, 4);
  EXPECT_EQ(dat->vars, 6);
  EXPECT_EQ(dat->outs, 2);
  EXPECT_EQ(std::string(dat->vects[0], 4), "0101");
  EXPECT_EQ(std::string(dat->vects[1], 4), "1010");
  FreeTST(dat);
}

TEST(Fitting, LeavesAFittingRecordAlone) {
  const char* rows[] = {"01H"};
  BIST* dat = record_of(rows, 1, 3);
  dat->inps = 2;
  dat->outs = 1;
  char* before = dat->vects[0];
  EXPECT_EQ(adjustTST(dat, 11), dat);
  EXPECT_EQ(dat->vects[0], before);
  EXPECT_STREQ(dat->vects[0], "01H");
  FreeTST(dat);
}

TEST(Fitting, FitsRowsOfTheRightLengthWithTooManyInputs) {
  const char* rows[] = {"110101"};  // six inputs, no outputs, for four inputs and two outputs
  BIST* dat = record_of(rows, 1, 6);
  dat->inps = 6;
  dat->outs = 2;
  adjustTST(dat, 15);
  EXPECT_EQ(dat->inps, 4);
  EXPECT_EQ(std::string(dat->vects[0], 4), "0101");
  FreeTST(dat);
}

TEST(Fitting, GivesShortRowsRoomForOutputs) {
  const char* rows[] = {"01", "11"};
  BIST* dat = record_of(rows, 2, 2);
  dat->inps = 2;
  dat->outs = 1;
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
  BIST* dat = static_cast<BIST*>(std::calloc(1, sizeof(BIST)));
  dat->vcount = 3;
  dat->inps = 2;
  dat->vars = -1;
  adjustTST(dat, 11);
  ASSERT_NE(dat->vects, nullptr);
  for (int i = 0; i < 3; i++) EXPECT_STREQ(dat->vects[i], "");
  FreeTST(dat);
}

}  // namespace
