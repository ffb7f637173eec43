// kavlab-sim's command line checked without running a command: every refusal starts with
// "kavlab: ", names the refused value and ends with status 2; good lines choose their action.
#include "cli.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace kavlab {

namespace {

struct Refusal {
  std::vector<std::string> words;  ///< after the program's name
  std::string message;             ///< what is printed on standard error
};

ParsedLine parsed(const std::vector<std::string>& words) {
  std::vector<std::string> line = {"kavlab-sim"};
  line.insert(line.end(), words.begin(), words.end());
  return parse_command_line(line);
}

}  // namespace

TEST(CommandLine, RefusalsNameTheValueInKavlabsWords) {
  test_support::ScratchDir dir("kavlab-cli-");
  const std::string test_file = dir.write("t.tst", ".VECTORS 0\n");
  const std::string long_name(5000, 'r');
  const Refusal refusals[] = {
      {{}, "no command given (--help lists them)"},
      {{"rn"}, "no command 'rn'; did you mean 'run'?"},
      {{"sumary", "a.json"}, "no command 'sumary'; did you mean 'summary'?"},
      {{"xyzzy"},
       "no command 'xyzzy' (the commands: run, sweep, gen, compact, import, summary, export, "
       "list, devices, report, compare, lot)"},
      {{long_name},
       "no command '" + long_name.substr(0, 40) +
           "...' (the commands: run, sweep, "
           "gen, compact, import, summary, export, list, devices, report, compare, lot)"},
      {{"run", "--exhaustive"}, "--circuit is required"},
      {{"run", "-c", "18", "--exhaustive"},
       "--circuit: 18 is not a circuit of the chip (0 to 17, or all)"},
      {{"run", "-c", "1x", "--exhaustive"},
       "--circuit: 1x is not a circuit of the chip (0 to 17, or all)"},
      {{"run", "-c", "all", "-c", "3", "--exhaustive"},
       "--circuit: all stands alone, not beside other circuits"},
      {{"run", "-c", "3", "-c", "03", "--exhaustive"}, "--circuit: 3 is named twice"},
      {{"run", "-c", "1", "--exhaustive", "--cells", "1,,2"}, "--cells: 1,,2 holds an empty value"},
      {{"run", "-c", "1", "--exhaustive", "--cells", ""}, "--cells: an empty value"},
      {{"run", "-c", "1", "--exhaustive", "--cells", "0"},
       "--cells: 0 is not all, saf or a cell number"},
      {{"run", "-c", "1", "--exhaustive", "--cells", "2,x y"},
       "--cells: '2,x y': 'x y' is not all, saf or a cell number"},
      {{"run", "-c", "1", "--exhaustive", "--cells", "saf,3"},
       "--cells: saf stands alone, not in a list of cells"},
      {{"run", "-c", "1", "--exhaustive", "--engine", "spice"},
       "--engine: spice is not switch or analog"},
      {{"run", "-c", "1", "--exhaustive", "--bridge-ohms", ""}, "--bridge-ohms: an empty value"},
      {{"run", "-c", "1", "--exhaustive", "--monitor-ua", ""}, "--monitor-ua: an empty value"},
      {{"run", "-c", "1", "--logic", "--monitor", "--exhaustive"}, "--logic excludes --monitor"},
      {{"run", "-c", "1", "--exhaustive", "-j", "0"},
       "--jobs: 0 is not a number of workers from 1 to 1024"},
      {{"run", "-c", "1", "--exhaustive", "--jobs", "1025"},
       "--jobs: 1025 is not a number of workers from 1 to 1024"},
      {{"run", "-c", "1", "--exhaustive", "-j", "two"},
       "--jobs: two is not a number of workers from 1 to 1024"},
      {{"sweep", "-c", "14", "--exhaustive", "-j", "-2"},
       "--jobs: -2 is not a number of workers from 1 to 1024"},
      {{"gen", "-c", "12", "-o", "x.tst", "-j", ""},
       "--jobs: '' is not a number of workers from 1 to 1024"},
      {{"sweep", "-c", "14", "--exhaustive", "--bridge-ohms", "10,,1k"},
       "--bridge-ohms: 10,,1k holds an empty value"},
      {{"gen", "-c", "12", "-o", "x.tst", "--n-detect", "0"}, "--n-detect: 0 is not 1 or more"},
      {{"gen", "-c", "12", "-o", "x.tst", "--n-detect", "99999999999"},
       "--n-detect: 99999999999 is not 1 or more"},
      {{"gen", "-c", "12", "-o", "x.tst", "--by", "both"},
       "--by: both is not logic, monitor or either"},
      {{"gen", "-c", "12", "-o", "-"},
       "--output: - is not a file here: standard output is the report's"},
      {{"compact", "-c", "-1", "t.tst", "-o", "y.tst"},
       "--circuit: -1 is not a circuit of the chip (0 to 17)"},
      {{"compact", "-c", "12", "no-such.tst", "-o", "y.tst"}, "test: no-such.tst: no such file"},
      {{"import", ".", "-c", "1"}, "test: . is a directory, not a file"},
      {{"import", test_file, "-c", "12", "--cells", "1,2"}, "--cells: 1,2 is not all or saf"},
      {{"list", "-c", "\x1b[2J"}, "--circuit: \\x1b[2J is not a circuit of the chip (0 to 17)"},
      {{"list", "-c", std::string(100, '9')},
       "--circuit: '" + std::string(40, '9') +
           "...' (100 characters) is not a circuit of the chip (0 to 17)"},
      {{"compare", "a.json", "b.json", "--json", "--csv"}, "--json excludes --csv"},
      {{"lot", "a.json", "b.json", "--csv", "--json"}, "--json excludes --csv"},
      {{"summary", "a.json", "--by", "logic"}, "--by requires --fail-under"},
      {{"summary", "a.json", "--fail-under", "101"},
       "--fail-under: 101 is not a percent from 0 to 100"},
      {{"summary", "a.json", "--fail-under", "90", "--class", "rail-short,bogus"},
       "--class: rail-short,bogus: bogus is not rail-short, bridge or open"},
      {{"summary", std::string(4097, 'w')},
       "a word of the command line is 4097 bytes long, over the 4096 a word may have: " +
           std::string(40, 'w') + "... (4097 bytes)"},
  };
  for (const Refusal& r : refusals) {
    ParsedLine line = parsed(r.words);
    std::string shown = r.words.empty() ? "" : r.words[0];
    EXPECT_EQ(line.status, ExitStatus::CommandLine) << shown;
    EXPECT_EQ(line.err, "kavlab: " + r.message + "\n") << shown;
    EXPECT_EQ(line.action, nullptr) << shown;
  }
}

