#include "count.h"

#include <gtest/gtest.h>

#include <string>

namespace {

/// read_count of `text` and the count it leaves, starting from a count of -7.
std::pair<CountText, int> read(const std::string& text) {
  int count = -7;
  CountText found = read_count(text.c_str(), &count);
  return {found, count};
}

TEST(ReadCount, NumbersThatFitAreTakenWhole) {
  EXPECT_EQ(read("12"), std::make_pair(CountText::kFits, 12));
  EXPECT_EQ(read(" \t\r\n9 vectors"), std::make_pair(CountText::kFits, 9));
  EXPECT_EQ(read("+3"), std::make_pair(CountText::kFits, 3));
  EXPECT_EQ(read("-0"), std::make_pair(CountText::kFits, 0));
  EXPECT_EQ(read("0000000000000000000000000000000000000000012297"),
            std::make_pair(CountText::kFits, 12297));
  EXPECT_EQ(read("2147483647&&"), std::make_pair(CountText::kFits, 2147483647));
}

TEST(ReadCount, NoNumberLeavesTheCount) {
  for (const char* text : {"", " ", "\n", "x1", "-", "+ 1", ". 5"})
    EXPECT_EQ(read(text), std::make_pair(CountText::kNone, -7)) << '"' << text << '"';
}

TEST(ReadCount, DigitsPastWhatFitsRefuseTheNumber) {
  for (const char* text : {"-1", "-2147483648", "2147483648", "4294967297", "1229782939358414552",
                           "000123456789012345678901234567890"})
    EXPECT_EQ(read(text), std::make_pair(CountText::kOutOfRange, -7)) << text;
}

}  // namespace
