// Provenance and summary tables of the report.
#include "report/overview.h"

#include <algorithm>

#include "report/html.h"
#include "report/parts.h"
#include "report/sweep_plot.h"
#include "results/sweep.h"
#include "units.h"

namespace kavlab {

namespace {

/// A command line as one would type it: words with unusual characters in single quotes.
std::string shell_words(const std::vector<std::string>& words) {
  std::string s;
  for (const std::string& w : words) {
    bool plain = !w.empty() && w.find_first_not_of(
                                   "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                   "0123456789_./=:,+-") == std::string::npos;
    std::string quoted;
    for (char ch : w) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    s += (s.empty() ? "" : " ") + (plain ? w : "'" + quoted + "'");
  }
  return s;
}

/// The box of a result: its name, and whether and how it was emulated.
Html box_cell(const Provenance& p) {
  Html s = p.device.empty() ? Html("unknown") : Html(p.device);
  if (p.emulated == Emulated::No) return s + "<br><small>a real box</small>";
  if (p.emulated != Emulated::Yes) return s + "<br><small>not known (imported)</small>";
  std::string parameters;
  for (const auto& [name, value] : p.engine_parameters)
    parameters += (parameters.empty() ? "" : ", ") + name + " = " + number(value, 6);
  return s + "<br><small>emulated, engine <b>" + p.engine + "</b></small>" +
         (parameters.empty() ? Html()
                             : "<br><small class=\"params\">" + Html(parameters) + "</small>");
}

/// When a result was measured: an import's file tells no time, only when it was imported.
Html measured_cell(const Results& r) {
  const Provenance& p = r.provenance;
  bool imported = false;
  for (const CircuitResult& c : r.circuits)
    imported = imported || c.test.kind == SourceKind::Import;
  if (imported)
    return "not known<br><small>imported " + Html(p.date_time.empty() ? "" : p.date_time) +
           "</small>";
  return (p.date_time.empty() ? Html("unknown") : Html(p.date_time)) +
         (p.resumed.empty() ? Html() : "<br><small>resumed " + Html(p.resumed.back()) + "</small>");
}

Html provenance_row(const ReportSource& r) {
  const Provenance& p = r.results.provenance;
  return "<tr><td><span class=\"label\">" + Html(r.label) + "</span></td><td><code>" + r.file +
         "</code></td><td>" + p.program + " " + p.version + "</td><td>" + box_cell(p) +
         "</td><td>" + measured_cell(r.results) + "</td><td><code>" + shell_words(p.command_line) +
         "</code></td><td>" +
         (r.results.partial ? Html("<span class=\"badge partial\">partial</span>")
                            : Html("<span class=\"badge complete\">complete</span>")) +
         "</td></tr>";
}

/// A count and its percent of the defects, or a dash when unknown.
Html count_cell(bool known, int n, int defects) {
  if (!known) return "<td class=\"n\">\u2013</td>";
  return "<td class=\"n\">" + Html(std::to_string(n)) + " <small>" + percent_text(n, defects) +
         "</small></td>";
}

/// The defects as one bar: both, logic only, monitor only, neither (the escapes).
Html detection_bar(const CircuitSummary& s) {
  const double width = 120, height = 14;
  int both = s.both < 0 ? 0 : s.both;
  const std::pair<const char*, int> parts[] = {{"v-b", both},
                                               {"v-l", s.logic.detected - both},
                                               {"v-m", s.monitor.detected - both},
                                               {"v-esc", s.neither}};
  Html bar = svg_open(width, height, "detections");
  double x = 0;
  for (const auto& [cls, n] : parts) {
    if (n <= 0 || s.defects == 0) continue;
    double w = width * n / s.defects;
    bar += svg_rect(x, 0, w, height, cls);
    x += w;
  }
  return bar + "</svg>";
}

/// The least and median vectors per detected defect of a circuit's row, judged by either way;
/// an empty cell for the totals (no circuit).
Html detail_cells(const CircuitResult* c, const CircuitSummary& s) {
  if (c == nullptr) return "<td></td>";
  std::string spread =
      s.either.detected > 0 ? std::to_string(s.either.least) + " / " + number(s.either.median) : "";
  return "<td class=\"n\">" + Html(spread) + "</td>";
}

/// The escapes' count, linked to the circuit's list of them; the totals' plain.
Html neither_cell(const CircuitResult* c, const CircuitSummary& s) {
  if (c == nullptr || s.neither == 0) return count_cell(true, s.neither, s.defects);
  return "<td class=\"n\"><a class=\"esc\" href=\"#c" + Html(std::to_string(c->index)) +
         "-escapes\">" + std::to_string(s.neither) + "</a> <small>" +
         percent_text(s.neither, s.defects) + "</small></td>";
}

Html summary_row(const Html& circuit, const ReportSource& source, const CircuitResult* c,
                 const CircuitSummary& s) {
  Html defects = std::to_string(s.defects);
  if (s.defects < s.chosen) defects += " <small>of " + Html(std::to_string(s.chosen)) + "</small>";
  if (s.measured == Measured::None)
    return "<tr class=\"unmeasured\">" + circuit + "<td><span class=\"label\">" + source.label +
           "</span></td><td class=\"n\">" + (c ? std::to_string(s.vectors) : "") +
           "</td><td class=\"n\">" + defects +
           "</td><td colspan=\"6\" class=\"unm\">not measured</td></tr>";
  return "<tr>" + circuit + "<td><span class=\"label\">" + source.label +
         "</span></td><td class=\"n\">" + (c ? std::to_string(s.vectors) : "") +
         "</td><td class=\"n\">" + defects + "</td>" +
         count_cell(s.logic.known, s.logic.detected, s.defects) +
         count_cell(s.monitor.known, s.monitor.detected, s.defects) +
         count_cell(s.both >= 0, s.both, s.defects) + neither_cell(c, s) + "<td>" +
         detection_bar(s) + "</td>" + detail_cells(c, s) + "</tr>";
}

/// A sweep's row: its values instead of figures, which belong to each value.
Html sweep_row(const Html& circuit, const CircuitView& v) {
  std::vector<SweepPoint> points = sweep_points(*v.circuit, v.source->results.sweep);
  std::string range;
  if (!points.empty()) {
    auto [low, high] = std::minmax_element(
        points.begin(), points.end(),
        [](const SweepPoint& a, const SweepPoint& b) { return a.value < b.value; });
    range = " from " + ohms_text(low->value) + " to " + ohms_text(high->value);
  }
  return "<tr>" + circuit + "<td><span class=\"label\">" + v.source->label +
         "</span></td><td class=\"n\">" + std::to_string(v.circuit->vectors.size()) +
         "</td><td class=\"n\">" + (points.empty() ? "" : std::to_string(points[0].defects)) +
         "</td><td colspan=\"6\">a sweep of " + v.source->results.sweep + ", " +
         std::to_string(points.size()) + " values" + range + ": <a href=\"#c" +
         std::to_string(v.circuit->index) + "-sweep\">its plot</a></td></tr>";
}

const Html kSummaryHead =
    "<thead><tr><th>circuit</th><th>result</th><th>vectors</th><th>defects</th>"
    "<th>logic</th><th>monitor</th><th>both</th><th>neither (escapes)</th><th>detections</th>"
    "<th class=\"wrap\" title=\"the fewest and the median number of vectors detecting a "
    "detected defect, by logic or the monitor\">least / median<br><small>vectors per "
    "detected defect (either)</small></th></tr></thead>";

}  // namespace

Html provenance_table(const std::vector<ReportSource>& sources) {
  Html rows;
  for (const ReportSource& r : sources) rows += provenance_row(r);
  return "<table class=\"provenance\"><thead><tr><th>result</th><th>file</th><th>program</th>"
         "<th>box</th><th>measured (UTC)</th><th>command line</th><th>state</th></tr></thead>"
         "<tbody>" +
         rows + "</tbody></table>";
}

namespace {

/// A class's row: its defects and what each known way of judging detects of them.
Html class_row(const Html& head, DefectClass k, const CircuitSummary& s) {
  const ClassSummary& c = s.by_class[static_cast<int>(k)];
  return "<tr>" + head + "<th>" + std::string(class_name(k)) + "</th><td class=\"n\">" +
         std::to_string(c.defects) + "</td>" + count_cell(s.logic.known, c.logic, c.defects) +
         count_cell(s.monitor.known, c.monitor, c.defects) +
         count_cell(s.either.known, c.either, c.defects) + "</tr>";
}

const Html kClassHead =
    "<thead><tr><th>class</th><th>defects</th><th>detected by logic</th>"
    "<th>by the monitor</th><th>by either</th></tr></thead>";

}  // namespace

Html class_table(const std::vector<ReportSource>& sources) {
  Html rows;
  for (const ReportSource& r : sources) {
    if (!r.results.sweep.empty()) continue;
    CircuitSummary all = totals(r.summaries);
    Html label = "<td><span class=\"label\">" + Html(r.label) + "</span></td>";
    for (DefectClass k : kEveryClass)
      if (all.by_class[static_cast<int>(k)].defects > 0) {
        rows += class_row(label, k, all);
        label = "<td></td>";
      }
  }
  if (rows.empty()) return Html();
  return "<p class=\"legend\">Each file's measured defects, all its circuits together, by "
         "class: shorts to a supply rail (the stuck-at defects), bridges between signals, and "
         "opens, as the catalogue types each cell.</p><table class=\"classes\"><thead><tr>"
         "<th>result</th><th>class</th><th>defects</th><th>detected by logic</th>"
         "<th>by the monitor</th><th>by either</th></tr></thead><tbody>" +
         rows + "</tbody></table>";
}

Html circuit_class_table(const CircuitSummary& s) {
  Html rows;
  for (DefectClass k : kEveryClass)
    if (s.by_class[static_cast<int>(k)].defects > 0) rows += class_row(Html(), k, s);
  return "<table class=\"classes\">" + kClassHead + "<tbody>" + rows + "</tbody></table>";
}

Html summary_table(const std::vector<CircuitGroup>& groups,
                   const std::vector<ReportSource>& sources) {
  Html rows;
  for (const CircuitGroup& g : groups) {
    const CircuitResult& c = *g.views.front().circuit;
    Html circuit = "<th rowspan=\"" + Html(std::to_string(g.views.size())) + "\"><a href=\"#c" +
                   std::to_string(g.index) + "\">" + std::to_string(g.index) + " " + c.name +
                   "</a></th>";
    for (const CircuitView& v : g.views) {
      rows += is_sweep(v) ? sweep_row(circuit, v)
                          : summary_row(circuit, *v.source, v.circuit, *v.summary);
      circuit = Html();
    }
  }
  std::vector<const ReportSource*> several;
  for (const ReportSource& r : sources)
    if (r.summaries.size() > 1 && r.results.sweep.empty()) several.push_back(&r);
  Html all;
  Html head = "<th rowspan=\"" + Html(std::to_string(several.size())) + "\">all circuits</th>";
  for (const ReportSource* r : several) {
    all += summary_row(head, *r, nullptr, totals(r->summaries));
    head = Html();
  }
  if (!all.empty()) all = "<tbody class=\"totals\">" + all + "</tbody>";
  return "<p class=\"legend\">" + key("k-b", "both") + key("k-l", "logic only") +
         key("k-m", "monitor only") + key("k-esc", "neither (escapes)") +
         " Percentages are of defects: each defect counts once.</p><table class=\"summary\">" +
         kSummaryHead + "<tbody>" + rows + "</tbody>" + all + "</table>";
}

}  // namespace kavlab
