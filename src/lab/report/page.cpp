// The report page: head and style, the results' provenance and summary, then a section per
// circuit made of the report's parts, each with the circuit's results side by side.
#include "report/page.h"

#include "report/html.h"
#include "report/lot_section.h"
#include "report/overview.h"
#include "report/parts.h"
#include "report/style.h"

namespace kavlab {

namespace {

/// The caption of a result's panel: its label, its file and its box.
Html panel_caption(const CircuitView& v) {
  const Provenance& p = v.source->results.provenance;
  std::string box = p.device.empty() ? "" : " on " + p.device;
  if (p.emulated == Emulated::Yes) box += " (emulated)";
  return "<figcaption><span class=\"label\">" + Html(v.source->label) + "</span> <code>" +
         v.source->file + "</code> " + (p.program + box) + "</figcaption>";
}

/// One part of a circuit's section: its heading, legend and the panels of the results that
/// show it; empty when none does.
Html part_html(const ReportPart& part, const CircuitGroup& g) {
  Html panels;
  for (const CircuitView& v : g.views)
    if (part.shows(v))
      panels += "<figure class=\"panel\">" + panel_caption(v) + part.panel(v) + "</figure>";
  if (panels.empty()) return Html();
  return "<div class=\"part\"><h3 id=\"c" + Html(std::to_string(g.index) + "-" + part.id) + "\">" +
         std::string(part.heading) + "</h3>" + part.legend(g) + "<div class=\"panels\">" + panels +
         "</div></div>";
}

Html circuit_section(const CircuitGroup& g) {
  const CircuitResult& c = *g.views.front().circuit;
  std::string counts =
      std::to_string(c.inputs) + (c.inputs == 1 ? " input, " : " inputs, ") +
      std::to_string(c.outputs) + (c.outputs == 1 ? " output" : " outputs") +
      (g.views.size() > 1 ? "; " + std::to_string(g.views.size()) + " results" : "");
  Html s = "<section class=\"block circuit\" id=\"c" + Html(std::to_string(g.index)) +
           "\"><h2>Circuit " + std::to_string(g.index) + " " + c.name + "<span class=\"what\">" +
           c.description + "</span></h2>" + "<p class=\"meta\">" + counts + "</p>";
  s += "<div class=\"parts\">";
  for (const ReportPart& part : report_parts()) s += part_html(part, g);
  return s + "</div></section>";
}

Html navigation(const std::vector<CircuitGroup>& groups, bool classes, bool lot) {
  Html links = "<a href=\"#provenance\">Provenance</a><a href=\"#summary\">Summary</a>";
  if (classes) links += "<a href=\"#classes\">By class</a>";
  if (lot) links += "<a href=\"#lot\">Lot</a>";
  for (const CircuitGroup& g : groups)
    links += "<a href=\"#c" + Html(std::to_string(g.index)) + "\">" + std::to_string(g.index) +
             " " + g.views.front().circuit->name + "</a>";
  return "<nav class=\"circuits\">" + links + "</nav>";
}

/// The title bar: what the page is of.
Html page_header(const std::vector<ReportSource>& sources) {
  Html files;
  for (const ReportSource& s : sources)
    files += (files.empty() ? Html() : Html(", ")) + "<code>" + s.file + "</code>";
  std::vector<CircuitGroup> groups = group_by_circuit(sources);
  std::size_t measured = 0;
  for (const CircuitGroup& g : groups) {
    bool some = false;
    for (const CircuitView& v : g.views) some = some || measured_at_all(v);
    measured += some ? 1 : 0;
  }
  std::string counts =
      std::to_string(sources.size()) + (sources.size() == 1 ? " result, " : " results, ") +
      (measured < groups.size() ? std::to_string(measured) + " of " : "") +
      std::to_string(groups.size()) + (groups.size() == 1 ? " circuit" : " circuits") + " measured";
  return "<header class=\"top\"><h1>kavlab report</h1><p>" + files + ": " + counts +
         "</p></header>";
}

/// The classes of defect of every result, when some result is a run.
Html classes_section(const std::vector<ReportSource>& sources) {
  Html table = class_table(sources);
  if (table.empty()) return Html();
  return "<section class=\"block\" id=\"classes\"><h2>By class of defect</h2>" + table +
         "</section>\n";
}

}  // namespace

std::string report_html(const std::vector<ReportSource>& sources, const std::string& generator) {
  std::vector<CircuitGroup> groups = group_by_circuit(sources);
  std::string title = sources.empty() ? "" : sources.front().file;
  if (sources.size() > 1) title += " and " + std::to_string(sources.size() - 1) + " more";
  Html page =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
      "<meta name=\"generator\" content=\"" +
      Html(generator) + "\"><title>kavlab report: " + title +
      "</title><link rel=\"icon\" href=\"data:,\"><style>" + report_css() +
      "</style></head>\n<body>" + report_svg_defs() + page_header(sources) +
      navigation(groups, !class_table(sources).empty(), is_lot(sources)) +
      "<main><section class=\"block\" id=\"provenance\"><h2>Provenance</h2>" +
      provenance_table(sources) + "</section>\n<section class=\"block\" id=\"summary\">" +
      "<h2>Summary</h2>" + summary_table(groups, sources) + "</section>\n" +
      classes_section(sources) + lot_section(sources);
  for (const CircuitGroup& g : groups) page += circuit_section(g) + "\n";
  page += "</main><footer>Written by " + Html(generator) +
          ". Percentages are of defects: each defect counts once, not as two faults.</footer>"
          "</body></html>\n";
  return page.str();
}

}  // namespace kavlab
