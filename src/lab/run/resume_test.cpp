// Continuing a partial result: what is refused, named, and what is taken over.
#include "run/resume.h"

#include <gtest/gtest.h>

#include <functional>

#include "run/cell_choice.h"
#include "run/run_engine.h"
#include "run/vector_source.h"

namespace kavlab {

namespace {

/// A run of circuits 14 and 12 with every input vector and both passes, as planned.
Results planned() {
  Results r;
  r.provenance.program = "kavlab-sim";
  r.provenance.engine = "switch";
  r.provenance.date_time = "2024-05-02T08:00:00Z";
  for (int i : {14, 12}) {
    std::vector<int> cells;
    std::string error;
    EXPECT_TRUE(choose_cells(i, CellChoice{}, &cells, &error));
    CircuitResult c = circuit_skeleton(i, cells);
    load_exhaustive(c);
    c.passes = plan_passes(PassPlan::Both);
    r.circuits.push_back(c);
  }
  return r;
}

/// `planned()` cut in the monitor pass of circuit 14, as saved by an interrupted run.
Results partial() {
  Results r = planned();
  r.partial = true;
  r.provenance.date_time = "2024-05-01T12:00:00Z";
  r.provenance.command_line = {"kavlab-sim", "run", "-c", "14", "-c", "12", "--exhaustive"};
  for (Pass& p : r.circuits[0].passes) {
    p.reference_measured = true;
    p.reference.outputs = {"1", "0"};
  }
  r.circuits[0].passes[0].cells.resize(r.circuits[0].cells.size(), {{"1", "1"}, "", ""});
  r.circuits[0].passes[1].cells.resize(2, {{"1", "1"}, "PF", ""});
  return r;
}

}  // namespace

TEST(Resume, WhatDiffersIsNamed) {
  const std::pair<std::function<void(Results&)>, std::string> cases[] = {
      {[](Results& r) { r.partial = false; }, "p.json is complete"},
      {[](Results& r) { r.sweep = "bridge_ohms"; }, "p.json is a sweep"},
      {[](Results& r) { r.provenance.program = "kavlab"; }, "measured by kavlab, this is"},
      {[](Results& r) { r.provenance.engine_parameters["VT"] = 0.2; }, "other parameters"},
      {[](Results& r) { r.provenance.seed = 7; },
       "p.json was measured on the chip of seed 7, this run measures the nominal chip"},
      {[](Results& r) { std::swap(r.circuits[0], r.circuits[1]); },
       "the circuits differ: p.json holds 2, this run holds 2; the first that differs is number "
       "1: 12 in p.json, 14 in this run"},
      {[](Results& r) { r.circuits[1].cells.pop_back(); },
       "circuit 12 (NA2): the cells differ: p.json holds 12, this run holds 13"},
      {[](Results& r) { r.circuits[0].passes.pop_back(); }, "circuit 14 (IN1): the passes differ"},
      {[](Results& r) {
         r.circuits[1].test.kind = SourceKind::File;
         r.circuits[1].test.file = "na2.tst";
       },
       "circuit 12 (NA2): the test file differs: p.json was made from na2.tst"},
      {[](Results& r) { r.circuits[1].test.fitted = true; },
       "circuit 12 (NA2): p.json fitted its test file (--fit), this run does not"},
      {[](Results& r) { r.circuits[1].vectors[2] = "11"; },
       "the vectors differ: p.json holds 4, this run holds 4; the first that differs is number 3"}};
  for (const auto& [change, message] : cases) {
    Results saved = partial();
    change(saved);
    std::string why = resume_refusal(saved, "p.json", planned());
    EXPECT_NE(why.find(message), std::string::npos) << why;
  }
  EXPECT_EQ(resume_refusal(partial(), "p.json", planned()), "");
}

TEST(Resume, TheAnswersAndTheProvenanceAreTakenOver) {
  Results r = planned(), saved = partial();
  take_measured(saved, r);
  EXPECT_EQ(r.provenance.command_line, saved.provenance.command_line);
  EXPECT_EQ(r.provenance.date_time, "2024-05-01T12:00:00Z");
  EXPECT_EQ(r.provenance.resumed, std::vector<std::string>{"2024-05-02T08:00:00Z"});
  const Pass& monitor = r.circuits[0].passes[1];
  EXPECT_TRUE(monitor.reference_measured);
  ASSERT_EQ(monitor.cells.size(), 2u);
  EXPECT_EQ(monitor.cells[1].monitor, "PF");
  EXPECT_FALSE(r.circuits[1].passes[0].reference_measured);
}

}  // namespace kavlab
