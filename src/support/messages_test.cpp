#include "messages.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

class Messages : public testing::Test {
 protected:
  void SetUp() override { verbose_mode = 0; }
  void TearDown() override { verbose_mode = 0; }
};

TEST_F(Messages, StepLineReadsAsOneLine) {
  CaptureStdout();
  BeginProcessing("Reading test patterns ");
  EndProcessing();
  EXPECT_EQ(GetCapturedStdout(), "\nReading test patterns ... OK\n");
}

TEST_F(Messages, WarningsWithAndWithoutLine) {
  CaptureStdout();
  Warning("Unknown keyword", -1);
  Warning("Unknown keyword", 0);
  Warnings("a.tst", "Bad row", -1);
  Warnings("a.tst", "Bad row", 7);
  EXPECT_EQ(GetCapturedStdout(),
            "\nWarning: Unknown keyword\n"
            "\nWarning at line 0: Unknown keyword\n"
            "\nWarning: a.tst : Bad row\n"
            "\nWarning at line 7: a.tst : Bad row\n");
}

TEST_F(Messages, QuietSilencesAllButFatalAndProgress) {
  verbose_mode = 1;
  StartTimer();
  CaptureStdout();
  BeginProcessing("step");
  EndProcessing();
  Warning("w", -1);
  Warnings("a", "b", 3);
  TextOut("text");
  EndTimer();
  PrintProgress(1, 10, 2, 20);
  EXPECT_EQ(GetCapturedStdout(), "\n1 10 2 20 ");
}

TEST_F(Messages, TextOutAddsNoLineEnd) {
  CaptureStdout();
  TextOut("abc");
  EXPECT_EQ(GetCapturedStdout(), "abc");
}

TEST_F(Messages, EndTimerPrintsSecondsSinceStart) {
  StartTicks = static_cast<long>(std::clock()) - static_cast<long>(2.5 * CLOCKS_PER_SEC);
  CaptureStdout();
  EndTimer();
  std::string out = GetCapturedStdout();
  // The clock keeps running while the test does (on Windows it is the wall clock, and capturing
  // standard output under Wine takes tens of milliseconds): 2.5 s and what the test took.
  ASSERT_EQ(out.substr(0, 23), "Time, used by process: ");
  double seconds = std::stod(out.substr(23));
  EXPECT_GE(seconds, 2.5);
  EXPECT_LT(seconds, 3.5);
  EXPECT_EQ(out.substr(out.size() - 2), " \n");
}

using MessagesDeathTest = Messages;

TEST_F(MessagesDeathTest, ErrorEndsTheProcessWithStatus14) {
  EXPECT_EXIT(Error("Unknown keyword", 12), testing::ExitedWithCode(14),
              "^\nError at line 12: Unknown keyword!\n$");
  EXPECT_EXIT(Error("Unknown keyword", 0), testing::ExitedWithCode(14),
              "^\nError at line 0: Unknown keyword!\n$");
  EXPECT_EXIT(Error("Out of memory", -1), testing::ExitedWithCode(14),
              "^\nError: Out of memory!\n$");
  EXPECT_EXIT(Errors("m.agm", "Can't open DD-model file", -1), testing::ExitedWithCode(14),
              "^\nError: m.agm : Can't open DD-model file!\n$");
  EXPECT_EXIT(Errors("m.agm", "Line too long", 5), testing::ExitedWithCode(14),
              "^\nError at line 5: m.agm : Line too long!\n$");
}

TEST_F(MessagesDeathTest, QuietDoesNotSilenceErrors) {
  verbose_mode = 1;
  EXPECT_EXIT(Error("Bad input vector", 4), testing::ExitedWithCode(14),
              "Error at line 4: Bad input vector!");
}

}  // namespace
