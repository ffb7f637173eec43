// What the tests of every module share: scratch directories, whole files, test records, the
// exit of end_process() as a death test sees it, and starting the end-to-end binaries.
#ifndef KAVTEST_TEST_SUPPORT_H
#define KAVTEST_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct BIST;

namespace test_support {

/// Whether this build runs under AddressSanitizer, whose shadow memory needs more address space
/// than a test that limits it leaves.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// ---- scratch directories ----

/// A token for this run of the test program. A death test on Windows runs its statement in a
/// new process of the same program, which sets up the test anew before it gets there: the
/// token, inherited through the environment, gives it the directories of its parent.
/// `inherited` (when not null) tells whether the token came from a parent process.
const std::string& run_token(bool* inherited = nullptr);

/// A name that the same step of the same test gets in every process of this run: `prefix`, the
/// run's token, the running test's name and the number of names it asked for before.
std::string name_in_run(const std::string& prefix);

/// A fresh directory under the system's temporary directory, removed with everything in it.
/// A death test's process takes over the directory of its parent as it is.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& prefix = "kavtest-");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  /// Path of `name` inside the directory.
  std::string at(const std::string& name) const;
  /// Writes `content` byte for byte as `name` and returns its path.
  std::string write(const std::string& name, const std::string& content) const;
  /// Names of the entries of the directory, sorted, one a line.
  std::string listing() const;
  /// Leaves the directory in place if the running test has failed by the time it goes.
  void keep_if_failed() { keep_if_failed_ = true; }

 private:
  std::filesystem::path path_;
  bool keep_if_failed_ = false;
};

// ---- whole files ----

/// The bytes of the file at `path`; empty when it cannot be read.
std::string file_bytes(const std::filesystem::path& path);

/// A file written in text mode, read in text mode: the platform's line end (CR LF on Windows)
/// reads as "\n". Empty when it cannot be read.
std::string file_text(const std::filesystem::path& path);

/// What `print` writes to a stream of its own (a temporary file), read back; a test failure
/// when no temporary file can be made.
std::string printed(const std::function<void(std::FILE*)>& print);

/// A copy of `text` in memory from malloc, for the records that release what they hold with free.
char* heap_copy(const char* text);

// ---- death tests ----

/// The exit of end_process(status). A POSIX parent sees the low 8 bits of the status (-1 as
/// 255); a Windows parent sees the whole value (-1 as 0xFFFFFFFF, which reads back as -1).
testing::ExitedWithCode ExitedWithStatus(int status);

/// `text` as a regular expression that matches it literally.
std::string literally(const std::string& text);

// ---- test records (release with FreeTST) ----

/// A record as a run leaves it: `rows` of pattern characters as vects, vcount rows, vars the
/// rows' width (inps + outs when there are none).
BIST* test_record(int inps, int outs, const std::vector<std::string>& rows);

/// A record preset as the test run does it before reading: inputs and outputs known, no rows,
/// vars -1.
BIST* preset_record(int inps, int outs);

// ---- the end-to-end binaries ----
// The runners start the tool's binaries as a user would, and can run them through a launcher
// (an emulator, a memory checker); the environment says how:
//   KAVTEST_E2E_LAUNCHER    words put before the binary's path
//   KAVTEST_E2E_EXE_SUFFIX  appended to the binary's file name (".exe")
//   KAVTEST_E2E_TEXT_MODE   when set, CR LF in outputs and written files reads as LF
//   KAVTEST_E2E_BIN_DIR     the directory of the binaries, instead of this build's

/// The words of KAVTEST_E2E_LAUNCHER; none when it is not set.
std::vector<std::string> e2e_launcher();

/// The path of the binary `name`: in KAVTEST_E2E_BIN_DIR or this build's directory, with
/// KAVTEST_E2E_EXE_SUFFIX.
std::filesystem::path e2e_binary(const std::string& name);

/// `bytes` as a binary writing in text mode meant them: under KAVTEST_E2E_TEXT_MODE, CR LF
/// reads as LF.
std::string e2e_text(const std::string& bytes);

/// One start of a program.
struct Launch {
  std::string program;  ///< the file to run; searched on PATH when `search_path`
  bool search_path = false;
  std::vector<std::string> argv;   ///< argv[0] is the name the program sees
  std::filesystem::path cwd;       ///< its working directory
  std::filesystem::path out, err;  ///< files for its stdout and stderr; empty: this process's
  std::vector<std::pair<std::string, std::string>> environment;  ///< set on top of this one's
};

/// The start of `binary` with `arguments`, as `name` (its argv[0]), or through the launcher
/// when one is set (the binary then sees its path as its name).
Launch e2e_launch(const std::filesystem::path& binary, const std::string& name,
                  const std::vector<std::string>& arguments);

#ifndef _WIN32
/// Runs `l` to its end: its exit status, or 128 plus the signal that ended it.
int run_process(const Launch& l);

/// What one run of a program left: its status and the bytes of its two outputs.
struct Ran {
  int status;
  std::string out, err;
};
/// Runs `l` with its outputs into `output_dir`/stdout and `output_dir`/stderr; what it left.
Ran run_captured(Launch l, const std::filesystem::path& output_dir);
#endif

}  // namespace test_support

#endif
