// The -agm export of every circuit, under every class mask, read back through the model store.
#include "agm_export.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "KavrinConst.h"
#include "messages.h"
#include "mudel.h"
#include "test_support.h"

namespace {

/// The defect names a mask selects, in catalogue order.
std::vector<std::string> selected_defects(int c, int mask) {
  std::vector<std::string> names;
  for (int j = 0; j < elements[c].count; j++)
    if (elements[c].idx[j].type & static_cast<unsigned int>(mask))
      names.push_back(elements[c].idx[j].defect);
  return names;
}

/// Exports circuit `c` under `mask` and reads the file into the store.
void export_and_read(int c, int mask) {
  test_support::ScratchDir dir;
  std::string path = dir.at("readback.agm");
  std::FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  generateAGMFile(f, static_cast<unsigned int>(c), static_cast<unsigned int>(mask));
  std::fclose(f);
  read_ag(path.c_str());
}

class AgmReadBack : public testing::TestWithParam<int> {
 protected:
  void SetUp() override { verbose_mode = 1; }
  void TearDown() override {
    free_ag();
    verbose_mode = 0;
  }
};

TEST_P(AgmReadBack, EveryCircuitReadsBackAsItsDefectModel) {
  int mask = GetParam();
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++) {
    SCOPED_TRACE("circuit " + std::to_string(c));
    const KAVRIN_ELEMENT_LIST& e = elements[c];
    std::vector<std::string> defects = selected_defects(c, mask);
    export_and_read(c, mask);

    ASSERT_EQ(NodCount, defects.size());
    ASSERT_EQ(VarCount, static_cast<std::uint32_t>(e.in + e.out));
    ASSERT_EQ(GrpCount, e.out);
    EXPECT_EQ(InpCount, e.in);
    EXPECT_EQ(ConCount, 0u);
    EXPECT_EQ(OutCount, e.out);
    EXPECT_EQ(ModelType, 1);
    for (int i = 0; i < e.in; i++) {
      EXPECT_EQ(VarNames[i], std::string(1, static_cast<char>('A' + e.in - 1 - i)));
      EXPECT_EQ(Vars[i].v_flags, VAR_INPUT);
    }
    std::uint32_t before = 0;
    for (int o = 0; o < e.out; o++) {
      EXPECT_EQ(VarNames[e.in + o], "Y" + std::to_string(o));
      EXPECT_EQ(Vars[e.in + o].v_flags, VAR_OUTPUT);
      // one node to each graph but the last while nodes remain, the rest to the last
      std::uint32_t left = NodCount - before;
      std::uint32_t len = o == e.out - 1 ? left : (left > 0 ? 1 : 0);
      EXPECT_EQ(Grps[o].g_beg, before) << "graph " << o;
      EXPECT_EQ(Grps[o].g_len, len) << "graph " << o;
      before += len;
    }
    for (std::uint32_t n = 0; n < NodCount; n++) {
      EXPECT_EQ(NodNames[n], defects[n]) << "node " << n;
      EXPECT_EQ(Nods[n].n_flags, 0u);
      EXPECT_EQ(Nods[n].n_var, 0u);
      EXPECT_EQ(Nods[n].n_dst[0], 0u);
      EXPECT_EQ(Nods[n].n_dst[1], 0u);
    }
    if (c + 1 < KAVRIN_CIRCUIT_COUNT) free_ag();
  }
}

INSTANTIATE_TEST_SUITE_P(ClassMasks, AgmReadBack,
                         testing::Values(MASK_ANY, MASK_ALL_DEFECTS, MASK_SAF_DEFECTS));

class AgmCounts : public AgmReadBack {};

TEST_F(AgmCounts, KnownCircuits) {
  export_and_read(0, MASK_ALL_DEFECTS);  // NO42
  EXPECT_EQ(NodCount, 44u);
  EXPECT_STREQ(NodNames[0], "A/B");
  EXPECT_STREQ(NodNames[43], "Q/gnd");
  free_ag();
  export_and_read(16, MASK_ANY);  // C17 with shorts: 63 defects over two outputs
  EXPECT_EQ(Grps[0].g_len, 1u);
  EXPECT_EQ(Grps[1].g_beg, 1u);
  EXPECT_EQ(Grps[1].g_len, 62u);
  free_ag();
  export_and_read(16, MASK_SAF_DEFECTS);
  EXPECT_EQ(NodCount, 22u);
  free_ag();
  export_and_read(17, MASK_SAF_DEFECTS);  // opens only: nothing to export, two empty graphs
  EXPECT_EQ(NodCount, 0u);
  EXPECT_EQ(GrpCount, 2u);
  EXPECT_EQ(Grps[0].g_len, 0u);
  EXPECT_EQ(Grps[1].g_beg, 0u);
  EXPECT_EQ(Grps[1].g_len, 0u);
}

}  // namespace
