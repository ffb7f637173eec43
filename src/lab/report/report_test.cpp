// The report page: names that are HTML are shown, not obeyed; the results of one circuit from
// several files stand side by side; a partial result shows its missing cells as not measured.
#include <gtest/gtest.h>

#include <regex>

#include "report/coverage.h"
#include "report/html.h"
#include "report/page.h"

namespace kavlab {

namespace {

/// A pass that judges by `m`, with a reference and one imported row of marks per cell.
Pass pass_of(Measure m, const std::vector<std::string>& marks) {
  Pass p;
  p.name = m == Measure::Logic ? "logic" : "monitor";
  p.gives_logic = m == Measure::Logic;
  p.gives_monitor = p.monitor_on = m == Measure::Monitor;
  p.reference_measured = true;
  for (const std::string& row : marks) p.cells.push_back(Response{{}, "", row});
  return p;
}

/// Circuit `index` with two vectors and the cells `names`, each detected by logic on the
/// first vector and by the monitor on the second.
CircuitResult circuit(int index, const std::vector<std::string>& names) {
  CircuitResult c;
  c.index = index;
  c.name = "C" + std::to_string(index);
  c.inputs = 1;
  c.outputs = 1;
  c.test.kind = SourceKind::Exhaustive;
  c.vectors = {"0", "1"};
  for (std::size_t i = 0; i < names.size(); i++)
    c.cells.push_back({static_cast<int>(i) + 1, names[i], 2});
  c.passes = {pass_of(Measure::Logic, std::vector<std::string>(names.size(), "1X")),
              pass_of(Measure::Monitor, std::vector<std::string>(names.size(), "X1"))};
  return c;
}

Results results_of(std::vector<CircuitResult> circuits) {
  Results r;
  r.provenance.program = "kavlab-sim";
  r.circuits = std::move(circuits);
  return r;
}

/// The text of `page` from the heading with anchor `id` to the next part or section.
std::string part_of(const std::string& page, const std::string& id) {
  std::size_t from = page.find("id=\"" + id + "\"");
  if (from == std::string::npos) return "";
  std::size_t to = page.find("<div class=\"part\">", from);
  return page.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

/// Whether `page` shows a number that is not: "nan", "inf", "-nan".
bool holds_not_a_number(const std::string& page) {
  static const std::regex not_a_number(R"(\b(nan|inf|infinity)\b)", std::regex::icase);
  return std::regex_search(page, not_a_number);
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
  return n;
}

}  // namespace

TEST(Report, TextIsEscapedAndMarkupIsNot) {
  const std::pair<std::string, std::string> texts[] = {
      {"A/gnd", "A/gnd"},
      {"C17#25_I0#08", "C17#25_I0#08"},
      {"C17#03_CxBI0&AI1", "C17#03_CxBI0&amp;AI1"},
      {"<b x=\"1\">'</b>", "&lt;b x=&quot;1&quot;&gt;&#39;&lt;/b&gt;"}};
  for (const auto& [text, shown] : texts) {
    EXPECT_EQ(Html(text).str(), shown);
    // Joined to markup, text stays text; the markup of this program's literals stays markup.
    EXPECT_EQ(("<td>" + Html(text) + "</td>").str(), "<td>" + shown + "</td>");
    Html joined = Html("<td>") + text;
    EXPECT_EQ(joined.str(), "<td>" + shown);
  }
  // Markup made as a std::string and then joined shows as text, never as markup.
  std::string made = "<i>" + std::string("x") + "</i>";
  EXPECT_EQ((Html("<p>") + made).str(), "<p>&lt;i&gt;x&lt;/i&gt;");
  EXPECT_EQ(Html::trusted("<i>x</i>").str(), "<i>x</i>");
}

TEST(Report, NamesAndFilesAreShownNotObeyed) {
  std::vector<std::string> names = {"<script>alert(\"x\")</script>", "A/gnd", "C17#25_I0#08"};
  CircuitResult c = circuit(16, names);
  c.test = {SourceKind::File, "a&b's.tst", "", {}};
  std::string page =
      report_html(report_sources({"<i>r</i>.json"}, {results_of({c})}), "kavlab-sim 9.9");
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("<i>"), std::string::npos);
  EXPECT_NE(page.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;"), std::string::npos);
  EXPECT_NE(page.find("&lt;i&gt;r&lt;/i&gt;.json"), std::string::npos);
  EXPECT_NE(page.find("a&amp;b&#39;s.tst"), std::string::npos);
  EXPECT_NE(page.find(">A/gnd<"), std::string::npos);
  EXPECT_NE(page.find(">C17#25_I0#08<"), std::string::npos);
}

TEST(Report, ResultsOfOneCircuitSideBySide) {
  std::vector<ReportSource> sources = report_sources(
      {"box.json", "sim.json"}, {results_of({circuit(17, {"A", "B"}), circuit(14, {"Q/gnd"})}),
                                 results_of({circuit(17, {"A", "B"})})});
  std::vector<CircuitGroup> groups = group_by_circuit(sources);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].index, 14);
  ASSERT_EQ(groups[0].views.size(), 1u);
  EXPECT_EQ(groups[0].views[0].source->label, "R1");
  EXPECT_EQ(groups[1].index, 17);
  ASSERT_EQ(groups[1].views.size(), 2u);
  EXPECT_EQ(groups[1].views[0].source->file, "box.json");
  EXPECT_EQ(groups[1].views[1].source->file, "sim.json");
  EXPECT_EQ(groups[1].views[1].circuit, &sources[1].results.circuits[0]);
  EXPECT_EQ(groups[1].views[1].summary->defects, 2);

