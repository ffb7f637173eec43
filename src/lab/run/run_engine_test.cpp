// The measurement on the emulated box (no settling pause): one pass with the monitor on
// detects what two passes do, a run stopped or broken keeps exactly the cells it measured, and
// a stopped run continued measures only what it lacks and ends as a whole run.
#include "run/run_engine.h"
#include "run/stop_signals.h"

#include <gtest/gtest.h>

#include "KavrinConst.h"
#include "messages.h"
#include "platform-sim.h"
#include "results/results_json.h"
#include "run/cell_choice.h"
#include "run/vector_source.h"

namespace kavlab {

namespace {

/// Every circuit's chosen cells with every input vector and the passes of `plan`.
Results planned(PassPlan plan, const std::vector<int>& circuits) {
  Results r;
  for (int i : circuits) {
    std::vector<int> cells;
    std::string error;
    EXPECT_TRUE(choose_cells(i, CellChoice{}, &cells, &error));
    CircuitResult c = circuit_skeleton(i, cells);
    load_exhaustive(c);
    c.passes = plan_passes(plan);
    r.circuits.push_back(c);
  }
  return r;
}

/// Measures `r` on a freshly attached box, breaking transfer `unplug_at` (0: none).
RunOutcome measure_fresh(Results& r, unsigned long unplug_at, const ProgressFn& progress) {
  verbose_mode = 1;  // without the trace lines of runTest
  sim_install_boxes(1).front()->faults.unplug_at = unplug_at;
  DeviceList* list = getDeviceList();
  DeviceList* box = activateDevice(list, nullptr);
  EXPECT_NE(box, nullptr);
  clear_stop_request();
  RunOutcome outcome = box ? measure(box, r, progress) : RunOutcome{RunEnd::BoxFailed, "none"};
  freeDeviceList(list);
  return outcome;
}

void no_progress(int, int) {}

}  // namespace

TEST(RunEngine, OnePassDetectsWhatTwoPassesDetect) {
  std::vector<int> all;
  for (int i = 0; i < KAVRIN_CIRCUIT_COUNT; i++) all.push_back(i);
  Results two = planned(PassPlan::Both, all), one = planned(PassPlan::OnePass, all);
  ASSERT_EQ(measure_fresh(two, 0, no_progress).end, RunEnd::Complete);
  ASSERT_EQ(measure_fresh(one, 0, no_progress).end, RunEnd::Complete);
  EXPECT_FALSE(two.partial);
  for (std::size_t i = 0; i < all.size(); i++)
    for (Measure m : {Measure::Logic, Measure::Monitor}) {
      std::vector<std::string> marks = detection_marks(two.circuits[i], m);
      EXPECT_EQ(marks.size(), two.circuits[i].cells.size());
      EXPECT_EQ(detection_marks(one.circuits[i], m), marks) << "circuit " << i;
    }
}

TEST(RunEngine, AStoppedRunKeepsTheCellsItMeasured) {
  Results whole = planned(PassPlan::Both, {16}), cut = planned(PassPlan::Both, {16});
  ASSERT_EQ(measure_fresh(whole, 0, no_progress).end, RunEnd::Complete);
  const int k = 5;  // the reference and four cells of the logic pass
  RunOutcome outcome = measure_fresh(cut, 0, [](int done, int) {
    if (done == k) request_stop();
  });
  EXPECT_EQ(outcome.end, RunEnd::Stopped);
  EXPECT_TRUE(cut.partial);
  const Pass& logic = cut.circuits[0].passes[0];
  ASSERT_EQ(logic.cells.size(), static_cast<std::size_t>(k - 1));
  for (std::size_t j = 0; j < logic.cells.size(); j++)
    EXPECT_EQ(logic.cells[j].outputs, whole.circuits[0].passes[0].cells[j].outputs);
  EXPECT_FALSE(cut.circuits[0].passes[1].reference_measured);
}

TEST(RunEngine, AFailingBoxEndsTheRunAndNamesWhere) {
  Results r = planned(PassPlan::Monitor, {14});
  int done = 0;
  RunOutcome outcome = measure_fresh(r, 20, [&](int d, int) { done = d; });
  EXPECT_EQ(outcome.end, RunEnd::BoxFailed);
  EXPECT_NE(outcome.message.find("monitor pass of circuit 14 (IN1)"), std::string::npos)
      << outcome.message;
  EXPECT_TRUE(r.partial);
  EXPECT_GT(done, 0);
  EXPECT_EQ(r.circuits[0].passes[0].cells.size() + 1, static_cast<std::size_t>(done));
}

TEST(RunEngine, AStoppedRunContinuedMeasuresWhatItLacksAndEndsAsAWholeRun) {
  // NA2 with opens and C17 with opens, stopped in the monitor pass of NA2.
  Results whole = planned(PassPlan::Both, {12, 17}), cut = planned(PassPlan::Both, {12, 17});
  ASSERT_EQ(measure_fresh(whole, 0, no_progress).end, RunEnd::Complete);
  const int k = 14 + 6, all = 2 * 14 + 2 * 96;
  ASSERT_EQ(measure_fresh(cut, 0,
                          [](int done, int) {
                            if (done == k) request_stop();
                          })
                .end,
            RunEnd::Stopped);
  int runs = 0, total = 0;
  RunOutcome outcome = measure_fresh(cut, 0, [&](int done, int in_all) {
    runs = done;
    total = in_all;
  });
  EXPECT_EQ(outcome.end, RunEnd::Complete) << outcome.message;
  EXPECT_FALSE(cut.partial);
  EXPECT_EQ(total, all - k + 1);  // the resumed pass measures its reference again
  EXPECT_EQ(runs, total);
  EXPECT_EQ(results_text(cut), results_text(whole));
}

TEST(RunEngine, AResumedPassWhoseReferenceAnswersOtherwiseEnds) {
  Results cut = planned(PassPlan::Logic, {14});
  ASSERT_EQ(measure_fresh(cut, 0,
                          [](int done, int) {
                            if (done == 3) request_stop();
                          })
                .end,
            RunEnd::Stopped);
  Pass& logic = cut.circuits[0].passes[0];
  logic.reference.outputs[0] = logic.reference.outputs[0] == "0" ? "1" : "0";
  RunOutcome outcome = measure_fresh(cut, 0, no_progress);
  EXPECT_EQ(outcome.end, RunEnd::BoxFailed);
  EXPECT_NE(outcome.message.find("answers otherwise"), std::string::npos) << outcome.message;
  EXPECT_EQ(logic.cells.size(), 2u);
  EXPECT_TRUE(cut.partial);
}

}  // namespace kavlab
