#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <cstring>
#include <string>

#include "TSTData.h"
#include "messages.h"
#include "test_support.h"

namespace {

using testing::ExitedWithCode;
using test_support::ScratchDir;
using test_support::preset_record;

/// The example file as the tool writes it after a defect-table run.
const char kWrittenFile[] =
    ".VECTORS 4\n\n.PATTERNS\n\n00H\n01H\n10H\n11L\n\n.TABLE\n\nXX1\nX1X\nXXX\n1X1\n\n"
    ".FAULTS\n\n111\n\n.COVERAGE\n\n3 / 6 = 50.000000 %\n";

class Reader : public testing::Test {
 protected:
  void SetUp() override { verbose_mode = 1; }
  void TearDown() override {
    verbose_mode = 0;
    FreeTST(record_);
  }

  /// Reads `text` as a TST file into a fresh record (or `preset`).
  BIST* read(const std::string& text, bool strict = false, BIST* preset = nullptr) {
    const std::string path = dir_.write("in.tst", text);
    record_ = ReadTST(preset, path.c_str(), 0, strict);
    return record_;
  }
  std::string path(const std::string& text) { return dir_.write("bad.tst", text); }

  ScratchDir dir_;
  BIST* record_ = nullptr;
};

std::string row(const BIST* b, int k) { return b->vects[k]; }

// ---- the steps of a line ----

TEST(ReaderSteps, KeywordIsFoundByPrefix) {
  EXPECT_EQ(match_keyword(".VECTORS 4"), 0);
  EXPECT_EQ(match_keyword(".VECTORS12"), 0);
  EXPECT_EQ(match_keyword(".GENERATOR"), 1);
  EXPECT_EQ(match_keyword(".ANALYZER x"), 2);
  EXPECT_EQ(match_keyword(".INITIAL_STATE 01"), 3);
  EXPECT_EQ(match_keyword(".POLYNOMIAL 11"), 4);
  EXPECT_EQ(match_keyword(".SIGNATURE"), 5);
  EXPECT_EQ(match_keyword(".PATTERNSfoo"), 6);
  EXPECT_EQ(match_keyword(".TABLE"), 7);
  EXPECT_EQ(match_keyword(".FAULTS"), 8);
  EXPECT_EQ(match_keyword(".COVERAGE"), 9);
  EXPECT_EQ(match_keyword(".vectors 4"), -2);
  EXPECT_EQ(match_keyword(".VECTOR"), -2);
  EXPECT_EQ(match_keyword("x.VECTORS 4"), -2);
  EXPECT_EQ(match_keyword(""), -2);
}

TEST(ReaderSteps, WhiteSpaceIsStrippedAtBothEndsOnly) {
  char text[] = " \t\v\f\r\n0 1\tH \t\r\n";
  EXPECT_STREQ(strip_whitespaces(text), "0 1\tH");
  char blank[] = " \t ";
  EXPECT_STREQ(strip_whitespaces(blank), "");
  char high[] = "\xa0" "01\xa0";
  EXPECT_STREQ(strip_whitespaces(high), "\xa0" "01\xa0");
}

TEST(ReaderSteps, RegisterValues) {
  char empty[] = "", bits[] = "0110", other[] = "0120", spaced[] = " 01";
  EXPECT_EQ(readPolynomial(empty, 0), empty);
  EXPECT_EQ(readPolynomial(bits, 0), bits);
  EXPECT_EQ(readPolynomial(bits, 4), bits);
  EXPECT_EQ(readPolynomial(bits, -3), bits);
  EXPECT_EQ(readPolynomial(bits, 3), nullptr);
  EXPECT_EQ(readPolynomial(other, 0), nullptr);
  EXPECT_EQ(readPolynomial(spaced, 0), nullptr);
}

TEST(ReaderSteps, RunChecks) {
  EXPECT_EQ(checkPattern("0110hH", "01", -1, true), 4);
  EXPECT_EQ(checkPattern("0110hH", nullptr, -1, false), 6);
  EXPECT_EQ(checkPattern("0110hH", "01", 4, true), 4);
  EXPECT_EQ(checkPattern("0110hH", "01", 3, true), -1);
  EXPECT_EQ(checkPattern("0110hH", "01", 3, false), 4);
  EXPECT_EQ(checkPattern("0110hH", "01", 5, false), -1);
  EXPECT_EQ(checkPattern("", "HL", 0, true), 0);
}

TEST(ReaderSteps, RowLettersBecomeBits) {
  BIST b{};
  b.inps = b.vars = b.outs = -1;
  char text[] = "01hlLH";
  EXPECT_STREQ(readPattern(&b, text, false), "01");
  EXPECT_STREQ(text, "011001");
  EXPECT_EQ(b.vars, 6);
  EXPECT_EQ(b.inps, 2);
  EXPECT_EQ(b.outs, 2);
}

TEST(ReaderSteps, ConstantsAreCountedOutOfTheInputRun) {
  BIST b{};
  b.inps = b.vars = b.outs = -1;
  b.cons = 1;
  char text[] = "011H";
  ASSERT_NE(readPattern(&b, text, false), nullptr);
  EXPECT_EQ(b.inps, 2);
}

TEST(ReaderSteps, UnknownStateFailsWithoutTouchingThePreviousSection) {
  BIST b{};
  b.tmp[2] = 6;
  b.tmp[1] = 3;
  char text[] = "";
  EXPECT_EQ(processInput(&b, text, 10, false), -2);
  EXPECT_EQ(b.tmp[2], 6);
  EXPECT_EQ(b.tmp[1], 0);
}

// ---- whole files ----

TEST_F(Reader, WrittenFileReadsBackAndStopsAtTheTable) {
  BIST* b = read(std::string(kWrittenFile) + "garbage that is never looked at\n");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->vcount, 4);
  EXPECT_EQ(b->vars, 3);
  EXPECT_EQ(b->inps, 2);
  EXPECT_EQ(b->outs, 1);
  EXPECT_EQ(row(b, 0), "001");
  EXPECT_EQ(row(b, 1), "011");
  EXPECT_EQ(row(b, 2), "101");
  EXPECT_EQ(row(b, 3), "110");
  EXPECT_EQ(row(b, 4), "");
  EXPECT_EQ(b->tmp[0], 10);  // the ".TABLE" line
  EXPECT_EQ(b->ftable, nullptr);
  EXPECT_EQ(b->faults, nullptr);
  EXPECT_EQ(b->nodes, 0);
}

