#include "vector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "messages.h"
#include "mudel.h"
#include "table_alloc.h"
#include "test_support.h"

namespace {

using testing::ExitedWithCode;

using test_support::file_text;
using test_support::literally;

/// Inputs 0-2, constant 0 (var 3), constant 1 (var 4), internal var 5, outputs 6 and 7;
/// four nodes.
const char* const kModel =
    "STAT# 4 Nods, 8 Vars, 3 Grps, 3 Inps, 2 Cons, 2 Outs\n"
    "MODE# FUNCTIONAL\n"
    "VAR# 0: (i) \"a\"\nVAR# 1: (i) \"b\"\nVAR# 2: (i) \"c\"\n"
    "VAR# 3: (c) \"k0\" = 0\nVAR# 4: (c) \"k1\" = 1\n"
    "VAR# 5: () \"n\"\nGRP# 0: BEG = 0, LEN = 2\n"
    "0 0: () (0 0) V = 0 \"p\"\n1 1: () (0 0) V = 1 \"q\"\n"
    "VAR# 6: (o) \"y0\"\nGRP# 1: BEG = 2, LEN = 1\n2 0: () (0 0) V = 2 \"r\"\n"
    "VAR# 7: (o) \"y1\"\nGRP# 2: BEG = 3, LEN = 1\n3 0: () (0 0) V = 5 \"s\"\n";

class Patterns : public testing::Test {
 protected:
  void SetUp() override {
    verbose_mode = 1;
    vcount = 0;
    vects = ftable = nullptr;
    faults = nullptr;
    functionals = 0;
    READ_FAULT_TABLE = 1;
    read_ag(dir_.write("model.agm", kModel).c_str());
  }
  void TearDown() override {
    free_vec();
    free_ag();
    verbose_mode = 0;
  }

  void read_text(const std::string& text) { read_vec(dir_.write("p.vec", text).c_str()); }

  /// Two vectors with every kind of column, a fault table and a summary.
  void make_sample() {
    vcount = 2;
    alloc_vec();
    const char row0[] = {0, 1, 'x', 0, 1, 1, 0, 'x'};
    const char row1[] = {1, 0, 0, 0, 1, 0, 1, 1};
    std::memcpy(vects[0], row0, 8);
    std::memcpy(vects[1], row1, 8);
    std::memcpy(ftable[0], "0X1X", 4);
    std::memcpy(faults, "0&/\\", 4);
  }

  std::string written(int m) {
    std::string path = dir_.at("out.vec");
    write_vec(path.c_str(), m);
    return file_text(path);
  }

