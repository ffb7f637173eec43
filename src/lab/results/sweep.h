// A sweep: one circuit measured once per value of an engine parameter (kavlab-sim sweep, over
// the bridge resistance), and what each value's pass detects, as a table and as data for a plot.
#ifndef KAVLAB_SWEEP_H
#define KAVLAB_SWEEP_H

#include <cstdio>
#include <string>
#include <vector>

#include "results/results.h"
#include "results/summary.h"

namespace kavlab {

/// The engine parameter that kavlab-sim sweep varies.
constexpr char SWEPT_BRIDGE_OHMS[] = "bridge_ohms";

/// What one pass of a sweep detects; counts are of the cells it measured.
struct SweepPoint {
  double value = 0;  ///< the swept parameter's value in that pass
  int chosen = 0;    ///< cells chosen for the sweep
  int defects = 0;   ///< cells the pass measured
  Measured measured = Measured::All;
  int logic = 0, monitor = 0, either = 0, neither = 0;
  ClassSummary by_class[kDefectClasses];  ///< in the order of kEveryClass
  std::vector<std::string> escapes;       ///< the measured defects nothing detects, by name
};

/// The points of circuit `c` of a sweep over `parameter`: one per pass that sets it, in the
/// order run, the values a cut sweep never reached among them (Measured::None).
std::vector<SweepPoint> sweep_points(const CircuitResult& c, const std::string& parameter);

/// The sweep's table: per circuit, one row per value.
void print_sweep(FILE* out, const std::string& source, const Results& r);

}  // namespace kavlab

#endif