  std::string page = report_html(sources, "kavlab-sim 9.9");
  EXPECT_EQ(count(page, "<section class=\"block circuit\""), 2u);
  EXPECT_LT(page.find("id=\"c14\""), page.find("id=\"c17\""));
  for (const char* part : {"c17-map", "c17-coverage", "c17-versus", "c17-escapes"}) {
    std::string text = part_of(page, part);
    EXPECT_EQ(count(text, "<figure class=\"panel\">"), 2u) << part;
    EXPECT_LT(text.find("box.json"), text.find("sim.json")) << part;
  }
  EXPECT_EQ(count(part_of(page, "c14-map"), "<figure class=\"panel\">"), 1u);
}

TEST(Report, PartialResultShowsWhatWasNotMeasured) {
  CircuitResult c = circuit(12, {"A", "B", "C"});
  c.passes[1].cells.resize(1);  // the monitor pass stopped after A
  Results r = results_of({c});
  r.partial = true;
  std::string page = report_html(report_sources({"cut.json"}, {r}), "kavlab-sim 9.9");
  EXPECT_NE(page.find("1 of 3 cells measured"), std::string::npos);
  EXPECT_NE(page.find("2 chosen cells were not measured"), std::string::npos);
  EXPECT_NE(page.find(">partial<"), std::string::npos);
  std::string map = part_of(page, "c12-map");
  EXPECT_EQ(count(map, "class=\"name unm\""), 2u);
  EXPECT_EQ(count(map, "class=\"v-u\""), 2u);  // B and C: the second vector is unknown
  EXPECT_NE(part_of(page, "c12-coverage").find("either 100.0 %"), std::string::npos);
  EXPECT_NE(part_of(page, "c12-escapes").find("None"), std::string::npos);

  c.passes[1].cells.clear();  // the monitor pass stopped before the reference
  c.passes[1].reference_measured = false;
  page = report_html(report_sources({"cut.json"}, {results_of({c})}), "kavlab-sim 9.9");
  EXPECT_NE(page.find("not measured: 0 of 3 cells measured"), std::string::npos);
  for (const char* part : {"c12-map", "c12-coverage", "c12-versus", "c12-escapes"})
    EXPECT_EQ(part_of(page, part), "") << part;  // nothing measured: nothing drawn as measured
  EXPECT_EQ(page.find("None: every measured defect is detected"), std::string::npos);
}

