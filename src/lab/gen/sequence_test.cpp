// The sequence builder, its shortening, and the cover bound, on the opens of NA2 and on small
// sets whose least cover is known.
#include "gen/sequence.h"

#include <gtest/gtest.h>

#include "exhaustive.h"
#include "gen/cover.h"

namespace kavlab {

namespace {

/// The 13 opens of NA2 (circuit 12), judged by either.
class OpensOfNa2 : public testing::Test {
 protected:
  void SetUp() override {
    StateGraph ref;
    std::vector<CellAnswer> by_input;
    std::string error;
    ASSERT_TRUE(explore_states(cell_netlist(12, 0), &ref, &error));
    ASSERT_TRUE(answers_by_input(ref, &by_input, &error));
    graphs.resize(13);
    for (int k = 1; k <= 13; k++) {
      ASSERT_TRUE(explore_states(cell_netlist(12, k), &graphs[k - 1], &error));
      machines.push_back(machine_of(graphs[k - 1], by_input, Criterion::Either));
    }
  }
  std::vector<StateGraph> graphs;
  std::vector<Machine> machines;
};

TEST_F(OpensOfNa2, SequenceMeetsEveryGoalAndKeepsThemWhenShortened) {
  for (int need : {1, 2}) {
    std::vector<Goal> goals;
    for (const Machine& m : machines)
      goals.push_back({&m, pending_from_every_state(m, need), need});
    std::vector<int> sequence = build_sequence(goals, every_vector(4));
    for (const Goal& g : goals) EXPECT_TRUE(meets(g, sequence)) << need;
    // Every vector of the result is needed: dropping any one loses some goal.
    for (std::size_t at = 0; at < sequence.size(); at++) {
      std::vector<int> shorter(sequence);
      shorter.erase(shorter.begin() + static_cast<long>(at));
      bool all = true;
      for (const Goal& g : goals) all = all && meets(g, shorter);
      EXPECT_FALSE(all) << "vector " << at << " of " << sequence.size() << ", need " << need;
    }
  }
  // The exhaustive set repeated twice, shortened: what it met stays met.
  std::vector<Goal> goals;
  for (const Machine& m : machines) goals.push_back({&m, pending_from_every_state(m, 1), 1});
  std::vector<int> twice = {0, 1, 2, 3, 0, 1, 2, 3};
  std::vector<int> shorter = drop_redundant(goals, twice);
  EXPECT_LT(shorter.size(), twice.size());
  for (const Goal& g : goals)
    if (meets(g, twice)) {
      EXPECT_TRUE(meets(g, shorter));
    }
}

TEST_F(OpensOfNa2, SearchOfEveryShortSequenceFindsTheLeastLength) {
  // No three vectors detect every open from every state; four do.
  std::vector<Goal> goals;
  for (const Machine& m : machines) goals.push_back({&m, pending_from_every_state(m, 1), 1});
  std::size_t budget = SEQUENCE_SEARCH_BUDGET;
  std::vector<int> found;
  EXPECT_EQ(sequence_of_length(goals, every_vector(4), 3, &budget, &found), SearchOutcome::None);
  ASSERT_EQ(sequence_of_length(goals, every_vector(4), 4, &budget, &found), SearchOutcome::Found);
  EXPECT_EQ(found.size(), 4u);
  for (const Goal& g : goals) EXPECT_TRUE(meets(g, found));
  std::size_t none = 0;
  EXPECT_EQ(sequence_of_length(goals, every_vector(4), 4, &none, &found), SearchOutcome::TooLarge);
}

TEST(GenCover, BoundsTheLeastMulticover) {
  const std::vector<std::vector<int>> chain = {{0, 1}, {1, 2}, {2, 3}};
  for (auto [need, least] : {std::pair<int, int>{1, 2}, {2, 4}}) {
    CoverBound b = cover_bound(chain, need, 4);
    EXPECT_LE(b.value, least);
    if (b.optimal) {
      EXPECT_EQ(b.value, least) << cover_solver();
    }
  }
  // Sets that share no vector need one each, with or without the solver.
  EXPECT_EQ(cover_bound({{0}, {1, 2}, {3}}, 1, 4).value, 3);
  EXPECT_EQ(cover_bound({}, 1, 4).value, 0);
}

}  // namespace

}  // namespace kavlab
