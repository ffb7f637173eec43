// The worker pool on Windows, which has no fork: the jobs run one after another in the calling
// process, in job order, with the results and statuses the POSIX pool gives (but for a job that
// ends the process, which ends the caller too).
#include <windows.h>

#include <exception>

#include "worker_pool.h"

namespace worker_pool {

unsigned default_workers() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? static_cast<unsigned>(info.dwNumberOfProcessors) : 1u;
}

bool jobs_in_workers() { return false; }

std::vector<JobResult> run_jobs(std::size_t count, const Job& job, const PoolOptions& options) {
  std::vector<JobResult> results(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (options.stop != nullptr && *options.stop != 0) break;
    JobResult& r = results[i];
    try {
      r = {JobStatus::kDone, job(i)};
    } catch (const std::exception& e) {
      r = {JobStatus::kFailed, std::string("the job failed: ") + e.what()};
    } catch (...) {
      r = {JobStatus::kFailed, "the job failed with an exception"};
    }
    if (options.on_result) options.on_result(i, r);
  }
  return results;
}

}  // namespace worker_pool
