// Numbered backups: their names, the copy, and a backup never replaced.
#include "numbered_backup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "new_file.h"
#include "replace_file.h"
#endif

namespace {

using test_support::file_bytes;
using test_support::ScratchDir;
using Names = std::vector<std::string>;

TEST(BackupName, IsOneAboveTheHighestNumberInUse) {
  struct Case {
    Names names;
    std::string next;
  };
  for (const Case& c : {
           Case{{}, "w.tst.~1~"},
           Case{{"w.tst"}, "w.tst.~1~"},
           Case{{"w.tst", "w.tst.~1~"}, "w.tst.~2~"},
           Case{{"w.tst.~1~", "w.tst.~3~"}, "w.tst.~4~"},
           Case{{"w.tst.~2~"}, "w.tst.~3~"},
           Case{{"w.tst.~09~"}, "w.tst.~10~"},
           // Not backups of w.tst: another file's, other spellings, no number.
           Case{{"v.tst.~5~", "w.tst.~x~", "w.tst.~1", "w.tst~2~", "w.tst.~~", "w.tst.~-3~",
                 "w.tst.~4~.tst", "xw.tst.~6~", "w.tst.~ 7~"},
                "w.tst.~1~"},
       }) {
    std::string names;
    for (const std::string& n : c.names) names += n + " ";
    EXPECT_EQ(next_backup_name("w.tst", c.names), c.next) << names;
  }
  EXPECT_EQ(backup_number("w.tst.~12~", "w.tst"), 12);
  EXPECT_EQ(backup_number("w.tst.~12~", "w.ts"), 0);
}

TEST(NumberedBackup, CopiesTheFileAndNeverReplacesABackup) {
  ScratchDir dir;
  const std::string path = dir.write("w.tst", ".VECTORS 1\n.PATTERNS\n0H\n");
  dir.write("w.tst.~2~", "an older backup\n");
  std::string backup, error;
  ASSERT_TRUE(keep_numbered_backup(path, &backup, &error)) << error;
  EXPECT_EQ(backup, path + ".~3~");
  dir.write("w.tst", "changed\n");
  ASSERT_TRUE(keep_numbered_backup(path, &backup, &error)) << error;
  EXPECT_EQ(backup, path + ".~4~");
  EXPECT_EQ(file_bytes(dir.at("w.tst.~2~")), "an older backup\n");
  EXPECT_EQ(file_bytes(dir.at("w.tst.~3~")), ".VECTORS 1\n.PATTERNS\n0H\n");
  EXPECT_EQ(file_bytes(dir.at("w.tst.~4~")), "changed\n");
  EXPECT_EQ(dir.listing(), "w.tst\nw.tst.~2~\nw.tst.~3~\nw.tst.~4~\n");
}

#ifndef _WIN32

TEST(NumberedBackup, BothWaysOfMakingItGiveTheSameCopy) {
  for (bool unnamed : {true, false}) {
    SCOPED_TRACE(unnamed ? "unnamed first" : "named");
    allow_unnamed_files(unnamed);
    ScratchDir dir;
    const std::string path = dir.write("w.tst", std::string(100000, 'x'));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    std::string backup, error;
    ASSERT_TRUE(keep_numbered_backup(path, &backup, &error)) << error;
    EXPECT_EQ(file_bytes(backup), std::string(100000, 'x'));
    struct stat st;
    ASSERT_EQ(stat(backup.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // A name taken meanwhile is passed over, in either way.
    dir.write("w.tst.~2~", "taken\n");
    ASSERT_TRUE(keep_numbered_backup(path, &backup, &error)) << error;
    EXPECT_EQ(backup, path + ".~3~");
    EXPECT_EQ(file_bytes(dir.at("w.tst.~2~")), "taken\n");
  }
  allow_unnamed_files(true);
}

TEST(NumberedBackup, PendingReplacementIsStillRemovedByASignal) {
  // A test file is backed up while its replacement waits under a name: a signal after the
  // backup still removes the replacement, and leaves the backup whole.
  ScratchDir dir;
  const std::string path = dir.write("w.tst", "data\n");
  pid_t child = fork();
  if (child == 0) {
    allow_unnamed_files(false);
    FileReplacement r;
    std::string backup, error;
    if (!begin_replacement(r, path.c_str()) || !keep_numbered_backup(path, &backup, &error))
      _exit(1);
    raise(SIGTERM);
    _exit(2);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_EQ(dir.listing(), "w.tst\nw.tst.~1~\n");
  EXPECT_EQ(file_bytes(dir.at("w.tst.~1~")), "data\n");
}

TEST(NumberedBackup, SymbolicLinkIsBackedUpBesideItsFile) {
  ScratchDir dir;
  std::filesystem::create_directories(dir.path() / "real");
  const std::string target = dir.write("real/w.tst", "data\n");
  ASSERT_EQ(symlink(target.c_str(), dir.at("link.tst").c_str()), 0);
  std::string backup, error;
  ASSERT_TRUE(keep_numbered_backup(dir.at("link.tst"), &backup, &error)) << error;
  EXPECT_EQ(std::filesystem::path(backup).filename(), "w.tst.~1~");
  EXPECT_EQ(file_bytes(dir.at("real/w.tst.~1~")), "data\n");
  EXPECT_EQ(dir.listing(), "link.tst\nreal\n");
}

TEST(NumberedBackup, UnwritableDirectoryIsSaidAndLeftAsItWas) {
  // Permissions bind only an unprivileged user: as root, the copy is tried as "nobody".
  for (bool unnamed : {true, false}) {
    SCOPED_TRACE(unnamed ? "unnamed first" : "named");
    ScratchDir dir;
    const std::string path = dir.write("w.tst", "data\n");
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
    pid_t child = fork();
    if (child == 0) {
      allow_unnamed_files(unnamed);
      if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
      std::string backup, error;
      bool made = keep_numbered_backup(path, &backup, &error);
      _exit(!made && backup == path + ".~1~" && error == "Permission denied" ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(dir.listing(), "w.tst\n");
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  }
}

#endif

}  // namespace
