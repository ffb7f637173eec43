// The text and CSV views of a lot.
#include "results/lot_print.h"

#include "results/csv.h"
#include "results/terminal_text.h"

namespace kavlab {

std::string share_text(double share) {
  if (share < 0) return "-";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.1f %%", share);
  return buf;
}

namespace {

/// The chips of `lot` on which `d` is measured and `j` does not detect it, by label.
std::string escaping_on(const Lot& lot, const LotDefect& d, int j) {
  std::string names;
  for (std::size_t i = 0; i < lot.chips.size(); i++)
    if (d.by_chip[i][static_cast<std::size_t>(j)] == 0)
      names += (names.empty() ? "" : " ") + lot.chips[i].label;
  return names;
}

/// "2/3", or "-" when no chip knows `j` for the defect.
std::string count_of_chips(const LotDefect& d, int j) {
  int known = 0;
  for (const std::vector<int>& by : d.by_chip) known += by[static_cast<std::size_t>(j)] >= 0;
  if (known == 0) return "-";
  return std::to_string(d.detected[j]) + "/" + std::to_string(known);
}

void print_chips(FILE* out, const Lot& lot) {
  std::fprintf(out, "  %-16s %-24s %7s %8s %8s %8s\n", "chip", "results", "defects", "logic",
               "monitor", "either");
  for (const LotChip& chip : lot.chips) {
    std::fprintf(out, "  %-16s %-24s %7d", terminal_text(chip.label).c_str(),
                 terminal_text(chip.source).c_str(), chip.all.defects);
    for (Judgement j : kEveryJudgement)
      std::fprintf(out, " %8s", share_text(chip_coverage(chip, j, {})).c_str());
    std::fprintf(out, "\n");
  }
  const char* rows[3] = {"least", "median", "largest"};
  Spread spreads[3];
  for (int j = 0; j < 3; j++) spreads[j] = coverage_spread(lot, kEveryJudgement[j], {});
  for (int row = 0; row < 3; row++) {
    std::fprintf(out, "  %-16s %-24s %7s", rows[row], "", "");
    for (const Spread& s : spreads) {
      double v = !s.known ? -1 : row == 0 ? s.least : row == 1 ? s.median : s.largest;
      std::fprintf(out, " %8s", share_text(v).c_str());
    }
    std::fprintf(out, "\n");
  }
}

/// "53.8/61.5/69.2": a spread's least, median and largest, or "-".
std::string spread_text(const Spread& s) {
  if (!s.known) return "-";
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.1f/%.1f/%.1f", s.least, s.median, s.largest);
  return buf;
}

void print_classes(FILE* out, const Lot& lot) {
  std::fprintf(out, "\ncoverage per class over the chips, in percent (least/median/largest):\n");
  std::fprintf(out, "  %-11s %17s %17s %17s\n", "class", "logic", "monitor", "either");
  for (DefectClass c : kEveryClass) {
    int defects = 0;
    for (const LotChip& chip : lot.chips) defects += chip.all.by_class[static_cast<int>(c)].defects;
    if (defects == 0) continue;
    std::fprintf(out, "  %-11s", class_name(c));
    for (Judgement j : kEveryJudgement)
      std::fprintf(out, " %17s", spread_text(coverage_spread(lot, j, {c})).c_str());
    std::fprintf(out, "\n");
  }
}

void print_marginal(FILE* out, const Lot& lot) {
  int marginal = 0;
  for (const LotDefect& d : lot.defects) marginal += d.marginal();
  std::fprintf(out, "\nmarginal defects, detected on some chips only: %d\n", marginal);
  if (marginal == 0) return;
  std::fprintf(out, " idx circuit   cell defect           class       logic monitor  either\n");
  for (const LotDefect& d : lot.defects) {
    if (!d.marginal()) continue;
    const TestedCell& cell = d.circuit->cells[d.cell];
    std::fprintf(out, "%4d %-8s %5d  %-16s %-11s %5s %7s %7s\n", d.circuit->index,
                 d.circuit->name.c_str(), cell.index, terminal_text(cell.defect).c_str(),
                 class_name(class_of(cell.type)), count_of_chips(d, 0).c_str(),
                 count_of_chips(d, 1).c_str(), count_of_chips(d, 2).c_str());
    for (int j = 0; j < 3; j++)
      if (d.detected[j] > 0 && d.detected[j] < d.chips)
        std::fprintf(out, "      %s misses it on: %s\n", judgement_name(kEveryJudgement[j]),
                     terminal_text(escaping_on(lot, d, j)).c_str());
  }
}

/// How many defects `j` detects on every chip that measured them, and on none.
void print_every_and_none(FILE* out, const Lot& lot) {
  std::fprintf(out, "\ndefects detected on every chip that measured them, and on none:\n");
  for (int j = 0; j < 3; j++) {
    int every = 0, none = 0, known = 0;
    for (const LotDefect& d : lot.defects) {
      if (count_of_chips(d, j) == "-") continue;
      known++;
      every += d.detected[j] == d.chips;
      none += d.detected[j] == 0;
    }
    if (known > 0)
      std::fprintf(out, "  %-8s %d of %d on every chip, %d on none\n",
                   judgement_name(kEveryJudgement[j]), every, known, none);
  }
}

}  // namespace

void print_lot(FILE* out, const Lot& lot) {
  std::string circuits;
  for (const CircuitResult& c : lot.chips.front().results->circuits)
    circuits += (circuits.empty() ? "" : ", ") + std::to_string(c.index) + " " + c.name;
  std::fprintf(out, "a lot of %zu chips: circuits %s, %zu defects\n", lot.chips.size(),
               circuits.c_str(), lot.defects.size());
  print_chips(out, lot);
  print_classes(out, lot);
  print_marginal(out, lot);
  print_every_and_none(out, lot);
}

void print_lot_csv(FILE* out, const Lot& lot) {
  std::fprintf(out,
               "circuit,circuit_name,cell,defect,class,chips,logic,monitor,either,marginal,"
               "logic_misses_on,monitor_misses_on,either_misses_on\n");
  for (const LotDefect& d : lot.defects) {
    const TestedCell& cell = d.circuit->cells[d.cell];
    std::fprintf(out, "%d,%s,%d,%s,%s,%d", d.circuit->index, csv_field(d.circuit->name).c_str(),
                 cell.index, csv_field(cell.defect).c_str(), defect_class(cell.type), d.chips);
    for (int j = 0; j < 3; j++) {
      std::string n = count_of_chips(d, j);
      std::fprintf(out, ",%s", n == "-" ? "" : std::to_string(d.detected[j]).c_str());
    }
    std::fprintf(out, ",%s", d.marginal() ? "yes" : "no");
    for (int j = 0; j < 3; j++) std::fprintf(out, ",%s", csv_field(escaping_on(lot, d, j)).c_str());
    std::fprintf(out, "\n");
  }
}

}  // namespace kavlab
