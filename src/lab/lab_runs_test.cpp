// kavlab-sim against kavtest-sim on the emulated box, every circuit with every input vector:
// the TST export equals kavtest-sim's file byte for byte (logic, and -bicm for --monitor), and
// an import of kavtest-sim's file summarizes as the run does by logic (and by the monitor). Then
// test files with LFSR registers and stuck-at cells, and results files that must be refused. Like
// the command-line cases, the runs follow test_support.h's KAVTEST_E2E_LAUNCHER,
// KAVTEST_E2E_EXE_SUFFIX and KAVTEST_E2E_BIN_DIR: this host program drives the Windows binaries
// under Wine too.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "KavrinConst.h"
#include "sha256.h"
#include "test_support.h"

namespace kavlab {

namespace fs = std::filesystem;

namespace {

using test_support::file_bytes;
using test_support::Ran;

/// Runs `program` (kavlab-sim or kavtest-sim) in `dir` with `words`, through the launcher
/// when one is set.
Ran run(const fs::path& dir, const std::string& program, const std::vector<std::string>& words) {
  test_support::Launch l =
      test_support::e2e_launch(test_support::e2e_binary(program), program, words);
  l.cwd = dir;
  return test_support::run_captured(l, dir);
}

/// What a run that had to succeed printed on standard error when it failed; empty when it
/// succeeded, so that a failing step shows why.
std::string succeeded(const Ran& r) {
  return r.status == 0 ? "" : "status " + std::to_string(r.status) + ": " + r.err;
}

std::string example_of(int circuit) {
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "%02d-", circuit);
  for (const auto& e : fs::directory_iterator(KAVTEST_EXAMPLES))
    if (e.path().filename().string().rfind(prefix, 0) == 0) return e.path().filename().string();
  return "";
}

/// The fields of a CSV line, empty ones included (no quoted commas in what is compared here).
std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> f(1);
  for (char ch : line) {
    if (ch == ',')
      f.emplace_back();
    else
      f.back() += ch;
  }
  return f;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> all;
  std::istringstream in(text);
  for (std::string s; std::getline(in, s);)
    all.push_back(s.back() == '\r' ? s.substr(0, s.size() - 1) : s);
  return all;
}

/// A scratch directory with the examples, where kavlab-sim measured every circuit with every
/// input vector (two.json) and kavtest-sim wrote each circuit's logic and -bicm tables.
class LabRuns : public testing::Test {
 protected:
  static std::unique_ptr<test_support::ScratchDir> scratch;
  static fs::path dir;
  static void SetUpTestSuite() {
    scratch = std::make_unique<test_support::ScratchDir>("kavlab-runs-");
    dir = scratch->path();
    for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++)
      fs::copy_file(fs::path(KAVTEST_EXAMPLES) / example_of(c), dir / example_of(c));
  }
  static void TearDownTestSuite() { scratch.reset(); }
};
std::unique_ptr<test_support::ScratchDir> LabRuns::scratch;
fs::path LabRuns::dir;

/// The summary CSV rows of `files` (header dropped), each cut to its fields [from, to).
std::vector<std::vector<std::string>> summary_columns(const fs::path& dir,
                                                      const std::vector<std::string>& files,
                                                      std::size_t from, std::size_t to) {
  std::vector<std::string> words = {"summary", "--csv"};
  words.insert(words.end(), files.begin(), files.end());
  Ran r = run(dir, "kavlab-sim", words);
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> all = lines(r.out);
  for (std::size_t i = 1; i < all.size(); i++) {
    std::vector<std::string> f = fields(all[i]);
    EXPECT_GE(f.size(), to) << all[i];
    if (f.size() >= to) rows.emplace_back(f.begin() + from, f.begin() + to);
  }
  return rows;
}

