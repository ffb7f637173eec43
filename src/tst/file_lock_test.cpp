// Advisory locks on TST files: what conflicts, what shares, what needs no lock.
#include "file_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "test_support.h"

namespace {

TEST(FileLock, ExclusiveConflictsWithEveryOtherLockUntilReleased) {
  test_support::ScratchDir dir;
  const std::string path = dir.write("t.tst", ".VECTORS 0\n");
  FileLock writer, other;
  ASSERT_EQ(lock_file(writer, path.c_str(), true), LockOutcome::Held);
  EXPECT_EQ(lock_file(other, path.c_str(), true), LockOutcome::Busy);
  EXPECT_EQ(lock_file(other, path.c_str(), false), LockOutcome::Busy);
  EXPECT_EQ(other.handle, -1);
  unlock_file(writer);
  EXPECT_EQ(lock_file(other, path.c_str(), true), LockOutcome::Held);
  unlock_file(other);
}

TEST(FileLock, ReadersShareButKeepAWriterOut) {
  test_support::ScratchDir dir;
  const std::string path = dir.write("t.tst", ".VECTORS 0\n");
  FileLock first, second, writer;
  ASSERT_EQ(lock_file(first, path.c_str(), false), LockOutcome::Held);
  EXPECT_EQ(lock_file(second, path.c_str(), false), LockOutcome::Held);
  EXPECT_EQ(lock_file(writer, path.c_str(), true), LockOutcome::Busy);
  unlock_file(first);
  unlock_file(second);
  EXPECT_EQ(lock_file(writer, path.c_str(), true), LockOutcome::Held);
  unlock_file(writer);
}

TEST(FileLock, OnlyRegularFilesAreLocked) {
  test_support::ScratchDir dir;
  FileLock lock;
  EXPECT_EQ(lock_file(lock, dir.at("missing.tst").c_str(), true), LockOutcome::NotNeeded);
#ifndef _WIN32
  EXPECT_EQ(lock_file(lock, "/dev/null", true), LockOutcome::NotNeeded);
#else
  EXPECT_EQ(lock_file(lock, "NUL", true), LockOutcome::NotNeeded);
#endif
  EXPECT_EQ(lock.handle, -1);
}

TEST(FileLock, SameFileKnowsATwiceNamedFile) {
  test_support::ScratchDir dir;
  const std::string path = dir.write("t.tst", "x");
  const std::string other = dir.write("u.tst", "x");
  EXPECT_TRUE(same_file(path.c_str(), (dir.path() / "." / "t.tst").string().c_str()));
  EXPECT_FALSE(same_file(path.c_str(), other.c_str()));
  EXPECT_FALSE(same_file(path.c_str(), dir.at("missing.tst").c_str()));
}

}  // namespace
