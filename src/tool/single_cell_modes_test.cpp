// The printers of the single-cell modes.
#include "single_cell_modes.h"

#include <gtest/gtest.h>

#include "messages.h"
#include "options.h"
#include "tool_state_test.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

using ModePrinters = ToolState;

TEST_F(ModePrinters, ChipStatusNamesThreeBits) {
  CaptureStdout();
  printChipStatus(0x03);
  EXPECT_EQ(GetCapturedStdout(), "\t| BICM output : pass,  CUT out0 : pass,  CUT out1 fail");
  verbose_mode = 1;
  CaptureStdout();
  printChipStatus(0x03);
  EXPECT_EQ(GetCapturedStdout(), "");
}

TEST_F(ModePrinters, KavErrorTextsFollowTheBits) {
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

}  // namespace
