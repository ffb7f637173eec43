// Summaries as text, CSV and JSON of a result that an interrupted run left: what was never
// measured reads "not measured" (text), null (JSON) or empty with a status (CSV), and counts
// and percentages are of the measured cells; names from the file reach a terminal escaped.
#include "results/summary_print.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "results/results_json.h"
#include "results/sweep.h"
#include "test_support.h"

namespace kavlab {

namespace {

/// A circuit of two vectors whose cells `names` logic detects on the first vector; `measured`
/// of them measured (all, some, or none: a circuit the run never reached).
CircuitResult circuit(int index, const std::vector<std::string>& names, std::size_t measured) {
  CircuitResult c;
  c.index = index;
  c.name = "C" + std::to_string(index);
  c.inputs = c.outputs = 1;
  c.vectors = {"0", "1"};
  for (std::size_t i = 0; i < names.size(); i++)
    c.cells.push_back({static_cast<int>(i) + 1, names[i], 2});
  c.passes = plan_passes(PassPlan::Logic);
  Pass& p = c.passes[0];
  p.reference_measured = measured > 0;
  p.reference = {{"0", "0"}, "", ""};
  for (std::size_t i = 0; i < measured; i++) p.cells.push_back({{"1", "0"}, "", ""});
  return c;
}

Results cut_run() {
  Results r;
  r.provenance.program = "kavlab-sim";
  r.partial = true;
  r.circuits = {circuit(5, {"A", "B"}, 2), circuit(6, {"A", "B", "C", "D"}, 1),
                circuit(7, {"A", "B", "C"}, 0)};
  return r;
}

using test_support::printed;

bool holds(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

}  // namespace

TEST(SummaryPrint, TextSaysWhatWasNotMeasured) {
  Results r = cut_run();
  std::string text = printed([&](std::FILE* f) { print_summary(f, "cut.json", r, summarize(r)); });
  const char* lines[] = {
      "   5 C5             2     2 100.0 %        -            -        0   0.0 %\n",
      "   6 C6           1/4     1 100.0 %        -            -        0   0.0 %\n",
      "   7 C7           0/3  not measured\n",
      "     all          3/9     3 100.0 %        -            -        0   0.0 %\n",
      "(m/n: m of n chosen cells measured; counts and percentages are of the measured cells "
      "alone)\n",
      "circuit 7 C7: ; 2 vectors, not measured (0 of 3 cells)\n",
      "circuit 6 C6: ; 2 vectors, 1 of 4 cells measured\n"};
  for (const char* line : lines) EXPECT_TRUE(holds(text, line)) << line << "\nin\n" << text;
  EXPECT_FALSE(holds(text, "least 0")) << text;
}

TEST(SummaryPrint, CsvHasAStatusAndEmptyFieldsForWhatIsNotMeasured) {
  Results r = cut_run();
  std::string csv =
      printed([&](std::FILE* f) { print_summary_csv(f, "cut.json", r, summarize(r), true); });
  EXPECT_TRUE(holds(csv, "results,partial,circuit,name,status,vectors,chosen,defects,logic,"));
  // Logic alone: the monitor's and both's fields empty; then the bridges' columns, 2 of 2.
  EXPECT_TRUE(holds(csv,
                    "\ncut.json,1,5,C5,complete,2,2,2,2,100.0,1,1,0,,,,,,2,100.0,1,1,0,,0,,,,"
                    "0,0,,0,2,2,,2,0,0,,0\n"))
      << csv;
  EXPECT_TRUE(holds(csv, "\ncut.json,1,7,C7,not measured,2,3,0,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,\n"))
      << csv;
}

TEST(SummaryPrint, JsonHasNullsForWhatIsNotMeasured) {
  Results r = cut_run();
  std::string json = summaries_json({{"cut.json", &r, summarize(r)}});
  std::size_t at = json.find("\"status\": \"not measured\"");
  ASSERT_NE(at, std::string::npos) << json;
  std::string c7 = json.substr(at, json.find('}', json.find("\"escapes\"", at)) - at);
  for (const char* member :
       {"\"logic\": null", "\"either\": null", "\"neither\": null", "\"escapes\": null"})
    EXPECT_TRUE(holds(c7, member)) << member << " in " << c7;
  EXPECT_TRUE(holds(json, "\"status\": \"partial\""));
}

TEST(SummaryPrint, NamesReachATerminalEscaped) {
  Results r = cut_run();
  r.circuits[0].name = "C\x1b]52;c;aGk=\x07";             // would write the terminal's clipboard
  r.circuits[0].cells[0].defect = "A\x1b[2J";             // would clear the screen
  r.circuits[0].passes[0].cells[0].outputs = {"0", "0"};  // so that A escapes
  std::string text = printed([&](std::FILE* f) { print_summary(f, "cut.json", r, summarize(r)); });
  EXPECT_FALSE(holds(text, "\x1b")) << text;
  EXPECT_TRUE(holds(text, "C\\x1b]52;c;aGk=\\x07")) << text;
  EXPECT_TRUE(holds(text, "escapes (detected by neither): A\\x1b[2J")) << text;
  std::string csv =
      printed([&](std::FILE* f) { print_summary_csv(f, "cut.json", r, summarize(r), false); });
  EXPECT_TRUE(holds(csv, "A\x1b[2J"));  // CSV keeps the name as data
}

TEST(SummaryPrint, ASweepCutShortSaysWhichValuesWereNotMeasured) {
  Results r;
  r.sweep = SWEPT_BRIDGE_OHMS;
  r.partial = true;
  CircuitResult c = circuit(14, {"A", "B"}, 2);
  Pass whole = c.passes[0], cut = c.passes[0], never = c.passes[0];
  cut.cells.resize(1);
  never.reference_measured = false;
  never.cells.clear();
  whole.engine_parameters[SWEPT_BRIDGE_OHMS] = 10;
  cut.engine_parameters[SWEPT_BRIDGE_OHMS] = 100;
  never.engine_parameters[SWEPT_BRIDGE_OHMS] = 1000;
  c.passes = {whole, cut, never};
  r.circuits = {c};
  std::string text = printed([&](std::FILE* f) { print_sweep(f, "s.json", r); });
  EXPECT_TRUE(holds(text, "      10       2     2 100.0 %")) << text;
  EXPECT_TRUE(holds(text, "     100     1/2     1 100.0 %")) << text;
  EXPECT_TRUE(holds(text, "      1k     0/2  not measured\n")) << text;
  std::string json = summaries_json({{"s.json", &r, summarize(r)}});
  EXPECT_TRUE(holds(json, "\"status\": \"not measured\"")) << json;
}

}  // namespace kavlab
