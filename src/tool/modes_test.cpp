// Conversions and printers of the test modes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KavrinConst.h"
#include "main.h"
#include "messages.h"
#include "misc.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

class ToolState : public testing::Test {
 protected:
  void SetUp() override {
    verbose_mode = 0;
    for (char*& a : args) a = nullptr;
  }
  void TearDown() override {
    verbose_mode = 0;
    args[OPT_BICM] = nullptr;
  }
};

TEST(Conversions, NumBitsIsMostSignificantFirst) {
  EXPECT_STREQ(numBits(5, 4), "0101");
  EXPECT_STREQ(numBits(5, 0), "");
  EXPECT_STREQ(numBits(0xFF, 8), "11111111");
  EXPECT_STREQ(numBits(2, 2), "10");
}

TEST(Conversions, ConvertToStrIsLeastSignificantFirst) {
  char buf[9];
  EXPECT_STREQ(convertToStr(5, buf, 4), "1010");
  EXPECT_STREQ(convertToStr(2, buf, 2), "01");
  EXPECT_STREQ(convertToStr(0xFF, buf, 0), "");
}

TEST(Conversions, CutVectorTakesAWindowOfTheLastVector) {
  EXPECT_STREQ(cutVector("010110", 8, 4), "010110");  // start past the end: the whole vector
  EXPECT_STREQ(cutVector("010110", 2, 10), "0110");   // too few characters: the rest, uncut
  EXPECT_STREQ(cutVector("010110", 1, 3), "101");
  EXPECT_STREQ(cutVector("1010111111", 0, 2), "10");  // a longer vector grows the buffer
  EXPECT_STREQ(cutVector("01", 0, 2), "01");          // a shorter one leaves no old characters
  EXPECT_EQ(cutVector(nullptr, 0, 2), nullptr);
}

TEST(Conversions, ConvertToBytePacksFirstCharacterHighest) {
  EXPECT_EQ(convertToByte("0101", 0, 4), 5);
  EXPECT_EQ(convertToByte("1000", 0, 4), 8);
  EXPECT_EQ(convertToByte("XX1X", 0, 4), 2);
  EXPECT_EQ(convertToByte("1110", 2, 4), 2);  // the string ends early: the bits read so far
  EXPECT_EQ(convertToByte("11", 2, 4), 0);
  EXPECT_EQ(convertToByte("1", 3, 4), 0);  // a start past the end reads nothing
  EXPECT_EQ(convertToByte("111111111", 0, 9), 0xFF);
  EXPECT_EQ(convertToByte("00011HL", 0, 5), 3);
}

TEST_F(ToolState, MaskingKeepsOutputsOrTheMonitorBit) {
  circuit = 14;  // one output
  unsigned char one_output[] = {0x05, 0x03, 0x02};
  doMasking(one_output, 3, false);
  EXPECT_EQ(one_output[0], 0x00);
  EXPECT_EQ(one_output[1], 0x01);
  EXPECT_EQ(one_output[2], 0x01);
  unsigned char monitor[] = {0x05, 0x06};
  doMasking(monitor, 2, true);
  EXPECT_EQ(monitor[0], 0x01);
  EXPECT_EQ(monitor[1], 0x00);
  circuit = 15;  // two outputs
  unsigned char two_outputs[] = {0x06, 0x07};
  doMasking(two_outputs, 2, false);
  EXPECT_EQ(two_outputs[0], 0x03);
  EXPECT_EQ(two_outputs[1], 0x03);
  circuit = -1;
}

TEST(Conversions, ReferenceCellIsCellZeroEverywhere) {
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++) EXPECT_EQ(getReferenceCell(c), 0) << c;
}

TEST_F(ToolState, ChipStatusNamesThreeBits) {
  CaptureStdout();
  printChipStatus(0x03);
  EXPECT_EQ(GetCapturedStdout(), "\t| BICM output : pass,  CUT out0 : pass,  CUT out1 fail");
  verbose_mode = 1;
  CaptureStdout();
  printChipStatus(0x03);
  EXPECT_EQ(GetCapturedStdout(), "");
}

TEST_F(ToolState, KavErrorTextsFollowTheBits) {
  CaptureStdout();
  printKavError(0x00);
  printKavError(0x06);
  printKavError(0x20);
  printKavError(0x14);
  EXPECT_EQ(GetCapturedStdout(),
            "No error\n"
            ": Invalid block : Invalid row \n"
            "\n"
            ": Invalid row : Invalid input\n");
}

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