TEST_F(Reader, StepLineOnStandardOutput) {
  verbose_mode = 0;
  testing::internal::CaptureStdout();
  read(".VECTORS 1\n.PATTERNS\n0H\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nReading test patterns ... OK\n");
}

TEST_F(Reader, PresetRecordIsFilledAndReturned) {
  BIST* mine = preset_record(2, 1);
  EXPECT_EQ(read(".VECTORS 1\n.PATTERNS\n10L\n", false, mine), mine);
  EXPECT_EQ(row(mine, 0), "100");
}

TEST_F(Reader, EmptyFileAndBlankLinesGiveNoPatterns) {
  for (const char* text : {"", "\n\n  \t\n\r\n", " "}) {
    BIST* b = read(text);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->vcount, 0);
    EXPECT_EQ(b->vects, nullptr);
    EXPECT_EQ(b->inps, -1);
    EXPECT_EQ(b->vars, -1);
    FreeTST(b);
    record_ = nullptr;
  }
}

TEST_F(Reader, BlankLinesInsideSectionsAndBlanksAroundLines) {
  BIST* b = read("  .VECTORS 3\t\n\n.PATTERNS\n\n 00H \n\n\t\n01L\r\n\n11H\n");
  EXPECT_EQ(b->vcount, 3);
  EXPECT_EQ(row(b, 0), "001");
  EXPECT_EQ(row(b, 1), "010");
  EXPECT_EQ(row(b, 2), "111");
}

/// A pattern section of `n` one-input rows.
std::string rows(int n) {
  std::string text = ".PATTERNS\n";
  for (int k = 0; k < n; ++k) text += "1H\n";
  return text;
}

