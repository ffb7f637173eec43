// The results file: every field survives writing and reading, and files of another version,
// cut short or with a damaged field are refused with a message that says why.
#include <gtest/gtest.h>

#include "results/results_json.h"

namespace kavlab {

namespace {

/// A result with every kind of field set, the unusual ones included.
Results sample() {
  Results r;
  r.provenance = {"kavlab-sim",
                  "9.8",
                  {"kavlab-sim", "run", "-c", "14"},
                  "2024-05-01T12:00:00Z",
                  "Kavrin0",
                  "die-7",
                  Emulated::Yes,
                  "switch",
                  {{"VT", 0.3}, {"G_N", 1.0}},
                  kLargestSeed,
                  {"2024-05-02T08:00:00Z"}};
  r.partial = true;
  CircuitResult c;
  c.index = 14;
  c.name = "IN1";
  c.description = "NOT( A )";
  c.inputs = 1;
  c.outputs = 1;
  c.test = {SourceKind::File, "in1.tst", std::string(64, 'a'), {"1", "1", "0", "1", "1"}};
  c.vectors = {"0", "1"};
  c.cells = {{1, "A/gnd", 3}, {2, "A/vdd", 3}, {3, "A/Q", 2}};
  Pass logic;
  logic.name = "logic";
  logic.gives_logic = true;
  logic.reference_measured = true;
  logic.reference.outputs = {"1", "0"};
  Response imported;
  imported.marks = "1X";
  logic.cells = {{{"1", "1"}, "", ""}, imported};
  Pass monitor;
  monitor.name = "monitor";
  monitor.monitor_on = monitor.gives_monitor = true;
  c.passes = {logic, monitor};
  c.reference_differs = true;
  r.circuits = {c};
  return r;
}

std::string parse_error(const std::string& text) {
  Results r;
  std::string error;
  EXPECT_FALSE(parse_results(text, "r.json", &r, &error));
  return error;
}

}  // namespace

TEST(ResultsFormat, EveryFieldIsReadBack) {
  std::string text = results_text(sample());
  Results back;
  std::string error;
  ASSERT_TRUE(parse_results(text, "r.json", &back, &error)) << error;
  EXPECT_EQ(results_text(back), text);
  const Pass& logic = back.circuits[0].passes[0];
  EXPECT_EQ(logic.cells[1].marks, "1X");
  EXPECT_TRUE(logic.cells[1].outputs.empty());
  EXPECT_FALSE(back.circuits[0].passes[1].reference_measured);
  EXPECT_EQ(back.circuits[0].cells[2].type, 2);
  EXPECT_TRUE(back.circuits[0].reference_differs);
  EXPECT_EQ(back.provenance.engine_parameters.at("VT"), 0.3);
  EXPECT_EQ(back.provenance.chip, "die-7");
  EXPECT_EQ(back.provenance.seed, kLargestSeed);  // an integer, not a number rounded
  EXPECT_EQ(back.provenance.resumed, std::vector<std::string>{"2024-05-02T08:00:00Z"});
}

TEST(ResultsFormat, AnotherVersionIsRefused) {
  std::string text = results_text(sample());
  std::string key = "\"version\": 1,";
  ASSERT_NE(text.find(key), std::string::npos);
  text.replace(text.find(key), key.size(), "\"version\": 2,");
  std::string error = parse_error(text);
  EXPECT_NE(error.find("version 2"), std::string::npos) << error;
  EXPECT_NE(error.find("reads version 1"), std::string::npos) << error;
}

TEST(ResultsFormat, ATruncatedFileIsRefused) {
  std::string text = results_text(sample());
  std::string error = parse_error(text.substr(0, text.size() / 2));
  EXPECT_NE(error.find("truncated"), std::string::npos) << error;
  EXPECT_NE(parse_error("").find("r.json"), std::string::npos);
}

TEST(ResultsFormat, ADamagedFieldIsNamed) {
  std::string text = results_text(sample());
  std::string outputs = "\"outputs\": \"1 1\"";
  ASSERT_NE(text.find(outputs), std::string::npos);
  text.replace(text.find(outputs), outputs.size(), "\"outputs\": \"1 x\"");
  EXPECT_NE(parse_error(text).find("circuits[0].passes[0].cells[0].outputs"), std::string::npos);
  std::string other = results_text(sample());
  other.replace(other.find("\"cells\": ["), 10, "\"cells\": 5, \"x\": [");
  EXPECT_NE(parse_error(other).find("circuits[0].cells is number"), std::string::npos);
}

}  // namespace kavlab
