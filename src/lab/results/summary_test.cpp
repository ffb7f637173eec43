// Summaries of a small hand-made result whose detections are known vector by vector.
#include "results/summary.h"

#include <gtest/gtest.h>

namespace kavlab {

namespace {

/// A response whose outputs differ from the reference's "0" where `logic` has '1', and whose
/// monitor fails where `monitor` has '1'.
Response cell(const std::string& logic, const std::string& monitor) {
  Response r;
  for (std::size_t v = 0; v < logic.size(); v++) {
    r.outputs.push_back(logic[v] == '1' ? "1" : "0");
    r.monitor += monitor[v] == '1' ? 'F' : 'P';
  }
  return r;
}

/// Four vectors, three cells: A by logic at 1 and the monitor at 1 and 2, B by the monitor at
/// 3 only, C by nothing.
CircuitResult circuit() {
  CircuitResult c;
  c.index = 11;
  c.name = "NA2";
  c.outputs = 1;
  c.vectors = {"00", "01", "10", "11"};
  c.cells = {{1, "A", 2}, {2, "B", 2}, {3, "C", 4}};
  Pass logic, monitor;
  logic.gives_logic = true;
  monitor.monitor_on = monitor.gives_monitor = true;
  for (Pass* p : {&logic, &monitor}) {
    p->reference_measured = true;
    p->reference = cell("0000", "0000");
    p->cells = {cell("0100", "0110"), cell("0000", "0001"), cell("0000", "0000")};
  }
  c.passes = {logic, monitor};
  return c;
}

}  // namespace

TEST(Summary, CountsEscapesAndEssentialVectors) {
  CircuitSummary s = summarize(circuit());
  EXPECT_EQ(s.defects, 3);
  EXPECT_EQ(s.logic.detected, 1);
  EXPECT_EQ(s.monitor.detected, 2);
  EXPECT_EQ(s.both, 1);
  EXPECT_EQ(s.neither, 1);
  EXPECT_EQ(s.escapes, std::vector<std::string>{"C"});
  EXPECT_EQ(s.logic.essential, std::vector<int>{1});
  EXPECT_EQ(s.monitor.essential, std::vector<int>{3});  // A has two monitor vectors
  EXPECT_EQ(s.either.essential, std::vector<int>{3});
  EXPECT_EQ(s.monitor.least, 1);
  EXPECT_DOUBLE_EQ(s.monitor.median, 1.5);
  EXPECT_DOUBLE_EQ(s.either.median, 1.5);
}

TEST(Summary, UnmeasuredWaysAndMissingCells) {
  CircuitResult c = circuit();
  c.passes[1].cells.pop_back();      // cut short before C: only A and B count
  c.passes.erase(c.passes.begin());  // and no logic pass
  CircuitSummary s = summarize(c);
  EXPECT_EQ(s.defects, 2);
  EXPECT_FALSE(s.logic.known);
  EXPECT_EQ(s.both, -1);
  EXPECT_EQ(s.neither, 0);
}

TEST(Summary, ImportedMarksDetect) {
  CircuitResult c = circuit();
  c.passes.pop_back();
  for (Response& r : c.passes[0].cells) r = Response{{}, "", "XXX1"};
  CircuitSummary s = summarize(c);
  EXPECT_EQ(s.logic.detected, 3);
  EXPECT_EQ(s.logic.essential, std::vector<int>{3});
  EXPECT_TRUE(s.escapes.empty());
}

TEST(Summary, ClassesAndWhatEachWayMisses) {
  // A and B are bridges (type 2), C an open (type 4); a rail short D (type 3) joins, caught by
  // logic on vector 0 alone.
  CircuitResult c = circuit();
  c.cells.push_back({4, "D", 3});
  for (Pass& p : c.passes) p.cells.push_back(cell("1000", "0000"));
  CircuitSummary s = summarize(c);
  const ClassSummary& rail = s.by_class[static_cast<int>(DefectClass::RailShort)];
  const ClassSummary& bridge = s.by_class[static_cast<int>(DefectClass::Bridge)];
  const ClassSummary& open = s.by_class[static_cast<int>(DefectClass::Open)];
  EXPECT_EQ((std::vector<int>{rail.defects, rail.logic, rail.monitor, rail.either}),
            (std::vector<int>{1, 1, 0, 1}));
  EXPECT_EQ((std::vector<int>{bridge.defects, bridge.logic, bridge.monitor, bridge.either}),
            (std::vector<int>{2, 1, 2, 2}));
  EXPECT_EQ((std::vector<int>{open.defects, open.logic, open.monitor, open.either}),
            (std::vector<int>{1, 0, 0, 0}));
  EXPECT_EQ(s.missed_by_logic, (std::vector<std::string>{"B", "C"}));
  EXPECT_EQ(s.missed_by_monitor, (std::vector<std::string>{"C", "D"}));
  EXPECT_EQ(s.escapes, std::vector<std::string>{"C"});
  // The chip's totals add the classes of its circuits.
  CircuitSummary t = totals({s, s});
  EXPECT_EQ(t.by_class[static_cast<int>(DefectClass::Bridge)].monitor, 4);
  // ON1's cell 26 "n1/Q" names no rail, yet the catalogue types it a short to one.
  EXPECT_EQ(class_of(3), DefectClass::RailShort);
  EXPECT_EQ(class_of(2), DefectClass::Bridge);
  EXPECT_EQ(class_of(4), DefectClass::Open);
}

}  // namespace kavlab
