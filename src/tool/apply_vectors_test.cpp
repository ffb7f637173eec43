// Applying vectors to one cell: the conversions around it, and what the box is sent.
#include "apply_vectors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "KavrinConst.h"
#include "messages.h"
#include "options.h"
#include "platform-sim.h"
#include "tool_state_test.h"

namespace {

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

struct TestRun : testing::Test {
  Box* box = nullptr;
  void SetUp() override { box = sim_install_boxes(1).at(0); }
};

TEST_F(TestRun, FailureTextEndsTheTraceLine) {
  circuit = 16;
  box->faults.fail_read = 1;
  DeviceList* list = getDeviceList();
  ASSERT_NE(list, nullptr);
  unsigned char in[40] = {};
  testing::internal::CaptureStdout();
  unsigned char* result = runTest(list, 16, 0, in, 40, true);
  EXPECT_EQ(
      testing::internal::GetCapturedStdout(),
      "runTest:: circuit=16 cell=0 vcount=40 masking=on [0 32]runTest::kavGetOutput failed\n\n");
  EXPECT_EQ(result, nullptr);
  freeDeviceList(list);
}

TEST_F(TestRun, RefusedStagingIsReportedNotSkipped) {
  circuit = 14;
  DeviceList bogus{0xDEAD, nullptr, nullptr};
  unsigned char in[2] = {0, 1};
  testing::internal::CaptureStdout();
  unsigned char* result = runTest(&bogus, 14, 1, in, 2, true);
  EXPECT_EQ(
      testing::internal::GetCapturedStdout(),
      "runTest:: circuit=14 cell=1 vcount=2 masking=on [0 2]runTest::kavSetColumn failed\n\n");
  EXPECT_EQ(result, nullptr);
}

TEST_F(TestRun, ChunksOf32VectorsSelectTheCellEachTime) {
  circuit = 16;
  const KAVRIN_ELEMENT& cell5 = elements[16].idx[5];
  DeviceList* list = getDeviceList();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(kavSetBicmState(list->devHandle, 0x80, 1), KAVRIN_SUCCESS);
  std::vector<unsigned char> in(33);
  for (int i = 0; i < 33; i++) in[i] = static_cast<unsigned char>(i % 32);
  box->transcript.clear();
  testing::internal::CaptureStdout();
  unsigned char* result = runTest(list, 16, 5, in.data(), 33, false);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "runTest:: circuit=16 cell=5 vcount=33 masking=off [0 32] [32 33]\n");
  ASSERT_NE(result, nullptr);

  std::vector<std::vector<unsigned char>> expected = {
      {0x40}, {0x50}, {0x00, cell5.row}, {0x10, cell5.col}, {0x20},    {},
      {0x40}, {0x50}, {0x00, cell5.row}, {0x10, cell5.col}, {0x20, 0}, {}};
  expected[4].insert(expected[4].end(), in.begin(), in.begin() + 32);
  ASSERT_EQ(box->transcript.size(), expected.size());
  for (size_t t = 0; t < expected.size(); t++) {
    SCOPED_TRACE(t);
    EXPECT_EQ(box->transcript[t].is_read, expected[t].empty());
    if (!expected[t].empty()) {
      EXPECT_EQ(box->transcript[t].bytes, expected[t]);
    }
  }
  EXPECT_EQ(box->transcript[5].asked, 32u);
  EXPECT_EQ(box->transcript[11].asked, 1u);
  EXPECT_EQ(box->violations, 0u);
  std::free(result);
  freeDeviceList(list);
}

TEST_F(TestRun, NoVectorsMakeNoExchange) {
  DeviceList* list = getDeviceList();
  box->transcript.clear();
  testing::internal::CaptureStdout();
  unsigned char* result = runTest(list, 16, 0, nullptr, 0, true);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "runTest:: circuit=16 cell=0 vcount=0 masking=on\n");
  EXPECT_NE(result, nullptr);
  EXPECT_TRUE(box->transcript.empty());
  std::free(result);
  freeDeviceList(list);
}

}  // namespace
