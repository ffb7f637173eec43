// The emulated boxes and their engine as the user chooses them: kavtest-sim's environment
// variables (refused values, the switch-level engine by name, kavtest ignoring them), the number
// of boxes and what each answers, runs on the analog engine whose output is the tool's alone, the
// bridge resistance's effect, chips that differ by seed, and kavlab-sim's engine options recorded
// in the results file. Analog runs are slow: this runner stays out of the memory check.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;
using test_support::file_bytes;
using test_support::Ran;
using test_support::ScratchDir;

namespace {

using Environment = std::vector<std::pair<std::string, std::string>>;

/// A scratch directory with the example test file of `example` as t.tst.
struct Scratch {
  ScratchDir dir{"kavtest-engine-"};
  fs::path work = dir.path() / "work";
  explicit Scratch(const std::string& example) {
    fs::create_directories(work);
    fs::copy_file(fs::path(KAVTEST_EXAMPLES) / example, work / "t.tst");
    dir.keep_if_failed();
  }
};

/// Runs `program` of this build in `dir` with `words` and `environment` set on top of this
/// process's.
Ran run(const fs::path& dir, const std::string& program, const std::vector<std::string>& words,
        const Environment& environment) {
  test_support::Launch l =
      test_support::e2e_launch(test_support::e2e_binary(program), program, words);
  l.cwd = dir;
  l.environment = environment;
  return test_support::run_captured(l, dir.parent_path());
}

const std::vector<std::string> kTableOfIn1 = {"-all_defects", "-circuit", "14", "t.tst"};

TEST(KavtestSimEnvironment, RefusedValuesEndTheRunBeforeItStarts) {
  struct Case {
    Environment env;
    std::string message;
  };
  std::vector<Case> cases = {
      {{{"KAVTEST_SIM_ENGINE", "spice"}},
       "KAVTEST_SIM_ENGINE=spice: no such engine (switch or analog)"},
      {{{"KAVTEST_SIM_ENGINE", ""}}, "KAVTEST_SIM_ENGINE=: no such engine (switch or analog)"},
      {{{"KAVTEST_SIM_ENGINE", "analog"}, {"KAVTEST_SIM_BRIDGE_OHMS", "10 ohm"}},
       "KAVTEST_SIM_BRIDGE_OHMS=10 ohm: not a resistance (a positive number of ohms, with k or M "
       "if wanted: 10, 4.7k, 1M)"},
      {{{"KAVTEST_SIM_ENGINE", "analog"}, {"KAVTEST_SIM_MONITOR_UA", "-1"}},
       "KAVTEST_SIM_MONITOR_UA=-1: not a current (a positive number of microamperes: 10, 0.5)"},
      {{{"KAVTEST_SIM_MONITOR_UA", "5"}},
       "KAVTEST_SIM_MONITOR_UA=5: the monitor threshold is a parameter of the analog engine "
       "alone (KAVTEST_SIM_ENGINE=analog)"},
      {{{"KAVTEST_SIM_ENGINE", "switch"}, {"KAVTEST_SIM_BRIDGE_OHMS", "100"}},
       "KAVTEST_SIM_BRIDGE_OHMS=100: the bridge resistance is a parameter of the analog engine "
       "alone (KAVTEST_SIM_ENGINE=analog)"},
  };
  // Bridges the analog engine was not checked with: ngspice stops short of its transient, or
  // runs without end, or answers for another resistance than the one given.
  for (const char* ohms : {"1e-300", "1e-20", "1e-9", "0.0005", "0.05", "2e12", "1e300"})
    cases.push_back({{{"KAVTEST_SIM_ENGINE", "analog"}, {"KAVTEST_SIM_BRIDGE_OHMS", ohms}},
                     std::string("KAVTEST_SIM_BRIDGE_OHMS=") + ohms +
                         ": outside the range over which the analog engine is checked, 0.1 to "
                         "1e12 ohms (100 mOhm to 1 TOhm)"});
  for (const char* boxes : {"0", "101", "", "two", "1.5", "-1", "+2", "0x10", "0100"})
    cases.push_back({{{"KAVTEST_SIM_BOXES", boxes}},
                     std::string("KAVTEST_SIM_BOXES=") + boxes +
                         ": not a number of emulated boxes (an integer from 1 to 100)"});
  const Environment analog_varied = {{"KAVTEST_SIM_ENGINE", "analog"},
                                     {"KAVTEST_SIM_VARIATION", "1"}};
  auto with = [&](const char* name, const char* value) {
    Environment e = analog_varied;
    e.push_back({name, value});
    return e;
  };
  std::vector<Case> varied = {
      {{{"KAVTEST_SIM_VARIATION", "1"}},
       "KAVTEST_SIM_VARIATION=1: variation is a setting of the analog engine alone "
       "(KAVTEST_SIM_ENGINE=analog)"},
      {{{"KAVTEST_SIM_ENGINE", "switch"}, {"KAVTEST_SIM_VARIATION", "1"}},
       "KAVTEST_SIM_VARIATION=1: variation is a setting of the analog engine alone "
       "(KAVTEST_SIM_ENGINE=analog)"},
      {{{"KAVTEST_SIM_VARIATION", "on"}},
       "KAVTEST_SIM_VARIATION=on: not 0 or 1 (1: each chip differs as a die does)"},
      {{{"KAVTEST_SIM_ENGINE", "analog"}, {"KAVTEST_SIM_SEED", "7"}},
       "KAVTEST_SIM_SEED=7: the seed is a setting of variation alone (KAVTEST_SIM_VARIATION=1)"},
      {{{"KAVTEST_SIM_VT_SIGMA", "0.03"}},
       "KAVTEST_SIM_VT_SIGMA=0.03: the threshold spread is a setting of variation alone "
       "(KAVTEST_SIM_VARIATION=1)"},
      {with("KAVTEST_SIM_VT_SIGMA", "30mV"),
       "KAVTEST_SIM_VT_SIGMA=30mV: not a threshold spread (a number of volts from 0 to 0.2: "
       "0.03, 0.01)"},
      {with("KAVTEST_SIM_BRIDGE_SIGMA", "4"),
       "KAVTEST_SIM_BRIDGE_SIGMA=4: not a bridge spread (a number of decades from 0 to 3: 1, "
       "0.5)"},
      {with("KAVTEST_SIM_SEED", "2147483648"),
       "KAVTEST_SIM_SEED=2147483648: not a seed (an integer from 0 to 2147483647)"},
      {with("KAVTEST_SIM_SEED", "-3"),
       "KAVTEST_SIM_SEED=-3: not a seed (an integer from 0 to 2147483647)"},
  };
  cases.insert(cases.end(), varied.begin(), varied.end());
#ifndef KAVTEST_ANALOG_ENGINE
  cases.push_back({{{"KAVTEST_SIM_ENGINE", "analog"}},
                   "KAVTEST_SIM_ENGINE=analog: the analog engine is not in this build: it needs "
                   "ngspice's shared library at build time (Debian: libngspice0-dev)"});
#endif
  Scratch dir("14-IN1.tst");
  std::string before = file_bytes(dir.work / "t.tst");
  for (const Case& c : cases) {
    Ran r = run(dir.work, "kavtest-sim", kTableOfIn1, c.env);
    EXPECT_EQ(r.status, 255) << c.message;
    EXPECT_EQ(r.err, c.message + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(file_bytes(dir.work / "t.tst"), before) << c.message;
  }
}

TEST(KavtestSimEnvironment, SwitchByNameIsTheToolWithoutTheVariables) {
  Scratch plain("16-C17-shorts.tst");
  Scratch named("16-C17-shorts.tst");
  std::vector<std::string> table = {"-all_defects", "-circuit", "16", "t.tst"};
  Ran a = run(plain.work, "kavtest-sim", table, {});
  Ran b = run(named.work, "kavtest-sim", table, {{"KAVTEST_SIM_ENGINE", "switch"}});
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(b.status, 0);
  EXPECT_EQ(a.out, b.out);
  EXPECT_EQ(a.err, b.err);
  EXPECT_EQ(file_bytes(plain.work / "t.tst"), file_bytes(named.work / "t.tst"));
}

TEST(KavtestSimEnvironment, KavtestIgnoresTheVariables) {
  Scratch dir("14-IN1.tst");
  Ran a = run(dir.work, "kavtest", {"-devlist"}, {});
  Ran b = run(dir.work, "kavtest", {"-devlist"},
              {{"KAVTEST_SIM_ENGINE", "spice"}, {"KAVTEST_SIM_MONITOR_UA", "x"}});
  EXPECT_EQ(a.status, b.status);
  EXPECT_EQ(a.out, b.out);
  EXPECT_EQ(a.err, b.err);
  EXPECT_EQ(b.err.find("KAVTEST_SIM"), std::string::npos);
}

TEST(KavtestSimBoxes, TheDeviceListHasAsManyBoxesAsAskedFor) {
  struct Case {
    Environment env;
    std::string listed;
  };
  std::string hundred;
  for (int i = 0; i < 100; ++i) hundred += "Kavrin" + std::to_string(i) + "\n";
  for (const Case& c :
       std::vector<Case>{{{}, "Kavrin0\n"},
                         {{{"KAVTEST_SIM_BOXES", "1"}}, "Kavrin0\n"},
                         {{{"KAVTEST_SIM_BOXES", "3"}}, "Kavrin0\nKavrin1\nKavrin2\n"},
                         {{{"KAVTEST_SIM_BOXES", "100"}}, hundred}}) {
    Scratch dir("14-IN1.tst");
    Ran r = run(dir.work, "kavtest-sim", {"-devlist"}, c.env);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.listed);
    EXPECT_EQ(r.err, "");
  }
#ifdef KAVTEST_LAB_SIM
  Scratch dir("14-IN1.tst");
  Ran lab = run(dir.work, "kavlab-sim", {"devices"}, {{"KAVTEST_SIM_BOXES", "2"}});
  EXPECT_EQ(lab.status, 0) << lab.err;
  EXPECT_NE(lab.out.find("Kavrin1"), std::string::npos) << lab.out;
  EXPECT_EQ(lab.out.find("Kavrin2"), std::string::npos) << lab.out;
  // Refused before any command, as the command line is: even one that opens no box.
  for (const char* command : {"devices", "list"}) {
    Ran bad = run(dir.work, "kavlab-sim", {command}, {{"KAVTEST_SIM_BOXES", "0"}});
    EXPECT_EQ(bad.status, 2) << command;
    EXPECT_EQ(bad.err,
              "kavlab: KAVTEST_SIM_BOXES=0: not a number of emulated boxes (an integer from 1 to "
              "100)\n")
        << command;
    EXPECT_EQ(bad.out, "") << command;
  }
#endif
}

TEST(KavtestSimBoxes, EveryBoxWithoutVariationAnswersAsTheFirst) {
  // C17 with shorts on the switch-level engine: the table of the last of three boxes is the
  // table of the only box.
  std::vector<std::string> table = {"-all_defects", "-circuit", "16", "t.tst"};
  Scratch alone("16-C17-shorts.tst");
  Ran a = run(alone.work, "kavtest-sim", table, {});
  ASSERT_EQ(a.status, 0) << a.err;
  for (const char* device : {"Kavrin1", "Kavrin2"}) {
    Scratch third("16-C17-shorts.tst");
    std::vector<std::string> on_device = {"-device", device};
    on_device.insert(on_device.end(), table.begin(), table.end());
    Ran b = run(third.work, "kavtest-sim", on_device, {{"KAVTEST_SIM_BOXES", "3"}});
    EXPECT_EQ(b.status, 0) << b.err;
    EXPECT_EQ(b.out, a.out) << device;
    EXPECT_EQ(file_bytes(third.work / "t.tst"), file_bytes(alone.work / "t.tst")) << device;
  }
}

#ifdef KAVTEST_ANALOG_ENGINE

/// The defect table of IN1 on a varied analog chip of `seed` (bridges spread by three decades),
/// on `device` of `boxes` emulated boxes (none: the default box).
std::string varied_table_of_in1(const std::string& seed, const char* boxes = nullptr,
                                const char* device = nullptr) {
  Scratch dir("14-IN1.tst");
  Environment env = {{"KAVTEST_SIM_ENGINE", "analog"},
                     {"KAVTEST_SIM_VARIATION", "1"},
                     {"KAVTEST_SIM_BRIDGE_SIGMA", "3"},
                     {"KAVTEST_SIM_SEED", seed}};
  std::vector<std::string> words = kTableOfIn1;
  if (boxes != nullptr) env.push_back({"KAVTEST_SIM_BOXES", boxes});
  if (device != nullptr) words.insert(words.begin(), {"-device", device});
  Ran r = run(dir.work, "kavtest-sim", words, env);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  return file_bytes(dir.work / "t.tst");
}

TEST(AnalogEngineRuns, VariedChipsDifferBySeedAndEachBoxAddsItsIndex) {
  std::string seed3 = varied_table_of_in1("3");
  EXPECT_NE(seed3.find(".FAULTS"), std::string::npos) << seed3;
  EXPECT_EQ(varied_table_of_in1("3"), seed3);  // the same die again
  EXPECT_NE(varied_table_of_in1("1"), seed3);  // another die
  // The second of two boxes under seed 3 is the die of seed 4.
  EXPECT_EQ(varied_table_of_in1("3", "2", "Kavrin1"), varied_table_of_in1("4"));
  EXPECT_NE(varied_table_of_in1("4"), seed3);
}

TEST(AnalogEngineRuns, BridgeResistancesAtTheEndsOfTheRangeRun) {
  for (const char* ohms : {"0.1", "1e12"}) {
    Scratch dir("14-IN1.tst");
    Ran r = run(dir.work, "kavtest-sim", kTableOfIn1,
                {{"KAVTEST_SIM_ENGINE", "analog"}, {"KAVTEST_SIM_BRIDGE_OHMS", ohms}});
    EXPECT_EQ(r.status, 0) << ohms << ": " << r.err;
    EXPECT_EQ(r.err, "") << ohms;
    // A hard short is seen on every defect, a bridge as weak as a node's leak on none.
    std::string table = file_bytes(dir.work / "t.tst");
    EXPECT_NE(table.find(std::string(ohms) == "0.1" ? "\n11111\n" : "\nXXXXX\n"), std::string::npos)
        << ohms << ": " << table;
  }
}

TEST(AnalogEngineRuns, OutputIsTheToolsAloneAndTheBridgeResistanceCounts) {
  Scratch sw("14-IN1.tst");
  Scratch hard("14-IN1.tst");
  Scratch weak("14-IN1.tst");
  Ran s = run(sw.work, "kavtest-sim", kTableOfIn1, {});
  Ran h = run(hard.work, "kavtest-sim", kTableOfIn1, {{"KAVTEST_SIM_ENGINE", "analog"}});
  Ran w = run(weak.work, "kavtest-sim", kTableOfIn1,
              {{"KAVTEST_SIM_ENGINE", "analog"}, {"KAVTEST_SIM_BRIDGE_OHMS", "10k"}});
  EXPECT_EQ(h.status, 0) << h.err;
  EXPECT_EQ(w.status, 0) << w.err;
  // ngspice's own printing never reaches the tool's streams.
  EXPECT_EQ(h.out, s.out);
  EXPECT_EQ(h.err, "");
  EXPECT_EQ(w.out, s.out);
  EXPECT_EQ(w.err, "");
  // Through 10 kOhm the drivers win: "A/gnd" and "A/vdd" escape the outputs.
  std::string hard_table = file_bytes(hard.work / "t.tst"),
              weak_table = file_bytes(weak.work / "t.tst");
  EXPECT_FALSE(hard_table.empty());
  EXPECT_NE(hard_table, weak_table);
}

#endif

#ifdef KAVTEST_LAB_SIM

TEST(KavlabSimEngine, TheResultsFileRecordsTheEngineAndItsParameters) {
  Scratch dir("14-IN1.tst");
  Ran sw = run(dir.work, "kavlab-sim", {"run", "-c", "14", "--exhaustive", "-o", "s.json"}, {});
  EXPECT_EQ(sw.status, 0) << sw.err;
  std::string text = file_bytes(dir.work / "s.json");
  EXPECT_NE(text.find("\"name\": \"switch\""), std::string::npos);
  Ran refused = run(dir.work, "kavlab-sim",
                    {"run", "-c", "14", "--exhaustive", "--monitor-ua", "3", "-o", "r.json"}, {});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err,
            "kavlab: --monitor-ua 3: the monitor threshold is a parameter of the analog engine "
            "alone (--engine analog)\n");
  EXPECT_FALSE(fs::exists(dir.work / "r.json"));
  // A bridge resistance outside the range the analog engine was checked over is refused before
  // any measurement, by run and by sweep alike.
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"run", "-c", "14", "--exhaustive", "--engine", "analog",
                                 "--bridge-ohms", "1e-9", "-o", "r.json"},
        std::vector<std::string>{"sweep", "-c", "14", "--exhaustive", "--bridge-ohms", "10,2e12",
                                 "-o", "r.json"}}) {
    Ran range = run(dir.work, "kavlab-sim", words, {});
    EXPECT_EQ(range.status, 2) << words[0];
    EXPECT_NE(range.err.find(": outside the range over which the analog engine is checked, 0.1 "
                             "to 1e12 ohms"),
              std::string::npos)
        << range.err;
    EXPECT_FALSE(fs::exists(dir.work / "r.json"));
  }