TEST_F(Reader, CharacterAfterTheKeywordIsSkipped) {
  EXPECT_EQ(read(".VECTORS 12\n" + rows(12))->vcount, 12);
  FreeTST(record_);
  EXPECT_EQ(read(".VECTORS\t12\n" + rows(12))->vcount, 12);
  FreeTST(record_);
  EXPECT_EQ(read(".VECTORS12\n" + rows(2))->vcount, 2);
  FreeTST(record_);
  EXPECT_EQ(read(".VECTORS   7 vectors\n" + rows(7))->vcount, 7);
  FreeTST(record_);
  EXPECT_EQ(read(".VECTORS 5\n.VECTORS 6\n" + rows(6))->vcount, 6);
}

TEST_F(Reader, LaterCountReplacesEarlierBeforeThePatterns) {
  BIST* b = read(".VECTORS 5\n.VECTORS 1\n.PATTERNS\n1H\n");
  EXPECT_EQ(b->vcount, 1);
  EXPECT_EQ(row(b, 0), "11");
}

TEST_F(Reader, RegisterSettings) {
  BIST* b = read(
      ".INITIAL_STATE 0001\n.POLYNOMIAL 1001\n.ANALYZER\n.INITIAL_STATE 0000\n"
      ".POLYNOMIAL 11001\n.SIGNATURE 1010\n.GENERATOR anything\n.POLYNOMIAL 1100\n");
  EXPECT_STREQ(b->g_init, "0001");
  EXPECT_STREQ(b->g_poly, "1100");
  EXPECT_STREQ(b->a_init, "0000");
  EXPECT_STREQ(b->a_poly, "11001");
  EXPECT_STREQ(b->signature, "1010");
  EXPECT_EQ(b->g_state, nullptr);
  EXPECT_EQ(b->a_state, nullptr);
}

TEST_F(Reader, SignatureBelongsToTheAnalyzerWhateverIsSelected) {
  BIST* b = read(".GENERATOR\n.SIGNATURE 01\n.INITIAL_STATE\n");
  EXPECT_STREQ(b->signature, "01");
  EXPECT_STREQ(b->g_init, "");
  EXPECT_EQ(b->a_init, nullptr);
}

TEST_F(Reader, RequiredRegisterLengths) {
  BIST b{};
  b.tmp[5] = 3;  // generator
  b.tmp[4] = 2;  // analyser
  char good_g[] = "011", good_a[] = "01", sig[] = "10";
  EXPECT_EQ(processInput(&b, good_g, 3, false), -1);
  b.tmp[3] = 3;
  EXPECT_EQ(processInput(&b, good_a, 4, false), -1);
  EXPECT_EQ(processInput(&b, sig, 5, false), -1);
  EXPECT_STREQ(b.g_init, "011");
  EXPECT_STREQ(b.a_poly, "01");
  EXPECT_STREQ(b.signature, "10");
  std::free(b.g_init);
  std::free(b.a_poly);
  std::free(b.signature);
  char long_a[] = "011";
  b.tmp[0] = 9;
  EXPECT_EXIT(processInput(&b, long_a, 3, false), ExitedWithCode(14),
              "^\nError at line 9: Bad initial state polynomial !\n$");
  EXPECT_EXIT(processInput(&b, long_a, 5, false), ExitedWithCode(14),
              "^\nError at line 9: Bad signature !\n$");
}

TEST_F(Reader, CrLfFileReadsLikeLfFile) {
  const char* text = ".VECTORS 2\n\n.GENERATOR\n.INITIAL_STATE 01\n.POLYNOMIAL 11\n.PATTERNS\n0hL\n1lH\n";
  std::string crlf;
  for (const char* c = text; *c; ++c) crlf += *c == '\n' ? std::string("\r\n") : std::string(1, *c);
  BIST* b = read(crlf);
  EXPECT_EQ(b->vcount, 2);
  EXPECT_EQ(row(b, 0), "010");
  EXPECT_EQ(row(b, 1), "101");
  EXPECT_STREQ(b->g_init, "01");
  EXPECT_EQ(b->tmp[0], 9);  // eight text lines, then the end of the file
}

TEST_F(Reader, LinesAfterTheToolsSectionsAreNotExamined) {
  for (const char* keyword : {".TABLE", ".FAULTS", ".COVERAGE junk"}) {
    BIST* b = read(std::string(".VECTORS 1\n.PATTERNS\n0H\n") + keyword + "\n.VECTORS x\n??\n");
    EXPECT_EQ(b->vcount, 1) << keyword;
    FreeTST(b);
    record_ = nullptr;
  }
}

