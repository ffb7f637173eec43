// The quiet thread runs its body (on POSIX with every signal blocked, leaving its caller's mask
// alone).
#include "quiet_thread.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#endif

namespace {

TEST(QuietThread, RunsItsBody) {
  int ran = 0;
  std::thread t = quiet_thread([&ran] { ran = 1; });
  if (t.joinable()) t.join();
  EXPECT_EQ(ran, 1);
}

#ifndef _WIN32
TEST(QuietThread, BlocksEverySignalInTheThreadAndNoneMoreInTheCaller) {
  sigset_t before;
  pthread_sigmask(SIG_SETMASK, nullptr, &before);
  bool all_blocked = true;
  std::thread t = quiet_thread([&all_blocked] {
    sigset_t mask;
    pthread_sigmask(SIG_SETMASK, nullptr, &mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGUSR1, SIGCHLD})
      all_blocked = all_blocked && sigismember(&mask, sig) == 1;
  });
  t.join();
  EXPECT_TRUE(all_blocked);
  sigset_t after;
  pthread_sigmask(SIG_SETMASK, nullptr, &after);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGUSR1, SIGCHLD})
    EXPECT_EQ(sigismember(&after, sig), sigismember(&before, sig)) << sig;
}
#endif

}  // namespace
