// Rewriting a TST file in place of the user's copy: all or nothing.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TSTData.h"
#include "new_file.h"
#include "replace_file.h"
#include "test_support.h"

namespace {

using test_support::ScratchDir;
using test_support::file_bytes;

/// A record whose file is `rows` lines of 40 characters after the count line.
BIST* big_record(int rows) {
  std::vector<std::string> lines;
  for (int k = 0; k < rows; ++k) lines.emplace_back(40, k % 2 ? '1' : '0');
  return test_support::test_record(38, 2, lines);
}

mode_t permissions(const std::string& path) {
  struct stat st;
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  return st.st_mode & 07777;
}

/// Runs WriteTST in a child process whose files may not grow past `limit` bytes; returns
/// the child's WriteTST result (or 99 when the child did not end normally).
int write_with_file_size_limit(BIST* b, const std::string& path, rlim_t limit) {
  pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
    struct rlimit rl = {limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(98);
    _exit(WriteTST(b, nullptr, path.c_str()) == -1 ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status)) return 99;
  return WEXITSTATUS(status) == 1 ? -1 : WEXITSTATUS(status);
}

/// Every case in both ways of making the temporary file: unnamed where the system allows it
/// (true), and named from the start, as on other systems and file systems (false).
class Replacement : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override { allow_unnamed_files(GetParam()); }
  void TearDown() override {
    FreeTST(record_);
    allow_unnamed_files(true);
  }
  ScratchDir dir_;
  BIST* record_ = big_record(2000);
};

INSTANTIATE_TEST_SUITE_P(TemporaryFile, Replacement, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& way) {
                           return std::string(way.param ? "UnnamedFirst" : "Named");
                         });

/// Whether the file system of `dir` takes unnamed files (Linux's O_TMPFILE), when allowed.
bool unnamed_files_in(const std::string& dir) {
  int fd = open_unnamed(dir, 0600);
  if (fd >= 0) close(fd);
  return fd >= 0;
}

TEST_P(Replacement, PendingFileHasANameOnlyWhereItCannotBeUnnamed) {
  const std::string path = dir_.write("user.tst", "old\n");
  FileReplacement r;
  ASSERT_TRUE(begin_replacement(r, path.c_str()));
  ASSERT_EQ(std::fputs("new\n", r.fp), 1);
  const bool unnamed = r.unnamed;
  const std::string pending = dir_.listing();
  ASSERT_TRUE(finish_replacement(r));
  EXPECT_EQ(file_bytes(path), "new\n");
  EXPECT_EQ(dir_.listing(), "user.tst\n");
  EXPECT_EQ(unnamed, GetParam() && unnamed_files_in(dir_.path().string()));
  if (unnamed)
    EXPECT_EQ(pending, "user.tst\n");
  else
    EXPECT_EQ(pending.substr(0, 18), "user.tst\nuser.tst.");
}

