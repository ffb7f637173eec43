#include "KavrinConst.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>

namespace {

struct CircuitFacts {
  const char* name;
  const char* desc;
  int lib, in, out, count;
  int types[4];  // cells of type 0, 2, 3, 4
  int ref_col, ref_row;
};

// The circuit table as the chip's documentation gives it.
const CircuitFacts kFacts[KAVRIN_CIRCUIT_COUNT] = {
    {"NO42", "NOT( NAND( NOR(A,B), NOR(C,D) ) )", 0, 4, 1, 45, {1, 28, 16, 0}, 0, 0},
    {"ON1", "NAND( OR(A,B), OR(C,D) )", 0, 4, 1, 28, {1, 14, 13, 0}, 1, 15},
    {"ON3", "NAND( OR(A,B), C,D )", 0, 4, 1, 28, {1, 15, 12, 0}, 2, 13},
    {"AN1", "NOR( AND(A,B), AND(C,D) )", 0, 4, 1, 28, {1, 15, 12, 0}, 3, 11},
    {"AN3", "NOR( AND(A,B), C, D )", 0, 4, 1, 28, {1, 15, 12, 0}, 4, 9},
    {"NA4", "NAND( A, B, C, D )", 0, 4, 1, 21, {1, 10, 10, 0}, 5, 7},
    {"NO4", "NOR( A, B, C, D )", 0, 4, 1, 21, {1, 10, 10, 0}, 5, 28},
    {"NO3", "NOR( A, B, C )", 0, 3, 1, 15, {1, 6, 8, 0}, 6, 19},
    {"NA3", "NAND( A, B, C )", 0, 3, 1, 15, {1, 6, 8, 0}, 7, 4},
    {"EO1", "XOR( A, B )", 0, 2, 1, 28, {1, 15, 12, 0}, 7, 19},
    {"EN1", "XNOR( A, B )", 0, 2, 1, 21, {1, 10, 10, 0}, 8, 17},
    {"NA2", "NAND( A, B )", 0, 2, 1, 10, {1, 3, 6, 0}, 9, 8},
    {"NA2", "NAND( A, B ) /w opens", 128, 2, 1, 14, {1, 0, 0, 13}, 2, 19},
    {"NO2", "NOR( A, B )", 0, 2, 1, 10, {1, 3, 6, 0}, 9, 18},
    {"IN1", "NOT( A )", 0, 1, 1, 6, {1, 1, 4, 0}, 9, 28},
    {"CB1", "Custom benchmark #1", 0, 4, 2, 86, {1, 60, 25, 0}, 10, 0},
    {"C17", "ISCAS C17 /w shorts", 128, 5, 2, 64, {1, 41, 22, 0}, 2, 5},
    {"C17", "ISCAS C17 /w opens", 128, 5, 2, 96, {1, 0, 0, 95}, 5, 28},
};

int type_slot(unsigned char type) {
  switch (type) {
    case 0: return 0;
    case 2: return 1;
    case 3: return 2;
    case 4: return 3;
    default: return -1;
  }
}

int selected(int circuit, int mask) {
  int n = 0;
  for (int k = 0; k < elements[circuit].count; k++)
    if (cell_selected(mask, elements[circuit].idx[k].type)) n++;
  return n;
}

TEST(Catalogue, CircuitTableAndClassCounts) {
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++) {
    SCOPED_TRACE(c);
    const KAVRIN_ELEMENT_LIST& e = elements[c];
    const CircuitFacts& f = kFacts[c];
    EXPECT_STREQ(e.name, f.name);
    EXPECT_STREQ(e.desc, f.desc);
    EXPECT_EQ(e.lib, f.lib);
    EXPECT_EQ(e.in, f.in);
    EXPECT_EQ(e.out, f.out);
    ASSERT_EQ(e.count, f.count);
    int types[4] = {0, 0, 0, 0};
    for (int k = 0; k < e.count; k++) {
      int slot = type_slot(e.idx[k].type);
      ASSERT_GE(slot, 0) << "cell " << k;
      types[slot]++;
    }
    for (int t = 0; t < 4; t++) EXPECT_EQ(types[t], f.types[t]) << "type slot " << t;
    EXPECT_EQ(e.idx[0].type, 0);
    EXPECT_EQ(e.idx[0].defect, nullptr);
    EXPECT_EQ(e.idx[0].col, f.ref_col);
    EXPECT_EQ(e.idx[0].row, f.ref_row);
  }
  const KAVRIN_ELEMENT_LIST& end = elements[KAVRIN_CIRCUIT_COUNT];
  EXPECT_EQ(end.name, nullptr);
  EXPECT_STREQ(end.desc, "");
  EXPECT_EQ(end.count, 0);
  EXPECT_EQ(end.idx, nullptr);
  EXPECT_EQ(elements[0].idx, NO42);
}

TEST(Catalogue, EveryPositionOfBothBlocksHoldsExactlyOneCell) {
  std::set<std::tuple<int, int, int>> seen;
  int cells = 0;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++) {
    const KAVRIN_ELEMENT_LIST& e = elements[c];
    int cols = e.lib == 0 ? 13 : 6, rows = e.lib == 0 ? 30 : 29;
    for (int k = 0; k < e.count; k++) {
      EXPECT_LT(e.idx[k].col, cols);
      EXPECT_LT(e.idx[k].row, rows);
      EXPECT_TRUE(seen.insert({e.lib, e.idx[k].col, e.idx[k].row}).second)
          << "circuit " << c << " cell " << k << " shares a position";
      cells++;
    }
  }
  EXPECT_EQ(cells, 564);
  EXPECT_EQ(seen.size(), 13u * 30 + 6u * 29);
}

