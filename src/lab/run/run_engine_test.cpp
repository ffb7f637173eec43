// The measurement on the emulated box (no settling pause): one pass with the monitor on
// detects what two passes do, a run stopped or broken keeps exactly the cells it measured, and
// a stopped run continued measures only what it lacks and ends as a whole run; split over
// worker processes, it measures what one process does, and a stopped or broken one keeps each
// pass's cells up to the first one not measured.
#include "run/run_engine.h"

#include <gtest/gtest.h>

#include "KavrinConst.h"
#include "messages.h"
#include "platform-sim.h"
#include "results/results_json.h"
#include "results/summary.h"
#include "run/cell_choice.h"
#include "run/stop_signals.h"
#include "run/vector_source.h"
#include "worker_pool.h"

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

/// Measures `r` on a freshly attached box with `workers` worker processes (1: this process),
/// breaking transfer `unplug_at` (0: none; a worker's copy of the box breaks its own).
RunOutcome measure_fresh(Results& r, unsigned long unplug_at, const ProgressFn& progress,
                         unsigned workers = 1) {
  verbose_mode = 1;  // without the trace lines of runTest
  sim_install_boxes(1).front()->faults.unplug_at = unplug_at;
  DeviceList* list = getDeviceList();
  DeviceList* box = activateDevice(list, nullptr);
  EXPECT_NE(box, nullptr);
  clear_stop_request();
  MeasureHow how;
  how.workers = workers;
  RunOutcome outcome = box ? measure(box, r, progress, how) : RunOutcome{RunEnd::BoxFailed, "none"};
  freeDeviceList(list);
  return outcome;
}

void no_progress(int, int, std::size_t) {}

/// Checks that every pass of `cut` holds what the same pass of `whole` holds, up to where it
/// ends: its reference, when measured, and its first cells.
void expect_prefixes(const Results& cut, const Results& whole) {
  ASSERT_EQ(cut.circuits.size(), whole.circuits.size());
  for (std::size_t i = 0; i < cut.circuits.size(); i++)
    for (std::size_t k = 0; k < cut.circuits[i].passes.size(); k++) {
      const Pass& p = cut.circuits[i].passes[k];
      const Pass& w = whole.circuits[i].passes[k];
      SCOPED_TRACE("circuit " + std::to_string(i) + ", pass " + p.name);
      if (!p.reference_measured) {
        EXPECT_TRUE(p.cells.empty());
        continue;
      }
      EXPECT_EQ(p.reference.outputs, w.reference.outputs);
      EXPECT_EQ(p.reference.monitor, w.reference.monitor);
      ASSERT_LE(p.cells.size(), w.cells.size());
      for (std::size_t j = 0; j < p.cells.size(); j++) {
        EXPECT_EQ(p.cells[j].outputs, w.cells[j].outputs) << "cell " << j;
        EXPECT_EQ(p.cells[j].monitor, w.cells[j].monitor) << "cell " << j;
      }
    }
}

const unsigned kWorkerCounts[] = {1, 3};

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
  // The chip's 546 defects by class, as the exhaustive sets detect them at switch level.
  CircuitSummary chip = totals(summarize(two));
  struct Counts {
    DefectClass kind;
    int defects, logic, monitor, either;
  };
  const Counts expected[] = {{DefectClass::RailShort, 186, 185, 186, 186},
                             {DefectClass::Bridge, 252, 214, 252, 252},
                             {DefectClass::Open, 108, 74, 63, 102}};
  for (const Counts& e : expected) {
    const ClassSummary& k = chip.by_class[static_cast<int>(e.kind)];
    EXPECT_EQ(k.defects, e.defects) << class_name(e.kind);
    EXPECT_EQ(k.logic, e.logic) << class_name(e.kind);
    EXPECT_EQ(k.monitor, e.monitor) << class_name(e.kind);
    EXPECT_EQ(k.either, e.either) << class_name(e.kind);
  }
}

