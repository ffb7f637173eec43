// The worker pool: results in job order whatever the number of workers, a job's failure its
// own, the stop; on POSIX, what a worker process is: not the caller, at most as many as asked,
// replaced when it dies, and free of the caller's signal handlers and exit handlers.
#include "worker_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <set>
#include <stdexcept>

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#endif

namespace {

using worker_pool::JobResult;
using worker_pool::JobStatus;
using worker_pool::PoolOptions;
using worker_pool::run_jobs;

/// The bytes of job `i`: lengths from 0 up, NUL and every other byte value, one of a megabyte.
std::string bytes_of(std::size_t i) {
  std::string s(i == 5 ? std::size_t(1) << 20 : i * 37 % 101, '\0');
  for (std::size_t k = 0; k < s.size(); ++k) s[k] = static_cast<char>((i * 131 + k * 7) % 256);
  return s;
}

TEST(WorkerPool, ResultsComeInJobOrderForEveryNumberOfWorkers) {
  const std::size_t count = 23;
  for (unsigned workers : {0u, 1u, 2u, 3u, 8u, 40u}) {
    SCOPED_TRACE("workers " + std::to_string(workers));
    PoolOptions options;
    options.workers = workers;
    std::vector<std::size_t> ended;
    options.on_result = [&](std::size_t i, const JobResult& r) {
      ended.push_back(i);
      EXPECT_EQ(r.bytes, bytes_of(i));
    };
    std::vector<JobResult> results = run_jobs(count, bytes_of, options);
    ASSERT_EQ(results.size(), count);
    for (std::size_t i = 0; i < count; ++i) {
      EXPECT_EQ(results[i].status, JobStatus::kDone) << "job " << i;
      EXPECT_EQ(results[i].bytes, bytes_of(i)) << "job " << i;
    }
    // Every job is reported once as it ends.
    std::sort(ended.begin(), ended.end());
    ASSERT_EQ(ended.size(), count);
    for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(ended[i], i);
  }
  EXPECT_TRUE(run_jobs(0, bytes_of).empty());
}

TEST(WorkerPool, AJobThatThrowsFailsAlone) {
  auto job = [](std::size_t i) -> std::string {
    if (i == 2) throw std::runtime_error("cell 2 has no netlist");
    if (i == 4) throw 7;
    return "answer " + std::to_string(i);
  };
  for (unsigned workers : {1u, 3u}) {
    PoolOptions options;
    options.workers = workers;
    std::vector<JobResult> results = run_jobs(6, job, options);
    ASSERT_EQ(results.size(), 6u);
    for (std::size_t i : {0, 1, 3, 5}) {
      EXPECT_EQ(results[i].status, JobStatus::kDone);
      EXPECT_EQ(results[i].bytes, "answer " + std::to_string(i));
    }
    EXPECT_EQ(results[2].status, JobStatus::kFailed);
    EXPECT_EQ(results[2].bytes, "the job failed: cell 2 has no netlist");
    EXPECT_EQ(results[4].status, JobStatus::kFailed);
    EXPECT_EQ(results[4].bytes, "the job failed with an exception");
  }
}

volatile std::sig_atomic_t stop_flag = 0;

TEST(WorkerPool, OnceStoppedNoFurtherJobStarts) {
  PoolOptions options;
  options.workers = 1;
  options.stop = &stop_flag;
  options.on_result = [](std::size_t i, const JobResult&) {
    if (i == 1) stop_flag = 1;
  };
  stop_flag = 0;
  std::vector<JobResult> results = run_jobs(5, bytes_of, options);
  ASSERT_EQ(results.size(), 5u);
  EXPECT_EQ(results[0].status, JobStatus::kDone);
  EXPECT_EQ(results[1].status, JobStatus::kDone);
  for (std::size_t i = 2; i < 5; ++i) EXPECT_EQ(results[i].status, JobStatus::kNotRun) << i;

  // Stopped before it starts: nothing runs.
  int runs = 0;
  options.on_result = [&](std::size_t, const JobResult&) { ++runs; };
  results = run_jobs(3, bytes_of, options);
  EXPECT_EQ(runs, 0);
  for (const JobResult& r : results) EXPECT_EQ(r.status, JobStatus::kNotRun);
  stop_flag = 0;
}

#ifndef _WIN32

TEST(WorkerPoolPosix, JobsRunInAtMostTheWorkersProcessesAndNeverInTheCaller) {
  auto pid_of_job = [](std::size_t) { return std::to_string(getpid()); };
  for (unsigned workers : {1u, 2u, 3u}) {
    PoolOptions options;
    options.workers = workers;
    std::set<std::string> pids;
    for (const JobResult& r : run_jobs(12, pid_of_job, options)) {
      ASSERT_EQ(r.status, JobStatus::kDone);
      pids.insert(r.bytes);
    }
    EXPECT_LE(pids.size(), workers);
    EXPECT_EQ(pids.count(std::to_string(getpid())), 0u);
  }
  // Never more workers than jobs.
  PoolOptions many;
  many.workers = 8;
  std::set<std::string> pids;
  for (const JobResult& r : run_jobs(2, pid_of_job, many)) pids.insert(r.bytes);
  EXPECT_LE(pids.size(), 2u);
}

TEST(WorkerPoolPosix, AWorkerThatDiesFailsItsJobAndAnotherTakesItsPlace) {
  auto job = [](std::size_t i) -> std::string {
    if (i == 1) kill(getpid(), SIGKILL);
    if (i == 3) _exit(3);
    return "answer " + std::to_string(i);
  };
  for (unsigned workers : {1u, 2u}) {
    SCOPED_TRACE("workers " + std::to_string(workers));
    PoolOptions options;
    options.workers = workers;
    std::vector<JobResult> results = run_jobs(6, job, options);
    ASSERT_EQ(results.size(), 6u);
    for (std::size_t i : {0, 2, 4, 5}) {
      EXPECT_EQ(results[i].status, JobStatus::kDone) << i;
      EXPECT_EQ(results[i].bytes, "answer " + std::to_string(i));
    }
    EXPECT_EQ(results[1].status, JobStatus::kFailed);
    EXPECT_EQ(results[1].bytes.rfind("its worker process was killed by signal 9", 0), 0u)
        << results[1].bytes;
    EXPECT_EQ(results[3].status, JobStatus::kFailed);
    EXPECT_EQ(results[3].bytes, "its worker process exited with status 3");
  }
}

volatile std::sig_atomic_t handled_in_caller = 0;
void note_signal(int) { handled_in_caller = 1; }

TEST(WorkerPoolPosix, WorkersTakeTheDefaultActionOfSignalsTheCallerHandlesOrBlocks) {
  struct sigaction mine = {}, before_term, before_usr1;
  mine.sa_handler = note_signal;
  sigemptyset(&mine.sa_mask);
  sigaction(SIGTERM, &mine, &before_term);
  sigaction(SIGUSR1, nullptr, &before_usr1);
  sigset_t usr1, before_mask;
  sigemptyset(&usr1);
  sigaddset(&usr1, SIGUSR1);
  sigprocmask(SIG_BLOCK, &usr1, &before_mask);
  handled_in_caller = 0;

  auto job = [](std::size_t i) -> std::string {
    if (i == 0) raise(SIGTERM);  // the caller's handler would let the job return
    sigset_t now;
    sigprocmask(SIG_BLOCK, nullptr, &now);
    return sigismember(&now, SIGUSR1) ? "SIGUSR1 blocked" : "SIGUSR1 not blocked";
  };
  std::vector<JobResult> results = run_jobs(2, job, PoolOptions{});

  sigprocmask(SIG_SETMASK, &before_mask, nullptr);
  sigaction(SIGTERM, &before_term, nullptr);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].status, JobStatus::kFailed);
  EXPECT_EQ(results[0].bytes.rfind("its worker process was killed by signal 15", 0), 0u)
      << results[0].bytes;
  EXPECT_EQ(results[1].bytes, "SIGUSR1 not blocked");
  EXPECT_EQ(handled_in_caller, 0);
}

