// Runs of kavlab-sim-faults broken after a chosen number of cell runs, by Ctrl-C (SIGINT raised
// as a transfer starts) and by a box that fails, keep exactly those runs, marked partial; and
// --resume completes them to the very result of an uninterrupted run, its times aside. Then a
// complete result and a result of other options are refused.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace kavlab {

namespace fs = std::filesystem;

namespace {

using test_support::file_bytes;
using test_support::Ran;

/// NA2 with opens (13 cells) and C17 with opens (95 cells), every input vector, both passes:
/// cells whose answers depend on what they were given before.
const std::vector<std::string> kRun = {"run", "-c",           "12", "-c",
                                       "17",  "--exhaustive", "-o", "r.json"};
/// The cell runs of kRun: per circuit two passes of the reference and every cell.
constexpr int kCellRuns = 2 * (1 + 13) + 2 * (1 + 95);

/// kavlab-sim-faults in `dir` with `words` and the fault plan `environment`.
Ran run(const fs::path& dir, const std::vector<std::string>& words,
        const std::vector<std::pair<std::string, std::string>>& environment = {}) {
  test_support::Launch l = test_support::e2e_launch(KAVLAB_FAULTS_BINARY, "kavlab-sim", words);
  l.cwd = dir;
  l.environment = environment;
  return test_support::run_captured(l, dir);
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> all;
  std::istringstream in(text);
  for (std::string s; std::getline(in, s);) all.push_back(s);
  return all;
}

/// Every response of a results file in the order measured: its outputs line and the monitor
/// line after it.
std::vector<std::string> responses(const std::string& text) {
  std::vector<std::string> all = lines(text), found;
  for (std::size_t i = 0; i + 1 < all.size(); i++)
    if (all[i].find("\"outputs\": \"") != std::string::npos) found.push_back(all[i] + all[i + 1]);
  return found;
}

/// A results file without its times: the start of the run and the resumptions.
std::string without_times(const std::string& text) {
  std::string kept;
  bool in_resumed = false;
  for (const std::string& line : lines(text)) {
    if (line.find("\"resumed_utc\": [") != std::string::npos) in_resumed = true;
    bool skip = in_resumed || line.find("\"date_time_utc\"") != std::string::npos;
    if (in_resumed && line.find(']') != std::string::npos) in_resumed = false;
    if (!skip) kept += line + "\n";
  }
  return kept;
}

/// A scratch directory holding the uninterrupted run and the transfers of each cell run.
class ResumeRuns : public testing::Test {
 protected:
  static std::unique_ptr<test_support::ScratchDir> scratch;
  static std::string whole;
  static std::size_t transfers_per_cell_run;
  static void SetUpTestSuite() {
    scratch = std::make_unique<test_support::ScratchDir>("kavlab-resume-");
    fs::path dir = scratch->path() / "whole";
    fs::create_directories(dir);
    Ran r = run(dir, kRun, {{"KAVTEST_BOX_TRANSCRIPT", (dir / "transcript").string()}});
    ASSERT_EQ(r.status, 0) << r.err;
    whole = file_bytes(dir / "r.json");
    std::string transcript = file_bytes(dir / "transcript");
    ASSERT_EQ(transcript.size() % kCellRuns, 0u) << transcript.size();
    transfers_per_cell_run = transcript.size() / kCellRuns;
  }
  static void TearDownTestSuite() { scratch.reset(); }

  /// The first transfer of cell run `k` (from 1).
  static std::string first_transfer_of(int k) {
    return std::to_string((k - 1) * transfers_per_cell_run + 1);
  }

  /// Breaks the run with `fault` in a directory `name`, checks that it kept the first
  /// `kept` cell runs, resumes it and checks the result.
  void break_and_resume(const std::string& name, const std::pair<std::string, std::string>& fault,
                        int status, int kept) {
    fs::path dir = scratch->path() / name;
    fs::create_directories(dir);
    Ran broken = run(dir, kRun, {fault});
    EXPECT_EQ(broken.status, status) << broken.err;
    EXPECT_NE(broken.err.find("marked partial"), std::string::npos) << broken.err;
    std::string partial = file_bytes(dir / "r.json");
    EXPECT_NE(partial.find("\"partial\": true"), std::string::npos);
    std::vector<std::string> all = responses(whole), cut = responses(partial);
    ASSERT_EQ(cut.size(), static_cast<std::size_t>(kept));
    EXPECT_TRUE(std::equal(cut.begin(), cut.end(), all.begin()));

    std::vector<std::string> again = kRun;
    again.insert(again.end(), {"--resume", "r.json"});
    Ran resumed = run(dir, again);
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    std::string completed = file_bytes(dir / "r.json");
    EXPECT_NE(completed.find("\"resumed_utc\""), std::string::npos);
    EXPECT_EQ(without_times(completed), without_times(whole));
  }
};
std::unique_ptr<test_support::ScratchDir> ResumeRuns::scratch;
std::string ResumeRuns::whole;
std::size_t ResumeRuns::transfers_per_cell_run = 0;

}  // namespace

