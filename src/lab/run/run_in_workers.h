// A measurement split over worker processes: every cell run that the passes lack is a job of
// the worker pool (worker_pool.h), made in a worker on its own copy of the emulated box, which
// it makes ready for the run's pass first, as a pass's start finds it. A cell of the emulated
// chip keeps its state from one run to the next until the chip is powered afresh, and no cell
// run changes another cell: so a cell run made on a box made ready for its pass answers as it
// does in that pass on one box, whatever the worker measured before, and the merged result is
// the one a single process measures.
#ifndef KAVLAB_RUN_IN_WORKERS_H
#define KAVLAB_RUN_IN_WORKERS_H

#include "device_list.h"
#include "results/results.h"
#include "run/run_engine.h"

namespace kavlab {

/// measure() with `workers` worker processes (2 or more), on the box `dev` that the caller
/// opened and each worker inherits. The runs start in the order one process makes them; the
/// progress counts them as they end. A stop asked for (stop_flag) starts no further run, and a
/// failing box asks for one; the runs that end stay, a pass keeping its reference and its cells
/// up to the first one not measured (a run that a signal's end of its worker cut, say). A
/// failure ends it as BoxFailed, the first one in the order of the runs; else a run not made
/// ends it as Stopped.
RunOutcome measure_in_workers(DeviceList* dev, Results& r, const ProgressFn& progress,
                              const MeasureHow& how, unsigned workers);

}  // namespace kavlab

#endif