/// The exit handler below writes here when it runs in another process than its test's.
std::string exit_marker;
pid_t marker_owner = 0;

void mark_foreign_exit() {
  if (!exit_marker.empty() && getpid() != marker_owner) std::ofstream(exit_marker) << "ran\n";
}

TEST(WorkerPoolPosix, WorkersNeverRunTheCallersExitHandlers) {
  namespace fs = std::filesystem;
  exit_marker =
      (fs::temp_directory_path() / ("kavtest-pool-exit-" + std::to_string(getpid()))).string();
  fs::remove(exit_marker);
  marker_owner = getpid();
  ASSERT_EQ(std::atexit(mark_foreign_exit), 0);
  PoolOptions options;
  options.workers = 2;
  std::vector<JobResult> results = run_jobs(4, bytes_of, options);
  for (const JobResult& r : results) EXPECT_EQ(r.status, JobStatus::kDone);
  EXPECT_FALSE(fs::exists(exit_marker));
  fs::remove(exit_marker);
  exit_marker.clear();
}

volatile std::sig_atomic_t told_to_stop = 0;
void on_told_to_stop(int) { told_to_stop = 1; }

TEST(WorkerPoolPosix, AStopReachesTheJobsRunningAsTheSignalAsked) {
  namespace fs = std::filesystem;
  const fs::path ready =
      fs::temp_directory_path() / ("kavtest-pool-ready-" + std::to_string(getpid()));
  fs::remove(ready);
  volatile std::sig_atomic_t stop = 0;
  // Job 1 catches SIGTERM, says it is ready, and runs until told to stop (30 s at most); job 0
  // ends once job 1 is ready, and its end stops the pool.
  auto job = [&](std::size_t i) -> std::string {
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    if (i == 0) {
      while (!fs::exists(ready) && std::chrono::steady_clock::now() < give_up) usleep(10000);
      return "first";
    }
    std::signal(SIGTERM, on_told_to_stop);
    std::ofstream(ready.string()) << "ready";
    while (told_to_stop == 0 && std::chrono::steady_clock::now() < give_up) usleep(10000);
    return told_to_stop != 0 ? "stopped" : "ran to its end";
  };
  PoolOptions options;
  options.workers = 2;
  options.stop = &stop;
  options.stop_signal = SIGTERM;
  options.on_result = [&](std::size_t, const JobResult&) { stop = 1; };
  std::vector<JobResult> results = run_jobs(3, job, options);
  fs::remove(ready);
  EXPECT_EQ(results[0].bytes, "first");
  EXPECT_EQ(results[1].status, JobStatus::kDone);
  EXPECT_EQ(results[1].bytes, "stopped");
  EXPECT_EQ(results[2].status, JobStatus::kNotRun);  // never started once stopped
}

#endif

}  // namespace