TEST_F(Reader, TextAfterSectionKeywordsIsIgnored) {
  BIST* b = read(".VECTORS 1\n.GENERATOR 42\n.ANALYZER?\n.PATTERNS 1 vector\n1L\n");
  EXPECT_EQ(b->tmp[3], 3);
  EXPECT_EQ(row(b, 0), "10");
}

TEST_F(Reader, LongRowsAreReadWhole) {
  for (int inputs : {63, 64, 65, 9999}) {
    std::string bits(static_cast<std::size_t>(inputs), '1');
    BIST* b = read(".VECTORS 2\n.PATTERNS\n" + bits + "H\n" + bits + "L\n");
    EXPECT_EQ(b->vars, inputs + 1);
    EXPECT_EQ(b->inps, inputs);
    EXPECT_EQ(row(b, 0), bits + "1");
    EXPECT_EQ(row(b, 1), bits + "0");
    FreeTST(b);
    record_ = nullptr;
  }
}

TEST_F(Reader, NoRowsNeedNoCountOrACountOfZero) {
  EXPECT_EQ(read(".VECTORS 0\n.GENERATOR\n.INITIAL_STATE 01\n")->vcount, 0);
  EXPECT_EQ(record_->vects, nullptr);
  FreeTST(record_);
  EXPECT_EQ(read(".GENERATOR\n.INITIAL_STATE 01\n")->vcount, 0);
}