  test_support::ScratchDir dir_;
};

std::string row_text(std::uint32_t k) { return std::string(vects[k], vects[k] + VarCount); }

TEST_F(Patterns, ReadsEverySection) {
  read_text(
      "any text before the first keyword\n"
      ".VECTORS 3\n"
      ".FUNCTIONAL 2\n"
      ".GENERATOR\n.INITIAL_STATE 0101\n.POLYNOMIAL 11\n"
      ".ANALYZER\n.INITIAL_STATE 1\n.POLYNOMIAL 1\n.SIGNATURE 77\n"
      "comment between sections\n"
      ".PATTERNS\n"
      "\n"
      " 111 led by a blank: no row\n"
      "01x rest ignored\n"
      "LHl\n"
      "hH0\n"
      "111 past the count: passed over\n"
      ".TABLE\n\n"
      "01Xx\n"
      "X1-\n"
      "\tblank-led\n"
      "1\n"
      ".FAULTS\n\n"
      "0&1X\n"
      ".COVERAGE\n\n3 / 8 = 37.5 %\n");
  EXPECT_EQ(vcount, 3u);
  EXPECT_EQ(functionals, 2);
  const char rows[3][5] = {{0, 1, 'x', 0, 1}, {0, 1, 0, 0, 1}, {1, 1, 0, 0, 1}};
  for (int k = 0; k < 3; k++) EXPECT_EQ(row_text(k).substr(0, 5), std::string(rows[k], 5)) << k;
  EXPECT_EQ(std::string(ftable[0], 4), "01Xx");
  EXPECT_EQ(std::string(ftable[1], 4), "X1XX");
  EXPECT_EQ(std::string(ftable[2], 4), "1XXX");
  EXPECT_EQ(std::string(faults, 4), "0&1X");
  EXPECT_EQ(FAULT_TABLE, 1);
  EXPECT_EQ(FAULT_VECTOR, 1);
}

TEST_F(Patterns, KeywordsMatchByTheirFirstCharacters) {
  read_text(".VECTORSET 2\n.INITIAL_X\n.POLYNOMIALS\n.SIGNATURES\n.FAULTSUM\n1\n");
  EXPECT_EQ(vcount, 0u);  // no number right after the seven compared characters
  EXPECT_EQ(std::string(faults, 4), "1XXX");
  free_vec();
  read_text(".VECTORS\t2\n.TABLES\n1\n0\n.COVERAGE_\n");
  EXPECT_EQ(vcount, 2u);
  EXPECT_EQ(std::string(ftable[0], 4), "1XXX");
  EXPECT_EQ(std::string(ftable[1], 4), "0XXX");
}

TEST_F(Patterns, WithoutFaultTableTheTableIsPassedOver) {
  READ_FAULT_TABLE = 0;
  read_text(".TABLE\n01\n.VECTORS 1\n.TABLE\n0101\n.PATTERNS\n111\n");
  EXPECT_EQ(ftable, nullptr);
  EXPECT_EQ(FAULT_TABLE, 0);
  EXPECT_EQ(row_text(0).substr(0, 3), std::string("\1\1\1", 3));
}

TEST_F(Patterns, ASecondCountReplacesTheTables) {
  read_text(".VECTORS 5\n.VECTORS 2\n.PATTERNS\n000\n111\n.TABLE\n1111\n0000\n");
  EXPECT_EQ(vcount, 2u);
  EXPECT_EQ(std::string(ftable[1], 4), "0000");
}

/// A ".VECTORS" line that fuzzing found: `zeros` zeros, then 19 digits and other marks.
std::string long_count_line(std::size_t zeros) {
  return ".VECTORS " + std::string(zeros, '0') + "1229782939358414552&&&&&\n";
}

const void* at(const char* p) { return p; }

TEST_F(Patterns, ALongCountIsReadFromTheKeywordLineLimitAndTablesAreOneBlock) {
  // The first 127 characters of this line hold the count 12297; the rest of the line is a
  // further line, passed over.
  read_text(long_count_line(113) + ".PATTERNS\n1x0\n");
  ASSERT_EQ(vcount, 12297u);
  EXPECT_EQ(row_text(0).substr(0, 5), std::string("\1x\0\0\1", 5));
  EXPECT_EQ(row_text(vcount - 1), std::string(8, '\0'));
  EXPECT_EQ(std::string(ftable[vcount - 1], 4), "XXXX");
  // Each table is its row pointers followed by its rows, so it costs no more than the limit
  // on the tables has counted.
  EXPECT_EQ(at(vects[0]), at(reinterpret_cast<char*>(vects + vcount)));
  EXPECT_EQ(at(vects[vcount - 1]), at(vects[0] + (vcount - 1) * VarCount));
  EXPECT_EQ(at(ftable[0]), at(reinterpret_cast<char*>(ftable + vcount)));
  EXPECT_EQ(at(ftable[vcount - 1]), at(ftable[0] + (vcount - 1) * NodCount));
}

TEST_F(Patterns, ReadingStartsFromCleanFlags) {
  read_text(".VECTORS 1\n.FUNCTIONAL 4\n.FAULTS\n1\n");
  EXPECT_EQ(FAULT_VECTOR, 1);
  free_vec();
  read_text(".VECTORS 1\n");
  EXPECT_EQ(functionals, 0);
  EXPECT_EQ(FAULT_VECTOR, 0);
  EXPECT_EQ(FAULT_TABLE, 0);
  EXPECT_EQ(std::string(faults, 4), "XXXX");
}

TEST_F(Patterns, AllocFillsConstantsAndMarks) {
  vcount = 3;
  alloc_vec();
  for (int k = 0; k < 3; k++) {
    EXPECT_EQ(vects[k][3], 0);
    EXPECT_EQ(vects[k][4], 1);
    EXPECT_EQ(std::string(ftable[k], 4), "XXXX");
  }
  EXPECT_EQ(std::string(faults, 4), "XXXX");
  free_vec();
  EXPECT_EQ(vects, nullptr);
  EXPECT_EQ(ftable, nullptr);
  EXPECT_EQ(faults, nullptr);
}

const char* const kCountLine = "\n.VECTORS 2\n\n";
const char* const kFunctional = "\n.FUNCTIONAL 2\n\n";
const char* const kAllRows = "\n.PATTERNS\n\n01xlhhLx\n100lhlHH\n";
const char* const kTable = "\n.TABLE\n\n0X1X\nXXXX\n";
const std::string kFaults = "\n.FAULTS\n\n0&/\\";
const std::string kCoverage = "\n\n.COVERAGE\n\n3 / 8 = 37.500000 %\n\n";

TEST_F(Patterns, WriteModesFollowTheirTable) {
  make_sample();
  functionals = 2;
  gener_init = "g0";
  gener_poly = "g1";
  analyser_init = "a0";
  analyser_poly = "a1";
  analyser_state = "s";
  cstp_init = "c0";
  cstp_poly = "c1";
  std::string head = std::string(kCountLine) + kFunctional;
  std::string generator = "\n.GENERATOR\n\n.INITIAL_STATE g0\n.POLYNOMIAL g1\n\n";
  std::string analyser = "\n.ANALYZER\n\n.INITIAL_STATE a0\n.POLYNOMIAL a1\n.SIGNATURE s\n\n";
  std::string cstp = "\n.ANALYZER\n\n.INITIAL_STATE c0\n.POLYNOMIAL c1\n.SIGNATURE s\n\n";
  EXPECT_EQ(written(1), head + kAllRows + kFaults + kCoverage);
  EXPECT_EQ(written(2), head + kAllRows);
  EXPECT_EQ(written(3), head + cstp + kAllRows + kTable + kFaults + kCoverage);
  EXPECT_EQ(written(4), head + generator + analyser + kAllRows + kTable + kFaults + kCoverage);
  EXPECT_EQ(written(5), head + kAllRows + kTable + kFaults +
                            "\n\n.COVERAGE\n\n4 / 8 = 50.000000 %\n\n");
  EXPECT_EQ(written(6), "\n.VECTORS 1\n\n" + std::string(kFunctional) +
                            "\n.PATTERNS\n\n10001011\n");
  EXPECT_EQ(written(7), head + "\n.PATTERNS\n\n01x\n100\n");
  EXPECT_EQ(written(8), kFaults + kCoverage);
  EXPECT_EQ(written(0), head + kAllRows + kTable + kFaults + kCoverage);
  EXPECT_EQ(written(9), written(0));
}

TEST_F(Patterns, NoFunctionalLineWhenZeroAndNoCoverageWithoutDetection) {
  vcount = 1;
  alloc_vec();
  EXPECT_EQ(written(1), "\n.VECTORS 1\n\n\n.PATTERNS\n\n000lhlLL\n\n.FAULTS\n\nXXXX"
                        "\n\n.COVERAGE\n\n0 / 8 = 0.000000 %\n\n");
}

TEST_F(Patterns, WrittenFileReadsBack) {
  make_sample();
  functionals = 2;
  std::string path = dir_.at("round.vec");
  write_vec(path.c_str(), 0);
  std::string rows[2] = {row_text(0).substr(0, 5), row_text(1).substr(0, 5)};
  free_vec();
  read_vec(path.c_str());
  EXPECT_EQ(vcount, 2u);
  EXPECT_EQ(functionals, 2);
  EXPECT_EQ(row_text(0).substr(0, 5), rows[0]);
  EXPECT_EQ(row_text(1).substr(0, 5), rows[1]);
  EXPECT_EQ(std::string(ftable[0], 4), "0X1X");
  EXPECT_EQ(std::string(ftable[1], 4), "XXXX");
  EXPECT_EQ(std::string(faults, 4), "0&XX");  // '/' and '\' are no summary marks
}

TEST_F(Patterns, WritingWithoutAFaultTableLeavesItOut) {
  READ_FAULT_TABLE = 0;
  read_text(".VECTORS 1\n.PATTERNS\n101\n");
  EXPECT_EQ(written(0), "\n.VECTORS 1\n\n\n.PATTERNS\n\n101lhlLL\n\n.FAULTS\n\nXXXX"
                        "\n\n.COVERAGE\n\n0 / 8 = 0.000000 %\n\n");
}

TEST_F(Patterns, ReadFaultsTakesOnlyTheSummary) {
  vcount = 1;
  alloc_vec();
  std::string path = dir_.write("faults.vec",
                                ".VECTORS 9\n.PATTERNS\n000\n.TABLE\n0000\n"
                                ".FAULTS\n\n  \n1&0\n.COVERAGE\n");
  read_faults(path.c_str());
  EXPECT_EQ(vcount, 1u);
  EXPECT_EQ(std::string(ftable[0], 4), "XXXX");
  EXPECT_EQ(std::string(faults, 4), "1&0X");
  EXPECT_EQ(FAULT_VECTOR, 1);
}

TEST_F(Patterns, StepLines) {
  vcount = 1;
  std::string path = dir_.at("steps.vec");
  verbose_mode = 0;
  testing::internal::CaptureStdout();
  alloc_vec();
  write_vec(path.c_str(), 0);
  read_faults(path.c_str());
  free_vec();
  read_vec(path.c_str());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "\nAllocating test patterns... OK\n"
            "\nWriting test patterns file " + path + "... OK\n"
            "\nReading fault info file " + path + "... OK\n"
            "\nReading test patterns file " + path + "... OK\n");
}

