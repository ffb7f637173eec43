// kavlab-sim gen and compact against kavtest-sim on the emulated box: the generated file of every
// circuit, run after random vectors that leave the cells in other states, detects every defect
// the generator promises within its own rows; from power-up it detects at least what the
// exhaustive set in counting order detects, the stuck-opens that set misses among them; and a
// compacted file detects what the file it came from detects. The tables come from
// kavtest-sim-faults with no fault planned: kavtest-sim without the settling pause.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "KavrinConst.h"
#include "test_support.h"

namespace kavlab {

namespace fs = std::filesystem;

namespace {

using test_support::file_bytes;
using test_support::Ran;

Ran run(const fs::path& dir, const std::string& program, const std::vector<std::string>& words) {
  test_support::Launch l = test_support::e2e_launch(
      program == "kavtest-sim" ? fs::path(KAVTEST_SIM_QUICK) : test_support::e2e_binary(program),
      program, words);
  l.cwd = dir;
  return test_support::run_captured(l, dir);
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> all;
  std::istringstream in(text);
  for (std::string s; std::getline(in, s);)
    all.push_back(!s.empty() && s.back() == '\r' ? s.substr(0, s.size() - 1) : s);
  return all;
}

/// The rows of section `keyword` of a TST file (up to the next blank line after its first row).
std::vector<std::string> section(const fs::path& file, const std::string& keyword) {
  std::vector<std::string> rows;
  bool in = false;
  for (const std::string& l : lines(file_bytes(file))) {
    if (l.rfind(keyword, 0) == 0) {
      in = true;
      continue;
    }
    if (!in) continue;
    if (l.empty() && !rows.empty()) break;
    if (!l.empty()) rows.push_back(l);
  }
  return rows;
}

/// A file of circuit `circuit`'s inputs: the input part of each row of `rows`, in order.
void write_vectors(const fs::path& file, int circuit, const std::vector<std::string>& rows) {
  std::ofstream out(file, std::ios::binary);
  out << ".VECTORS " << rows.size() << "\n\n.PATTERNS\n\n";
  for (const std::string& r : rows) out << r.substr(0, elements[circuit].in) << "\n";
}

/// Per row of `test`, the defects kavtest-sim's -all_defects runs (logic, and -bicm) detect there.
std::vector<std::set<std::string>> detections(const fs::path& dir, int circuit,
                                              const std::string& test) {
  std::vector<std::set<std::string>> rows;
  std::vector<std::string> names;
  for (int k = 0; k < elements[circuit].count; k++)
    if (elements[circuit].idx[k].type != DEFECT_REFERENCE)
      names.push_back(elements[circuit].idx[k].defect);
  for (bool monitor : {false, true}) {
    std::vector<std::string> words = {"-quiet", "-all_defects", "-circuit", std::to_string(circuit),
                                      "-tst",   "table.tst",    test};
    if (monitor) words.insert(words.begin(), "-bicm");
    Ran r = run(dir, "kavtest-sim", words);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> table = section(dir / "table.tst", ".TABLE");
    rows.resize(table.size());
    for (std::size_t row = 0; row < table.size(); row++)
      for (std::size_t k = 0; k < table[row].size() && k < names.size(); k++)
        if (table[row][k] == '1') rows[row].insert(names[k]);
  }
  return rows;
}

/// The defects detected in rows [from, to) of `rows`.
std::set<std::string> within(const std::vector<std::set<std::string>>& rows, std::size_t from,
                             std::size_t to) {
  std::set<std::string> found;
  for (std::size_t row = from; row < to && row < rows.size(); row++)
    found.insert(rows[row].begin(), rows[row].end());
  return found;
}

/// The defects detected anywhere in `test`.
std::set<std::string> detected(const fs::path& dir, int circuit, const std::string& test) {
  return within(detections(dir, circuit, test), 0, SIZE_MAX);
}

/// Where kavlab-sim generated every circuit's tests (by either), and what it printed.
class GenRuns : public testing::Test {
 protected:
  static std::unique_ptr<test_support::ScratchDir> scratch;
  static fs::path dir;
  static Ran gen;
  static void SetUpTestSuite() {
    scratch = std::make_unique<test_support::ScratchDir>("kavlab-gen-");
    dir = scratch->path();
    gen = run(dir, "kavlab-sim", {"gen", "-c", "all", "-o", "gen"});
  }
  static void TearDownTestSuite() { scratch.reset(); }
  static fs::path generated(int circuit) {
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%02d-", circuit);
    return dir / "gen" / (prefix + std::string(elements[circuit].name) + ".tst");
  }
  static fs::path example(int circuit) {
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%02d-", circuit);
    for (const auto& e : fs::directory_iterator(KAVTEST_EXAMPLES))
      if (e.path().filename().string().rfind(prefix, 0) == 0) return e.path();
    return {};
  }
  /// The defects gen lists as detectable only from some states or never, per circuit.
  static std::set<std::string> not_promised(int circuit) {
    std::set<std::string> names;
    std::string head = "- " + std::to_string(circuit) + " " + elements[circuit].name + ", ";
    for (const std::string& l : lines(gen.out)) {
      if (l.rfind(head, 0) != 0) continue;
      std::istringstream list(l.substr(l.find(": ") + 2));
      for (std::string n; std::getline(list, n, ',');)
        names.insert(n.substr(n.find_first_not_of(' ')));
    }
    return names;
  }
};
std::unique_ptr<test_support::ScratchDir> GenRuns::scratch;
fs::path GenRuns::dir;
Ran GenRuns::gen;

TEST_F(GenRuns, DetectsEveryPromisedDefectAfterRandomVectors) {
  ASSERT_EQ(gen.status, 0) << gen.err;
  std::mt19937 random(19);
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++) {
    SCOPED_TRACE("circuit " + std::to_string(c));
    std::vector<std::string> rows = section(generated(c), ".PATTERNS");
    ASSERT_FALSE(rows.empty());
    std::set<std::string> excluded = not_promised(c);
    // Three runs of random vectors, each followed by the generated ones: one file, whose
    // generated blocks each start where the vectors before them left the cells.
    std::vector<std::string> all;
    std::vector<std::size_t> starts;
    for (int trial = 0; trial < 3; trial++) {
      for (std::size_t n = 1 + random() % 9; n > 0; n--) {
        std::string p;
        for (int b = 0; b < elements[c].in; b++) p += random() % 2 ? '1' : '0';
        all.push_back(p);
      }
      starts.push_back(all.size());
      all.insert(all.end(), rows.begin(), rows.end());
    }
    write_vectors(dir / "prefixed.tst", c, all);
    std::vector<std::set<std::string>> table = detections(dir, c, "prefixed.tst");
    for (std::size_t start : starts) {
      std::set<std::string> found = within(table, start, start + rows.size());
      for (int k = 0; k < elements[c].count; k++) {
        if (elements[c].idx[k].type == DEFECT_REFERENCE) continue;
        std::string name = elements[c].idx[k].defect;
        if (excluded.count(name) == 0) {
          EXPECT_EQ(found.count(name), 1u) << name << " from row " << start;
        }
      }
    }
  }
}

TEST_F(GenRuns, AtLeastTheExhaustiveCoverageInFewerVectors) {
  ASSERT_EQ(gen.status, 0) << gen.err;
  std::size_t generated_length = 0, exhaustive_length = 0;
  std::set<std::string> all_found;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++) {
    SCOPED_TRACE("circuit " + std::to_string(c));
    fs::copy_file(generated(c), dir / "g.tst", fs::copy_options::overwrite_existing);
    fs::copy_file(example(c), dir / "x.tst", fs::copy_options::overwrite_existing);
    std::set<std::string> mine = detected(dir, c, "g.tst");
    std::set<std::string> theirs = detected(dir, c, "x.tst");
    EXPECT_GE(mine.size(), theirs.size());
    all_found.insert(mine.begin(), mine.end());
    generated_length += section(generated(c), ".PATTERNS").size();
    exhaustive_length += section(example(c), ".PATTERNS").size();
  }
  // The stuck-opens that the counting order misses and a pair of vectors detects.
  for (const char* name :
       {"NA2_07", "NA2_08", "C17#25_I0#08", "C17#37_I1#07", "C17#38_I1#08", "C17#51_I2#08"})
    EXPECT_EQ(all_found.count(name), 1u) << name;
  EXPECT_LE(generated_length, exhaustive_length);
  // kavlab runs the file as it stands, too.
  Ran lab = run(dir, "kavlab-sim", {"run", "-c", "17", generated(17).string(), "-o", "r.json"});
  EXPECT_EQ(lab.status, 0) << lab.err;
  EXPECT_NE(gen.out.find("total length " + std::to_string(generated_length) + ","),
            std::string::npos)
      << gen.out;
}

TEST_F(GenRuns, CompactKeepsWhatTheGivenFileDetects) {
  for (int c : {12, 17}) {
    SCOPED_TRACE("circuit " + std::to_string(c));
    fs::copy_file(example(c), dir / "given.tst", fs::copy_options::overwrite_existing);
    Ran r = run(dir, "kavlab-sim",
                {"compact", "-c", std::to_string(c), "given.tst", "-o", "small.tst", "--force"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::set<std::string> before = detected(dir, c, "given.tst");
    std::set<std::string> after = detected(dir, c, "small.tst");
    for (const std::string& name : before) EXPECT_EQ(after.count(name), 1u) << name;
    EXPECT_LT(section(dir / "small.tst", ".PATTERNS").size(),
              section(dir / "given.tst", ".PATTERNS").size());
  }
  std::string kept = file_bytes(dir / "small.tst");
  Ran again = run(dir, "kavlab-sim", {"compact", "-c", "17", "given.tst", "-o", "small.tst"});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("--force"), std::string::npos) << again.err;
  EXPECT_EQ(file_bytes(dir / "small.tst"), kept);
}

}  // namespace

}  // namespace kavlab
