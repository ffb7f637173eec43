// Comparisons as text and as CSV; their JSON view is in results_json.h.
#ifndef KAVLAB_COMPARE_PRINT_H
#define KAVLAB_COMPARE_PRINT_H

#include <cstdio>

#include "results/compare.h"

namespace kavlab {

/// As text: what was compared, a table of counts per circuit, then every difference.
void print_comparison(FILE* out, const Comparison& c);
/// As CSV, C locale: a header, then one row per difference.
void print_comparison_csv(FILE* out, const Comparison& c);

}  // namespace kavlab

#endif
