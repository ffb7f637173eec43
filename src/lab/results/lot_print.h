// A lot as text and as CSV; its JSON view is in results_json.h.
#ifndef KAVLAB_LOT_PRINT_H
#define KAVLAB_LOT_PRINT_H

#include <cstdio>
#include <string>

#include "results/lot.h"

namespace kavlab {

/// "63.5 %", or "-" when `share` is negative (not known).
std::string share_text(double share);
/// The lot as text: the chips' coverage and its spread, the spread per class, the marginal
/// defects with the chips that let each escape, and what every chip and no chip detects.
void print_lot(FILE* out, const Lot& lot);
/// The lot as CSV, one row per defect after a header: its detecting chips per way of judging,
/// whether it is marginal, and the chips on which each way misses it. C locale.
void print_lot_csv(FILE* out, const Lot& lot);

}  // namespace kavlab

#endif