TEST_F(LabRuns, ExportEqualsKavtestSimAndImportSummarizesAsTheRun) {
  // Split over three workers (on Windows, measured in order as ever): every table as the tool's.
  Ran r = run(dir, "kavlab-sim", {"run", "-c", "all", "--exhaustive", "-j", "3", "-o", "two.json"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> logic_imports, monitor_imports;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++) {
    SCOPED_TRACE("circuit " + std::to_string(c));
    std::string n = std::to_string(c);
    for (bool monitor : {false, true}) {
      std::string kt = "k" + n + (monitor ? "m" : "l") + ".tst", lt = "l" + kt;
      std::vector<std::string> tool = {"-quiet", "-all_defects", "-circuit", n, "-tst",
                                       kt,       example_of(c)};
      std::vector<std::string> ex = {"export", "two.json", "--tst", lt, "-c", n};
      std::vector<std::string> imp = {"import", kt, "-c", n, "-o", kt + ".json"};
      if (monitor) {
        tool.insert(tool.begin(), "-bicm");
        ex.push_back("--monitor");
        imp.push_back("--monitor");
      }
      Ran table = run(dir, "kavtest-sim", tool), exported = run(dir, "kavlab-sim", ex);
      ASSERT_EQ(table.status, 0) << table.out << table.err;
      ASSERT_EQ(exported.status, 0) << exported.out << exported.err;
      EXPECT_EQ(file_bytes(dir / lt), file_bytes(dir / kt)) << (monitor ? "monitor" : "logic");
      Ran i = run(dir, "kavlab-sim", imp);
      ASSERT_EQ(i.status, 0) << i.out << i.err;
      (monitor ? monitor_imports : logic_imports).push_back(kt + ".json");
    }
  }
  // The CSV columns from "circuit" to "logic_essential", and from "monitor" to
  // "monitor_essential", of the run and of the imports.
  EXPECT_EQ(summary_columns(dir, logic_imports, 2, 13), summary_columns(dir, {"two.json"}, 2, 13));
  EXPECT_EQ(summary_columns(dir, monitor_imports, 13, 18),
            summary_columns(dir, {"two.json"}, 13, 18));
}

TEST_F(LabRuns, RegistersAndStuckAtCellsAsKavtestSim) {
  std::ofstream(dir / "reg.tst") << ".VECTORS 2\n\n.GENERATOR\n\n.INITIAL_STATE 101\n"
                                    ".POLYNOMIAL 110\n\n.ANALYZER\n\n.INITIAL_STATE 11\n"
                                    ".POLYNOMIAL 01\n.SIGNATURE 10\n\n.PATTERNS\n\n0\n1\n";
  Ran r = run(dir, "kavlab-sim", {"run", "-c", "14", "--cells", "saf", "reg.tst"});
  ASSERT_EQ(r.status, 0) << r.err;
  Ran table = run(dir, "kavtest-sim",
                  {"-quiet", "-saf_defects", "-circuit", "14", "-tst", "k.tst", "reg.tst"});
  ASSERT_EQ(table.status, 0) << table.err;
  Ran exported =
      run(dir, "kavlab-sim", {"export", "reg.results.json", "--tst", "l.tst", "-c", "14"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(file_bytes(dir / "l.tst"), file_bytes(dir / "k.tst"));
  EXPECT_NE(file_bytes(dir / "l.tst").find(".SIGNATURE 10"), std::string::npos);
  std::string results = file_bytes(dir / "reg.results.json");
  EXPECT_NE(results.find(sha256_hex(file_bytes(dir / "reg.tst"))), std::string::npos);
  Ran again = run(dir, "kavlab-sim", {"run", "-c", "14", "reg.tst"});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("--force"), std::string::npos) << again.err;
  EXPECT_EQ(file_bytes(dir / "reg.results.json"), results);
}

TEST_F(LabRuns, BadResultsFilesAreRefused) {
  ASSERT_EQ(
      succeeded(run(dir, "kavlab-sim", {"run", "-c", "14", "--exhaustive", "-o", "in1.json"})), "");
  std::string text = file_bytes(dir / "in1.json");
  std::string version = "\"version\": 1,";
  ASSERT_NE(text.find(version), std::string::npos);
  std::ofstream(dir / "v2.json", std::ios::binary)
      << text.substr(0, text.find(version)) << "\"version\": 2,"
      << text.substr(text.find(version) + version.size());
  std::ofstream(dir / "cut.json", std::ios::binary) << text.substr(0, text.size() * 2 / 3);
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"summary", "v2.json"}, "v2.json: results format version 2"},
      {{"summary", "cut.json"}, "cut.json: not a complete JSON document"},
      {{"export", "in1.json", "--tst", "x.tst", "-c", "16"}, "in1.json holds no circuit 16"},
      {{"summary", "missing.json"}, "missing.json: no such file"}};
  for (const auto& [words, message] : cases) {
    Ran r = run(dir, "kavlab-sim", words);
    EXPECT_EQ(r.status, 1) << message;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(dir / "x.tst"));
}

}  // namespace

