// kavlab-sim end to end on damaged and crafted files: results files that do not fit the chip or
// nest without end are refused by every command that reads them, with the file and the reason;
// a defect table of another circuit is not imported unless asked; a test file the TST reader
// rejects is named. The runs follow test_support.h's KAVTEST_E2E_LAUNCHER,
// KAVTEST_E2E_EXE_SUFFIX and KAVTEST_E2E_BIN_DIR, as lab_runs_test's do.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "test_support.h"

namespace kavlab {

namespace fs = std::filesystem;

namespace {

using test_support::file_bytes;
using test_support::Ran;

Ran run(const fs::path& dir, const std::string& program, const std::vector<std::string>& words) {
  test_support::Launch l =
      test_support::e2e_launch(test_support::e2e_binary(program), program, words);
  l.cwd = dir;
  return test_support::run_captured(l, dir);
}

/// `text` with the first `from` replaced by `to`; a test failure when there is none.
std::string edited(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  if (at == std::string::npos) {
    ADD_FAILURE() << "no " << from;
    return text;
  }
  return text.replace(at, from.size(), to);
}

void write(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

/// A scratch directory where kavlab-sim measured IN1 (circuit 14) with every input vector
/// (in1.json), and files made from it.
class BadFiles : public testing::Test {
 protected:
  static std::unique_ptr<test_support::ScratchDir> scratch;
  static fs::path dir;
  static void SetUpTestSuite() {
    scratch = std::make_unique<test_support::ScratchDir>("kavlab-bad-files-");
    dir = scratch->path();
    Ran r = run(dir, "kavlab-sim", {"run", "-c", "14", "--exhaustive", "-o", "in1.json"});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  static void TearDownTestSuite() { scratch.reset(); }
};
std::unique_ptr<test_support::ScratchDir> BadFiles::scratch;
fs::path BadFiles::dir;

/// Every command that reads a results file, on `file`.
std::vector<std::vector<std::string>> readers_of(const std::string& file, int circuit) {
  return {{"summary", file},
          {"report", file, "-o", "page.html"},
          {"export", file, "--tst", "out.tst", "-c", std::to_string(circuit)},
          {"export", file, "--csv", "out.csv"},
          {"compare", file, "in1.json"},
          {"run", "-c", std::to_string(circuit), "--exhaustive", "--resume", file, "-o", "r.json"}};
}

}  // namespace

TEST_F(BadFiles, EveryReaderRefusesAResultThatDoesNotFitTheChipOrNestsWithoutEnd) {
  std::string in1 = file_bytes(dir / "in1.json");
  // Circuit 16 written with IN1's one input and one output: the TST export overflowed the heap.
  write(dir / "c16.json", edited(edited(edited(in1, "\"index\": 14,", "\"index\": 16,"),
                                        "\"name\": \"IN1\"", "\"name\": \"C17\""),
                                 "\"NOT( A )\"", "\"ISCAS C17 /w shorts\""));
  // The format version as 100,000 nested arrays: every reader ended with SIGSEGV.
  write(dir / "deep.json",
        edited(in1, "\"version\": 1",
               "\"version\": " + std::string(100000, '[') + std::string(100000, ']')));
  const struct {
    const char* file;
    int circuit;
    const char* message;
  } cases[] = {
      {"c16.json", 16, "c16.json: circuits[0].inputs is 1, but circuit 16 (C17) of the chip has 5"},
      {"deep.json", 14, "deep.json: version[0][0][0]"},
  };
  for (const auto& c : cases)
    for (const std::vector<std::string>& words : readers_of(c.file, c.circuit)) {
      SCOPED_TRACE(words[0] + " " + c.file);
      Ran r = run(dir, "kavlab-sim", words);
      EXPECT_EQ(r.status, words[0] == "compare" ? 2 : 1) << r.err;
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err.substr(0, 400);
      EXPECT_LT(r.err.size(), 300u);
      EXPECT_EQ(r.out, "");
    }
  for (const char* written : {"page.html", "out.tst", "out.csv", "r.json"})
    EXPECT_FALSE(fs::exists(dir / written)) << written;
}

TEST_F(BadFiles, ADefectTableOfAnotherCircuitIsImportedOnlyWhenAsked) {
  fs::copy_file(fs::path(KAVTEST_EXAMPLES) / "11-NA2.tst", dir / "11-NA2.tst");
  ASSERT_EQ(run(dir, "kavtest-sim",
                {"-quiet", "-all_defects", "-circuit", "11", "-tst", "na2.tst", "11-NA2.tst"})
                .status,
            0);
  Ran refused = run(dir, "kavlab-sim", {"import", "na2.tst", "-c", "13", "-o", "nor2.json"});
  EXPECT_EQ(refused.status, 1);
  for (const char* part :
       {"na2.tst: the reference answered 1 to inputs 01, where circuit 13 (NO2, NOR( A, B )) "
        "gives 0",
        "its answers are those of circuit 11 (NA2)", "reference cell of that die is broken",
        "--reference-differs"})
    EXPECT_NE(refused.err.find(part), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(dir / "nor2.json"));
  Ran asked = run(dir, "kavlab-sim",
                  {"import", "na2.tst", "-c", "13", "--reference-differs", "-o", "nor2.json"});
  ASSERT_EQ(asked.status, 0) << asked.err;
  EXPECT_NE(file_bytes(dir / "nor2.json").find("\"reference_differs\": true"), std::string::npos);
  EXPECT_EQ(run(dir, "kavlab-sim", {"summary", "nor2.json"}).status, 0);
  Ran right = run(dir, "kavlab-sim", {"import", "na2.tst", "-c", "11", "-o", "na2.json"});
  ASSERT_EQ(right.status, 0) << right.err;
  EXPECT_EQ(file_bytes(dir / "na2.json").find("reference_differs"), std::string::npos);
}

TEST_F(BadFiles, ATestFileTheReaderRejectsIsNamed) {
  write(dir / "bad.tst", "hello\n");
  write(dir / "in1-ok.tst", ".VECTORS 2\n\n.PATTERNS\n\n0\n1\n");
  const struct {
    std::vector<std::string> words;
    const char* named;
  } cases[] = {
      {{"run", "-c", "14", "-c", "13", "in1-ok.tst", "bad.tst", "-o", "two.json"}, "bad.tst"},
      {{"run", "-c", "13", "-c", "14", "bad.tst", "in1-ok.tst", "-o", "two.json"}, "bad.tst"},
      {{"import", "bad.tst", "-c", "14", "-o", "imported.json"}, "bad.tst"},
  };
  for (const auto& c : cases) {
    Ran r = run(dir, "kavlab-sim", c.words);
    EXPECT_EQ(r.status, 14) << r.err;
    std::string error = test_support::e2e_text(r.err);
    std::string expected = "\nError at line 1: Unknown keyword!\nkavlab: " + std::string(c.named) +
                           ": the TST reader stopped at the error above\n";
    EXPECT_NE(error.find(expected), std::string::npos) << error;
    EXPECT_EQ(error.find("in1-ok.tst"), std::string::npos) << error;
  }
  EXPECT_FALSE(fs::exists(dir / "two.json"));
  EXPECT_FALSE(fs::exists(dir / "imported.json"));
}

}  // namespace kavlab