TEST(RunEngine, AStoppedRunKeepsTheCellsItMeasured) {
  Results whole = planned(PassPlan::Both, {16}), cut = planned(PassPlan::Both, {16});
  ASSERT_EQ(measure_fresh(whole, 0, no_progress).end, RunEnd::Complete);
  const int k = 5;  // the reference and four cells of the logic pass
  RunOutcome outcome = measure_fresh(cut, 0, [](int done, int, std::size_t) {
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

TEST(RunEngine, EveryNumberOfWorkersMeasuresWhatOneProcessMeasures) {
  std::vector<int> all;
  for (int i = 0; i < KAVRIN_CIRCUIT_COUNT; i++) all.push_back(i);
  Results none = planned(PassPlan::Both, {});
  ASSERT_EQ(measure_fresh(none, 0, no_progress).end, RunEnd::Complete);
  const unsigned long opening = sim_attached_boxes().front()->transfers;  // the box's opening
  Results one = planned(PassPlan::Both, all);
  ASSERT_EQ(measure_fresh(one, 0, no_progress).end, RunEnd::Complete);
  ASSERT_GT(sim_attached_boxes().front()->transfers, opening);
  for (unsigned workers : {2u, 3u, 7u}) {
    SCOPED_TRACE(std::to_string(workers) + " workers");
    Results split = planned(PassPlan::Both, all);
    int runs = 0, total = 0;
    RunOutcome outcome = measure_fresh(
        split, 0,
        [&](int done, int in_all, std::size_t) {
          EXPECT_EQ(done, runs + 1);
          runs = done;
          total = in_all;
        },
        workers);
    EXPECT_EQ(outcome.end, RunEnd::Complete) << outcome.message;
    EXPECT_FALSE(split.partial);
    EXPECT_EQ(runs, total);
    EXPECT_EQ(results_text(split), results_text(one));
    // The workers measured on their copies of the box: this process's copy only opened it.
    // Without worker processes (Windows), this process measured as with one.
    if (worker_pool::jobs_in_workers()) {
      EXPECT_EQ(sim_attached_boxes().front()->transfers, opening);
    }
  }
}

TEST(RunEngine, AFailingBoxEndsTheRunAndNamesWhere) {
  Results whole = planned(PassPlan::Monitor, {14});
  ASSERT_EQ(measure_fresh(whole, 0, no_progress).end, RunEnd::Complete);
  // The six cell runs of IN1 take as many transfers each.
  unsigned long per_run = sim_attached_boxes().front()->transfers / 6;
  for (unsigned workers : kWorkerCounts) {
    SCOPED_TRACE(std::to_string(workers) + " workers");
    Results r = planned(PassPlan::Monitor, {14});
    int done = 0;
    // In this process the third run breaks; of three workers, one makes two runs or more, and
    // every worker's box breaks as its second run starts.
    unsigned long unplug_at = workers == 1 ? 20 : per_run + 1;
    RunOutcome outcome = measure_fresh(
        r, unplug_at, [&](int d, int, std::size_t) { done = d; }, workers);
    EXPECT_EQ(outcome.end, RunEnd::BoxFailed);
    EXPECT_NE(outcome.message.find("monitor pass of circuit 14 (IN1)"), std::string::npos)
        << outcome.message;
    EXPECT_TRUE(r.partial);
    expect_prefixes(r, whole);
    if (workers == 1) {
      EXPECT_GT(done, 0);
      EXPECT_EQ(r.circuits[0].passes[0].cells.size() + 1, static_cast<std::size_t>(done));
    }
  }
}

TEST(RunEngine, AStoppedRunContinuedMeasuresWhatItLacksAndEndsAsAWholeRun) {
  // NA2 with opens and C17 with opens, stopped in the monitor pass of NA2.
  Results whole = planned(PassPlan::Both, {12, 17});
  ASSERT_EQ(measure_fresh(whole, 0, no_progress).end, RunEnd::Complete);
  const int k = 14 + 6, all = 2 * 14 + 2 * 96;
  for (unsigned workers : kWorkerCounts) {
    SCOPED_TRACE(std::to_string(workers) + " workers");
    Results cut = planned(PassPlan::Both, {12, 17});
    ASSERT_EQ(measure_fresh(
                  cut, 0,
                  [](int done, int, std::size_t) {
                    if (done == k) request_stop();
                  },
                  workers)
                  .end,
              RunEnd::Stopped);
    EXPECT_TRUE(cut.partial);
    expect_prefixes(cut, whole);
    // The runs start in order and those started end: what they measured is a prefix of it.
    std::size_t held = 0;
    for (const CircuitResult& c : cut.circuits)
      for (const Pass& p : c.passes) held += p.reference_measured ? 1 + p.cells.size() : 0;
    if (workers == 1) {
      EXPECT_EQ(held, static_cast<std::size_t>(k));
    }
    EXPECT_GE(held, static_cast<std::size_t>(k));
    int runs = 0, total = 0;
    RunOutcome outcome = measure_fresh(
        cut, 0,
        [&](int done, int in_all, std::size_t) {
          runs = done;
          total = in_all;
        },
        workers);
    EXPECT_EQ(outcome.end, RunEnd::Complete) << outcome.message;
    EXPECT_FALSE(cut.partial);
    if (workers == 1) {
      EXPECT_EQ(total, all - k + 1);  // the resumed pass measures its reference again
    }
    EXPECT_EQ(runs, total);
    EXPECT_EQ(results_text(cut), results_text(whole));
  }
}

TEST(RunEngine, AResumedPassWhoseReferenceAnswersOtherwiseEnds) {
  for (unsigned workers : kWorkerCounts) {
    SCOPED_TRACE(std::to_string(workers) + " workers");
    Results cut = planned(PassPlan::Logic, {14});
    ASSERT_EQ(measure_fresh(cut, 0,
                            [](int done, int, std::size_t) {
                              if (done == 3) request_stop();
                            })
                  .end,
              RunEnd::Stopped);
    Pass& logic = cut.circuits[0].passes[0];
    logic.reference.outputs[0] = logic.reference.outputs[0] == "0" ? "1" : "0";
    RunOutcome outcome = measure_fresh(cut, 0, no_progress, workers);
    EXPECT_EQ(outcome.end, RunEnd::BoxFailed);
    EXPECT_NE(outcome.message.find("answers otherwise"), std::string::npos) << outcome.message;
    EXPECT_EQ(logic.cells.size(), 2u);
    EXPECT_TRUE(cut.partial);
  }
}

}  // namespace kavlab