TEST_F(LabRuns, CompareSaysSameDifferentOrTrouble) {
  ASSERT_EQ(succeeded(run(dir, "kavlab-sim", {"run", "-c", "12", "--exhaustive", "-o", "a.json"})),
            "");
  ASSERT_EQ(succeeded(run(dir, "kavlab-sim",
                          {"run", "-c", "12", "--one-pass", "--exhaustive", "-o", "one.json"})),
            "");
  ASSERT_EQ(
      succeeded(run(dir, "kavlab-sim",
                    {"run", "-c", "12", "--cells", "1,2", "--exhaustive", "-o", "two-cells.json"})),
      "");
  // B: cell 1's first answer in the logic pass turned from 1 to 0 (NAND of 00 is 1).
  std::string text = file_bytes(dir / "a.json"), outputs = "\"outputs\": \"";
  std::size_t at = text.find(outputs, text.find("\"cells\": [", text.find("\"name\": \"logic\"")));
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(text.at(at + outputs.size()), '1');
  text[at + outputs.size()] = '0';
  std::ofstream(dir / "b.json", std::ios::binary) << text;

  Ran same = run(dir, "kavlab-sim", {"compare", "a.json", "one.json"});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_NE(same.out.find("judged by logic and the monitor: no differences"), std::string::npos)
      << same.out;
  Ran different = run(dir, "kavlab-sim", {"compare", "a.json", "b.json", "--csv"});
  EXPECT_EQ(different.status, 1) << different.err;
  EXPECT_EQ(lines(different.out).at(1), "12,1,NA2_01,open,00,logic,0,1");
  Ran shown = run(dir, "kavlab-sim", {"compare", "a.json", "b.json"});
  EXPECT_EQ(shown.status, 1);
  EXPECT_NE(shown.out.find("circuit 12 NA2: 1 difference(s)"), std::string::npos) << shown.out;
  EXPECT_EQ(succeeded(run(dir, "kavlab-sim", {"compare", "a.json", "b.json", "--monitor"})), "");
  Ran trouble = run(dir, "kavlab-sim", {"compare", "a.json", "two-cells.json", "--json"});
  EXPECT_EQ(trouble.status, 2);
  EXPECT_EQ(trouble.out, "");
  EXPECT_NE(trouble.err.find("circuit 12 (NA2): the cells differ"), std::string::npos)
      << trouble.err;
  Ran within = run(dir, "kavlab-sim", {"compare", "a.json", "--logic-vs-monitor", "--json"});
  EXPECT_EQ(within.status, 1) << within.err;
  EXPECT_NE(within.out.find("\"logic_only\": 9"), std::string::npos) << within.out;
  EXPECT_EQ(run(dir, "kavlab-sim", {"compare", "a.json", "--logic-vs-monitor", "b.json"}).status,
            2);
}

}  // namespace kavlab

namespace kavlab {

TEST_F(LabRuns, AFileOfOtherColumnsIsRefusedUnlessFitted) {
  const std::string c17 = example_of(16);  // five input columns; NA2 (circuit 12) has two
  Ran refused = run(dir, "kavlab-sim", {"run", "-c", "12", c17, "-o", "wide.json"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find(c17 + " has 5 input columns, circuit 12 (NA2) has 2: a file of "
                                   "another circuit? give --fit"),
            std::string::npos)
      << refused.err;
  EXPECT_FALSE(fs::exists(dir / "wide.json"));
  Ran fitted = run(dir, "kavlab-sim", {"run", "-c", "12", c17, "-o", "wide.json", "--fit"});
  ASSERT_EQ(fitted.status, 0) << fitted.err;
  EXPECT_NE(file_bytes(dir / "wide.json").find("\"fitted\": true"), std::string::npos);
  // The fitted vectors are kavtest's: its defect table of the same file equals the export.
  ASSERT_EQ(succeeded(run(dir, "kavtest-sim",
                          {"-quiet", "-all_defects", "-circuit", "12", "-tst", "k-wide.tst", c17})),
            "");
  ASSERT_EQ(
      succeeded(run(dir, "kavlab-sim", {"export", "wide.json", "--tst", "l-wide.tst", "-c", "12"})),
      "");
  EXPECT_EQ(file_bytes(dir / "l-wide.tst"), file_bytes(dir / "k-wide.tst"));
  Ran compact = run(dir, "kavlab-sim", {"compact", "-c", "12", c17, "-o", "short.tst"});
  EXPECT_EQ(compact.status, 1);
  EXPECT_NE(compact.err.find("give --fit"), std::string::npos) << compact.err;
  EXPECT_EQ(
      succeeded(run(dir, "kavlab-sim", {"compact", "-c", "12", c17, "-o", "short.tst", "--fit"})),
      "");
}

TEST_F(LabRuns, TheCoverageGateEndsWithThreeNamingEachCircuitBelowIt) {
  ASSERT_EQ(succeeded(run(dir, "kavlab-sim",
                          {"run", "-c", "12", "-c", "14", "--exhaustive", "-o", "gate.json"})),
            "");
  Ran passed = run(dir, "kavlab-sim", {"summary", "gate.json", "--fail-under", "80"});
  EXPECT_EQ(passed.status, 0) << passed.err;
  Ran failed =
      run(dir, "kavlab-sim",
          {"summary", "gate.json", "--fail-under", "60", "--by", "logic", "--class", "open"});
  EXPECT_EQ(failed.status, 3);
  EXPECT_EQ(test_support::e2e_text(failed.err),
            "kavlab: gate.json: circuit 12 (NA2): 53.8 % of 13 defects detected by logic, below "
            "60 %\n");
  EXPECT_NE(failed.out.find("circuit 12 NA2"), std::string::npos);  // the summary all the same
}

}  // namespace kavlab