#ifdef KAVTEST_ANALOG_ENGINE
  Ran analog = run(dir.work, "kavlab-sim",
                   {"run", "-c", "14", "--exhaustive", "--engine", "analog", "--bridge-ohms",
                    "4.7k", "--monitor-ua", "2.5", "-o", "a.json"},
                   {});
  EXPECT_EQ(analog.status, 0) << analog.err;
  EXPECT_EQ(analog.err, "kavlab: the results of 1 circuit written to a.json\n");  // no ngspice
  text = file_bytes(dir.work / "a.json");
  EXPECT_NE(text.find("\"name\": \"analog\""), std::string::npos);
  EXPECT_NE(text.find("\"bridge_ohms\": 4700.0"), std::string::npos);
  EXPECT_NE(text.find("\"monitor_ua\": 2.5"), std::string::npos);
#endif
}

#ifdef KAVTEST_ANALOG_ENGINE
TEST(KavlabSimEngine, SweepGivesEachShortOfC17ItsCriticalResistance) {
  // Four shorts of C17: two inputs bridged (A/B), an input to an inner node (A/n1), four nets at
  // once (D/C/A/E) and a rail short (D/gnd). Logic loses each at a lower resistance than the
  // monitor; the bridge of four nets holds out longest by logic among them.
  Scratch dir("16-C17-shorts.tst");
  Ran swept = run(dir.work, "kavlab-sim",
                  {"sweep", "-c", "16", "--cells", "1,5,26,30", "--exhaustive", "--bridge-ohms",
                   "10,100,1k,10k"},
                  {});
  ASSERT_EQ(swept.status, 0) << swept.err;
  const char* rows[] = {
      "     1  A/B                bridge      10           100          100\n",
      "     5  A/n1               bridge      1k           >= 10k       >= 10k\n",
      "    26  D/C/A/E            bridge      100          1k           1k\n",
      "    30  D/gnd              rail short  10           >= 10k       >= 10k\n",
      "     10k  A/B D/C/A/E\n",  // what escapes at 10 kOhm
  };
  for (const char* row : rows)
    EXPECT_NE(swept.out.find(row), std::string::npos) << row << swept.out;
}
#endif