TEST(Report, CircuitsARunNeverReachedAreNotMeasured) {
  CircuitResult reached = circuit(5, {"A", "B"});
  CircuitResult never = circuit(7, {"A", "B", "C"});
  for (Pass& p : never.passes) {
    p.reference_measured = false;
    p.cells.clear();
  }
  Results r = results_of({reached, never});
  r.partial = true;
  std::string page = report_html(report_sources({"cut.json"}, {r}), "kavlab-sim 9.9");
  EXPECT_NE(page.find("1 result, 1 of 2 circuits measured"), std::string::npos);
  std::string row = page.substr(page.find("<tr class=\"unmeasured\">"));
  row = row.substr(0, row.find("</tr>"));
  EXPECT_NE(row.find("7 C7"), std::string::npos) << row;
  EXPECT_NE(row.find("0 <small>of 3</small>"), std::string::npos) << row;
  EXPECT_NE(row.find("not measured"), std::string::npos) << row;
  EXPECT_EQ(row.find("0.0 %"), std::string::npos) << row;
  // The totals are those of the measured circuit, of 5 chosen cells.
  std::string totals = page.substr(page.find("<tbody class=\"totals\">"));
  EXPECT_NE(totals.find("2 <small>of 5</small>"), std::string::npos);
  EXPECT_NE(totals.find("2 <small>100.0 %</small>"), std::string::npos);
  EXPECT_EQ(part_of(page, "c7-map"), "");
  EXPECT_NE(part_of(page, "c7-figures").find("not measured"), std::string::npos);
}

TEST(Report, HeaderCountsCircuitsNotFilesAndAnImportTellsNoMeasuringTime) {
  CircuitResult imported = circuit(12, {"A"});
  imported.test.kind = SourceKind::Import;
  Results old = results_of({imported});
  old.provenance.date_time = "2026-01-02T03:04:05Z";
  std::string page =
      report_html(report_sources({"a.json", "old.json"}, {results_of({circuit(12, {"A"})}), old}),
                  "kavlab-sim 9.9");
  EXPECT_NE(page.find("2 results, 1 circuit measured"), std::string::npos);
  EXPECT_NE(page.find("<td>not known<br><small>imported 2026-01-02T03:04:05Z</small></td>"),
            std::string::npos);
}

TEST(Report, CumulativeDetectionsCountMeasuredDefectsOnce) {
  std::vector<std::string> marks = {"X1X1", "1111", "XXXX", "XXX1"};
  EXPECT_EQ(cumulative_detections(marks, 4), (std::vector<int>{1, 2, 2, 3}));
  EXPECT_EQ(cumulative_detections(marks, 2), (std::vector<int>{1, 2, 2, 2}));
}

TEST(Report, ResultJudgedOneWayHasNoComparison) {
  CircuitResult c = circuit(16, {"A", "B"});
  c.passes.pop_back();  // logic only, as an import of a TST file without -bicm
  std::string page = report_html(report_sources({"old.json"}, {results_of({c})}), "kavlab 9.9");
  EXPECT_NE(page.find("id=\"c16-map\""), std::string::npos);
  EXPECT_EQ(page.find("id=\"c16-versus\""), std::string::npos);
  EXPECT_NE(part_of(page, "c16-figures")
                .find("monitor</span></th><td colspan=\"4\" class=\"unm\">not measured"),
            std::string::npos);
  EXPECT_NE(part_of(page, "c16-coverage").find("logic 100.0 %"), std::string::npos);
  EXPECT_EQ(part_of(page, "c16-coverage").find("monitor"), std::string::npos);
}

TEST(Report, ASweepCutShortDrawsNoNumberThatIsNot) {
  CircuitResult swept = circuit(16, {"A", "B"});
  swept.passes.clear();
  for (auto [ohms, marks] : std::vector<std::pair<double, std::vector<std::string>>>{
           {10, {"11", "11"}}, {1e3, {}}, {1e4, {"1X"}}}) {
    Pass p = pass_of(Measure::Logic, marks);
    p.reference_measured = !marks.empty();  // 1k: never reached; 10k: after cell A
    p.engine_parameters["bridge_ohms"] = ohms;
    swept.passes.push_back(p);
  }
  Results sweep = results_of({swept});
  sweep.sweep = "bridge_ohms";
  sweep.partial = true;
  std::string page = report_html(report_sources({"cut.json"}, {sweep}), "kavlab-sim 9.9");
  std::string plot = part_of(page, "c16-sweep");
  EXPECT_NE(plot.find("not measured: 1k Ohm"), std::string::npos) << plot;
  EXPECT_NE(plot.find("10k Ohm: logic 1 of 1"), std::string::npos);
  EXPECT_EQ(plot.find("1k Ohm: logic"), std::string::npos);
  EXPECT_FALSE(holds_not_a_number(page));
  EXPECT_NE(page.find("1 result, 1 circuit measured"), std::string::npos);
}