struct CheckRow {
  int circuit, cell;
  const char* defect;
  int col, row;
};

TEST(Catalogue, LayoutCheckRows) {
  const CheckRow rows[] = {
      {0, 29, "D/Q", 0, 29},        {0, 30, "D/vdd", 1, 0},
      {15, 58, "K2/gnd", 11, 28},   {15, 59, "K2/N4", 12, 0},
      {15, 75, "N4/gnd", 12, 16},   {15, 76, "N5/O1", 12, 19},
      {16, 29, "D/n2/n4", 0, 28},   {16, 30, "D/gnd", 1, 0},
      {17, 1, "C17#01_AxAI0", 2, 20}, {17, 95, "C17#95_I5#13", 5, 27},
      {14, 0, nullptr, 9, 28},      {14, 1, "A/gnd", 9, 29},
      {14, 2, "A/vdd", 11, 29},     {14, 3, "A/Q", 12, 17},
      {14, 4, "Q/gnd", 12, 18},     {14, 5, "Q/vdd", 12, 21},
      {12, 1, "NA2_01", 2, 6},      {12, 13, "NA2_13", 2, 18},
      {15, 0, nullptr, 10, 0},
  };
  for (const CheckRow& r : rows) {
    SCOPED_TRACE(std::to_string(r.circuit) + "/" + std::to_string(r.cell));
    const KAVRIN_ELEMENT& e = elements[r.circuit].idx[r.cell];
    if (r.defect)
      EXPECT_STREQ(e.defect, r.defect);
    else
      EXPECT_EQ(e.defect, nullptr);
    EXPECT_EQ(e.col, r.col);
    EXPECT_EQ(e.row, r.row);
  }
}

TEST(Catalogue, OpensOfC17FollowTheirNumbering) {
  const KAVRIN_ELEMENT_LIST& e = elements[17];
  for (int k = 1; k < e.count; k++) {
    char expect[32];
    if (k >= 18) {
      std::snprintf(expect, sizeof expect, "C17#%02d_I%d#%02d", k, (k - 18) / 13, (k - 18) % 13 + 1);
      EXPECT_STREQ(e.idx[k].defect, expect);
    } else {
      std::snprintf(expect, sizeof expect, "C17#%02d_", k);
      EXPECT_EQ(std::strncmp(e.idx[k].defect, expect, 7), 0) << e.idx[k].defect;
    }
  }
  EXPECT_STREQ(e.idx[30].defect, "C17#30_I0#13");
  EXPECT_STREQ(e.idx[31].defect, "C17#31_I1#01");
}

TEST(Catalogue, TypeFollowsName) {
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++) {
    const KAVRIN_ELEMENT_LIST& e = elements[c];
    for (int k = 1; k < e.count; k++) {
      SCOPED_TRACE(std::to_string(c) + "/" + std::to_string(k));
      const char* name = e.idx[k].defect;
      ASSERT_NE(name, nullptr);
      bool open = std::strchr(name, '/') == nullptr;
      bool rail = std::strstr(name, "gnd") || std::strstr(name, "vdd");
      int expect = open ? 4 : rail ? 3 : 2;
      if (c == 1 && k == 26) {
        EXPECT_STREQ(name, "n1/Q");
        expect = 3;
      }
      EXPECT_EQ(e.idx[k].type, expect);
    }
  }
}

TEST(Catalogue, ClassMaskSelections) {
  EXPECT_EQ(selected(12, MASK_SAF_DEFECTS), 0);
  EXPECT_EQ(selected(17, MASK_SAF_DEFECTS), 0);
  EXPECT_EQ(selected(14, MASK_SAF_DEFECTS), 4);
  EXPECT_EQ(selected(15, MASK_SAF_DEFECTS), 25);
  EXPECT_EQ(selected(1, MASK_SAF_DEFECTS), 13);
  EXPECT_TRUE(cell_selected(MASK_SAF_DEFECTS, elements[1].idx[26].type));
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++) {
    EXPECT_EQ(selected(c, MASK_ALL_DEFECTS), elements[c].count - 1) << c;
    EXPECT_EQ(selected(c, MASK_ANY), elements[c].count - 1) << c;
  }
}

TEST(Catalogue, RepeatedNamesAreToldApartByIndex) {
  EXPECT_STREQ(elements[11].name, elements[12].name);
  EXPECT_STREQ(elements[16].name, elements[17].name);
  EXPECT_NE(elements[11].lib, elements[12].lib);
  EXPECT_STRNE(elements[16].desc, elements[17].desc);
  EXPECT_STREQ(elements[10].idx[12].defect, "n1/gnd");
  EXPECT_STREQ(elements[10].idx[15].defect, "n1/gnd");
  EXPECT_STREQ(elements[15].idx[13].defect, "I1/O1");
  EXPECT_STREQ(elements[15].idx[27].defect, "I1/O1");
}

}  // namespace