TEST(KavlabSimEngine, SweepShowsTheCoveragePerBridgeResistance) {
  Scratch dir("14-IN1.tst");
  Ran bad = run(dir.work, "kavlab-sim",
                {"sweep", "-c", "14", "--exhaustive", "--bridge-ohms", "10,,1k"}, {});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, "kavlab: --bridge-ohms: 10,,1k holds an empty value\n");
  Ran swept = run(dir.work, "kavlab-sim",
                  {"sweep", "-c", "14", "--exhaustive", "--bridge-ohms", "10,10k"}, {});
#ifdef KAVTEST_ANALOG_ENGINE
  EXPECT_EQ(swept.status, 0) << swept.err;
  // IN1's five shorts: all wrong at 10 Ohm; at 10 kOhm the drivers and the gate win, and only
  // the rail shorts of A, driven against, still draw current.
  EXPECT_NE(swept.out.find("      10       5     5 100.0 %    5 100.0 %"), std::string::npos)
      << swept.out;
  EXPECT_NE(swept.out.find("     10k       5     0   0.0 %"), std::string::npos) << swept.out;
  std::string text = file_bytes(dir.work / "kavlab-sweep.json");
  EXPECT_NE(text.find("\"sweep\": \"bridge_ohms\""), std::string::npos);
  Ran summary = run(dir.work, "kavlab-sim", {"summary", "kavlab-sweep.json"}, {});
  EXPECT_EQ(summary.status, 0);
  EXPECT_EQ(summary.out, swept.out);
  for (std::vector<std::string> other :
       {std::vector<std::string>{"export", "kavlab-sweep.json", "--csv", "-"},
        std::vector<std::string>{"compare", "--logic-vs-monitor", "kavlab-sweep.json"}}) {
    Ran refused = run(dir.work, "kavlab-sim", other, {});
    EXPECT_EQ(refused.status, 2) << other[0];
    EXPECT_NE(refused.err.find("kavlab-sweep.json is a sweep"), std::string::npos) << refused.err;
  }
  Ran report = run(dir.work, "kavlab-sim", {"report", "kavlab-sweep.json", "-o", "r.html"}, {});
  EXPECT_EQ(report.status, 0) << report.err;
  EXPECT_NE(file_bytes(dir.work / "r.html").find("id=\"c14-sweep\""), std::string::npos);
