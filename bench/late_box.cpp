// Linked into kavtest-sim-late, the benchmark's baseline: the emulated box computes each
// exchange once its reports come, after the tool's settling pause, as it did before it could
// compute a staged exchange during the pause.
#include "platform-sim.h"

namespace {

const bool computing_late = (sim_compute_ahead(false), true);

}  // namespace