using PatternsDeath = Patterns;

void expect_read_error(const std::string& text, const std::string& message) {
  test_support::ScratchDir dir;
  std::string path = dir.write("bad.vec", text);
  EXPECT_EXIT(read_vec(path.c_str()), ExitedWithCode(14), "^" + literally(message) + "$")
      << text;
}

TEST_F(PatternsDeath, ErrorsInPatternFiles) {
  expect_read_error("\n\n.VECTOR 2\n", "\nError at line 3: Unknown keyword!\n");
  expect_read_error(".VECTORS 2\n.PATTERNS\n01X\n", "\nError at line 3: Unknown symbol in patterns file!\n");
  expect_read_error(".VECTORS 2\n.PATTERNS\n\n01\n",
                    "\nError at line 4: Unknown symbol in patterns file!\n");
  expect_read_error(".VECTORS 3\n.PATTERNS\n010\n101\n.FAULTS\n\nXXXX\n",
                    "\nError at line 5: Unknown symbol in patterns file!\n");
  expect_read_error(".VECTORS 2\n.TABLE\n0101\n01010\n",
                    "\nError at line 4: Line of table too long!\n");
  expect_read_error(".VECTORS 0\n.FAULTS\n\n&&&&&\n", "\nError at line 4: FAULTS section too long!\n");
}

