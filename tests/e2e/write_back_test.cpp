// The write-back of a defect-table run keeps what the user had: a file rewritten in place where a
// rename would change its owner, its links or its directory; nothing left half-written by a
// signal (SIGKILL included) or a file-size limit; a file another run holds, and a test file the
// run would cut down where no backup of it can be made, are refused before any exchange. The
// runs use the fault build of the tool (a signal at a chosen transfer, the box's transcript).
// Where these tests run as root, the cases of an ordinary user run with the privileges of
// "nobody", on a copy of the binary that such a user can execute.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;

namespace {

using test_support::file_bytes;
using test_support::Launch;
using test_support::run_process;

struct Outcome {
  int status = -1;
  std::string out, err, transcript;
};

/// Who runs the tool, and with which file-size limit (0: none).
struct Runner {
  uid_t uid = 0;
  gid_t gid = 0;
  bool drop = false;
  rlim_t file_size_limit = 0;  ///< files the tool writes, its standard output too
};

/// A scratch directory that an unprivileged user can enter, with the C17 example as t.tst and a
/// copy of the fault build.
struct WriteBack : testing::Test {
  test_support::ScratchDir scratch{"kavtest-writeback-"};
  fs::path dir, work, tmp, binary, test_file;
  std::string original;
  Runner runner;

  void SetUp() override {
    dir = scratch.path();
    work = dir / "work";
    tmp = dir / "tmp";
    fs::create_directories(work);
    fs::create_directories(tmp);
    fs::permissions(dir, fs::perms(0777));
    fs::permissions(work, fs::perms(0777));
    fs::permissions(tmp, fs::perms(0777));
    binary = dir / "kavtest";
    fs::copy_file(KAVTEST_FAULTS_BINARY, binary);
    fs::permissions(binary, fs::perms(0755));
    test_file = work / "t.tst";
    fs::copy_file(fs::path(KAVTEST_EXAMPLES) / "16-C17-shorts.tst", test_file);
    original = file_bytes(test_file);
  }

  /// Switches later runs to the user "nobody"; false when this process cannot.
  bool as_nobody() {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || nobody == nullptr) return false;
    runner.uid = nobody->pw_uid;
    runner.gid = nobody->pw_gid;
    runner.drop = true;
    return true;
  }

  /// The tool in `work` with `arguments`, the fault plan's environment in `environment`.
  Outcome run(const std::vector<std::string>& arguments,
              std::vector<std::pair<std::string, std::string>> environment = {}) {
    Launch l;
    l.program = binary.string();
    l.argv = {"kavtest"};
    l.argv.insert(l.argv.end(), arguments.begin(), arguments.end());
    l.cwd = work;
    l.out = runner.file_size_limit != 0 ? "/dev/null" : dir / "stdout";
    l.err = dir / "stderr";
    fs::path transcript = runner.file_size_limit != 0 ? "/dev/null" : dir / "transcript";
    if (runner.file_size_limit == 0) fs::remove(transcript);
    environment.push_back({"KAVTEST_BOX_TRANSCRIPT", transcript.string()});
    environment.push_back({"TMPDIR", tmp.string()});
    l.environment = environment;
    Outcome o;
    o.status = run_as(l);
    o.out = file_bytes(l.out);
    o.err = file_bytes(l.err);
    o.transcript = file_bytes(transcript);
    return o;
  }

  /// Runs `l` in a child with the runner's user and limit; the status as run_process gives it.
  int run_as(const Launch& l) {
    pid_t child = fork();
    if (child == 0) {
      if (runner.drop &&
          (setgroups(0, nullptr) != 0 || setgid(runner.gid) != 0 || setuid(runner.uid) != 0))
        _exit(126);
      if (runner.file_size_limit != 0) {
        struct rlimit rl = {runner.file_size_limit, runner.file_size_limit};
        if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(126);
      }
      _exit(run_process(l));
    }
    int wstatus = 0;
    waitpid(child, &wstatus, 0);
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  }

  /// The names in `d`, sorted.
  static std::vector<std::string> listing(const fs::path& d) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(d)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  static struct stat status_of(const fs::path& p) {
    struct stat st = {};
    EXPECT_EQ(stat(p.c_str(), &st), 0) << p;
    return st;
  }

