// For death tests: how the parent sees a process that end_process() ended.
#ifndef KAVTEST_EXIT_TEST_UTIL_H
#define KAVTEST_EXIT_TEST_UTIL_H

#include <gtest/gtest.h>

namespace kavtest_test {

/// The exit of end_process(status). A POSIX parent sees the low 8 bits of the status (-1 as
/// 255); a Windows parent sees the whole value (-1 as 0xFFFFFFFF, which reads back as -1).
inline testing::ExitedWithCode ExitedWithStatus(int status) {
#ifdef _WIN32
  return testing::ExitedWithCode(status);
#else
  return testing::ExitedWithCode(status & 0xff);
#endif
}

}  // namespace kavtest_test

#endif
