#include "misc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "test_support.h"

namespace {

const char kMarks[] = {'X', '0', '1', '&'};

TEST(CharTable, EmptyTableIsOneEmptyString) {
  char** t = AllocCharTable(0, 0, 0);
  ASSERT_NE(t, nullptr);
  EXPECT_STREQ(t[0], "");
  FreeCharTable(t, 0, 0);
}

TEST(CharTable, EveryCharacterTakesTheFill) {
  char** t = AllocCharTable(3, 4, 'X');
  for (int r = 0; r <= 3; ++r) EXPECT_EQ(std::string(t[r], 5), "XXXXX") << "row " << r;
  FreeCharTable(t, 3, 4);
}

TEST(CharTable, ZeroFillLeavesRoomForFullRowsAndAnEmptySpare) {
  char** t = AllocCharTable(2, 3, 0);
  std::memcpy(t[0], "abc", 3);
  std::memcpy(t[1], "def", 3);
  EXPECT_STREQ(t[0], "abc");
  EXPECT_STREQ(t[1], "def");
  EXPECT_STREQ(t[2], "");
  FreeCharTable(t, 2, 3);
}

TEST(CharTable, RowsDoNotOverlap) {
  char** t = AllocCharTable(3, 2, 0);
  for (int r = 0; r < 3; ++r) std::memset(t[r], 'a' + r, 2);
  EXPECT_STREQ(t[0], "aa");
  EXPECT_STREQ(t[1], "bb");
  EXPECT_STREQ(t[2], "cc");
  EXPECT_STREQ(t[3], "");
  FreeCharTable(t, 3, 2);
  FreeCharTable(nullptr, 5, 5);
}

TEST(CharTableDeath, ImpossibleSizeEndsWithMessage) {
  EXPECT_EXIT(AllocCharTable(-5, 1, 0), test_support::ExitedWithStatus(-1),
              "^AllocCharTable: malloc failed\\.\n$");
  // What a TST file's ".VECTORS 2000000000" would ask for: refused before any allocation.
  EXPECT_EXIT(AllocCharTable(2000000000, 7, 0), test_support::ExitedWithStatus(-1),
              "^AllocCharTable: malloc failed\\.\n$");
  EXPECT_EXIT(AllocCharTable(1, 1 << 30, 0), test_support::ExitedWithStatus(-1),
              "^AllocCharTable: malloc failed\\.\n$");
}

TEST(CharVector, AllCharactersTakeTheFill) {
  char* v = AllocCharVector(6, 'X');
  EXPECT_EQ(std::string(v, 6), "XXXXXX");
  std::free(v);
}

TEST(FaultMarks, UnionOfTheFourMarks) {
  // Rows: mark held so far; columns: new mark ('X', '0', '1', '&').
  const char* expected[] = {"X01&", "00&&", "1&1&", "&&&&"};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      EXPECT_EQ(CheckFault(kMarks[i], kMarks[j]), expected[i][j])
          << kMarks[i] << " + " << kMarks[j];
}

TEST(FaultMarks, UnionWithOtherCharacters) {
  EXPECT_EQ(CheckFault('Z', '1'), 'Z');
  EXPECT_EQ(CheckFault('X', 'Z'), 'Z');
  EXPECT_EQ(CheckFault('0', 'Z'), '0');
  EXPECT_EQ(CheckFault('&', 'Z'), '&');
}

TEST(FaultMarks, DifferenceOfTheFourMarks) {
  // Rows: A; columns: B ('X', '0', '1', '&').
  const char* expected[] = {"XXXX", "0X0X", "11XX", "&10X"};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      EXPECT_EQ(SubtractOneFault(kMarks[i], kMarks[j]), expected[i][j])
          << kMarks[i] << " - " << kMarks[j];
}

TEST(FaultMarks, DifferenceFromAnUnknownMarkActsAsBoth) {
  for (char b : kMarks) EXPECT_EQ(SubtractOneFault('Z', b), SubtractOneFault('&', b)) << b;
}

TEST(FaultVectors, AddIntoBufferLeavesOperandsAlone) {
  char a[] = "X01&X";
  const char b[] = "110X&";
  char buf[6] = {};
  EXPECT_EQ(AddVect(buf, a, b, 5), buf);
  EXPECT_STREQ(buf, "1&&&&");
  EXPECT_STREQ(a, "X01&X");
}

TEST(FaultVectors, AddWithoutBufferOverwritesA) {
  char a[] = "X01&";
  EXPECT_EQ(AddVect(nullptr, a, "1111", 4), a);
  EXPECT_STREQ(a, "1&1&");
}

TEST(FaultVectors, SubtractIntoBufferAndIntoA) {
  char a[] = "&&10";
  char buf[5] = {};
  EXPECT_EQ(SubtractVect(buf, a, "10X1", 4), buf);
  EXPECT_STREQ(buf, "0110");
  EXPECT_EQ(SubtractVect(nullptr, a, "&1&X", 4), a);
  EXPECT_STREQ(a, "X0X0");
}

TEST(FaultVectors, ZeroLengthTouchesNothing) {
  char a[] = "01";
  char buf[] = "??";
  AddVect(buf, a, "&&", 0);
  SubtractVect(nullptr, a, "&&", 0);
  EXPECT_STREQ(buf, "??");
  EXPECT_STREQ(a, "01");
}

}  // namespace