  /// A defect table of the 126-cell run was written over the test file.
  void expect_result_in(const fs::path& p) {
    std::string text = file_bytes(p);
    EXPECT_NE(text.find("\n.TABLE\n"), std::string::npos) << p;
    EXPECT_NE(text.find("63 / 126 = 50.000000 %"), std::string::npos) << p;
  }
};

const std::vector<std::string> kDefectTable = {"-all_defects", "-circuit", "16", "t.tst"};

TEST_F(WriteBack, HardLinkedFileIsRewrittenInPlaceAndStaysLinked) {
  fs::create_hard_link(test_file, work / "link.tst");
  ino_t inode = status_of(test_file).st_ino;
  Outcome o = run(kDefectTable);
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_EQ(status_of(test_file).st_ino, inode);
  EXPECT_EQ(status_of(work / "link.tst").st_nlink, 2u);
  expect_result_in(work / "link.tst");
  EXPECT_EQ(listing(work), (std::vector<std::string>{"link.tst", "t.tst"}));
  EXPECT_TRUE(listing(tmp).empty());
}

TEST_F(WriteBack, OrdinaryUserKeepsOwnerAndPlaceOfTheFile) {
  if (!as_nobody()) GTEST_SKIP() << "needs root to run as another user";
  // A file of nobody's in a directory nobody cannot write: rewritten where it is.
  fs::permissions(work, fs::perms(0755));
  ASSERT_EQ(chown(test_file.c_str(), runner.uid, runner.gid), 0);
  ino_t inode = status_of(test_file).st_ino;
  Outcome o = run(kDefectTable);
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_EQ(status_of(test_file).st_ino, inode);
  expect_result_in(test_file);
  // A writable file of root's: it stays root's, with its mode.
  fs::permissions(work, fs::perms(0777));
  ASSERT_EQ(chown(test_file.c_str(), 0, 0), 0);
  fs::permissions(test_file, fs::perms(0666));
  o = run(kDefectTable);
  EXPECT_EQ(o.status, 0) << o.out;
  struct stat st = status_of(test_file);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(st.st_mode & 07777, 0666u);
  EXPECT_EQ(listing(work), std::vector<std::string>{"t.tst"});
  EXPECT_TRUE(listing(tmp).empty());
}

TEST_F(WriteBack, UnwritableOutputIsFoundBeforeAnyExchange) {
  if (!as_nobody()) GTEST_SKIP() << "needs root to run as another user";
  fs::create_directories(work / "locked");
  fs::permissions(work / "locked", fs::perms(0755));
  Outcome o = run({"-all_defects", "-circuit", "16", "-tst", "locked/out.tst", "t.tst"});
  EXPECT_EQ(o.status, 255);
  EXPECT_EQ(o.out, "\nReading test patterns ... OK\n32 vector(s) read\nError writing TST file.\n");
  EXPECT_EQ(o.transcript, "");
  EXPECT_TRUE(listing(work / "locked").empty());
}

TEST_F(WriteBack, SignalLeavesTheOriginalAndNoTemporaryFile) {
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
    SCOPED_TRACE(sig);
    Outcome o = run({"-all_defects", "-circuit", "16", "-tst", "out.tst", "t.tst"},
                    {{"KAVTEST_BOX_SIGNAL", std::to_string(sig) + "@40"}});
    EXPECT_EQ(o.status, 128 + sig);
    EXPECT_EQ(listing(work), std::vector<std::string>{"t.tst"});
  }
  // Rewritten in place, the file's new bytes wait in the temporary directory.
  fs::create_hard_link(test_file, work / "link.tst");
  Outcome o = run(kDefectTable, {{"KAVTEST_BOX_SIGNAL", std::to_string(SIGTERM) + "@40"}});
  EXPECT_EQ(o.status, 128 + SIGTERM);
  EXPECT_EQ(file_bytes(test_file), original);
  EXPECT_TRUE(listing(tmp).empty());
}

