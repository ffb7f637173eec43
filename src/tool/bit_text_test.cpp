// Bits as the characters the modes print and write.
#include "bit_text.h"

#include <gtest/gtest.h>

namespace {

TEST(Conversions, NumBitsIsMostSignificantFirst) {
  EXPECT_STREQ(numBits(5, 4), "0101");
  EXPECT_STREQ(numBits(5, 0), "");
  EXPECT_STREQ(numBits(0xFF, 8), "11111111");
  EXPECT_STREQ(numBits(2, 2), "10");
}

TEST(Conversions, ConvertToStrIsLeastSignificantFirst) {
  char buf[9];
  EXPECT_STREQ(convertToStr(5, buf, 4), "1010");
  EXPECT_STREQ(convertToStr(2, buf, 2), "01");
  EXPECT_STREQ(convertToStr(0xFF, buf, 0), "");
}

TEST(Conversions, CutVectorTakesAWindowOfTheLastVector) {
  EXPECT_STREQ(cutVector("010110", 8, 4), "010110");  // start past the end: the whole vector
  EXPECT_STREQ(cutVector("010110", 2, 10), "0110");   // too few characters: the rest, uncut
  EXPECT_STREQ(cutVector("010110", 1, 3), "101");
  EXPECT_STREQ(cutVector("1010111111", 0, 2), "10");  // a longer vector grows the buffer
  EXPECT_STREQ(cutVector("01", 0, 2), "01");          // a shorter one leaves no old characters
  EXPECT_EQ(cutVector(nullptr, 0, 2), nullptr);
}

}  // namespace