TEST_F(PatternsDeath, SectionsNeedAPositiveCountBeforeThem) {
  const std::string message = "Positive .VECTORS count expected before this section!\n";
  expect_read_error("\n.PATTERNS\n000\n", "\nError at line 2: " + message);
  expect_read_error(".VECTORS 0\n.PATTERNS\n000\n", "\nError at line 2: " + message);
  expect_read_error(".TABLE\n0000\n", "\nError at line 1: " + message);
  expect_read_error(".VECTORS 2\n.VECTORS 0\n.TABLE\n", "\nError at line 3: " + message);
  expect_read_error(".FAULTS\n1\n", "\nError at line 1: Fault list not allocated!\n");
}

TEST_F(PatternsDeath, CountsThatDoNotFitAreConversionErrors) {
  const std::string message = "Conversion error!\n";
  expect_read_error(".VECTORS -1\n.TABLE\n000\n", "\nError at line 1: " + message);
  expect_read_error(".VECTORS 99999999999\n", "\nError at line 1: " + message);
  expect_read_error("\n.VECTORS 2\n.VECTORS\t2147483648\n", "\nError at line 3: " + message);
  // The digits of the long line, all within the characters a keyword line is read with.
  expect_read_error("x\n\n" + long_count_line(50), "\nError at line 3: " + message);
}

TEST_F(PatternsDeath, ACountWhoseTablesPassTheLimitIsRefused) {
  // A row of 8 variables and one of 4 fault marks, each with its row pointer.
  const std::uint64_t row_cost = 8 + 4 + 2 * sizeof(char*);
  expect_read_error(".VECTORS " + std::to_string(kMaxTableBytes / row_cost + 1) + "\n",
                    "\nError: Out of memory!\n");
}

TEST_F(PatternsDeath, ConstantWithoutValue) {
  Vars[4].v_flags = VAR_CONST;
  expect_read_error(".VECTORS 1\n.PATTERNS\n\n000\n", "\nError at line 4: Constant variable expected!\n");
}

TEST_F(PatternsDeath, FilesThatCannotBeOpened) {
  std::string missing = dir_.at("missing.vec");
  std::remove(missing.c_str());
  EXPECT_EXIT(read_vec(missing.c_str()), ExitedWithCode(14),
              "^" + literally("\nError: " + missing + " : Can't open file!\n") + "$");
  EXPECT_EXIT(read_faults(missing.c_str()), ExitedWithCode(14),
              "^" + literally("\nError: " + missing + " : Can't open file!\n") + "$");
  std::string bad = dir_.at("no/such/dir.vec");
  EXPECT_EXIT(write_vec(bad.c_str(), 0), ExitedWithCode(14),
              "^" + literally("\nError: " + bad + " : Can't create output file!\n") + "$");
}

TEST_F(PatternsDeath, ReadFaultsErrors) {
  std::string path = dir_.write("long.vec", "x\n.FAULTS\n11111\n");
  EXPECT_EXIT(read_faults(path.c_str()), ExitedWithCode(14),
              "^" + literally("\nError at line 2: Fault list not allocated!\n") + "$");
  vcount = 1;
  alloc_vec();
  EXPECT_EXIT(read_faults(path.c_str()), ExitedWithCode(14),
              "^" + literally("\nError at line 3: FAULTS section too long!\n") + "$");
}

}  // namespace