TEST(CommandLine, GoodLinesChooseTheirAction) {
  const std::pair<std::vector<std::string>, Action> lines[] = {
      {{"run", "-c", "010", "--exhaustive", "--cells", "1,2"}, run_action},
      {{"run", "-c", "all", "--exhaustive", "--one-pass", "--engine", "analog"}, run_action},
      {{"run", "-c", "1", "--exhaustive", "-j", "1024"}, run_action},
      {{"sweep", "-c", "14", "--exhaustive", "--bridge-ohms", "10,1k", "--jobs", "02"},
       sweep_action},
      {{"gen", "-c", "all", "-o", "dir", "--by", "monitor", "--n-detect", "2"}, gen_action},
      {{"gen", "-c", "12", "-o", "x.tst", "--engine", "analog", "-j", "3"}, gen_action},
      {{"summary", "a.json", "--csv"}, summary_action},
      {{"list", "-c", "17"}, list_action},
      {{"devices", "--json"}, devices_action},
      {{"compare", "a.json", "--logic-vs-monitor"}, compare_action},
  };
  for (const auto& [words, action] : lines) {
    ParsedLine line = parsed(words);
    EXPECT_EQ(line.status, ExitStatus::Done) << words[0];
    EXPECT_EQ(line.err, "") << words[0];
    EXPECT_EQ(line.action, action) << words[0];
  }
}

TEST(CommandLine, HelpAndVersionGoToStandardOutput) {
  ParsedLine help = parsed({"--help"});
  EXPECT_EQ(help.status, ExitStatus::Done);
  EXPECT_EQ(help.action, nullptr);
  for (const char* name : {"run", "sweep", "gen", "compact", "import", "summary", "export", "list",
                           "devices", "report", "compare"})
    EXPECT_NE(help.out.find(std::string("  ") + name + " "), std::string::npos) << name;
  ParsedLine version = parsed({"--version"});
  EXPECT_EQ(version.out, std::string("kavlab-sim ") + KAVLAB_VERSION + "\n");
  ParsedLine run_help = parsed({"run", "--help"});
  EXPECT_NE(run_help.out.find("--engine"), std::string::npos) << run_help.out;
}

}  // namespace kavlab