TEST_F(Reader, ByteOrderMarkAtTheStartIsSkipped) {
  BIST* b = read("\xEF\xBB\xBF.VECTORS 1\n.PATTERNS\n1H\n");
  EXPECT_EQ(b->vcount, 1);
  EXPECT_EQ(row(b, 0), "11");
  EXPECT_EXIT(ReadTST(nullptr, path("\xEF\xBB\xBF.VECTORS 1\nX\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 2: Unknown keyword!\n$");
  EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 0\n\xEF\xBB\xBF.VECTORS 0\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 2: Unknown keyword!\n$");
}

TEST_F(Reader, SecondPatternsSectionOverwritesFromTheFirstRow) {
  BIST* b = read(".VECTORS 2\n.PATTERNS\n00H\n01H\n.GENERATOR\n.PATTERNS\n11L\n");
  EXPECT_EQ(row(b, 0), "110");
  EXPECT_EQ(row(b, 1), "011");
}

TEST_F(Reader, NoRowLandsInTheSpareRow) {
  // After a complete section, and without a positive count, a row has no place in the table.
  EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 2\n.PATTERNS\n00H\n01H\n\n.PATTERNS 10L\n").c_str(),
                      0, false),
              ExitedWithCode(14), "^\nError at line 6: Bad input vector!\n$");
  EXPECT_EXIT(ReadTST(nullptr, path(".PATTERNS\n\n10L\n\n.GENERATOR\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 3: Bad input vector!\n$");
  EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 0\n.PATTERNS\n10L\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 3: Bad input vector!\n$");
}

TEST_F(Reader, RowsMissingWhereReadingEndsAreRefusedAtTheCountsLine) {
  EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 3\n.PATTERNS\n01H").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 1: Missing input vectors!\n$");
  EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 5\n.VECTORS 2\n.GENERATOR\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 2: Missing input vectors!\n$");
  EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 2\n\n.TABLE\n\n1\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 1: Missing input vectors!\n$");
  // Where a row is expected, a keyword line fails as a row does.
  EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 3\n.PATTERNS\n01H\n.TABLE\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 4: Bad input vector!\n$");
}

TEST_F(Reader, OutputsWrittenAsBitsBelongToTheInputPart) {
  BIST* b = read(".VECTORS 2\n.PATTERNS\n001\n110\n");
  EXPECT_EQ(b->inps, 3);
  EXPECT_EQ(b->outs, 0);
  EXPECT_EQ(row(b, 1), "110");
}

TEST_F(Reader, LenientReadLetsOddOutputsThrough) {
  BIST* b = read(".VECTORS 4\n.PATTERNS\n00X\n01H\n10Q\n100\n", false, preset_record(2, 1));
  EXPECT_EQ(row(b, 0), "00X");
  EXPECT_EQ(row(b, 1), "011");
  EXPECT_EQ(row(b, 2), "10Q");
  EXPECT_EQ(row(b, 3), "100");  // no output part: the input run grows to three
  EXPECT_EQ(b->inps, 3);
  EXPECT_EQ(b->outs, 1);
}

TEST_F(Reader, LenientReadKeepsAShortOutputPartUnchanged) {
  BIST* b = read(".VECTORS 1\n.PATTERNS\n01H\n", false, preset_record(2, 2));
  EXPECT_EQ(row(b, 0), "01H");
  EXPECT_EQ(b->outs, 2);
}

TEST_F(Reader, LenientReadKeepsABlankInsideARow) {
  BIST* b = read(".VECTORS 2\n.PATTERNS\n00 H\n01hL\n", false, preset_record(2, 1));
  EXPECT_EQ(row(b, 0), "00 H");
  EXPECT_EQ(row(b, 1), "0110");
  EXPECT_EQ(b->outs, 1);
}

TEST_F(Reader, StrictReadAcceptsExactRows) {
  BIST* b = read(".VECTORS 2\n.PATTERNS\n00hL\n11lH\n", true, preset_record(2, 1));
  EXPECT_EQ(row(b, 0), "0010");
  EXPECT_EQ(row(b, 1), "1101");
}

TEST_F(Reader, InternalColumnsAreCounted) {
  struct Case {
    const char* rows;
    int internals;
  };
  for (Case c : {Case{"00H\n01L\n", 0}, Case{"00hlH\n01hhL\n", 2}, Case{"0hH\n1lL\n", 1},
                 Case{"00hlH\n011lL\n", 2}, Case{"00hl\n01lh\n", 2}}) {
    BIST* b = read(std::string(".VECTORS 2\n.PATTERNS\n") + c.rows);
    EXPECT_EQ(b->internals, c.internals) << c.rows;
    FreeTST(b);
    record_ = nullptr;
  }
}

TEST_F(Reader, SectionsAfterTheResultsAreFoundUnread) {
  struct Case {
    std::string text;
    int unread_line;
  };
  for (const Case& c : {
           Case{kWrittenFile, 0},
           Case{".COVERAGE\n.VECTORS 3\n.PATTERNS\n00H\n01H\n10H\n", 2},
           Case{std::string(kWrittenFile) + "\n  .PATTERNS more\n01H\n", 25},
           Case{".VECTORS 0\n.TABLE\n\n??\n.GENERATOR\n", 5},
           Case{".FAULTS\n.TABLE\nX\n.FAULTS\n.COVERAGE\n", 0},
           Case{".VECTORS 1\n.PATTERNS\n0H\n", 0},
       }) {
    BIST* b = read(c.text);
    EXPECT_EQ(b->unread_line, c.unread_line) << c.text;
    FreeTST(b);
    record_ = nullptr;
  }
}

// ---- failures: message, line number, exit status ----

class ReaderDeath : public Reader {};

TEST_F(ReaderDeath, UnknownKeyword) {
  EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 1\n\nVECTORS 2\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 3: Unknown keyword!\n$");
  EXPECT_EXIT(ReadTST(nullptr, path("\n\n  x.PATTERNS\n").c_str(), 0, false), ExitedWithCode(14),
              "^\nError at line 3: Unknown keyword!\n$");
}

TEST_F(ReaderDeath, MoreRowsThanTheCount) {
  EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 2\n.PATTERNS\n00H\n01H\n10H\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 5: Unknown keyword!\n$");
  EXPECT_EXIT(ReadTST(nullptr, path(".PATTERNS\n00H\n01H\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 2: Bad input vector!\n$");
}

TEST_F(ReaderDeath, ConversionError) {
  for (const char* text : {".VECTORS\n", ".VECTORS x1\n", ".VECTORS1\n", ".VECTORS -3\n",
                           ".VECTORS 99999999999\n"})
    EXPECT_EXIT(ReadTST(nullptr, path(std::string("\n") + text).c_str(), 0, false),
                ExitedWithCode(14), "^\nError at line 2: Conversion error !\n$")
        << text;
}

TEST_F(ReaderDeath, CountCannotChangeOnceThePatternTableExists) {
  EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 1\n.PATTERNS\n0H\n.VECTORS 4\n.PATTERNS\n"
                                    "1H\n1H\n1H\n1H\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 4: Conversion error !\n$");
  EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 1\n.PATTERNS\n0H\n.VECTORS 1\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 4: Conversion error !\n$");
}

TEST_F(ReaderDeath, BadRegisterValues) {
  EXPECT_EXIT(ReadTST(nullptr, path(".GENERATOR\n.INITIAL_STATE 0102\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 2: Bad initial state polynomial !\n$");
  EXPECT_EXIT(ReadTST(nullptr, path(".ANALYZER\n\n.POLYNOMIAL  1011\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 3: Bad feedback polynomial !\n$");
  EXPECT_EXIT(ReadTST(nullptr, path(".SIGNATURE 1x\n").c_str(), 0, false), ExitedWithCode(14),
              "^\nError at line 1: Bad signature !\n$");
}

TEST_F(ReaderDeath, RowOfAnotherLength) {
  for (bool strict : {false, true})
    EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 3\n.PATTERNS\n00H\n\n001H\n").c_str(), 0, strict),
                ExitedWithCode(14), "^\nError at line 5: Bad input vector!\n$");
}

TEST_F(ReaderDeath, KeywordLineTooEarly) {
  EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 3\n.PATTERNS\n00H\n.TABLE\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 4: Bad input vector!\n$");
}

TEST_F(ReaderDeath, ShortInputRunInLenientRead) {
  EXPECT_EXIT(ReadTST(preset_record(3, 1), path(".VECTORS 1\n.PATTERNS\n00H\n").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 3: Bad input vector!\n$");
}

TEST_F(ReaderDeath, StrictReadRejectsOtherRunLengths) {
  EXPECT_EXIT(ReadTST(preset_record(2, 1), path(".VECTORS 1\n.PATTERNS\n001\n").c_str(), 0, true),
              ExitedWithCode(14), "^\nError at line 3: Bad input vector!\n$");
  EXPECT_EXIT(ReadTST(preset_record(2, 1), path(".VECTORS 1\n.PATTERNS\n01HL\n").c_str(), 0, true),
              ExitedWithCode(14), "^\nError at line 3: Bad input vector!\n$");
  EXPECT_EXIT(ReadTST(preset_record(2, 1), path(".VECTORS 1\n.PATTERNS\n01X\n").c_str(), 0, true),
              ExitedWithCode(14), "^\nError at line 3: Bad input vector!\n$");
}

TEST_F(ReaderDeath, LineNumbersCountTextLinesOfCrLfFiles) {
  EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 2\r\n\r\n.PATTERNS\r\n00H\r\n0H\r\n").c_str(), 0,
                      false),
              ExitedWithCode(14), "^\nError at line 5: Bad input vector!\n$");
  EXPECT_EXIT(ReadTST(nullptr, path(".VECTORS 2\r\r.PATTERNS\r00H\r0H\r").c_str(), 0, false),
              ExitedWithCode(14), "^\nError at line 5: Bad input vector!\n$");
}

TEST_F(ReaderDeath, CountBeyondWhatTheFileCanHoldIsRefusedAtItsLine) {
  // Three rows of two characters need 8 bytes: "0H\n1L\n0H".
  BIST* b = read(".VECTORS 3\n.PATTERNS\n0H\n1L\n0H");
  EXPECT_EQ(b->vcount, 3);
  EXPECT_EQ(b->rows_made, 3);
  for (const char* text :
       {".VECTORS 4\n.PATTERNS\n0H\n1L\n0H", ".VECTORS 4\n.PATTERNS\n0H\n1L\n0H\n",
        ".VECTORS 2147483647\n.PATTERNS\n0H\n"})
    EXPECT_EXIT(ReadTST(nullptr, path(text).c_str(), 0, false), ExitedWithCode(14),
                "^\nError at line 1: Missing input vectors!\n$")
        << text;
}

#ifndef _WIN32
/// Runs `read` in a death test's process whose address space is limited to 256 MB: a table
/// sized by the count alone would not fit.
#define EXPECT_READ_IN_LITTLE_MEMORY(read, message)          \
  EXPECT_EXIT(                                               \
      {                                                      \
        struct rlimit limit;                                 \
        limit.rlim_cur = limit.rlim_max = 256u << 20;        \
        if (setrlimit(RLIMIT_AS, &limit) != 0) std::abort(); \
        read;                                                \
      },                                                     \
      ExitedWithCode(14), message)

TEST_F(ReaderDeath, HugeCountInASmallFileTakesNoMemory) {
  if (test_support::kAddressSanitizer)
    GTEST_SKIP() << "the address space cannot be limited under AddressSanitizer";
  const std::string file = path(".VECTORS 2000000000\n.PATTERNS\n0H\n");
  EXPECT_READ_IN_LITTLE_MEMORY(ReadTST(nullptr, file.c_str(), 0, false),
                               "^\nError at line 1: Missing input vectors!\n$");
}

/// A FIFO in `dir` that a child process fills with `text` once it is opened.
std::string pipe_with(const ScratchDir& dir, const std::string& text) {
  const std::string fifo = dir.at("pipe.tst");
  unlink(fifo.c_str());
  if (mkfifo(fifo.c_str(), 0600) != 0) return "";
  if (fork() == 0) {
    FILE* out = std::fopen(fifo.c_str(), "w");
    if (out) std::fwrite(text.data(), 1, text.size(), out);
    _exit(out && std::fclose(out) == 0 ? 0 : 1);
  }
  return fifo;
}

TEST_F(ReaderDeath, PipeGrowsItsTableAsRowsArrive) {
  if (test_support::kAddressSanitizer)
    GTEST_SKIP() << "the address space cannot be limited under AddressSanitizer";
  // The count says 2000000000 rows: a pipe has no size to refuse it by, so the rows decide.
  const std::string text = ".VECTORS 2000000000\n.PATTERNS\n0H\n1L\n";
  EXPECT_READ_IN_LITTLE_MEMORY(ReadTST(nullptr, pipe_with(dir_, text).c_str(), 0, false),
                               "^\nError at line 1: Missing input vectors!\n$");
}

TEST_F(Reader, PipeOfManyRowsIsReadWhole) {
  std::string text = ".VECTORS 5000\n.PATTERNS\n";
  for (int k = 0; k < 5000; ++k)
    text += std::string(k % 2 ? "10" : "01") + (k % 3 ? "H" : "L") + "\n";
  std::string fifo = pipe_with(dir_, text);
  ASSERT_FALSE(fifo.empty());
  record_ = ReadTST(nullptr, fifo.c_str(), 0, false);
  int status = 0;
  while (wait(&status) > 0) {
  }
  ASSERT_NE(record_, nullptr);
  EXPECT_EQ(record_->vcount, 5000);
  EXPECT_EQ(record_->rows_made, 5000);
  for (int k : {0, 1, 1023, 1024, 2047, 2048, 4999})
    EXPECT_EQ(row(record_, k), std::string(k % 2 ? "10" : "01") + (k % 3 ? "1" : "0")) << k;
  EXPECT_EQ(row(record_, 5000), "");  // the spare row
}
#endif

TEST_F(ReaderDeath, UnreadableFile) {
  const std::string out = dir_.at("stdout");
  const std::string missing = dir_.at("none.tst");
  EXPECT_EXIT(
      {
        if (!std::freopen(out.c_str(), "w", stdout)) std::abort();
        verbose_mode = 0;
        ReadTST(nullptr, missing.c_str(), 0, false);
      },
      test_support::ExitedWithStatus(-1), "");
  EXPECT_EQ(test_support::file_text(out), "\nReading test patterns ... Can't open file : " + missing + "\n");
#ifndef _WIN32
  // A directory opens but cannot be read.
  EXPECT_EXIT(
      {
        if (!std::freopen(out.c_str(), "w", stdout)) std::abort();
        ReadTST(nullptr, dir_.path().string().c_str(), 0, false);
      },
      test_support::ExitedWithStatus(-1), "");
  EXPECT_EQ(test_support::file_text(out), "Can't open file : " + dir_.path().string() + "\n");
#endif
}

}  // namespace
