// Runs of kavlab-sim-faults broken after a chosen number of cell runs, by Ctrl-C (SIGINT raised
// as a transfer starts) and by a box that fails, keep exactly those runs, marked partial; and
// --resume completes them to the very result of an uninterrupted run, its times aside. Then a
// complete result and a result of other options are refused. Split over worker processes (-j),
// where each worker's copy of the box counts its own transfers and which cell runs a broken
// run keeps depends on how the workers went, a broken run keeps each pass's cells up to the
// first one not measured, and a sweep its whole passes, whatever the order the runs ended in.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "results/results_file.h"
#include "results/results_json.h"
#include "run/measured_results.h"
#include "test_support.h"

namespace kavlab {

namespace fs = std::filesystem;

namespace {

using test_support::file_bytes;
using test_support::Ran;

/// NA2 with opens (13 cells) and C17 with opens (95 cells), every input vector, both passes:
/// cells whose answers depend on what they were given before. In this process alone, so that
/// a transfer's number says which cell run it belongs to.
const std::vector<std::string> kRun = {"run",          "-c", "12", "-c", "17",
                                       "--exhaustive", "-j", "1",  "-o", "r.json"};
/// The same run split over three worker processes.
const std::vector<std::string> kSplitRun = {"run",          "-c", "12", "-c", "17",
                                            "--exhaustive", "-j", "3",  "-o", "r.json"};
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

  /// Breaks the run split over three workers with `fault`, which each worker's copy of the box
  /// meets at its own transfer, checks that every pass kept its cells up to the first one not
  /// measured, resumes it split alike and checks the result against the uninterrupted one.
  void split_break_and_resume(const std::string& name,
                              const std::pair<std::string, std::string>& fault, int status) {
    fs::path dir = scratch->path() / name;
    fs::create_directories(dir);
    Ran broken = run(dir, kSplitRun, {fault});
    EXPECT_EQ(broken.status, status) << broken.err;
    EXPECT_NE(broken.err.find("marked partial"), std::string::npos) << broken.err;
    const fs::path whole_file = scratch->path() / "whole" / "r.json";
    expect_prefixes(dir / "r.json", whole_file);
    std::vector<std::string> again = kSplitRun;
    again.insert(again.end(), {"--resume", "r.json"});
    Ran resumed = run(dir, again);
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(measured(dir / "r.json"), measured(whole_file));
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

TEST_F(ResumeRuns, SplitOverWorkersCtrlCKeepsEachPassUpToItsFirstCellNotMeasured) {
  // SIGINT as some worker starts its 20th cell run (of 220 over three workers, one of them
  // makes that many): that worker ends with its run unmade, the others end the runs they hold.
  split_break_and_resume(
      "split-sigint", {"KAVTEST_BOX_SIGNAL", std::to_string(SIGINT) + "@" + first_transfer_of(20)},
      130);
}

TEST_F(ResumeRuns, SplitOverWorkersAFailingBoxKeepsEachPassUpToItsFirstCellNotMeasured) {
  // Each worker's box is gone from the first transfer of its 30th cell run on.
  split_break_and_resume("split-unplugged",
                         {"KAVTEST_BOX_FAULTS", "unplug=" + first_transfer_of(30)}, 255);
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

namespace {

/// Per pass of the sweep file `path`: "whole" when it holds its reference and every cell,
/// "none" when it holds nothing, else "some".
std::vector<std::string> sweep_passes(const fs::path& path) {
  Results r;
  std::string error;
  EXPECT_TRUE(load_results(path.string(), &r, &error)) << error;
  std::vector<std::string> kinds;
  for (const Pass& p : r.circuits.at(0).passes)
    kinds.push_back(!p.reference_measured && p.cells.empty() ? "none"
                    : p.reference_measured && p.cells.size() == r.circuits[0].cells.size()
                        ? "whole"
                        : "some");
  return kinds;
}

}  // namespace

TEST(SweepRuns, ACutSweepKeepsEveryValueWholeOrSaysItWasNotMeasured) {
#ifndef KAVTEST_ANALOG_ENGINE
  GTEST_SKIP() << "a sweep needs the analog engine, which this build lacks";
#else
  test_support::ScratchDir scratch("kavlab-sweep-cut-");
  const fs::path dir = scratch.path();
  auto sweep = [](const std::string& workers, const std::string& out) {
    return std::vector<std::string>{"sweep",         "-c", "14",    "--exhaustive", "--bridge-ohms",
                                    "10,100,1k,10k", "-j", workers, "-o",           out};
  };
  // IN1 has 5 cells: 6 cell runs per value, 24 in all.
  Ran whole = run(dir, sweep("1", "whole.json"),
                  {{"KAVTEST_BOX_TRANSCRIPT", (dir / "transcript").string()}});
  ASSERT_EQ(whole.status, 0) << whole.err;
  std::size_t per_run = file_bytes(dir / "transcript").size() / 24;
  ASSERT_GT(per_run, 0u);
  // SIGINT as the third cell run of the third value starts: that run ends, then the sweep stops,
  // the third value's pass unfinished.
  std::string at = std::to_string((2 * 6 + 2) * per_run + 1);
  Ran cut =
      run(dir, sweep("1", "s.json"), {{"KAVTEST_BOX_SIGNAL", std::to_string(SIGINT) + "@" + at}});
  EXPECT_EQ(cut.status, 130) << cut.err;
  EXPECT_EQ(sweep_passes(dir / "s.json"),
            (std::vector<std::string>{"whole", "whole", "none", "none"}));
  Ran summary = run(dir, {"summary", "s.json"});
  ASSERT_EQ(summary.status, 0) << summary.err;
  EXPECT_NE(summary.out.find("\n     100       5     4 "), std::string::npos) << summary.out;
  for (const char* row :
       {"\n      1k     0/5  not measured\n", "\n     10k     0/5  not measured\n"})
    EXPECT_NE(summary.out.find(row), std::string::npos) << summary.out;

  // Split over three workers: a worker that meets the signal as its fifth cell run starts (of
  // 24, one worker makes eight or more) leaves its value's pass unfinished, not measured; the
  // passes kept are the uninterrupted sweep's.
  Ran split =
      run(dir, sweep("3", "split.json"),
          {{"KAVTEST_BOX_SIGNAL", std::to_string(SIGINT) + "@" + std::to_string(4 * per_run + 1)}});
  EXPECT_EQ(split.status, 130) << split.err;
  std::vector<std::string> kinds = sweep_passes(dir / "split.json");
  ASSERT_EQ(kinds.size(), 4u);
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "some"), 0);
  EXPECT_GE(std::count(kinds.begin(), kinds.end(), "none"), 1);
  Results kept, all;
  std::string error;
  ASSERT_TRUE(load_results((dir / "split.json").string(), &kept, &error)) << error;
  ASSERT_TRUE(load_results((dir / "whole.json").string(), &all, &error)) << error;
  EXPECT_TRUE(kept.partial);
  for (std::size_t k = 0; k < kinds.size(); k++)
    if (kinds[k] == "whole") {
      const Pass &p = kept.circuits[0].passes[k], &w = all.circuits[0].passes[k];
      EXPECT_EQ(p.reference.outputs, w.reference.outputs) << k;
      for (std::size_t j = 0; j < p.cells.size(); j++) {
        EXPECT_EQ(p.cells[j].outputs, w.cells[j].outputs) << k << " " << j;
        EXPECT_EQ(p.cells[j].monitor, w.cells[j].monitor) << k << " " << j;
      }
    }
#endif
}

}  // namespace kavlab
