#include "count.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ReadCount, TakesTheWholeNumberOrRefusesIt) {
  struct Case {
    const char* text;
    CountText found;
    int count;  ///< the count after the call, -7 before it
  };
  const Case cases[] = {
      {" \t\r\n9 vectors", CountText::kFits, 9},
      {"0000000000000000000000000000000000000012297", CountText::kFits, 12297},
      {"+2147483647&&", CountText::kFits, 2147483647},
      {"2147483648", CountText::kOutOfRange, -7},
      {"1229782939358414552", CountText::kOutOfRange, -7},
      {"-1", CountText::kOutOfRange, -7},
      {"-0", CountText::kFits, 0},
      {"", CountText::kNone, -7},
      {"+ 1", CountText::kNone, -7},
  };
  for (const Case& c : cases) {
    int count = -7;
    EXPECT_EQ(read_count(c.text, &count), c.found) << '"' << c.text << '"';
    EXPECT_EQ(count, c.count) << '"' << c.text << '"';
  }
}

}  // namespace
