// A lot: several results of the same plan, one per chip (a die in a box), read as one. Per
// defect on how many chips logic, the monitor and either detect it; the defects whose
// detection differs between chips (the marginal ones); per chip and class the coverage, and its
// least, median and largest over the lot.
#ifndef KAVLAB_LOT_H
#define KAVLAB_LOT_H

#include <string>
#include <vector>

#include "results/results.h"
#include "results/summary.h"

namespace kavlab {

/// One chip of a lot: a results file and its summaries.
struct LotChip {
  std::string source;  ///< the file's name as given
  std::string label;   ///< the chip's label (the results' `chip`), else the file's stem
  const Results* results = nullptr;
  std::vector<CircuitSummary> summaries;
  CircuitSummary all;  ///< the totals of its circuits
};

/// One defect over the lot: per chip whether each way of judging detects it.
struct LotDefect {
  const CircuitResult* circuit = nullptr;  ///< of the first chip
  std::size_t cell = 0;                    ///< index into the circuit's cells
  int chips = 0;                           ///< chips that measured it
  int detected[3] = {0, 0, 0};             ///< chips that detect it, per kEveryJudgement
  /// Per chip (in the lot's order) and judgement: 1 detected, 0 not, -1 not measured.
  std::vector<std::vector<int>> by_chip;
  /// Detected on some measuring chips and not on others, by some way of judging.
  bool marginal() const;
};

/// The least, median and largest of a share over the chips that measured it.
struct Spread {
  bool known = false;
  double least = 0, median = 0, largest = 0;
};

struct Lot {
  std::vector<LotChip> chips;
  std::vector<LotDefect> defects;  ///< every defect of every circuit, in the plan's order
};

/// Why `results` (named `names`) cannot be read as one lot: other circuits, cells, vectors,
/// passes, program or engine (its parameters but the seed), or a sweep; the message names the
/// files and what differs. Empty when they can.
std::string lot_refusal(const std::vector<const Results*>& results,
                        const std::vector<std::string>& names);
/// The lot of `results` (which lot_refusal accepts), named `names`.
Lot make_lot(const std::vector<const Results*>& results, const std::vector<std::string>& names);

/// The chips' coverage by `j`, in percent of the measured defects of `classes` (empty: every
/// class), over the chips that measured any: least, median and largest.
Spread coverage_spread(const Lot& lot, Judgement j, const std::vector<DefectClass>& classes);
/// One chip's coverage by `j` of `classes` (empty: every class), in percent; negative when the
/// chip measured none of them.
double chip_coverage(const LotChip& chip, Judgement j, const std::vector<DefectClass>& classes);

}  // namespace kavlab

#endif
