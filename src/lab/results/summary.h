// The summary of a result: per circuit, what logic and the monitor detect, the escapes, the
// essential vectors and how many vectors detect a detected defect.
#ifndef KAVLAB_SUMMARY_H
#define KAVLAB_SUMMARY_H

#include <string>
#include <vector>

#include "results/results.h"

namespace kavlab {

/// What one way of judging (logic, the monitor, or either of them) detects.
struct MeasureSummary {
  bool known = false;          ///< some pass judges this way
  int detected = 0;            ///< defects detected on at least one vector
  std::vector<int> essential;  ///< vectors that alone detect some defect, in applied order
  int least = 0;      ///< fewest vectors detecting a detected defect (0 when none is detected)
  double median = 0;  ///< median number of vectors detecting a detected defect
};

/// A way of judging a defect detected: by logic, by the monitor, or by either.
enum class Judgement { Logic, Monitor, Either };
const Judgement kEveryJudgement[3] = {Judgement::Logic, Judgement::Monitor, Judgement::Either};
/// "logic", "monitor", "either".
const char* judgement_name(Judgement j);

/// How many of the chosen cells a result measured: all, some (a partial result), or none (a
/// circuit that an interrupted run never reached). What was not measured is never counted:
/// counts and percentages are of the measured cells.
enum class Measured { All, Some, None };

/// What one class of defect holds and what detects it, of the measured cells.
struct ClassSummary {
  int defects = 0;
  int logic = 0, monitor = 0, either = 0;
};

struct CircuitSummary {
  int index = 0;
  std::string name, description;
  int vectors = 0;
  int chosen = 0;   ///< cells chosen for the run
  int defects = 0;  ///< cells measured by every judging pass (all chosen unless partial)
  Measured measured = Measured::All;
  MeasureSummary logic, monitor, either;
  int both = -1;    ///< detected by logic and by the monitor; -1 unless both are known
  int neither = 0;  ///< detected in no known way
  std::vector<std::string> escapes;  ///< the defects detected in no known way, by name
  /// The defects each way of judging misses, by name (empty when that way is not known): what
  /// a test judged by logic alone, or by the monitor alone, lets escape.
  std::vector<std::string> missed_by_logic, missed_by_monitor;
  ClassSummary by_class[kDefectClasses];  ///< in the order of kEveryClass
};

/// The summary of one circuit's result.
CircuitSummary summarize(const CircuitResult& c);
/// The summaries of every circuit of `r`.
std::vector<CircuitSummary> summarize(const Results& r);

/// The totals of several circuits' summaries (no escapes' names, vectors or essential vectors):
/// a way of judging is known when it is known in every circuit.
CircuitSummary totals(const std::vector<CircuitSummary>& circuits);

/// Percent of `part` in `whole` (0 when whole is 0).
double percent(int part, int whole);
/// Whether `defects` of `chosen` cells are all, some or none of them.
Measured measured_of(int defects, int chosen);
/// "complete", "partial" or "not measured": how the files and tables name a state.
const char* measured_name(Measured m);

}  // namespace kavlab

#endif
