// What kavlab writes, end to end with its fault build: a run owns its output from its start to
// its end (a second run on it is refused at once, and no lock file is left behind); a result
// that cannot be written where asked is kept elsewhere, and one written nowhere is never called
// saved; no command writes over one of its inputs. A run is held mid-way by SIGSTOP, raised by
// the fault build as a chosen transfer starts. Where these tests run as root, the runs whose
// directory is made unwritable run as "nobody".
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace kavlab {

namespace {

namespace fs = std::filesystem;
using test_support::file_bytes;

struct Outputs : testing::Test {
  test_support::ScratchDir scratch{"kavlab-outputs-"};
  fs::path dir, binary;
  uid_t uid = 0;
  gid_t gid = 0;
  bool drop = false;

  void SetUp() override {
    dir = scratch.path();
    fs::permissions(dir, fs::perms(0777));
    binary = dir / "kavlab-sim";  // a copy that another user can run
    fs::copy_file(KAVLAB_FAULTS_BINARY, binary);
    fs::permissions(binary, fs::perms(0755));
  }

  /// Runs later runs as "nobody" when this process is root; false when it is root and cannot.
  bool as_ordinary_user() {
    if (geteuid() != 0) return true;
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr) return false;
    uid = nobody->pw_uid;
    gid = nobody->pw_gid;
    drop = true;
    return true;
  }

  /// Starts kavlab-sim-faults in `dir` with `words` and `environment`; its process.
  pid_t start(const std::vector<std::string>& words,
              const std::vector<std::pair<std::string, std::string>>& environment = {}) {
    std::vector<std::string> argv = {"kavlab-sim"};
    argv.insert(argv.end(), words.begin(), words.end());
    pid_t pid = fork();
    if (pid == 0) {
      std::vector<char*> args;
      for (std::string& w : argv) args.push_back(w.data());
      args.push_back(nullptr);
      if (drop && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)) _exit(126);
      if (!std::freopen((dir / "stdout").c_str(), "w", stdout) ||
          !std::freopen((dir / "stderr").c_str(), "w", stderr) || chdir(dir.c_str()) != 0)
        _exit(127);
      for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
      execv(binary.c_str(), args.data());
      _exit(127);
    }
    return pid;
  }

  /// Waits until `pid` stopped itself; false when it ended instead.
  static bool stopped(pid_t pid) {
    int wstatus = 0;
    return waitpid(pid, &wstatus, WUNTRACED) == pid && WIFSTOPPED(wstatus);
  }

  /// Lets `pid` go on and waits for its end: its exit status, or 128 plus the signal.
  static int finish(pid_t pid) {
    kill(pid, SIGCONT);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  }

  int run(const std::vector<std::string>& words) { return finish(start(words)); }
  std::string err() { return file_bytes(dir / "stderr"); }
};

/// NA2, every input vector, both passes, in this process alone; SIGSTOP as transfer 5 starts.
const std::vector<std::string> kRun = {"run", "-c", "12", "--exhaustive", "-j", "1", "-o"};
const std::pair<std::string, std::string> kHold = {"KAVTEST_BOX_SIGNAL",
                                                   std::to_string(SIGSTOP) + "@5"};

std::vector<std::string> run_to(const std::string& out) {
  std::vector<std::string> words = kRun;
  words.push_back(out);
  return words;
}

}  // namespace

TEST_F(Outputs, ASecondRunOnTheSameOutputIsRefusedAtOnce) {
  pid_t first = start(run_to("r.json"), {kHold});
  ASSERT_TRUE(stopped(first));
  EXPECT_TRUE(fs::exists(dir / "r.json.lock"));
  std::vector<std::string> second = run_to("r.json");
  second.push_back("--force");
  EXPECT_EQ(run(second), 1);
  EXPECT_NE(err().find("r.json is being written by another kavlab"), std::string::npos) << err();
  EXPECT_FALSE(fs::exists(dir / "r.json"));
  EXPECT_EQ(finish(first), 0) << err();
  EXPECT_NE(file_bytes(dir / "r.json").find("\"partial\": false"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "r.json.lock"));
}

TEST_F(Outputs, AResultThatCannotBeWrittenWhereAskedIsKeptElsewhereOrSaidLost) {
  if (!as_ordinary_user()) GTEST_SKIP() << "needs an ordinary user to be refused a directory";
  for (bool temp_writable : {true, false}) {
    SCOPED_TRACE(temp_writable ? "kept in the temporary directory" : "written nowhere");
    fs::path out = dir / (temp_writable ? "out1" : "out2"), tmp = dir / "tmp", home = dir / "home";
    for (const fs::path& d : {out, tmp, home}) {
      fs::create_directories(d);
      fs::permissions(d, fs::perms(0777));
    }
    fs::permissions(home, fs::perms(0555));
    pid_t p = start(run_to((out / "r.json").string()),
                    {kHold, {"TMPDIR", tmp.string()}, {"HOME", home.string()}});
    ASSERT_TRUE(stopped(p));
    fs::permissions(out, fs::perms(0555));  // as a disk that fills while the box measures
    if (!temp_writable) fs::permissions(tmp, fs::perms(0555));
    int status = finish(p);
    fs::permissions(tmp, fs::perms(0777));
    EXPECT_FALSE(fs::exists(out / "r.json"));
    if (temp_writable) {
      EXPECT_EQ(status, 4) << err();
      std::string kept;
      for (const auto& e : fs::directory_iterator(tmp)) kept = e.path().string();
      EXPECT_NE(err().find("what was measured is kept in " + kept), std::string::npos) << err();
      EXPECT_NE(file_bytes(kept).find("\"format\": \"kavlab-results\""), std::string::npos);
      fs::remove(kept);
    } else {
      EXPECT_EQ(status, 5) << err();
      EXPECT_NE(err().find("what was measured is lost"), std::string::npos) << err();
      EXPECT_TRUE(fs::is_empty(tmp));
    }
  }
}

TEST_F(Outputs, NoCommandWritesOverOneOfItsInputs) {
  ASSERT_EQ(run(run_to("in.json")), 0) << err();
  std::string before = file_bytes(dir / "in.json");
  fs::create_symlink("in.json", dir / "alias.json");
  fs::copy_file(fs::path(KAVTEST_EXAMPLES) / "12-NA2-opens.tst", dir / "t.tst");
  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {{"report", "in.json", "-o", "in.json"}, "in.json is an input of this command"},
      {{"export", "in.json", "--csv", "alias.json"}, "alias.json is the same file as in.json"},
      {{"export", "in.json", "--tst", "in.json", "-c", "12"}, "in.json is an input"},
      {{"run", "-c", "12", "t.tst", "-o", "t.tst", "--force"}, "t.tst is an input"},
      {{"import", "t.tst", "-c", "12", "-o", "t.tst", "--force"}, "t.tst is an input"},
  };
  for (const auto& [words, message] : refused) {
    EXPECT_EQ(run(words), 1) << words[0];
    EXPECT_NE(err().find(message), std::string::npos) << err();
  }
  EXPECT_EQ(file_bytes(dir / "in.json"), before);
  EXPECT_EQ(file_bytes(dir / "t.tst"), file_bytes(fs::path(KAVTEST_EXAMPLES) / "12-NA2-opens.tst"));
}

}  // namespace kavlab
