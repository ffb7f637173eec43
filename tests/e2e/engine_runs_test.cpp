// The emulated box's engine as the user chooses it: kavtest-sim's environment variables
// (refused values, the switch-level engine by name, kavtest ignoring them), runs on the analog
// engine whose output is the tool's alone, the bridge resistance's effect, and kavlab-sim's
// engine options recorded in the results file. Analog runs are slow: this runner stays out of
// the memory check.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "run_support.h"

namespace fs = std::filesystem;

namespace {

using Environment = std::vector<std::pair<std::string, std::string>>;

struct Ran {
  int status;
  std::string out, err;
};

/// A scratch directory with the example test file of `example` as t.tst.
fs::path scratch_with(const std::string& name, const std::string& example) {
  fs::path dir = fs::temp_directory_path() /
                 ("kavtest-engine-" + std::to_string(getpid()) + "-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy_file(fs::path(KAVTEST_EXAMPLES) / example, dir / "t.tst");
  return dir;
}

Ran run(const fs::path& dir, const std::string& program, const std::vector<std::string>& words,
        const Environment& environment) {
  Launch l;
  l.program = (fs::path(KAVTEST_BIN_DIR) / program).string();
  l.argv = {program};
  l.argv.insert(l.argv.end(), words.begin(), words.end());
  l.cwd = dir;
  l.out = dir.parent_path() / (dir.filename().string() + ".out");
  l.err = dir.parent_path() / (dir.filename().string() + ".err");
  l.environment = environment;
  int status = run_process(l);
  Ran r{status, read_bytes(l.out), read_bytes(l.err)};
  fs::remove(l.out);
  fs::remove(l.err);
  return r;
}

const std::vector<std::string> kTableOfIn1 = {"-all_defects", "-circuit", "14", "t.tst"};

TEST(KavtestSimEnvironment, RefusedValuesEndTheRunBeforeItStarts) {
  struct Case {
    Environment env;
    std::string message;
  };
  std::vector<Case> cases = {
      {{{"KAVTEST_SIM_ENGINE", "spice"}}, "KAVTEST_SIM_ENGINE=spice: no such engine (switch or analog)"},
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
#ifndef KAVTEST_ANALOG_ENGINE
  cases.push_back({{{"KAVTEST_SIM_ENGINE", "analog"}},
                   "KAVTEST_SIM_ENGINE=analog: the analog engine is not in this build: it needs "
                   "ngspice's shared library at build time (Debian: libngspice0-dev)"});
#endif
  fs::path dir = scratch_with("refused", "14-IN1.tst");
  std::string before = read_bytes(dir / "t.tst");
  for (const Case& c : cases) {
    Ran r = run(dir, "kavtest-sim", kTableOfIn1, c.env);
    EXPECT_EQ(r.status, 255) << c.message;
    EXPECT_EQ(r.err, c.message + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_bytes(dir / "t.tst"), before) << c.message;
  }
  fs::remove_all(dir);
}

TEST(KavtestSimEnvironment, SwitchByNameIsTheToolWithoutTheVariables) {
  fs::path plain = scratch_with("plain", "16-C17-shorts.tst");
  fs::path named = scratch_with("named", "16-C17-shorts.tst");
  std::vector<std::string> table = {"-all_defects", "-circuit", "16", "t.tst"};
  Ran a = run(plain, "kavtest-sim", table, {});
  Ran b = run(named, "kavtest-sim", table, {{"KAVTEST_SIM_ENGINE", "switch"}});
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(b.status, 0);
  EXPECT_EQ(a.out, b.out);
  EXPECT_EQ(a.err, b.err);
  EXPECT_EQ(read_bytes(plain / "t.tst"), read_bytes(named / "t.tst"));
  fs::remove_all(plain);
  fs::remove_all(named);
}

TEST(KavtestSimEnvironment, KavtestIgnoresTheVariables) {
  fs::path dir = scratch_with("kavtest", "14-IN1.tst");
  Ran a = run(dir, "kavtest", {"-devlist"}, {});
  Ran b = run(dir, "kavtest", {"-devlist"},
              {{"KAVTEST_SIM_ENGINE", "spice"}, {"KAVTEST_SIM_MONITOR_UA", "x"}});
  EXPECT_EQ(a.status, b.status);
  EXPECT_EQ(a.out, b.out);
  EXPECT_EQ(a.err, b.err);
  EXPECT_EQ(b.err.find("KAVTEST_SIM"), std::string::npos);
  fs::remove_all(dir);
}

#ifdef KAVTEST_ANALOG_ENGINE

TEST(AnalogEngineRuns, OutputIsTheToolsAloneAndTheBridgeResistanceCounts) {
  fs::path sw = scratch_with("switch", "14-IN1.tst");
  fs::path hard = scratch_with("hard", "14-IN1.tst");
  fs::path weak = scratch_with("weak", "14-IN1.tst");
  Ran s = run(sw, "kavtest-sim", kTableOfIn1, {});
  Ran h = run(hard, "kavtest-sim", kTableOfIn1, {{"KAVTEST_SIM_ENGINE", "analog"}});
  Ran w = run(weak, "kavtest-sim", kTableOfIn1,
              {{"KAVTEST_SIM_ENGINE", "analog"}, {"KAVTEST_SIM_BRIDGE_OHMS", "10k"}});
  EXPECT_EQ(h.status, 0) << h.err;
  EXPECT_EQ(w.status, 0) << w.err;
  // ngspice's own printing never reaches the tool's streams.
  EXPECT_EQ(h.out, s.out);
  EXPECT_EQ(h.err, "");
  EXPECT_EQ(w.out, s.out);
  EXPECT_EQ(w.err, "");
  // Through 10 kOhm the drivers win: "A/gnd" and "A/vdd" escape the outputs.
  std::string hard_table = read_bytes(hard / "t.tst"), weak_table = read_bytes(weak / "t.tst");
  EXPECT_FALSE(hard_table.empty());
  EXPECT_NE(hard_table, weak_table);
  fs::remove_all(sw);
  fs::remove_all(hard);
  fs::remove_all(weak);
}

#endif

#ifdef KAVTEST_LAB_SIM

TEST(KavlabSimEngine, TheResultsFileRecordsTheEngineAndItsParameters) {
  fs::path dir = scratch_with("lab", "14-IN1.tst");
  Ran sw = run(dir, "kavlab-sim", {"run", "-c", "14", "--exhaustive", "-o", "s.json"}, {});
  EXPECT_EQ(sw.status, 0) << sw.err;
  std::string text = read_bytes(dir / "s.json");
  EXPECT_NE(text.find("\"name\": \"switch\""), std::string::npos);
  Ran refused = run(dir, "kavlab-sim",
                    {"run", "-c", "14", "--exhaustive", "--monitor-ua", "3", "-o", "r.json"}, {});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err,
            "kavlab: --monitor-ua 3: the monitor threshold is a parameter of the analog engine "
            "alone (--engine analog)\n");
  EXPECT_FALSE(fs::exists(dir / "r.json"));
#ifdef KAVTEST_ANALOG_ENGINE
  Ran analog = run(dir, "kavlab-sim",
                   {"run", "-c", "14", "--exhaustive", "--engine", "analog", "--bridge-ohms",
                    "4.7k", "--monitor-ua", "2.5", "-o", "a.json"},
                   {});
  EXPECT_EQ(analog.status, 0) << analog.err;
  EXPECT_EQ(analog.err, "");
  text = read_bytes(dir / "a.json");
  EXPECT_NE(text.find("\"name\": \"analog\""), std::string::npos);
  EXPECT_NE(text.find("\"bridge_ohms\": 4700.0"), std::string::npos);
  EXPECT_NE(text.find("\"monitor_ua\": 2.5"), std::string::npos);
#endif
  fs::remove_all(dir);
}

TEST(KavlabSimEngine, SweepShowsTheCoveragePerBridgeResistance) {
  fs::path dir = scratch_with("sweep", "14-IN1.tst");
  Ran bad = run(dir, "kavlab-sim", {"sweep", "-c", "14", "--exhaustive", "--bridge-ohms", "10,,1k"},
                {});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, "kavlab: --bridge-ohms 10,,1k: an empty value in the list\n");
  Ran swept = run(dir, "kavlab-sim",
                  {"sweep", "-c", "14", "--exhaustive", "--bridge-ohms", "10,10k"}, {});
#ifdef KAVTEST_ANALOG_ENGINE
  EXPECT_EQ(swept.status, 0) << swept.err;
  // IN1's five shorts: all wrong at 10 Ohm; at 10 kOhm the drivers and the gate win, and only
  // the rail shorts of A, driven against, still draw current.
  EXPECT_NE(swept.out.find("      10       5     5 100.0 %    5 100.0 %"), std::string::npos)
      << swept.out;
  EXPECT_NE(swept.out.find("     10k       5     0   0.0 %"), std::string::npos) << swept.out;
  std::string text = read_bytes(dir / "kavlab-sweep.json");
  EXPECT_NE(text.find("\"sweep\": \"bridge_ohms\""), std::string::npos);
  Ran summary = run(dir, "kavlab-sim", {"summary", "kavlab-sweep.json"}, {});
  EXPECT_EQ(summary.status, 0);
  EXPECT_EQ(summary.out, swept.out);
#else
  EXPECT_EQ(swept.status, 2);
  EXPECT_NE(swept.err.find("the analog engine is not in this build"), std::string::npos);
#endif
  fs::remove_all(dir);
}

#endif

}  // namespace
