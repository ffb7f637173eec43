// Resistances in their short form.
#include "units.h"

#include <gtest/gtest.h>

TEST(Units, ResistancesTakeKiloAndMegaWhereTheyReachThem) {
  EXPECT_EQ(ohms_text(10), "10");
  EXPECT_EQ(ohms_text(999), "999");
  EXPECT_EQ(ohms_text(1000), "1k");
  EXPECT_EQ(ohms_text(4700), "4.7k");
  EXPECT_EQ(ohms_text(1e6), "1M");
  EXPECT_EQ(ohms_text(2.2e6), "2.2M");
  EXPECT_EQ(ohms_text(0.5), "0.5");
}
