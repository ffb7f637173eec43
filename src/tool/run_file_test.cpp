// Whole runs against a failing emulated box: what they leave behind.
#include "run_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "command_line.h"
#include "platform-sim.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

using test_support::file_bytes;

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
  test_support::ScratchDir scratch;  // the same directory in a death test's process
  fs::path dir, test_file;
  std::string original;
  Box* box = nullptr;

  void SetUp() override {
    dir = scratch.path();
    test_file = dir / "t.tst";
    fs::copy_file(fs::path(KAVTEST_EXAMPLES) / "16-C17-shorts.tst", test_file,
                  fs::copy_options::overwrite_existing);
    original = file_bytes(test_file);
    box = sim_install_boxes(1).at(0);
  }

  /// Only the test file, exactly as it was.
  void expect_untouched() {
    EXPECT_EQ(file_bytes(test_file), original);
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
      test_support::ExitedWithStatus(-1), "");
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
      test_support::ExitedWithStatus(-1), "");
  expect_untouched();
}

TEST_F(TestRunDeathTest, UnpluggedBoxEndsEveryMode) {
  for (const char* mode : {"-table", "-verify"}) {
    EXPECT_EXIT(
        {
          box->faults.unplug_at = 10;  // within the chosen cell's exchange
          run_command({"-single_defect", "5", mode, "-circuit", "16", test_file.string()});
        },
        test_support::ExitedWithStatus(-1), "")
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
      test_support::ExitedWithStatus(-1), "");
  expect_untouched();
}

}  // namespace
