// What a test file holds that a run cannot keep, and the warnings that say so.
#include "file_shape.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

using kavtest::ShapeLoss;
using Lines = std::vector<std::string>;

struct Case {
  int circuit;
  int file_inputs;  ///< input columns of the rows; -1: no rows
  int internals;
  int unread_line;
  Lines warnings;
};

TEST(FileShape, WhatIsLeftOutIsSaidOnce) {
  const std::string cut = "kavtest: TST file 'w.tst' has ";
  for (const Case& c : {
           Case{11, 2, 0, 0, {}},
           Case{12,
                5,
                0,
                0,
                {cut + "5 input columns, circuit 12 (NA2) has 2: the vectors are "
                       "cut to the last 2"}},
           Case{16,
                5,
                2,
                0,
                {cut + "2 internal columns, which circuit 16 (C17) does not take: "
                       "they are left out of the vectors"}},
           Case{16,
                5,
                1,
                0,
                {cut + "1 internal column, which circuit 16 (C17) does not take: "
                       "it is left out of the vectors"}},
           Case{14,
                3,
                1,
                0,
                {cut + "3 input columns, circuit 14 (IN1) has 1: the vectors are cut "
                       "to the last 1, and their 1 internal column is left out"}},
           Case{15,
                6,
                3,
                0,
                {cut + "6 input columns, circuit 15 (CB1) has 4: the vectors are cut "
                       "to the last 4, and their 3 internal columns are left out"}},
           Case{11,
                -1,
                0,
                5,
                {cut + "a section at line 5, after its results section at line 2 "
                       "where reading ends: it is neither tested nor written back"}},
           Case{12,
                5,
                0,
                9,
                {cut + "5 input columns, circuit 12 (NA2) has 2: the vectors are "
                       "cut to the last 2",
                 cut + "a section at line 9, after its results section at line 2 "
                       "where reading ends: it is neither tested nor written back"}},
       }) {
    SCOPED_TRACE(c.circuit);
    BIST* dat = c.file_inputs < 0
                    ? test_support::preset_record(2, 1)
                    : test_support::test_record(
                          c.file_inputs, 1, {std::string(c.file_inputs + c.internals + 1, '0')});
    dat->internals = c.internals;
    dat->unread_line = c.unread_line;
    dat->tmp[0] = 2;  // the line where reading ended
    ShapeLoss loss = kavtest::shape_loss(dat, c.circuit);
    EXPECT_EQ(loss.any(), !c.warnings.empty());
    EXPECT_EQ(kavtest::shape_warnings(loss, "w.tst", c.circuit), c.warnings);
    FreeTST(dat);
  }
}

TEST(FileShape, FewerInputColumnsThanTheCircuitIsNoLoss) {
  // The reader refuses such rows; a record preset for the circuit has its inputs.
  BIST* dat = test_support::test_record(2, 1, {"01H"});
  EXPECT_FALSE(kavtest::shape_loss(dat, 16).any());
  FreeTST(dat);
}

}  // namespace
