// A sweep's file form and its points: the swept parameter and each pass's value survive writing
// and reading, an old file without them reads as a run, and each pass is judged on its own.
#include "results/sweep.h"

#include <gtest/gtest.h>

#include "results/results_json.h"
#include "results/sweep_defects.h"
#include "units.h"

namespace kavlab {

namespace {

/// IN1 with three cells, swept over two resistances in one-pass passes.
Results sweep_sample() {
  Results r;
  r.provenance.program = "kavlab-sim";
  r.provenance.engine = "analog";
  r.provenance.engine_parameters = {{"monitor_ua", 10.0}};
  r.sweep = SWEPT_BRIDGE_OHMS;
  CircuitResult c;
  c.index = 14;
  c.name = "IN1";
  c.description = "NOT( A )";
  c.inputs = c.outputs = 1;
  c.test.kind = SourceKind::Exhaustive;
  c.vectors = {"0", "1"};
  c.cells = {{1, "A/gnd", 3}, {2, "A/vdd", 3}, {3, "A/Q", 2}};
  auto pass = [](double ohms, std::vector<Response> cells) {
    Pass p;
    p.name = "one-pass";
    p.monitor_on = p.gives_logic = p.gives_monitor = true;
    p.reference_measured = true;
    p.reference = {{"1", "0"}, "PP", ""};
    p.cells = std::move(cells);
    p.engine_parameters[SWEPT_BRIDGE_OHMS] = ohms;
    return p;
  };
  // Hard bridges: every cell wrong somewhere and drawing current; weak ones: the outputs right,
  // the rail shorts still drawing current, the short to Q quiet.
  c.passes = {pass(10, {{{"1", "1"}, "PF", ""}, {{"0", "0"}, "FP", ""}, {{"0", "1"}, "FF", ""}}),
              pass(1e4, {{{"1", "0"}, "PF", ""}, {{"1", "0"}, "FP", ""}, {{"1", "0"}, "PP", ""}})};
  r.circuits = {c};
  return r;
}

TEST(Sweep, TheSweptParameterAndEachPassValueAreReadBack) {
  std::string text = results_text(sweep_sample());
  EXPECT_NE(text.find("\"sweep\": \"bridge_ohms\""), std::string::npos);
  Results back;
  std::string error;
  ASSERT_TRUE(parse_results(text, "s.json", &back, &error)) << error;
  EXPECT_EQ(back.sweep, SWEPT_BRIDGE_OHMS);
  ASSERT_EQ(back.circuits[0].passes.size(), 2u);
  EXPECT_EQ(back.circuits[0].passes[1].engine_parameters.at(SWEPT_BRIDGE_OHMS), 1e4);
  EXPECT_EQ(results_text(back), text);
}

TEST(Sweep, AFileWithoutThemIsARun) {
  Results run = sweep_sample();
  run.sweep.clear();
  for (Pass& p : run.circuits[0].passes) p.engine_parameters.clear();
  std::string text = results_text(run);
  EXPECT_EQ(text.find("sweep"), std::string::npos);
  EXPECT_EQ(text.find("engine_parameters"), std::string::npos);
  Results back;
  std::string error;
  ASSERT_TRUE(parse_results(text, "r.json", &back, &error)) << error;
  EXPECT_TRUE(back.sweep.empty());
  EXPECT_TRUE(back.circuits[0].passes[0].engine_parameters.empty());
  EXPECT_TRUE(sweep_points(back.circuits[0], SWEPT_BRIDGE_OHMS).empty());
}

TEST(Sweep, EachValueIsJudgedByItsOwnPass) {
  std::vector<SweepPoint> points = sweep_points(sweep_sample().circuits[0], SWEPT_BRIDGE_OHMS);
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[0].value, 10.0);
  EXPECT_EQ(points[0].defects, 3);
  EXPECT_EQ(points[0].logic, 3);
  EXPECT_EQ(points[0].monitor, 3);
  EXPECT_EQ(points[0].neither, 0);
  EXPECT_EQ(points[1].value, 1e4);
  EXPECT_EQ(points[1].logic, 0);
  EXPECT_EQ(points[1].monitor, 2);
  EXPECT_EQ(points[1].either, 2);
  EXPECT_EQ(points[1].neither, 1);
}

TEST(Sweep, ANumberIsNeededForAPassValue) {
  std::string text = results_text(sweep_sample());
  std::string value = "\"bridge_ohms\": 10.0";
  ASSERT_NE(text.find(value), std::string::npos);
  text.replace(text.find(value), value.size(), "\"bridge_ohms\": \"10\"");
  Results back;
  std::string error;
  EXPECT_FALSE(parse_results(text, "s.json", &back, &error));
  EXPECT_NE(error.find("passes[0].engine_parameters.bridge_ohms is not a number"),
            std::string::npos)
      << error;
}

}  // namespace

}  // namespace kavlab

namespace kavlab {

TEST(Sweep, EachDefectsCriticalValueAndNonMonotonicDetection) {
  // One cell per row of marks, by logic, at 10, 100, 1k and 10k (run out of order); '?' where a
  // pass did not measure it.
  struct Case {
    std::vector<std::string> at;  ///< the cell's marks at 1k, 10, 10k, 100 (the order run)
    Threshold kind;
    double critical;
    std::vector<double> detected_at;
    std::string text;
  };
  const Case cases[] = {
      {{"X1", "1X", "XX", "11"}, Threshold::UpTo, 1e3, {}, "1k"},
      {{"11", "11", "1X", "11"}, Threshold::Every, 1e4, {}, ">= 10k"},
      {{"XX", "XX", "XX", "XX"}, Threshold::Never, 0, {}, "< 10"},
      {{"1X", "X1", "XX", "XX"}, Threshold::NotMonotonic, 10, {10, 1e3}, "not monotonic: 10 1k"},
      {{"1?", "11", "??", "?1"}, Threshold::Every, 1e3, {}, ">= 1k"},
  };
  for (const Case& k : cases) {
    CircuitResult c;
    c.index = 16;
    c.inputs = c.outputs = 1;
    c.vectors = {"0", "1"};
    c.cells = {{1, "A/B", 2}};
    const double values[] = {1e3, 10, 1e4, 100};
    for (int v = 0; v < 4; v++) {
      Pass p;
      p.name = "one-pass";
      p.gives_logic = true;
      p.reference_measured = true;
      p.cells = {Response{{}, "", k.at[static_cast<std::size_t>(v)]}};
      p.engine_parameters[SWEPT_BRIDGE_OHMS] = values[v];
      c.passes.push_back(p);
    }
    std::vector<SweptDefect> d = swept_defects(c, SWEPT_BRIDGE_OHMS);
    ASSERT_EQ(d.size(), 1u);
    const DefectThreshold& t = d[0].by[static_cast<int>(Judgement::Logic)];
    EXPECT_EQ(t.kind, k.kind) << k.text;
    EXPECT_EQ(t.critical, k.critical) << k.text;
    EXPECT_EQ(t.detected_at, k.detected_at) << k.text;
    EXPECT_EQ(threshold_text(t, {10, 100, 1e3, 1e4}, ohms_text), k.text);
    EXPECT_EQ(d[0].by[static_cast<int>(Judgement::Monitor)].kind, Threshold::NotMeasured);
  }
}

}  // namespace kavlab
