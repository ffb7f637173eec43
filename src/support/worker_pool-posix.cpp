// The worker pool on POSIX: forked worker processes, each joined to the pool by a socket pair.
// The pool writes a job's index to a worker; the worker answers with one frame (the index, its
// status, the length of its bytes, the bytes) and waits for the next index, or ends when its
// socket closes. A worker that dies shows as the end of its socket before its frame.
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <iostream>

#include "worker_pool.h"

namespace worker_pool {
namespace {

constexpr std::uint8_t kFrameDone = 0, kFrameFailed = 1;
/// A frame's head: index (8 bytes), status (1), length of the bytes (8), in this machine's order.
constexpr std::size_t kHeadBytes = 17;

/// Writes all `n` bytes; false when the other end is gone. Never raises SIGPIPE.
bool send_all(int fd, const void* data, std::size_t n) {
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    ssize_t w = send(fd, p, n, MSG_NOSIGNAL);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

/// Reads exactly `n` bytes; false at the end of the stream or an error.
bool read_all(int fd, void* data, std::size_t n) {
  char* p = static_cast<char*>(data);
  while (n > 0) {
    ssize_t r = read(fd, p, n);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    n -= static_cast<std::size_t>(r);
  }
  return true;
}

/// The worker side of one socket: job after job until the socket closes. Never returns.
[[noreturn]] void serve(int fd, const Job& job) {
  for (;;) {
    std::uint64_t index = 0;
    if (!read_all(fd, &index, sizeof index)) _exit(0);
    std::uint8_t status = kFrameDone;
    std::string bytes;
    try {
      bytes = job(static_cast<std::size_t>(index));
    } catch (const std::exception& e) {
      status = kFrameFailed;
      bytes = std::string("the job failed: ") + e.what();
    } catch (...) {
      status = kFrameFailed;
      bytes = "the job failed with an exception";
    }
    std::fflush(nullptr);
    char head[kHeadBytes];
    std::uint64_t length = bytes.size();
    std::memcpy(head, &index, 8);
    head[8] = static_cast<char>(status);
    std::memcpy(head + 9, &length, 8);
    if (!send_all(fd, head, sizeof head) || !send_all(fd, bytes.data(), bytes.size())) _exit(0);
  }
}

/// What a forked worker does first: keep its own socket alone, die with the pool's process,
/// and take the default action of every signal the caller handles, with none blocked.
void become_worker(int own_fd, const std::vector<int>& others, pid_t pool) {
  for (int fd : others)
    if (fd != own_fd) close(fd);
#ifdef __linux__
  prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
  if (getppid() != pool) _exit(0);  // the pool's process is gone already
  for (int sig = 1; sig < NSIG; ++sig) {
    struct sigaction old;
    if (sigaction(sig, nullptr, &old) != 0) continue;
    bool handled = (old.sa_flags & SA_SIGINFO) != 0 ||
                   (old.sa_handler != SIG_DFL && old.sa_handler != SIG_IGN);
    if (!handled) continue;
    struct sigaction dfl = {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(sig, &dfl, nullptr);
  }
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
}

struct Worker {
  pid_t pid = -1;
  int fd = -1;
  std::size_t job = 0;  ///< the job it holds: a worker in the pool always holds one
};

/// How a reaped worker ended, as the reason its job failed.
std::string ending(int status) {
  if (WIFEXITED(status))
    return "its worker process exited with status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) {
    const char* name = strsignal(WTERMSIG(status));
    return "its worker process was killed by signal " + std::to_string(WTERMSIG(status)) +
           (name != nullptr ? std::string(" (") + name + ")" : std::string());
  }
  return "its worker process ended";
}

/// Waits for `pid` to end; its wait status, or -1 when it cannot be waited for.
int reap(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

class Pool {
 public:
  Pool(std::size_t count, const Job& job, const PoolOptions& options)
      : job_(job), options_(options), results_(count) {
    for (std::size_t i = 0; i < count; ++i) pending_.push_back(i);
    limit_ = options.workers != 0 ? options.workers : default_workers();
    if (limit_ > count) limit_ = static_cast<unsigned>(count);
  }

  std::vector<JobResult> run() {
    while (!pending_.empty() && !stopped() && workers_.size() < limit_)
      if (!start_worker()) break;
    while (!workers_.empty()) {
      wait_for_results();
      pass_on_stop();
    }
    if (!pending_.empty() && !stopped() && !start_failure_.empty())
      for (std::size_t i : pending_)
        results_[i] = {JobStatus::kFailed, "no worker process could be started: " + start_failure_};
    return std::move(results_);
  }

 private:
  bool stopped() const { return options_.stop != nullptr && *options_.stop != 0; }

  /// Once stopped, sends the stop signal to every running worker, once.
  void pass_on_stop() {
    if (options_.stop_signal == 0 || stop_passed_ || !stopped()) return;
    stop_passed_ = true;
    for (const Worker& w : workers_) kill(w.pid, options_.stop_signal);
  }

  /// Forks a worker and gives it the next job; false when no process could be made.
  bool start_worker() {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) {
      start_failure_ = std::strerror(errno);
      return false;
    }
    std::fflush(nullptr);
    std::cout.flush();
    std::cerr.flush();
    pid_t pool = getpid();
    pid_t pid = fork();
    if (pid < 0) {
      start_failure_ = std::strerror(errno);
      close(pair[0]);
      close(pair[1]);
      return false;
    }
    if (pid == 0) {
      std::vector<int> others{pair[0]};
      for (const Worker& w : workers_) others.push_back(w.fd);
      become_worker(pair[1], others, pool);
      serve(pair[1], job_);
    }
    close(pair[1]);
    workers_.push_back({pid, pair[0], 0});
    give_job(workers_.size() - 1);
    return true;
  }

  /// Hands the next pending job to worker `w`, or lets it go when none is left to start.
  void give_job(std::size_t w) {
    Worker& worker = workers_[w];
    if (pending_.empty() || stopped()) {
      let_go(w);
      return;
    }
    worker.job = pending_.front();
    pending_.pop_front();
    std::uint64_t index = worker.job;
    if (!send_all(worker.fd, &index, sizeof index)) lost(w);
  }

  /// Closes the socket of idle worker `w`, which then ends, and waits for it.
  void let_go(std::size_t w) {
    close(workers_[w].fd);
    reap(workers_[w].pid);
    workers_.erase(workers_.begin() + static_cast<std::ptrdiff_t>(w));
  }

  /// Worker `w` ended without a result for the job it held: that job fails (or did not run,
  /// once the pool is stopped), and a fresh worker takes the place while jobs remain.
  void lost(std::size_t w) {
    Worker worker = workers_[w];
    workers_.erase(workers_.begin() + static_cast<std::ptrdiff_t>(w));
    close(worker.fd);
    int status = reap(worker.pid);
    if (stopped()) {
      results_[worker.job] = {JobStatus::kNotRun, ""};
    } else {
      results_[worker.job] = {JobStatus::kFailed, status < 0
                                                      ? std::string("its worker process was lost")
                                                      : ending(status)};
      if (options_.on_result) options_.on_result(worker.job, results_[worker.job]);
    }
    if (!pending_.empty() && !stopped()) start_worker();
  }

  /// Waits until some worker answers or ends, and takes what it gave.
  void wait_for_results() {
    std::vector<pollfd> fds;
    for (const Worker& w : workers_) fds.push_back({w.fd, POLLIN, 0});
    // While a stop may still have to be passed on, look at the flag now and then: a signal
    // that came just before poll does not interrupt it.
    int wait_ms = options_.stop_signal != 0 && !stop_passed_ ? 100 : -1;
    int ready = poll(fds.data(), fds.size(), wait_ms);
    if (ready <= 0) return;  // a signal, or the time to look at the flag: look again
    // Workers are taken from the end so that erasing one leaves the indices before it valid.
    for (std::size_t i = fds.size(); i-- > 0;) {
      if (fds[i].revents == 0) continue;
      std::size_t w = i;
      char head[kHeadBytes];
      std::uint64_t index = 0, length = 0;
      std::string bytes;
      bool whole = read_all(workers_[w].fd, head, sizeof head);
      if (whole) {
        std::memcpy(&index, head, 8);
        std::memcpy(&length, head + 9, 8);
        whole = index == workers_[w].job;
      }
      if (whole) {
        bytes.resize(static_cast<std::size_t>(length));
        whole = read_all(workers_[w].fd, &bytes[0], bytes.size());
      }
      if (!whole) {
        lost(w);
        continue;
      }
      JobResult& r = results_[workers_[w].job];
      r.status = head[8] == static_cast<char>(kFrameDone) ? JobStatus::kDone : JobStatus::kFailed;
      r.bytes = std::move(bytes);
      if (options_.on_result) options_.on_result(workers_[w].job, r);
      give_job(w);
    }
  }

  const Job& job_;
  const PoolOptions& options_;
  std::vector<JobResult> results_;
  std::deque<std::size_t> pending_;
  std::vector<Worker> workers_;
  unsigned limit_ = 1;
  std::string start_failure_;
  bool stop_passed_ = false;
};

}  // namespace

unsigned default_workers() {
#ifdef __linux__
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
    return static_cast<unsigned>(CPU_COUNT(&set));
#endif
  long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? static_cast<unsigned>(n) : 1u;
}

bool jobs_in_workers() { return true; }

std::vector<JobResult> run_jobs(std::size_t count, const Job& job, const PoolOptions& options) {
  return Pool(count, job, options).run();
}

}  // namespace worker_pool
