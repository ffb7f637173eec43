// Defect tables of stuck-at defects measured by kavtest-sim on the emulated chip, against a
// gate-level stuck-at simulation: a short of an input or gate output X to a rail must be detected
// by logic exactly where forcing X changes an output, and by the current monitor exactly where
// X's defect-free value differs from the rail.
// Like the command-line cases, the runs follow KAVTEST_E2E_LAUNCHER, KAVTEST_E2E_EXE_SUFFIX,
// KAVTEST_E2E_BIN_DIR and KAVTEST_E2E_TEXT_MODE (see e2e_test.cpp).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "KavrinConst.h"
#include "gate_logic_test.h"
#include "run_support.h"

namespace fs = std::filesystem;

namespace {

std::string read_file(const fs::path& p) {
  std::string text = read_bytes(p);
  if (std::getenv("KAVTEST_E2E_TEXT_MODE") == nullptr) return text;
  std::string lines;  // written in text mode: CR LF is a line end
  for (size_t i = 0; i < text.size(); i++)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
  return lines;
}

std::string env_or(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : fallback;
}

fs::path example_of(int circuit) {
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "%02d-", circuit);
  for (const auto& e : fs::directory_iterator(KAVTEST_EXAMPLES))
    if (e.path().filename().string().rfind(prefix, 0) == 0) return e.path();
  return {};
}

/// Runs kavtest-sim quietly in `dir`, through the launcher when one is set; its exit status.
int run_sim(const fs::path& dir, std::vector<std::string> words) {
  fs::path binary = fs::path(env_or("KAVTEST_E2E_BIN_DIR", KAVTEST_BIN_DIR)) /
                    ("kavtest-sim" + env_or("KAVTEST_E2E_EXE_SUFFIX", ""));
  std::vector<std::string> launcher;
  std::istringstream launcher_words(env_or("KAVTEST_E2E_LAUNCHER", ""));
  for (std::string w; launcher_words >> w;) launcher.push_back(w);
  words.insert(words.begin(), launcher.empty() ? "kavtest-sim" : binary.string());
  words.insert(words.begin(), launcher.begin(), launcher.end());
  Launch l;
  l.program = launcher.empty() ? binary.string() : words.front();
  l.search_path = !launcher.empty();
  l.argv = words;
  l.cwd = dir;
  return run_process(l);
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

/// A two-name short of a model node to a rail: the node and the rail's value.
bool stuck_at_of(const LogicCircuit& model, const char* defect, std::string* node, bool* value) {
  std::string name = defect;
  size_t slash = name.find('/');
  if (slash == std::string::npos || name.find('/', slash + 1) != std::string::npos) return false;
  std::string rail = name.substr(slash + 1);
  *node = name.substr(0, slash);
  *value = rail == "vdd";
  return (rail == "gnd" || rail == "vdd") && logic_has_node(model, *node);
}

class StuckAtRuns : public testing::TestWithParam<int> {};

TEST_P(StuckAtRuns, FaultTableFollowsTheGateLevelModel) {
  int c = GetParam();
  const KAVRIN_ELEMENT_LIST& circuit = elements[c];
  LogicCircuit model = logic_circuit(c);
  fs::path dir = fs::temp_directory_path() / ("kavtest-saf-" + std::to_string(getpid()) + "-" +
                                              std::to_string(c));
  fs::create_directories(dir);
  fs::copy_file(example_of(c), dir / "t.tst", fs::copy_options::overwrite_existing);
  unsigned vectors = 1u << circuit.in;

  for (bool bicm : {false, true}) {
    SCOPED_TRACE(bicm ? "monitor" : "logic");
    std::vector<std::string> words = {"-quiet", "-saf_defects", "-circuit", std::to_string(c),
                                      "-tst", "out.tst", "t.tst"};
    if (bicm) words.insert(words.begin(), "-bicm");
    ASSERT_EQ(run_sim(dir, words), 0);
    std::vector<std::string> table = fault_table(read_file(dir / "out.tst"));

    int column = 0, checked = 0;
    for (int k = 0; k < circuit.count; k++) {
      if (!cell_selected(MASK_SAF_DEFECTS, circuit.idx[k].type)) continue;
      std::string node;
      bool rail = false;
      if (stuck_at_of(model, circuit.idx[k].defect, &node, &rail)) {
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
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(AllCircuits, StuckAtRuns, testing::Range(0, KAVRIN_CIRCUIT_COUNT));

}  // namespace
