// The lot section: a table of the chips' coverage with its spread, a strip per way of judging
// with a mark per chip, and the map of defects (rows) against chips (columns).
#include "report/lot_section.h"

#include <algorithm>
#include <cstdio>

#include "report/parts.h"
#include "results/lot.h"

namespace kavlab {

namespace {

constexpr double kRow = 14;             ///< a defect's row in the map
constexpr double kChipColumn = 14;      ///< a chip's column in the map
constexpr std::size_t kMostRows = 400;  ///< beyond, the map draws the marginal defects alone

struct LotInput {
  std::vector<const Results*> results;
  std::vector<std::string> names;
};

LotInput lot_input(const std::vector<ReportSource>& sources) {
  LotInput in;
  for (const ReportSource& s : sources) {
    in.results.push_back(&s.results);
    in.names.push_back(s.file);
  }
  return in;
}

/// A share as the summary shows it, "81.0 %", or a dash when not known.
std::string share_cell(double share) {
  if (share < 0) return "\u2013";
  char text[16];
  std::snprintf(text, sizeof text, "%.1f %%", share);
  return text;
}

Html chip_table(const Lot& lot) {
  Html rows;
  for (const LotChip& chip : lot.chips) {
    rows += "<tr><td>" + Html(chip.label) + "</td><td><code>" + Html(chip.source) + "</code></td>" +
            "<td>" + Html(std::to_string(chip.all.defects)) + "</td>";
    for (Judgement j : kEveryJudgement)
      rows += "<td>" + Html(share_cell(chip_coverage(chip, j, {}))) + "</td>";
    rows += "</tr>";
  }
  const char* names[3] = {"least", "median", "largest"};
  for (int r = 0; r < 3; r++) {
    rows += "<tr class=\"spread\"><th colspan=\"3\">" + Html(std::string(names[r])) + "</th>";
    for (Judgement j : kEveryJudgement) {
      Spread s = coverage_spread(lot, j, {});
      double v = !s.known ? -1 : r == 0 ? s.least : r == 1 ? s.median : s.largest;
      rows += "<td>" + Html(share_cell(v)) + "</td>";
    }
    rows += "</tr>";
  }
  return "<table class=\"lot\"><thead><tr><th>chip</th><th>results</th><th>defects</th>"
         "<th>logic</th><th>monitor</th><th>either</th></tr></thead><tbody>" +
         rows + "</tbody></table>";
}

/// A strip per way of judging: its axis from 0 to 100 %, a mark per chip at its share, and the
/// median as a longer mark.
Html coverage_strips(const Lot& lot) {
  const double x0 = 70, width = 500, row = 28;
  Html s = svg_open(x0 + width + 20, 3 * row + 24, "coverage of each chip, per way of judging");
  const char* marks[3] = {"pt-l", "pt-m", "pt-e"};
  for (int j = 0; j < 3; j++) {
    double y = 8 + row * j;
    s += svg_text(x0 - 8, y + 12, judgement_name(kEveryJudgement[j]), "axis", "end");
    s += svg_line(x0, y + 8, x0 + width, y + 8, "grid");
    for (const LotChip& chip : lot.chips) {
      double share = chip_coverage(chip, kEveryJudgement[j], {});
      if (share < 0) continue;
      s += svg_rect(x0 + width * share / 100 - 1.5, y + 1, 3, 14, marks[j],
                    chip.label + ": " + number(share, 1) + " %");
    }
    Spread spread = coverage_spread(lot, kEveryJudgement[j], {});
    if (spread.known)
      s += svg_rect(x0 + width * spread.median / 100 - 0.75, y - 2, 1.5, 20, "ess",
                    "median " + number(spread.median, 1) + " %");
  }
  double axis = 8 + row * 3;
  for (int p = 0; p <= 100; p += 25)
    s += svg_text(x0 + width * p / 100, axis + 6, std::to_string(p) + " %", "tick", "middle");
  return s + "</svg>";
}

/// The map's verdict of defect `d` on chip `i`: the classes of the detection map.
const char* verdict_class(const LotDefect& d, std::size_t i) {
  int l = d.by_chip[i][0], m = d.by_chip[i][1], e = d.by_chip[i][2];
  if (e < 0) return "v-u";
  if (l == 1 && m == 1) return "v-b";
  if (l == 1) return "v-l";
  if (m == 1) return "v-m";
  return "v-n";
}

const char* verdict_words(const char* cls) {
  std::string c = cls;
  return c == "v-b"   ? "logic and monitor"
         : c == "v-l" ? "logic only"
         : c == "v-m" ? "monitor only"
         : c == "v-u" ? "not measured"
                      : "neither";
}

/// The defects of the map in their order: the marginal ones first, then the rest unless there
/// are too many.
std::vector<const LotDefect*> map_rows(const Lot& lot, std::size_t* left_out) {
  std::vector<const LotDefect*> rows;
  for (const LotDefect& d : lot.defects)
    if (d.marginal()) rows.push_back(&d);
  *left_out = 0;
  if (lot.defects.size() > kMostRows) {
    *left_out = lot.defects.size() - rows.size();
    return rows;
  }
  for (const LotDefect& d : lot.defects)
    if (!d.marginal()) rows.push_back(&d);
  return rows;
}

/// A defect's name in the map, with its circuit when the lot holds several.
std::string row_name(const LotDefect& d, bool circuits) {
  const std::string& defect = d.circuit->cells[d.cell].defect;
  return circuits ? std::to_string(d.circuit->index) + " " + defect : defect;
}

Html defect_map(const Lot& lot, const std::vector<const LotDefect*>& rows) {
  bool circuits = lot.chips.front().results->circuits.size() > 1;
  std::size_t longest = 0;
  for (const LotDefect* d : rows) longest = std::max(longest, row_name(*d, circuits).size());
  std::size_t label_longest = 0;
  for (const LotChip& c : lot.chips) label_longest = std::max(label_longest, c.label.size());
  double x0 = 12 + 6.2 * static_cast<double>(longest);
  double y0 = 12 + 6.2 * static_cast<double>(std::min<std::size_t>(label_longest, 24));
  double width = x0 + kChipColumn * static_cast<double>(lot.chips.size()) + 12;
  double height = y0 + kRow * static_cast<double>(rows.size()) + 8;
  Html s = svg_open(width, height, "defects against chips");
  for (std::size_t i = 0; i < lot.chips.size(); i++)
    s += svg_text_up(x0 + kChipColumn * (static_cast<double>(i) + 0.5) + 3.5, y0 - 4,
                     lot.chips[i].label, "bits", "start");
  for (std::size_t r = 0; r < rows.size(); r++) {
    const LotDefect& d = *rows[r];
    double y = y0 + kRow * static_cast<double>(r);
    std::string name = row_name(d, circuits);
    s += svg_text(x0 - 5, y + 10.5, name, d.marginal() ? "name esc" : "name", "end",
                  name + (d.marginal() ? ": marginal" : ""));
    for (std::size_t i = 0; i < lot.chips.size(); i++) {
      const char* cls = verdict_class(d, i);
      s += svg_rect(x0 + kChipColumn * static_cast<double>(i), y, kChipColumn, kRow, cls,
                    name + " on " + lot.chips[i].label + ": " + verdict_words(cls));
    }
  }
  for (std::size_t r = 1; r < rows.size(); r++)
    s += svg_line(x0, y0 + kRow * static_cast<double>(r),
                  x0 + kChipColumn * static_cast<double>(lot.chips.size()),
                  y0 + kRow * static_cast<double>(r), "grid");
  return s + "</svg>";
}

}  // namespace

bool is_lot(const std::vector<ReportSource>& sources) {
  LotInput in = lot_input(sources);
  return sources.size() >= 2 && lot_refusal(in.results, in.names).empty();
}

Html lot_section(const std::vector<ReportSource>& sources) {
  if (!is_lot(sources)) return Html();
  LotInput in = lot_input(sources);
  Lot lot = make_lot(in.results, in.names);
  std::size_t left_out = 0;
  std::vector<const LotDefect*> rows = map_rows(lot, &left_out);
  std::size_t marginal = 0;
  for (const LotDefect& d : lot.defects) marginal += d.marginal();
  Html s = "<section class=\"block\" id=\"lot\"><h2>Lot of " +
           Html(std::to_string(lot.chips.size())) + " chips</h2>" + chip_table(lot) +
           "<h3>Coverage across the chips</h3><p class=\"legend\">A mark per chip at its share "
           "of the measured defects; the longer dark mark is the median.</p>" +
           coverage_strips(lot) + "<h3>Defects against chips</h3><p class=\"legend\">" +
           Html(std::to_string(marginal)) + " of " + Html(std::to_string(lot.defects.size())) +
           " defects are marginal (detected on some chips only, by some way of judging): their "
           "names stand out, first. Detected by " +
           key("k-b", "logic and monitor") + key("k-l", "logic only") + key("k-m", "monitor only") +
           key("k-n", "neither") + key("k-u", "not measured") + "</p>";
  if (left_out > 0)
    s += "<p class=\"legend\">The " + Html(std::to_string(left_out)) +
         " defects that every chip judges alike are not drawn.</p>";
  if (!rows.empty()) s += defect_map(lot, rows);
  return s + "</section>\n";
}

}  // namespace kavlab