TEST_F(WriteBack, KillDuringTheMeasurementLeavesNothingBehind) {
  // The replacement is unnamed until the write-back: SIGKILL, which no handler sees, leaves
  // no temporary file beside the result or in the temporary directory.
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    bool hard_link;  ///< the test file rewritten in place, its new bytes in the temporary directory
  };
  for (const Case& c :
       {Case{"-tst", {"-all_defects", "-circuit", "16", "-tst", "out.tst", "t.tst"}, false},
        Case{"test file renamed over", kDefectTable, false},
        Case{"test file rewritten in place", kDefectTable, true}}) {
    SCOPED_TRACE(c.name);
    if (c.hard_link) fs::create_hard_link(test_file, work / "link.tst");
    Outcome o = run(c.arguments, {{"KAVTEST_BOX_SIGNAL", std::to_string(SIGKILL) + "@40"}});
    EXPECT_EQ(o.status, 128 + SIGKILL);
    EXPECT_EQ(file_bytes(test_file), original);
    EXPECT_EQ(listing(work), c.hard_link ? (std::vector<std::string>{"link.tst", "t.tst"})
                                         : std::vector<std::string>{"t.tst"});
    EXPECT_TRUE(listing(tmp).empty());
  }
}

TEST_F(WriteBack, TestFileThatCannotBeBackedUpIsNotCutDown) {
  if (!as_nobody()) GTEST_SKIP() << "needs root to run as another user";
  // nobody's test file in a directory nobody cannot write: no backup can be made beside it,
  // and the run on a circuit of two inputs would cut its vectors.
  fs::permissions(work, fs::perms(0755));
  ASSERT_EQ(chown(test_file.c_str(), runner.uid, runner.gid), 0);
  const std::string warning =
      "kavtest: TST file 't.tst' has 5 input columns, circuit 12 (NA2) has 2: the vectors are "
      "cut to the last 2\n";
  Outcome o = run({"-all_defects", "-circuit", "12", "t.tst"});
  EXPECT_EQ(o.status, 255);
  EXPECT_EQ(o.err, warning +
                       "kavtest: no backup of TST file 't.tst' can be made ('t.tst.~1~': "
                       "Permission denied), and the result written over it would lose what it "
                       "holds: give -tst and another file for the result\n");
  EXPECT_EQ(o.out, "\nReading test patterns ... OK\n32 vector(s) read\n");
  EXPECT_EQ(o.transcript, "");
  EXPECT_EQ(file_bytes(test_file), original);
  EXPECT_EQ(listing(work), std::vector<std::string>{"t.tst"});
  EXPECT_TRUE(listing(tmp).empty());
  // The result written elsewhere needs no backup.
  o = run({"-all_defects", "-circuit", "12", "-tst", "../tmp/out.tst", "t.tst"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, warning);
  EXPECT_NE(file_bytes(tmp / "out.tst").find("\n.TABLE\n"), std::string::npos);
  EXPECT_EQ(file_bytes(test_file), original);
  EXPECT_EQ(listing(work), std::vector<std::string>{"t.tst"});
}

TEST_F(WriteBack, FileSizeLimitIsAFailedWrite) {
  runner.file_size_limit = original.size();  // the result is larger than the test file
  Outcome o = run(kDefectTable);
  EXPECT_EQ(o.status, 255);
  EXPECT_EQ(file_bytes(test_file), original);
  EXPECT_EQ(listing(work), std::vector<std::string>{"t.tst"});
  fs::create_hard_link(test_file, work / "link.tst");  // in place: the original bytes return
  o = run(kDefectTable);
  EXPECT_EQ(o.status, 255);
  EXPECT_EQ(file_bytes(test_file), original);
  EXPECT_TRUE(listing(tmp).empty());
}

TEST_F(WriteBack, FileOfAnotherRunIsRefusedAtOnce) {
  int held = open(test_file.c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  Outcome o = run(kDefectTable);
  EXPECT_EQ(o.status, 255);
  EXPECT_EQ(o.err, "TST file 't.tst' is in use by another run\n");
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.transcript, "");
  // A reader may share the test file of a run that writes elsewhere, a writer may not.
  ASSERT_EQ(flock(held, LOCK_SH), 0);
  o = run({"-all_defects", "-circuit", "16", "-tst", "out.tst", "t.tst"});
  EXPECT_EQ(o.status, 0) << o.err;
  int out = open((work / "out.tst").c_str(), O_RDONLY);
  ASSERT_EQ(flock(out, LOCK_SH), 0);
  o = run({"-all_defects", "-circuit", "16", "-tst", "out.tst", "t.tst"});
  EXPECT_EQ(o.err, "TST file 'out.tst' is in use by another run\n");
  EXPECT_EQ(o.transcript, "");
  close(out);
  close(held);
  EXPECT_EQ(file_bytes(test_file), original);
}

}  // namespace
