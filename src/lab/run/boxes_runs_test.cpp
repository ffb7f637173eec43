// kavlab-sim-faults measuring several emulated boxes at once (KAVTEST_SIM_BOXES): each box's
// file answers as one box measured alone; a box that fails leaves the others whole and its own
// partial, to be resumed on its own; a stop saves every box's; the command line's refusals;
// and on the analog engine, chips that vary by seed: the same seed the same lot, another
// another, and without variation every chip the nominal one.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "results/results_file.h"
#include "run/measured_results.h"
#include "test_support.h"

namespace kavlab {

namespace fs = std::filesystem;

namespace {

using test_support::Ran;
using Environment = std::vector<std::pair<std::string, std::string>>;

/// kavlab-sim-faults in `dir` with `words` and `environment`.
Ran run(const fs::path& dir, const std::vector<std::string>& words,
        const Environment& environment = {}) {
  test_support::Launch l = test_support::e2e_launch(KAVLAB_FAULTS_BINARY, "kavlab-sim", words);
  l.cwd = dir;
  l.environment = environment;
  return test_support::run_captured(l, dir);
}

/// `words` with the plan of every run here: NA2 and C17 with opens, every vector, both passes.
std::vector<std::string> plan(std::vector<std::string> words) {
  for (const char* w : {"-c", "12", "-c", "17", "--exhaustive"}) words.push_back(w);
  return words;
}

Results loaded(const fs::path& path) {
  Results r;
  std::string error;
  EXPECT_TRUE(load_results(path.string(), &r, &error)) << error;
  return r;
}

class BoxesRuns : public testing::Test {
 protected:
  void SetUp() override {
    scratch = std::make_unique<test_support::ScratchDir>("kavlab-boxes-");
    dir = scratch->path();
    Ran alone = run(dir, plan({"run", "-o", "alone.json"}));
    ASSERT_EQ(alone.status, 0) << alone.err;
  }
  std::unique_ptr<test_support::ScratchDir> scratch;
  fs::path dir;
};

TEST_F(BoxesRuns, EachBoxAnswersAsOneBoxAlone) {
  Ran lot = run(dir, plan({"run", "--device", "all", "--chip", "die-{device}", "-o", "lot"}),
                {{"KAVTEST_SIM_BOXES", "3"}});
  ASSERT_EQ(lot.status, 0) << lot.err;
  for (const char* box : {"Kavrin0", "Kavrin1", "Kavrin2"}) {
    fs::path file = dir / "lot" / ("die-" + std::string(box) + ".json");
    EXPECT_EQ(answers(file), answers(dir / "alone.json")) << box;
    Results r = loaded(file);
    EXPECT_EQ(r.provenance.device, box);
    EXPECT_EQ(r.provenance.chip, "die-" + std::string(box));
    EXPECT_FALSE(r.partial);
    EXPECT_NE(lot.err.find("kavlab: " + std::string(box) + " (die-" + box +
                           "): the results of 2 circuits written to "),
              std::string::npos)
        << lot.err;
  }
  // A list names some of them, in its order; the labels given one per box.
  Ran some = run(
      dir, plan({"run", "--device", "Kavrin2,Kavrin0", "--chip", "b", "--chip", "a", "-o", "some"}),
      {{"KAVTEST_SIM_BOXES", "3"}});
  ASSERT_EQ(some.status, 0) << some.err;
  EXPECT_EQ(loaded(dir / "some" / "b.json").provenance.device, "Kavrin2");
  EXPECT_EQ(answers(dir / "some" / "a.json"), answers(dir / "alone.json"));
  EXPECT_FALSE(fs::exists(dir / "some" / "Kavrin1.json"));
}

TEST_F(BoxesRuns, ABoxThatFailsStopsNoneOfTheOthersAndResumesOnItsOwn) {
  const Environment faulty = {
      {"KAVTEST_SIM_BOXES", "3"}, {"KAVTEST_BOX_FAULTY", "1"}, {"KAVTEST_BOX_FAULTS", "read=100"}};
  Ran lot = run(dir, plan({"run", "--device", "all", "-o", "lot"}), faulty);
  EXPECT_EQ(lot.status, 6) << lot.err;
  EXPECT_NE(lot.err.find("kavlab: boxes that finished: Kavrin0, Kavrin2; that did not: Kavrin1"),
            std::string::npos)
      << lot.err;
  EXPECT_EQ(answers(dir / "lot" / "Kavrin0.json"), answers(dir / "alone.json"));
  EXPECT_EQ(answers(dir / "lot" / "Kavrin2.json"), answers(dir / "alone.json"));
  expect_prefixes(dir / "lot" / "Kavrin1.json", dir / "alone.json");
  // Its file resumes on its own, on its box, to the whole result.
  Ran resumed = run(dir, plan({"run", "--device", "Kavrin1", "--resume", "lot/Kavrin1.json"}),
                    {{"KAVTEST_SIM_BOXES", "3"}});
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  EXPECT_EQ(answers(dir / "lot" / "Kavrin1.json"), answers(dir / "alone.json"));
  EXPECT_FALSE(loaded(dir / "lot" / "Kavrin1.json").partial);
}

TEST_F(BoxesRuns, AStopSavesWhatEveryBoxMeasured) {
  // Box 1 raises SIGINT as its 200th transfer starts, to its process and the command's, as a
  // terminal's Ctrl-C reaches them all; the command passes the stop on to the other boxes.
  const Environment stopped = {{"KAVTEST_SIM_BOXES", "3"},
                               {"KAVTEST_BOX_FAULTY", "1"},
                               {"KAVTEST_BOX_SIGNAL", std::to_string(SIGINT) + "@200"}};
  Ran lot = run(dir, plan({"run", "--device", "all", "-o", "lot"}), stopped);
  EXPECT_EQ(lot.status, 130) << lot.err;
  expect_prefixes(dir / "lot" / "Kavrin1.json", dir / "alone.json");
  for (const char* box : {"Kavrin0", "Kavrin2"}) {
    fs::path file = dir / "lot" / (std::string(box) + ".json");
    ASSERT_TRUE(fs::exists(file)) << box << ": " << lot.err;
    Results r = loaded(file);  // whole or partial, as far as the box came: readable either way
    if (!r.partial) {
      EXPECT_EQ(answers(file), answers(dir / "alone.json")) << box;
    }
  }
}

TEST_F(BoxesRuns, RefusesWhatCannotNameTheBoxesOrTheirFiles) {
  struct Refusal {
    std::vector<std::string> words;
    std::string message;
  };
  const Refusal refusals[] = {
      {{"--device", "Kavrin0,Kavrin7"}, "--device: no Kavrin box called 'Kavrin7'"},
      {{"--device", "Kavrin0,Kavrin0"}, "--device: Kavrin0 is named twice"},
      {{"--device", "all", "--chip", "a", "--chip", "b"}, "--chip: 2 labels for 3 boxes"},
      {{"--device", "all", "--chip", "die"}, "--chip: the chip's label die is given to two boxes"},
      {{"--device", "all", "--chip", "../{device}"}, "is no file's name"},
      {{"--device", "all", "--resume", "alone.json"},
       "--resume continues the results of one box: name that box with --device"},
      {{"--chip", "a", "--chip", "b"}, "--chip: 2 labels for one box"},
  };
  for (const Refusal& r : refusals) {
    std::vector<std::string> words = plan({"run", "-o", "refused"});
    words.insert(words.end(), r.words.begin(), r.words.end());
    Ran refused = run(dir, words, {{"KAVTEST_SIM_BOXES", "3"}});
    EXPECT_NE(refused.status, 0) << r.message;
    EXPECT_NE(refused.err.find(r.message), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(dir / "refused" / "Kavrin0.json")) << r.message;
  }
}

#ifdef KAVTEST_ANALOG_ENGINE
TEST(BoxesAnalogRuns, ChipsVaryBySeedAndTheNominalOnesAreOne) {
  test_support::ScratchDir scratch("kavlab-variation-");
  const fs::path dir = scratch.path();
  const Environment two = {{"KAVTEST_SIM_BOXES", "2"}};
  auto lot = [&](const std::string& out, std::vector<std::string> more) {
    std::vector<std::string> words = {"run",    "-c",       "14",  "--exhaustive", "--engine",
                                      "analog", "--device", "all", "-o",           out};
    words.insert(words.end(), more.begin(), more.end());
    Ran r = run(dir, words, two);
    EXPECT_EQ(r.status, 0) << r.err;
  };
  Ran alone = run(dir, {"run", "-c", "14", "--exhaustive", "--engine", "analog", "-o", "a.json"});
  ASSERT_EQ(alone.status, 0) << alone.err;
  lot("nominal", {});
  for (const char* box : {"Kavrin0", "Kavrin1"}) {
    EXPECT_EQ(answers(dir / "nominal" / (std::string(box) + ".json")), answers(dir / "a.json"));
    EXPECT_EQ(loaded(dir / "nominal" / (std::string(box) + ".json")).provenance.seed, -1);
  }
  const std::vector<std::string> varied = {"--variation", "--bridge-sigma", "3", "--seed"};
  for (const char* out : {"seed3", "seed3-again"}) {
    std::vector<std::string> more = varied;
    more.push_back("3");
    lot(out, more);
  }
  std::vector<std::string> other = varied;
  other.push_back("11");
  lot("seed11", other);
  EXPECT_EQ(loaded(dir / "seed3" / "Kavrin1.json").provenance.seed, 4);  // seed + box
  std::string three, again, eleven;
  for (const char* box : {"/Kavrin0.json", "/Kavrin1.json"}) {
    three += answers(dir / ("seed3" + std::string(box)));
    again += answers(dir / ("seed3-again" + std::string(box)));
    eleven += answers(dir / ("seed11" + std::string(box)));
  }
  EXPECT_EQ(three, again);
  EXPECT_NE(three, eleven);
}
#endif

}  // namespace
}  // namespace kavlab