TEST(Report, SweepIsPlottedAgainstTheResistanceBesideARun) {
  // Three values in the order run, not sorted: the plot orders them along the axis.
  CircuitResult swept = circuit(16, {"A", "B"});
  swept.passes.clear();
  for (auto [ohms, marks] :
       std::vector<std::pair<double, const char*>>{{1e3, "1X"}, {10, "11"}, {1e5, "XX"}}) {
    Pass p = pass_of(Measure::Logic, {marks, "XX"});
    p.engine_parameters["bridge_ohms"] = ohms;
    swept.passes.push_back(p);
  }
  Results sweep = results_of({swept});
  sweep.sweep = "bridge_ohms";
  std::string page = report_html(
      report_sources({"run.json", "sweep.json"}, {results_of({circuit(16, {"A", "B"})}), sweep}),
      "kavlab-sim 9.9");
  std::string plot = part_of(page, "c16-sweep");
  EXPECT_EQ(count(plot, "<figure class=\"panel\">"), 1u);
  EXPECT_NE(plot.find("sweep.json"), std::string::npos);
  EXPECT_EQ(plot.find("run.json"), std::string::npos);
  EXPECT_EQ(count(plot, "<polyline"), 3u);  // logic, monitor and either
  EXPECT_NE(plot.find("10 Ohm: logic 1 of 2"), std::string::npos);
  EXPECT_NE(plot.find("100k Ohm: either 0 of 2"), std::string::npos);
  EXPECT_LT(plot.find("10 Ohm: logic"), plot.find("1k Ohm: logic"));
  for (const char* part : {"c16-figures", "c16-map", "c16-escapes"})
    EXPECT_EQ(count(part_of(page, part), "<figure class=\"panel\">"), 1u) << part;
  EXPECT_NE(page.find("a sweep of bridge_ohms, 3 values from 10 to 100k"), std::string::npos);
}

}  // namespace kavlab

