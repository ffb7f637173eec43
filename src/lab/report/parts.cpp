// The parts of a circuit's section: key figures, detection map, coverage curve, logic against
// the monitor, escapes.
#include "report/parts.h"

#include "report/coverage.h"
#include "report/detections.h"
#include "report/html.h"
#include "report/map.h"
#include "report/overview.h"
#include "report/sweep_defects.h"
#include "report/sweep_plot.h"
#include "report/versus.h"

namespace kavlab {

namespace {

/// A run's result: a sweep's passes each hold one value of its parameter, and have a part of
/// their own.
bool a_run(const CircuitView& v) { return !is_sweep(v); }

/// A run's result of which some cell was measured, with vectors to draw.
bool has_vectors(const CircuitView& v) {
  return a_run(v) && !v.circuit->vectors.empty() && v.summary->measured != Measured::None;
}

/// A run's result of which some cell was measured.
bool measured_run(const CircuitView& v) {
  return a_run(v) && v.summary->measured != Measured::None;
}

/// Both ways of judging are known, so that they can be set against each other.
bool judged_both_ways(const CircuitView& v) {
  return has_vectors(v) && v.summary->logic.known && v.summary->monitor.known;
}

Html no_legend(const CircuitGroup&) { return Html(); }

/// Where the vectors came from, and how many cells were measured.
Html source_line(const CircuitView& v) {
  const CircuitResult& c = *v.circuit;
  const CircuitSummary& s = *v.summary;
  Html from = c.test.kind == SourceKind::Exhaustive ? Html("every input vector in counting order")
              : c.test.kind == SourceKind::Import   ? "imported from " + Html(c.test.file)
                                                    : "from " + Html(c.test.file);
  if (!c.test.sha256.empty())
    from += " <span class=\"hash\" title=\"SHA-256 " + Html(c.test.sha256) + "\">" +
            c.test.sha256.substr(0, 12) + "\u2026</span>";
  Html cells = std::to_string(s.defects) + " of " + std::to_string(s.chosen) + " cells measured";
  if (s.measured == Measured::None)
    cells = "<span class=\"badge unmeasured\">not measured: " + cells + "</span>";
  else if (s.measured == Measured::Some)
    cells = "<span class=\"badge partial\">" + cells + "</span>";
  return "<p class=\"meta\">" + Html(std::to_string(s.vectors)) + " vectors, " + from + "; " +
         cells + "</p>";
}

Html figure_row(const CircuitResult& c, const char* what, const char* cls, const MeasureSummary& m,
                int defects) {
  Html name = key(cls, std::string(what));
  if (!m.known || defects == 0)
    return "<tr><th>" + name + "</th><td colspan=\"4\" class=\"unm\">not measured</td></tr>";
  bool some = m.detected > 0;
  return "<tr><th>" + name + "</th><td class=\"n\">" + std::to_string(m.detected) + " <small>" +
         percent_text(m.detected, defects) + "</small></td><td class=\"n\">" +
         (some ? std::to_string(m.least) : "\u2013") + "</td><td class=\"n\">" +
         (some ? number(m.median) : "\u2013") + "</td><td>" +
         (m.essential.empty() ? Html("none") : "<code>" + vector_list(c, m.essential) + "</code>") +
         "</td></tr>";
}

/// The circuit's figures: per way of judging the defects detected, the least and median
/// number of vectors detecting a detected defect, and the essential vectors; then per class.
Html figures(const CircuitView& v) {
  const CircuitSummary& s = *v.summary;
  Html classes = s.measured == Measured::None ? Html() : circuit_class_table(s);
  return source_line(v) +
         "<table class=\"figures\"><thead><tr><th>detected by</th><th>defects detected</th>"
         "<th>vectors per detected defect: least</th><th>median</th>"
         "<th>essential vectors (each the only one detecting some defect)</th></tr></thead>"
         "<tbody>" +
         figure_row(*v.circuit, "logic", "k-l", s.logic, s.defects) +
         figure_row(*v.circuit, "monitor", "k-m", s.monitor, s.defects) +
         figure_row(*v.circuit, "either", "k-e", s.either, s.defects) + "</tbody></table>" +
         classes;
}

Html figures_legend(const CircuitGroup&) {
  return "<p class=\"legend\"><b>least</b>, <b>median</b>: vectors detecting a detected "
         "defect. <b>Essential</b>: the only vector that detects some defect.</p>";
}

Html map_legend(const CircuitGroup& g) {
  bool unknown = false;
  for (const CircuitView& v : g.views) unknown = unknown || v.summary->defects < v.summary->chosen;
  return "<p class=\"legend\">Detected on that vector by " + key("k-b", "logic and monitor") +
         key("k-l", "logic only") + key("k-m", "monitor only") + key("k-n", "neither") +
         (unknown ? key("k-u", "not measured") : Html()) +
         "<span class=\"key-item\"><svg width=\"10\" height=\"9\" aria-hidden=\"true\"><path "
         "d=\"M5 1 l4 7 h-8 z\" class=\"ess\"/></svg> essential vector</span>" +
         "<span class=\"key-item\"><span class=\"esc\">name</span> escape</span></p>";
}

Html coverage_legend(const CircuitGroup&) {
  return "<p class=\"legend\">The share of the measured defects detected after each vector, in "
         "the order the vectors were applied.</p>";
}

Html versus_legend(const CircuitGroup&) {
  return "<p class=\"legend\">Per defect, the number of vectors that detect it by logic (left) "
         "and by the monitor (right); <span class=\"esc\">escapes</span> in red.</p>";
}

Html sweep_legend(const CircuitGroup&) {
  return "<p class=\"legend\">The share of the measured defects detected at each bridge "
         "resistance of a sweep, each value a pass of its own over every vector; the points' tips "
         "give the counts.</p>";
}

Html sweep_classes_legend(const CircuitGroup&) {
  return "<p class=\"legend\">Per class of defect, how many of its defects " + key("k-l", "logic") +
         key("k-m", "the monitor") + key("k-e", "either") +
         " detect at each bridge resistance; the table gives the same figures.</p>";
}

Html thresholds_legend(const CircuitGroup&) {
  return "<p class=\"legend\">A defect's critical resistance: the largest resistance of the "
         "sweep up to which it is detected at every value. &ge; the largest value: detected at "
         "every value; &lt; the smallest: at none; not monotonic: it escapes at some value and "
         "is detected at a larger one (those values given).</p>";
}

Html versus_panel(const CircuitView& v) { return versus_counts(v) + logic_vs_monitor(v); }

/// The defects one way of judging misses, folded: what a test judged that way alone lets
/// escape.
Html missed_list(const char* way, bool known, const std::vector<std::string>& names,
                 const CircuitResult& c) {
  if (!known) return Html();
  Html items;
  for (const std::string& name : names)
    for (const TestedCell& cell : c.cells)
      if (cell.defect == name) {
        items += "<li><code>" + Html(name) + "</code> <small>" +
                 std::string(class_name(class_of(cell.type))) + "</small></li>";
        break;
      }
  return "<details class=\"missed\"><summary>Missed by " + Html(std::string(way)) + ": " +
         std::to_string(names.size()) + "</summary>" +
         (items.empty() ? Html("<p class=\"none\">none</p>")
                        : "<ul class=\"escapes\">" + items + "</ul>") +
         "</details>";
}

/// The escapes by name and class, and the cells a partial result did not reach.
Html escapes(const CircuitView& v) {
  const CircuitResult& c = *v.circuit;
  const CircuitSummary& s = *v.summary;
  Html out;
  Detections d = detections_of(c);
  for (std::size_t r = 0; r < c.cells.size(); r++)
    if (cell_state(d, r) == CellState::Escape)
      out += "<li><code>" + Html(c.cells[r].defect) + "</code> <small>" +
             std::string(defect_class(c.cells[r].type)) + "</small></li>";
  out = out.empty() ? Html("<p class=\"none\">None: every measured defect is detected.</p>")
                    : "<ul class=\"escapes\">" + out + "</ul>";
  out += missed_list("logic", s.logic.known, s.missed_by_logic, c) +
         missed_list("the monitor", s.monitor.known, s.missed_by_monitor, c);
  if (s.defects < s.chosen)
    out += "<p class=\"meta\">" + Html(std::to_string(s.chosen - s.defects)) +
           " chosen cells were not measured (a partial result).</p>";
  return out;
}

}  // namespace

Html vector_list(const CircuitResult& c, const std::vector<int>& indices) {
  std::string s;
  for (int v : indices) s += (s.empty() ? "" : " ") + c.vectors[static_cast<std::size_t>(v)];
  return Html(s);
}

Html key(const char* cls, const Html& meaning) {
  return "<span class=\"key-item\"><span class=\"key " + Html(std::string(cls)) + "\"></span>" +
         meaning + "</span>";
}

const std::vector<ReportPart>& report_parts() {
  static const std::vector<ReportPart> parts = {
      {"figures", "Figures", a_run, figures_legend, figures},
      {"sweep", "Coverage against bridge resistance", is_sweep, sweep_legend, sweep_plot},
      {"sweep-classes", "Defects detected against bridge resistance, by class", is_sweep,
       sweep_classes_legend, sweep_by_class},
      {"thresholds", "Critical resistance per defect", is_sweep, thresholds_legend,
       sweep_thresholds},
      {"map", "Detection map", has_vectors, map_legend, detection_map},
      {"coverage", "Coverage in the order applied", has_vectors, coverage_legend, coverage_curve},
      {"versus", "Logic against monitor per defect", judged_both_ways, versus_legend, versus_panel},
      {"escapes", "Escapes", measured_run, no_legend, escapes},
  };
  return parts;
}

}  // namespace kavlab
