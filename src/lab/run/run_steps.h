// The steps of kavlab run that kavlab-sim sweep takes too: the provenance, the output file, the
// plan of the circuits, the measurement on the box and the saving of what was measured.
#ifndef KAVLAB_RUN_STEPS_H
#define KAVLAB_RUN_STEPS_H

#include <string>
#include <vector>

#include "commands/commands.h"
#include "results/results.h"
#include "run/vector_source.h"

namespace kavlab {

/// What was run on what, as the box describes itself now, started now.
Provenance provenance_of(const std::vector<std::string>& command_line);
/// The output path, or empty with `*error` set when it exists and may not be replaced, or
/// cannot be written.
std::string output_path(const std::string& given, const std::string& test, bool force,
                        std::string* error);
/// The circuits with their cells, vectors and empty passes; test files stay locked in `locks`.
bool plan_run(const RunArgs& a, const std::vector<int>& circuits,
              const std::vector<std::vector<int>>& cells, std::vector<FileLock>& locks, Results& r,
              std::string* error);
/// Measures on the box `a.device` names; the run's exit status, the results filled in.
int measure_on_box(const RunArgs& a, Results& r, std::string* message);
/// Saves what was measured, complete or not; the run's exit status.
int save_run(const Results& r, const std::string& out, int status, std::string error);

}  // namespace kavlab

#endif