namespace kavlab {

TEST(Report, ClassesAndWhatEachWayMissesAreShown) {
  // Two bridges (type 2) and an open: logic misses the open, the monitor the second bridge.
  CircuitResult c = circuit(12, {"A", "B", "C"});
  c.cells[2].type = 4;
  c.passes[0].cells[2].marks = "XX";
  c.passes[1].cells[1].marks = "XX";
  std::string page = report_html(report_sources({"r.json"}, {results_of({c})}), "kavlab-sim 9.9");
  std::string classes = page.substr(page.find("id=\"classes\""));
  classes = classes.substr(0, classes.find("</section>"));
  EXPECT_NE(classes.find("<th>bridge</th><td class=\"n\">2</td><td class=\"n\">2 <small>100.0 %"),
            std::string::npos)
      << classes;
  EXPECT_NE(classes.find("<th>open</th><td class=\"n\">1</td><td class=\"n\">0 <small>0.0 %"),
            std::string::npos)
      << classes;
  std::string escapes = part_of(page, "c12-escapes");
  EXPECT_NE(escapes.find("<details class=\"missed\"><summary>Missed by logic: 1</summary>"
                         "<ul class=\"escapes\"><li><code>C</code> <small>open</small>"),
            std::string::npos)
      << escapes;
  EXPECT_NE(escapes.find("<summary>Missed by the monitor: 1</summary>"), std::string::npos);
  EXPECT_NE(part_of(page, "c12-figures").find("<table class=\"classes\">"), std::string::npos);
  EXPECT_NE(page.find("<a href=\"#classes\">By class</a>"), std::string::npos);
}

TEST(Report, ASweepShowsItsClassesAndEachDefectsCriticalResistance) {
  CircuitResult swept = circuit(16, {"A/B", "A/gnd"});
  swept.cells[1].type = 3;
  swept.passes.clear();
  for (auto [ohms, marks] : std::vector<std::pair<double, std::vector<std::string>>>{
           {10, {"1X", "1X"}}, {1e3, {"XX", "1X"}}, {1e5, {"XX", "XX"}}}) {
    Pass p = pass_of(Measure::Logic, marks);
    p.engine_parameters["bridge_ohms"] = ohms;
    swept.passes.push_back(p);
  }
  Results sweep = results_of({swept});
  sweep.sweep = "bridge_ohms";
  std::string page = report_html(report_sources({"s.json"}, {sweep}), "kavlab-sim 9.9");
  std::string thresholds = part_of(page, "c16-thresholds");
  EXPECT_NE(thresholds.find("<code>A/B</code></td><td>bridge</td><td>10</td><td>-</td><td>10"),
            std::string::npos)
      << thresholds;
  EXPECT_NE(thresholds.find("<code>A/gnd</code></td><td>rail short</td><td>1k</td>"),
            std::string::npos);
  EXPECT_NE(thresholds.find("<td class=\"n\">1k</td><td class=\"names\">A/B</td>"),
            std::string::npos);
  std::string classes = part_of(page, "c16-sweep-classes");
  EXPECT_EQ(count(classes, "<div class=\"class-plot\">"), 2u);  // a bridge and a rail short
  EXPECT_NE(classes.find("<td class=\"n\">1k</td><td class=\"n\">1</td><td class=\"n\">0</td>"),
            std::string::npos)
      << classes;
  EXPECT_EQ(page.find("href=\"#classes\""), std::string::npos);  // a sweep alone: no such table
}

}  // namespace kavlab

namespace kavlab {

TEST(Report, ALotOfChipsShowsItsSpreadAndMarginalDefectsFirst) {
  // Two chips of one plan: on the second, logic misses "B" (marks of no detection).
  CircuitResult weak = circuit(12, {"A", "B", "C"});
  weak.passes[0].cells[1].marks = "XX";
  Results one = results_of({circuit(12, {"A", "B", "C"})}), two = results_of({weak});
  one.provenance.chip = "die-1";
  two.provenance.chip = "die-<2>";
  std::string page =
      report_html(report_sources({"one.json", "two.json"}, {one, two}), "kavlab-sim 9.9");
  std::string lot = page.substr(page.find("id=\"lot\""));
  lot = lot.substr(0, lot.find("</section>"));
  EXPECT_NE(page.find("<a href=\"#lot\">Lot</a>"), std::string::npos);
  EXPECT_NE(lot.find("Lot of 2 chips"), std::string::npos) << lot;
  EXPECT_NE(lot.find("die-&lt;2&gt;"), std::string::npos) << lot;  // a label is text
  EXPECT_NE(lot.find("1 of 3 defects are marginal"), std::string::npos) << lot;
  // The marginal defect is the map's first row, standing out; the others follow.
  std::size_t b = lot.find(">B</text>"), a = lot.find(">A</text>");
  ASSERT_NE(b, std::string::npos) << lot;
  EXPECT_LT(b, a);
  EXPECT_NE(lot.find("class=\"name esc\""), std::string::npos);
  EXPECT_EQ(count(lot, "B on die-&lt;2&gt;: monitor only"), 1u) << lot;
  EXPECT_NE(lot.find("66.7 %"), std::string::npos);  // logic's least share: 2 of 3
  EXPECT_FALSE(holds_not_a_number(page));

  // Another plan, or one result, is no lot.
  Results other = results_of({circuit(12, {"A", "B"})});
  for (const std::vector<Results>& no_lot :
       {std::vector<Results>{one, other}, std::vector<Results>{one}}) {
    std::vector<std::string> names = {"one.json", "other.json"};
    names.resize(no_lot.size());
    page = report_html(report_sources(names, no_lot), "kavlab-sim 9.9");
    EXPECT_EQ(page.find("id=\"lot\""), std::string::npos);
  }
}

}  // namespace kavlab