TEST_P(Replacement, KillWhileWritingLeavesTheOriginalAndNothingElse) {
  // A file renamed over, and a file rewritten in place (two links) whose new bytes wait in the
  // temporary directory.
  const std::string path = dir_.write("user.tst", "old\n");
  const std::string tmp = dir_.at("tmp");
  ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
  for (bool in_place : {false, true}) {
    SCOPED_TRACE(in_place ? "in place" : "renamed over");
    if (in_place) {
      ASSERT_EQ(link(path.c_str(), dir_.at("other.tst").c_str()), 0);
    }
    pid_t child = fork();
    if (child == 0) {
      setenv("TMPDIR", tmp.c_str(), 1);
      FileReplacement r;
      if (!begin_replacement(r, path.c_str()) || std::fputs("new\n", r.fp) < 0 ||
          std::fflush(r.fp) != 0)
        _exit(1);
      raise(SIGKILL);
      _exit(2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_EQ(file_bytes(path), "old\n");
    // A named temporary file cannot be removed by a process killed with SIGKILL.
    if (GetParam() && unnamed_files_in(in_place ? tmp : dir_.path().string())) {
      EXPECT_EQ(dir_.listing(), in_place ? "other.tst\ntmp\nuser.tst\n" : "tmp\nuser.tst\n");
      EXPECT_TRUE(std::filesystem::is_empty(tmp));
    }
  }
}

TEST_P(Replacement, FailedWriteLeavesTheOriginalAndNoTemporaryFile) {
  const std::string original = ".VECTORS 1\n\n.PATTERNS\n\n0H\n";
  const std::string path = dir_.write("user.tst", original);
  EXPECT_EQ(write_with_file_size_limit(record_, path, 4096), -1);
  EXPECT_EQ(file_bytes(path), original);
  EXPECT_EQ(dir_.listing(), "user.tst\n");
}

TEST_P(Replacement, FailedWriteOfANewFileLeavesNothing) {
  EXPECT_EQ(write_with_file_size_limit(record_, dir_.at("new.tst"), 4096), -1);
  EXPECT_EQ(dir_.listing(), "");
}

TEST_P(Replacement, SameWriteWithinTheLimitSucceeds) {
  const std::string path = dir_.write("user.tst", "old\n");
  EXPECT_EQ(write_with_file_size_limit(record_, path, 1 << 20), 0);
  EXPECT_EQ(file_bytes(path).substr(0, 16), ".VECTORS 2000\n\n.");
  EXPECT_EQ(dir_.listing(), "user.tst\n");
}

TEST_P(Replacement, PermissionBitsSurvive) {
  const std::string path = dir_.write("user.tst", "old\n");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(WriteTST(record_, nullptr, path.c_str()), 0);
  EXPECT_EQ(permissions(path), 0640u);
  ASSERT_EQ(chmod(path.c_str(), 0751), 0);
  ASSERT_EQ(WriteTST(record_, nullptr, path.c_str()), 0);
  EXPECT_EQ(permissions(path), 0751u);
  EXPECT_EQ(file_bytes(path).substr(0, 14), ".VECTORS 2000\n");
  EXPECT_EQ(dir_.listing(), "user.tst\n");
}

TEST_P(Replacement, NewFileGetsTheUsualPermissions) {
  mode_t mask = umask(027);
  const std::string path = dir_.at("new.tst");
  const int written = WriteTST(record_, nullptr, path.c_str());
  umask(mask);
  ASSERT_EQ(written, 0);
  EXPECT_EQ(permissions(path), 0640u);
}

TEST_P(Replacement, SymbolicLinkStaysALink) {
  const std::string target = dir_.write("real.tst", "old\n");
  const std::string link = dir_.at("link.tst");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  ASSERT_EQ(WriteTST(record_, nullptr, link.c_str()), 0);
  struct stat st;
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(file_bytes(target).substr(0, 14), ".VECTORS 2000\n");
  EXPECT_EQ(dir_.listing(), "link.tst\nreal.tst\n");
}

TEST_P(Replacement, DevicesAreWrittenInPlace) {
  EXPECT_EQ(WriteTST(record_, nullptr, "/dev/null"), 0);
  if (access("/dev/full", W_OK) == 0) {
    EXPECT_EQ(WriteTST(record_, nullptr, "/dev/full"), -1);
  }
  struct stat st;
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_P(Replacement, PipeIsWrittenInPlace) {
  const std::string fifo = dir_.at("pipe");
  const std::string copy = dir_.at("copy");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  pid_t reader = fork();
  if (reader == 0) {  // copies what comes through the pipe into a file
    int in = open(fifo.c_str(), O_RDONLY);
    int out = open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    char buf[4096];
    for (ssize_t n; (n = read(in, buf, sizeof buf)) > 0;) {
      if (write(out, buf, static_cast<std::size_t>(n)) != n) _exit(1);
    }
    _exit(0);
  }
  EXPECT_EQ(WriteTST(record_, nullptr, fifo.c_str()), 0);
  int status = 0;
  waitpid(reader, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  struct stat st;
  ASSERT_EQ(stat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(file_bytes(copy).size(), 14u + 12u + 2000u * 41u);
  EXPECT_EQ(dir_.listing(), "copy\npipe\n");
}

TEST_P(Replacement, FailingStreamIsReported) {
  std::FILE* full = std::fopen("/dev/full", "w");
  if (!full) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(WriteTST(record_, full, nullptr), -1);
  std::fclose(full);
}

TEST_P(Replacement, WriteProtectedFileIsLeftAlone) {
  const std::string path = dir_.at("locked.tst");
  // Permissions bind only an unprivileged user: as root, check as the user "nobody".
  const bool root = geteuid() == 0;
  ASSERT_EQ(chmod(dir_.path().c_str(), 0777), 0);
  pid_t child = fork();
  if (child == 0) {
    if (root && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0444);
    if (fd < 0 || write(fd, "keep\n", 5) != 5 || close(fd) != 0) _exit(3);
    _exit(WriteTST(record_, nullptr, path.c_str()) == -1 ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(file_bytes(path), "keep\n");
  EXPECT_EQ(dir_.listing(), "locked.tst\n");
}

TEST_P(Replacement, DirectoryIsNotReplaced) {
  const std::string sub = dir_.at("sub");
  ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
  EXPECT_EQ(WriteTST(record_, nullptr, sub.c_str()), -1);
  EXPECT_EQ(dir_.listing(), "sub\n");
}

}  // namespace