TEST_F(ResumeRuns, CtrlCInTheMonitorPassOfTheFirstCircuit) {
  // SIGINT as cell run 19 starts: that run ends, the run stops before the next one.
  const int k = 14 + 5;
  break_and_resume("sigint",
                   {"KAVTEST_BOX_SIGNAL", std::to_string(SIGINT) + "@" + first_transfer_of(k)}, 130,
                   k);
}

TEST_F(ResumeRuns, TermAndHangUpSaveWhatWasMeasuredAsCtrlCDoes) {
  // SIGTERM (a shutdown, kill) and SIGHUP (a closed terminal) each with a status of its own.
  const std::pair<int, int> stops[] = {{SIGTERM, 143}, {SIGHUP, 129}};
  for (const auto& [signal, status] : stops) {
    const int k = 14 + 3;
    break_and_resume("signal" + std::to_string(signal),
                     {"KAVTEST_BOX_SIGNAL", std::to_string(signal) + "@" + first_transfer_of(k)},
                     status, k);
  }
}

TEST_F(ResumeRuns, AFailingBoxInTheLogicPassOfTheSecondCircuit) {
  // The box is gone from the first transfer of cell run k + 1 on.
  const int k = 2 * 14 + 40;
  break_and_resume("unplugged", {"KAVTEST_BOX_FAULTS", "unplug=" + first_transfer_of(k + 1)}, 255,
                   k);
}

TEST_F(ResumeRuns, ACompleteResultOrOtherOptionsAreRefused) {
  fs::path dir = scratch->path() / "refused";
  fs::create_directories(dir);
  ASSERT_EQ(run(dir, kRun, {{"KAVTEST_BOX_SIGNAL", std::to_string(SIGINT) + "@1"}}).status, 130);
  std::string partial = file_bytes(dir / "r.json");
  const std::vector<std::string> same = {"run", "-c",           "12",       "-c",
                                         "17",  "--exhaustive", "--resume", "r.json"};
  auto with = [&](std::vector<std::string> options) {
    options.insert(options.begin(), same.begin(), same.end());
    return options;
  };
  Ran other = run(dir, with({"--cells", "saf"}));
  EXPECT_EQ(other.status, 1);
  EXPECT_NE(other.err.find("circuit 12 (NA2): the cells differ"), std::string::npos) << other.err;
  EXPECT_EQ(file_bytes(dir / "r.json"), partial);
  Ran done = run(dir, same);
  ASSERT_EQ(done.status, 0) << done.err;
  Ran complete = run(dir, same);
  EXPECT_EQ(complete.status, 1);
  EXPECT_NE(complete.err.find("r.json is complete"), std::string::npos) << complete.err;
}

}  // namespace kavlab

namespace kavlab {

TEST(SweepRuns, ACutSweepKeepsEveryValueAndSaysWhichWereNotMeasured) {
#ifndef KAVTEST_ANALOG_ENGINE
  GTEST_SKIP() << "a sweep needs the analog engine, which this build lacks";
#else
  test_support::ScratchDir scratch("kavlab-sweep-cut-");
  const fs::path dir = scratch.path();
  std::vector<std::string> sweep = {"sweep",         "-c", "14", "--exhaustive", "--bridge-ohms",
                                    "10,100,1k,10k", "-o"};
  // IN1 has 5 cells: 6 cell runs per value, 24 in all.
  Ran whole = run(dir,
                  [&] {
                    auto w = sweep;
                    w.push_back("whole.json");
                    return w;
                  }(),
                  {{"KAVTEST_BOX_TRANSCRIPT", (dir / "transcript").string()}});
  ASSERT_EQ(whole.status, 0) << whole.err;
  std::size_t per_run = file_bytes(dir / "transcript").size() / 24;
  ASSERT_GT(per_run, 0u);
  // SIGINT as the third cell run of the third value starts: that run ends, then the sweep stops.
  std::string at = std::to_string((2 * 6 + 2) * per_run + 1);
  sweep.push_back("s.json");
  Ran cut = run(dir, sweep, {{"KAVTEST_BOX_SIGNAL", std::to_string(SIGINT) + "@" + at}});
  EXPECT_EQ(cut.status, 130) << cut.err;
  std::string text = file_bytes(dir / "s.json");
  std::size_t passes = 0, unmeasured = 0;
  for (const std::string& line : lines(text)) {
    passes += line.find("\"name\": \"one-pass\"") != std::string::npos ? 1 : 0;
    unmeasured += line.find("\"reference\": null") != std::string::npos ? 1 : 0;
  }
  EXPECT_EQ(passes, 4u);
  EXPECT_EQ(unmeasured, 1u);
  Ran summary = run(dir, {"summary", "s.json"});
  ASSERT_EQ(summary.status, 0) << summary.err;
  EXPECT_NE(summary.out.find("\n      1k     2/5 "), std::string::npos) << summary.out;
  EXPECT_NE(summary.out.find("\n     10k     0/5  not measured\n"), std::string::npos)
      << summary.out;
#endif
}

}  // namespace kavlab
