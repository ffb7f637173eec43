// Test runs against the emulated box: what the box is sent, and what a failing box leaves behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "KavrinConst.h"
#include "exit_test_util.h"
#include "main.h"
#include "messages.h"
#include "platform-sim.h"
#include "tst_test_util.h"

namespace fs = std::filesystem;

namespace {

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

/// The whole command as main runs it, in a death-test child: options, then the test run.
[[noreturn]] void run_command(std::vector<std::string> words) {
  std::vector<char*> argv;
  words.insert(words.begin(), "kavtest-sim");
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  int argc = static_cast<int>(words.size());
  int test_file = test_input(argc, argv.data());
  std::exit(runTestFile(argv[test_file]));
}

struct TestRun : testing::Test {
  tst_test::ScratchDir scratch;  // the same directory in a death test's process
  fs::path dir, test_file;
  std::string original;
  Box* box = nullptr;

  void SetUp() override {
    dir = scratch.path();
    test_file = dir / "t.tst";
    fs::copy_file(fs::path(KAVTEST_EXAMPLES) / "16-C17-shorts.tst", test_file,
                  fs::copy_options::overwrite_existing);
    original = read_file(test_file);
    box = sim_install_boxes(1).at(0);
  }

  /// Only the test file, exactly as it was.
  void expect_untouched() {
    EXPECT_EQ(read_file(test_file), original);
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir)) left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"t.tst"});
  }
};

using TestRunDeathTest = TestRun;

TEST_F(TestRunDeathTest, FailedOutputReadEndsTheRunAndWritesNothing) {
  EXPECT_EXIT(
      {
        box->faults.fail_read = 3;
        run_command({"-all_defects", "-circuit", "16", test_file.string()});
      },
      kavtest_test::ExitedWithStatus(-1), "");
  expect_untouched();
}

TEST_F(TestRunDeathTest, ShortReplyEndsTheRun) {
  EXPECT_EXIT(
      {
        box->faults.short_read = 1;
        box->faults.short_read_bytes = 5;
        run_command({"-saf_defects", "-circuit", "16", "-tst", (dir / "out.tst").string(),
                     test_file.string()});
      },
      kavtest_test::ExitedWithStatus(-1), "");
  expect_untouched();
}

TEST_F(TestRunDeathTest, UnpluggedBoxEndsEveryMode) {
  for (const char* mode : {"-table", "-verify"}) {
    EXPECT_EXIT(
        {
          box->faults.unplug_at = 10;  // within the chosen cell's exchange
          run_command({"-single_defect", "5", mode, "-circuit", "16", test_file.string()});
        },
        kavtest_test::ExitedWithStatus(-1), "")
        << mode;
    expect_untouched();
  }
}

TEST_F(TestRunDeathTest, FailedWriteOfAReportEndsTheRun) {
  EXPECT_EXIT(
      {
        box->faults.fail_write = 1;
        run_command({"-all_defects", "-circuit", "16", test_file.string()});
      },
      kavtest_test::ExitedWithStatus(-1), "");
  expect_untouched();
}

TEST_F(TestRun, FailureTextEndsTheTraceLine) {
  circuit = 16;
  box->faults.fail_read = 1;
  DeviceList* list = getDeviceList();
  ASSERT_NE(list, nullptr);
  unsigned char in[40] = {};
  testing::internal::CaptureStdout();
  unsigned char* result = runTest(list, 16, 0, in, 40, true);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
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
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
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
      {0x40}, {0x50}, {0x00, cell5.row}, {0x10, cell5.col}, {0x20}, {},
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
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "runTest:: circuit=16 cell=0 vcount=0 masking=on\n");
  EXPECT_NE(result, nullptr);
  EXPECT_TRUE(box->transcript.empty());
  std::free(result);
  freeDeviceList(list);
}

}  // namespace
