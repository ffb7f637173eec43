// Defect tables of stuck-at defects measured by kavtest-sim on the emulated chip, against a
// gate-level stuck-at simulation: a short of an input or gate output X to a rail must be detected
// by logic exactly where forcing X changes an output, and by the current monitor exactly where
// X's defect-free value differs from the rail.
// Like the command-line cases, the runs follow test_support.h's KAVTEST_E2E_* variables.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "KavrinConst.h"
#include "gate_logic_test.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

fs::path example_of(int circuit) {
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "%02d-", circuit);
  for (const auto& e : fs::directory_iterator(KAVTEST_EXAMPLES))
    if (e.path().filename().string().rfind(prefix, 0) == 0) return e.path();
  return {};
}

/// Runs kavtest-sim with `words` in `dir`, through the launcher when one is set; its exit status.
int run_sim(const fs::path& dir, const std::vector<std::string>& words) {
  test_support::Launch l =
      test_support::e2e_launch(test_support::e2e_binary("kavtest-sim"), "kavtest-sim", words);
  l.cwd = dir;
  return test_support::run_process(l);
}

/// The rows of the ".TABLE" section of a written TST file.
std::vector<std::string> fault_table(const std::string& text) {
  std::vector<std::string> rows;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line) && line != ".TABLE") {
  }
  std::getline(in, line);  // the empty line after the keyword
  while (std::getline(in, line) && !line.empty()) rows.push_back(line);
  return rows;
}

class StuckAtRuns : public testing::TestWithParam<int> {};

TEST_P(StuckAtRuns, FaultTableFollowsTheGateLevelModel) {
  int c = GetParam();
  const KAVRIN_ELEMENT_LIST& circuit = elements[c];
  LogicCircuit model = logic_circuit(c);
  test_support::ScratchDir scratch("kavtest-saf-");
  const fs::path& dir = scratch.path();
  fs::copy_file(example_of(c), dir / "t.tst", fs::copy_options::overwrite_existing);
  unsigned vectors = 1u << circuit.in;

  for (bool bicm : {false, true}) {
    SCOPED_TRACE(bicm ? "monitor" : "logic");
    std::vector<std::string> words = {"-quiet", "-saf_defects", "-circuit", std::to_string(c),
                                      "-tst", "out.tst", "t.tst"};
    if (bicm) words.insert(words.begin(), "-bicm");
    ASSERT_EQ(run_sim(dir, words), 0);
    std::vector<std::string> table =
        fault_table(test_support::e2e_text(test_support::file_bytes(dir / "out.tst")));

    int column = 0, checked = 0;
    for (int k = 0; k < circuit.count; k++) {
      if (!cell_selected(MASK_SAF_DEFECTS, circuit.idx[k].type)) continue;
      std::string node;
      bool rail = false;
      if (logic_rail_short(model, circuit.idx[k].defect, &node, &rail)) {
        SCOPED_TRACE(circuit.idx[k].defect);
        ASSERT_EQ(table.size(), vectors);
        for (unsigned v = 0; v < vectors; v++) {
          bool detected = bicm ? logic_values(model, v).at(node) != rail
                               : logic_outputs(model, v, node, rail) != logic_outputs(model, v);
          EXPECT_EQ(table[v][column], detected ? '1' : 'X') << "vector " << v;
        }
        checked++;
      }
      column++;
    }
    if (column == 0) {
      EXPECT_TRUE(table.empty());
    } else {
      EXPECT_GT(checked, 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllCircuits, StuckAtRuns, testing::Range(0, KAVRIN_CIRCUIT_COUNT));

}  // namespace
