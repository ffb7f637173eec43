// What a sweep says about each defect: per way of judging, its critical resistance, the largest
// value of the sweep up to which it is detected at every value; or that its detection is not
// monotonic (detected at a value above one where it escapes), with the values where it is.
#ifndef KAVLAB_SWEEP_DEFECTS_H
#define KAVLAB_SWEEP_DEFECTS_H

#include <string>
#include <vector>

#include "results/results.h"
#include "results/summary.h"

namespace kavlab {

/// How a defect fares over the measured values of a sweep, smallest first.
enum class Threshold {
  Every,         ///< detected at every measured value: its critical value is the largest
  UpTo,          ///< detected at every value up to `critical`, and at none above
  Never,         ///< detected at no value, the smallest included
  NotMonotonic,  ///< escapes at some value and is detected at a larger one
  NotMeasured,   ///< no value's pass measured it
};

struct DefectThreshold {
  Threshold kind = Threshold::NotMeasured;
  double critical = 0;              ///< Every and UpTo: the largest value detected up to
  std::vector<double> detected_at;  ///< NotMonotonic: the values where it is detected
};

/// One defect of a sweep, judged each way.
struct SweptDefect {
  const TestedCell* cell = nullptr;
  DefectThreshold by[3];  ///< in the order of kEveryJudgement; NotMeasured when not judged
};

/// Every chosen cell of circuit `c` of a sweep over `parameter`, in the circuit's order.
std::vector<SweptDefect> swept_defects(const CircuitResult& c, const std::string& parameter);

/// A threshold in the sweep's table: "1k", ">= 10k" (every value), "< 10" (never), "not
/// monotonic: 10 1k", "-" (not measured); `unit` formats a value ("1k" for 1000 ohms).
std::string threshold_text(const DefectThreshold& t, const std::vector<double>& values,
                           std::string (*unit)(double));

}  // namespace kavlab

#endif