#else
  EXPECT_EQ(swept.status, 2);
  EXPECT_NE(swept.err.find("the analog engine is not in this build"), std::string::npos);
#endif
}

/// `text` with every time of day (a results file's start, in the sweep's table) as T.
std::string without_times(const std::string& text) {
  static const std::regex time("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z");
  return std::regex_replace(text, time, "T");
}

/// A results file's text without its command line and start time.
std::string without_command_line(const std::string& text) {
  std::string kept;
  bool in_line = false;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    std::string line = text.substr(at, end == std::string::npos ? end : end + 1 - at);
    at = end == std::string::npos ? text.size() : end + 1;
    if (line.find("\"command_line\": [") != std::string::npos) in_line = true;
    bool skip = in_line || line.find("\"date_time_utc\"") != std::string::npos;
    if (in_line && line.find(']') != std::string::npos) in_line = false;
    if (!skip) kept += line;
  }
  return kept;
}

TEST(KavlabSimEngine, EveryNumberOfWorkersGivesTheSameResults) {
#ifndef KAVTEST_ANALOG_ENGINE
  GTEST_SKIP() << "needs the analog engine, which this build lacks";
#else
  Scratch dir("12-NA2-opens.tst");
  struct Case {
    std::vector<std::string> words;  ///< -j and its value follow
    std::string output;              ///< the file written, after -o
  };
  // NA2, NA2 with opens (cells whose answers depend on what they were given before) and IN1,
  // both passes; a sweep of IN1 over three resistances; gen's check of NA2 with opens.
  const Case cases[] = {
      {{"run", "-c", "11", "-c", "12", "-c", "14", "--exhaustive", "--engine", "analog"}, "r.json"},
      {{"sweep", "-c", "14", "--exhaustive", "--bridge-ohms", "10,1k,100k"}, "s.json"},
      {{"gen", "-c", "12", "--engine", "analog"}, "g.tst"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words[0]);
    std::string first_out, first_file;
    for (const char* workers : {"1", "2", "3"}) {
      std::vector<std::string> words = c.words;
      words.insert(words.end(), {"-j", workers, "-o", c.output, "--force"});
      Ran r = run(dir.work, "kavlab-sim", words, {});
      ASSERT_EQ(r.status, 0) << workers << " workers: " << r.err;
      std::string file = without_command_line(file_bytes(dir.work / c.output));
      if (first_file.empty()) {
        first_out = without_times(r.out);
        first_file = file;
        continue;
      }
      EXPECT_EQ(without_times(r.out), first_out) << workers << " workers";
      EXPECT_EQ(file, first_file) << workers << " workers";
    }
  }
#endif
}

TEST(KavlabSimEngine, GenVerifiesOnTheAnalogEngine) {
  Scratch dir("12-NA2-opens.tst");
  Ran gen =
      run(dir.work, "kavlab-sim", {"gen", "-c", "12", "--engine", "analog", "-o", "g.tst"}, {});
#ifdef KAVTEST_ANALOG_ENGINE
  EXPECT_EQ(gen.status, 0) << gen.err;
  // The opens of NA2 as the fidelity table has them: both engines agree on every verdict.
  EXPECT_NE(gen.out.find("on the analog engine from power-up (no proofs): 13 of 13 detected by "
                         "either (by logic 9, by the monitor 6); the switch-level model: 13"),
            std::string::npos)
      << gen.out;
  EXPECT_TRUE(fs::exists(dir.work / "g.tst"));
#else
  EXPECT_EQ(gen.status, 2);
  EXPECT_NE(gen.err.find("--engine analog: the analog engine is not in this build"),
            std::string::npos)
      << gen.err;
  EXPECT_FALSE(fs::exists(dir.work / "g.tst"));
#endif
}

#endif

}  // namespace
