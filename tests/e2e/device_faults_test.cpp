// A defect-table run on C17 with shorts, with one transfer of the run broken, for every transfer
// of the run: as a failed write or a failed or short read, and as a box unplugged there. Each
// time the run must end with status -1 and the failing step's text, leave the test file as it
// was, and leave neither the -tst file nor a temporary file behind.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;

namespace {

using test_support::file_bytes;

const char* const kFailedStep = "runTest::kavGetOutput failed\n";

struct Run {
  int status = -1;
  std::string out, transcript;
};

/// A fresh directory with the C17 example as t.tst; removed when the test ends.
struct Workspace {
  test_support::ScratchDir scratch;
  fs::path dir, work, test_file;
  std::string original;
  explicit Workspace(const std::string& name)
      : scratch("kavtest-faults-" + name + "-"), dir(scratch.path()), work(dir / "work"),
        test_file(work / "t.tst") {
    fs::create_directories(work);
    fs::copy_file(fs::path(KAVTEST_EXAMPLES) / "16-C17-shorts.tst", test_file);
    original = file_bytes(test_file);
  }

  /// kavtest-sim-faults with the fault plan `faults` ("" for none) on the defect-table run.
  Run run(const std::string& faults) const {
    fs::path out_file = dir / "stdout", transcript = dir / "transcript";
    fs::remove(transcript);
    std::vector<std::string> words = {"kavtest", "-all_defects", "-circuit", "16", "-tst",
                                      "out.tst", "t.tst"};
    test_support::Launch l;
    l.program = KAVTEST_FAULTS_BINARY;
    l.argv = words;
    l.cwd = work;
    l.out = out_file;
    l.err = "/dev/null";
    l.environment = {{"KAVTEST_BOX_TRANSCRIPT", transcript.string()}};
    if (!faults.empty()) l.environment.push_back({"KAVTEST_BOX_FAULTS", faults});
    Run r;
    r.status = test_support::run_process(l);
    r.out = file_bytes(out_file);
    r.transcript = file_bytes(transcript);
    return r;
  }

  /// What is wrong with the outcome of a run whose transfer `k` was broken; empty when right.
  std::string check(const Run& r, std::size_t k) const {
    std::string wrong;
    if (r.status != 255) wrong += " status " + std::to_string(r.status) + ";";
    std::size_t step = r.out.rfind(kFailedStep);
    if (step == std::string::npos ||
        r.out.find_first_not_of('\n', step + std::strlen(kFailedStep)) != std::string::npos)
      wrong += " output does not end with the failing step;";
    if (r.transcript.size() != k || !std::islower(static_cast<unsigned char>(r.transcript.back())))
      wrong += " transcript '" + r.transcript.substr(r.transcript.size() > 8 ? r.transcript.size() - 8 : 0) +
               "' does not end at the broken transfer;";
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(work)) left.push_back(e.path().filename().string());
    if (left != std::vector<std::string>{"t.tst"}) wrong += " files left behind;";
    if (file_bytes(test_file) != original) wrong += " test file changed;";
    return wrong;
  }
};

/// The letters of the transfers of the undisturbed run (W a write, R a read).
std::string undisturbed_transfers() {
  Workspace w("clean");
  Run r = w.run("");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(fs::exists(w.work / "out.tst"));
  EXPECT_EQ(r.transcript.find_first_not_of("WR"), std::string::npos) << r.transcript;
  return r.transcript;
}

/// Runs the plan `plan_of(k, write number, read number)` for every transfer k of the run and
/// checks each outcome; plans that are empty are passed over. Returns the number of runs.
template <typename Plan>
int break_every_transfer(const std::string& name, Plan plan_of) {
  std::string transfers = undisturbed_transfers();
  EXPECT_GT(transfers.size(), 100u);
  Workspace w(name);
  int runs = 0;
  unsigned long writes = 0, reads = 0;
  for (std::size_t k = 1; k <= transfers.size(); k++) {
    bool is_read = transfers[k - 1] == 'R';
    (is_read ? reads : writes)++;
    for (const std::string& plan : plan_of(k, is_read, is_read ? reads : writes)) {
      runs++;
      std::string wrong = w.check(w.run(plan), k);
      EXPECT_EQ(wrong, "") << "transfer " << k << " broken by " << plan;
    }
    fs::remove(w.work / "out.tst");  // so that one wrong run does not fail all later ones
  }
  return runs;
}

TEST(DeviceFaults, FailedTransfer) {
  int runs = break_every_transfer("fail", [](std::size_t, bool is_read, unsigned long n) {
    return std::vector<std::string>{(is_read ? "read=" : "write=") + std::to_string(n)};
  });
  std::cout << runs << " runs with one failed transfer\n";
}

TEST(DeviceFaults, ShortRead) {
  int runs = break_every_transfer("short", [](std::size_t, bool is_read, unsigned long n) {
    return is_read ? std::vector<std::string>{"short=" + std::to_string(n)} : std::vector<std::string>{};
  });
  std::cout << runs << " runs with one short read\n";
}

TEST(DeviceFaults, Unplugged) {
  int runs = break_every_transfer("unplug", [](std::size_t k, bool, unsigned long) {
    return std::vector<std::string>{"unplug=" + std::to_string(k)};
  });
  std::cout << runs << " runs with the box unplugged\n";
}

}  // namespace
