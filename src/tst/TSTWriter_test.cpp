#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "TSTData.h"
#include "messages.h"
#include "misc.h"
#include "test_support.h"

namespace {

using test_support::ScratchDir;
using test_support::file_bytes;
using test_support::heap_copy;
using test_support::test_record;

const char kExample[] =
    ".VECTORS 4\n"
    "\n"
    ".PATTERNS\n"
    "\n"
    "00H\n"
    "01H\n"
    "10H\n"
    "11L\n"
    "\n"
    ".TABLE\n"
    "\n"
    "XX1\n"
    "X1X\n"
    "XXX\n"
    "1X1\n"
    "\n"
    ".FAULTS\n"
    "\n"
    "111\n"
    "\n"
    ".COVERAGE\n"
    "\n"
    "3 / 6 = 50.000000 %\n";

/// Adds a fault table and its summary, as a defect-table run makes them.
void add_results(BIST* b, const std::vector<std::string>& table, const char* summary) {
  b->nodes = static_cast<int>(std::strlen(summary));
  b->ftable = AllocCharTable(b->vcount, b->nodes, 0);
  for (std::size_t k = 0; k < table.size(); ++k)
    std::memcpy(b->ftable[k], table[k].data(), table[k].size());
  b->faults = AllocCharVector(b->nodes, 'X');
  std::memcpy(b->faults, summary, static_cast<std::size_t>(b->nodes));
}

BIST* example() {
  BIST* b = test_record(2, 1, {"001", "011", "101", "110"});
  add_results(b, {"XX1", "X1X", "XXX", "1X1"}, "111");
  return b;
}

/// What a section writer (or WriteTST on a stream) puts on a stream.
template <typename Write>
std::string output_of(Write write) {
  std::FILE* fp = std::tmpfile();
  write(fp);
  std::string out;
  std::rewind(fp);
  for (int c; (c = std::getc(fp)) != EOF;) out += static_cast<char>(c);
  std::fclose(fp);
  return out;
}

using Section = int (*)(FILE*, BIST*, bool);

std::string section(Section writer, BIST* b, bool header = true) {
  return output_of([&](FILE* fp) { EXPECT_EQ(writer(fp, b, header), 0); });
}

TEST(Writer, ExampleFileByteForByte) {
  ScratchDir dir;
  BIST* b = example();
  const std::string path = dir.at("out.tst");
  EXPECT_EQ(WriteTST(b, nullptr, path.c_str()), 0);
  EXPECT_EQ(test_support::file_text(path), kExample);
  FreeTST(b);
}

TEST(Writer, StreamIsFlushedAndStaysOpen) {
  BIST* b = example();
  std::FILE* fp = std::tmpfile();
  EXPECT_EQ(WriteTST(b, fp, "ignored/when/a/stream/is/given"), 0);
  EXPECT_GE(std::fputs("more", fp), 0);  // still open for writing
  std::rewind(fp);
  std::string out;
  for (int c; (c = std::getc(fp)) != EOF;) out += static_cast<char>(c);
  EXPECT_EQ(out, std::string(kExample) + "more");
  std::fclose(fp);
  FreeTST(b);
}

TEST(Writer, NothingToWriteTo) {
  BIST* b = example();
  EXPECT_EQ(WriteTST(b, nullptr, nullptr), -1);
  ScratchDir dir;
  EXPECT_EQ(WriteTST(b, nullptr, dir.at("no/such/dir/out.tst").c_str()), -1);
  EXPECT_EQ(dir.listing(), "");
  FreeTST(b);
}

TEST(Writer, NoRecordLeavesTheFileAlone) {
  ScratchDir dir;
  const std::string path = dir.write("keep.tst", "precious\n");
  EXPECT_EQ(WriteTST(nullptr, nullptr, path.c_str()), -1);
  EXPECT_EQ(file_bytes(path), "precious\n");
  EXPECT_EQ(dir.listing(), "keep.tst\n");
}

TEST(Writer, RecordRightAfterReadingHasNoResultSections) {
  BIST* b = test_record(2, 1, {"001", "110"});
  b->g_init = heap_copy("01");
  b->g_poly = heap_copy("11");
  EXPECT_EQ(output_of([&](FILE* fp) { EXPECT_EQ(WriteTST(b, fp, nullptr), 0); }),
            ".VECTORS 2\n\n\n.GENERATOR\n\n.INITIAL_STATE 01\n.POLYNOMIAL 11\n"
            "\n.PATTERNS\n\n00H\n11L\n");
  FreeTST(b);
}

TEST(Writer, NoDefectsMeansNoResultSections) {
  BIST* b = example();
  b->nodes = 0;
  EXPECT_EQ(output_of([&](FILE* fp) { WriteTST(b, fp, nullptr); }),
            ".VECTORS 4\n\n.PATTERNS\n\n00H\n01H\n10H\n11L\n");
  b->nodes = 3;
  FreeTST(b);
}

TEST(Writer, EmptyRecordIsTheCountLine) {
  BIST* b = test_support::preset_record(-1, -1);
  EXPECT_EQ(output_of([&](FILE* fp) { EXPECT_EQ(WriteTST(b, fp, nullptr), 0); }), ".VECTORS 0\n");
  FreeTST(b);
}

TEST(Writer, RegisterBlocks) {
  BIST* b = test_record(1, 1, {});
  EXPECT_EQ(section(writeLFSRSetup, b), "");
  b->g_poly = heap_copy("1001");
  EXPECT_EQ(section(writeLFSRSetup, b), "");  // no initial state: no generator block
  b->a_init = heap_copy("000");
  b->a_poly = heap_copy("101");
  EXPECT_EQ(section(writeLFSRSetup, b), "");  // no signature: no analyser block
  b->signature = heap_copy("110");
  EXPECT_EQ(section(writeLFSRSetup, b),
            "\n.ANALYZER\n\n.INITIAL_STATE 000\n.POLYNOMIAL 101\n.SIGNATURE 110\n");
  b->g_init = heap_copy("0001");
  const std::string both =
      "\n\n.GENERATOR\n\n.INITIAL_STATE 0001\n.POLYNOMIAL 1001\n"
      "\n.ANALYZER\n\n.INITIAL_STATE 000\n.POLYNOMIAL 101\n.SIGNATURE 110\n";
  EXPECT_EQ(section(writeLFSRSetup, b), both);
  EXPECT_EQ(section(writeLFSRSetup, b, false), both);
  FreeTST(b);
}

TEST(Writer, LettersComeBackFromColumnPositions) {
  BIST* b = test_record(2, 1, {"0110", "1001", "11?0"});
  EXPECT_EQ(section(writePatterns, b), "\n.PATTERNS\n\n01hL\n10lH\n11?L\n");
  b->cons = 1;  // the third column is a constant
  EXPECT_EQ(section(writePatterns, b, false), "011L\n100H\n11?L\n");
  FreeTST(b);
}

TEST(Writer, UnfittedRowsAreWrittenAsStored) {
  BIST* b = test_record(-1, 1, {"001", "110"});
  EXPECT_EQ(section(writePatterns, b, false), "001\n110\n");
  b->inps = 2;
  b->outs = -1;
  EXPECT_EQ(section(writePatterns, b, false), "001\n110\n");
  FreeTST(b);
}

TEST(Writer, UnfilledRowsAreWrittenAsZeroBytes) {
  BIST* b = test_record(1, 1, {"01", "10"});
  std::memset(b->vects[1], 0, 2);
  EXPECT_EQ(section(writePatterns, b, false), std::string("0H\n\0\0\n", 6));
  FreeTST(b);
}

TEST(Writer, SectionWritersWithoutDataOrStream) {
  BIST* b = example();
  for (Section writer : {writeVectorCnt, writeLFSRSetup, writePatterns, writeFaultTable,
                         writeFaultSummary, writeFaultCoverage}) {
    EXPECT_EQ(writer(nullptr, b, true), -1);
    EXPECT_EQ(output_of([&](FILE* fp) { EXPECT_EQ(writer(fp, nullptr, true), -1); }), "");
  }
  b->vars = 0;
  EXPECT_EQ(output_of([&](FILE* fp) { EXPECT_EQ(writePatterns(fp, b, true), -1); }), "");
  b->vars = 3;
  BIST* bare = test_record(2, 1, {});
  FreeCharTable(bare->vects, 0, 3);
  bare->vects = nullptr;
  EXPECT_EQ(section(writePatterns, bare), "");
  EXPECT_EQ(section(writeFaultTable, bare), "");
  EXPECT_EQ(section(writeFaultSummary, bare), "");
  EXPECT_EQ(section(writeFaultCoverage, bare), "");
  FreeTST(bare);
  FreeTST(b);
}

TEST(Writer, SectionsWithoutHeader) {
  BIST* b = example();
  EXPECT_EQ(section(writeVectorCnt, b, false), " 4\n");
  EXPECT_EQ(section(writeFaultTable, b, false), "XX1\nX1X\nXXX\n1X1\n");
  EXPECT_EQ(section(writeFaultSummary, b, false), "111\n");
  EXPECT_EQ(section(writeFaultCoverage, b, false), "3 / 6 = 50.000000 %\n");
  FreeTST(b);
}

TEST(Writer, CoverageCountsPolarities) {
  BIST* b = test_record(1, 1, {"01"});
  auto coverage = [&](const char* summary) {
    std::free(b->faults);
    b->nodes = static_cast<int>(std::strlen(summary));
    b->faults = heap_copy(summary);
    return section(writeFaultCoverage, b, false);
  };
  EXPECT_EQ(coverage("111"), "3 / 6 = 50.000000 %\n");
  EXPECT_EQ(coverage("XX&"), "2 / 6 = 33.333333 %\n");
  EXPECT_EQ(coverage("XXXX"), "0 / 8 = 0.000000 %\n");
  EXPECT_EQ(coverage("&&"), "4 / 4 = 100.000000 %\n");
  EXPECT_EQ(coverage("0Z1"), "2 / 6 = 33.333333 %\n");
  FreeTST(b);
}

TEST(Writer, WrittenFileReadsBackToTheSameRecord) {
  ScratchDir dir;
  // Three inputs, one internal signal, two outputs.
  BIST* b = test_record(3, 2, {"001001", "111110", "010001"});
  b->g_init = heap_copy("0001");
  b->g_poly = heap_copy("10011");
  b->a_init = heap_copy("");
  b->a_poly = heap_copy("111");
  b->signature = heap_copy("0101");
  add_results(b, {"X1", "1X", "XX"}, "11");
  const std::string path = dir.at("round.tst");
  ASSERT_EQ(WriteTST(b, nullptr, path.c_str()), 0);

  verbose_mode = 1;
  BIST* back = ReadTST(nullptr, path.c_str(), 0, false);
  verbose_mode = 0;
  EXPECT_EQ(back->vcount, b->vcount);
  EXPECT_EQ(back->vars, 6);
  EXPECT_EQ(back->inps, 3);
  EXPECT_EQ(back->outs, 2);
  for (int k = 0; k <= b->vcount; ++k) EXPECT_STREQ(back->vects[k], b->vects[k]) << k;
  EXPECT_STREQ(back->g_init, b->g_init);
  EXPECT_STREQ(back->g_poly, b->g_poly);
  EXPECT_STREQ(back->a_init, b->a_init);
  EXPECT_STREQ(back->a_poly, b->a_poly);
  EXPECT_STREQ(back->signature, b->signature);
  EXPECT_EQ(back->ftable, nullptr);
  FreeTST(back);
  FreeTST(b);
}

}  // namespace
