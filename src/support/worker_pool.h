// Independent jobs on every core. Each job runs in a worker process of its own and hands back a
// byte string; the results come back in job order, whatever the number of workers, so that a
// result never depends on how the work was split. Processes rather than threads: a job may use
// what holds one state per process, such as ngspice's one simulation.
//
// POSIX (worker_pool-posix.cpp): up to `workers` child processes forked from the caller, each
// taking jobs one after another as the pool hands them out. Windows (worker_pool-win32.cpp) has
// no fork: there the jobs run one after another in the calling process, with the same results.
#ifndef KAVTEST_WORKER_POOL_H
#define KAVTEST_WORKER_POOL_H

#include <csignal>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace worker_pool {

/// How a job ended.
enum class JobStatus {
  kNotRun,  ///< never started (the pool was stopped first), or cut short by the stop
  kDone,    ///< it returned: `bytes` holds what it returned
  kFailed,  ///< it threw, or its worker process ended or was killed: `bytes` says why
};

struct JobResult {
  JobStatus status = JobStatus::kNotRun;
  std::string bytes;  ///< the job's bytes (kDone), or a sentence saying why it failed (kFailed)
};

/// One job: computes job `index` and returns its bytes, any bytes. It runs in a worker process
/// (POSIX), a copy of the caller as the pool found it when it started that worker: it sees
/// the caller's data, and what it changes there stays in the worker. An exception fails this
/// job alone. It must not end its process (exit, abort) unless failing: that fails it too.
using Job = std::function<std::string(std::size_t index)>;

struct PoolOptions {
  /// Worker processes at most; 0 takes default_workers(). Never more than there are jobs.
  unsigned workers = 0;
  /// When not null, read between jobs: once it is non-zero (a signal handler of the caller sets
  /// it, say), no further job starts; the jobs running go on to their end and keep their
  /// results, and a job whose worker ends without a result from then on is kNotRun (the
  /// terminal's Ctrl-C reaches the workers too).
  const volatile std::sig_atomic_t* stop = nullptr;
  /// When not 0 (with `stop`): the signal sent once to every running worker as soon as the
  /// stop flag is seen set, so that long jobs stop too rather than run to their end (a job that
  /// catches it ends early with what it has). Windows: no worker process, nothing sent.
  int stop_signal = 0;
  /// When set, called in the calling process as each job ends, in the order they end, before
  /// run_jobs returns: a progress line, say.
  std::function<void(std::size_t index, const JobResult& result)> on_result;
};

/// The number of processors this process may run on (at least 1): the default number of
/// workers.
unsigned default_workers();

/// True where jobs run in worker processes of their own, at once (POSIX); false where they run
/// one after another in the calling process (Windows), where a caller that has a way of its own
/// to do the work in order may as well take it.
bool jobs_in_workers();

/// Runs jobs 0 .. count - 1 and returns their results, one per job in job order. Jobs start in
/// index order. Each worker starts with the caller's signal dispositions back at their
/// defaults (handlers and blocked signals of the caller are not the worker's), and never runs
/// the caller's exit handlers; the caller's standard streams are flushed before each fork. A
/// worker that dies fails the job it held, and a fresh one takes its place while jobs remain;
/// when no worker can be started at all, the jobs left fail saying so.
///
/// The caller should be single-threaded when it calls (a worker is forked from it: an emulated
/// box has a thread of its own only between a staged exchange and its reports), and must not
/// reap child processes of its own while the pool runs (waitpid(-1)).
std::vector<JobResult> run_jobs(std::size_t count, const Job& job, const PoolOptions& options = {});

}  // namespace worker_pool

#endif
