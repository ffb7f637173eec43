// Scratch files for the TST tests.
#ifndef KAVTEST_TST_TEST_UTIL_H
#define KAVTEST_TST_TEST_UTIL_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace tst_test {

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

/// A token for this run of the test program. A death test on Windows runs its statement in a
/// new process of the same program, which sets up the test anew before it gets there: the
/// token, inherited through the environment, gives it the directories of its parent.
inline const std::string& run_token(bool* inherited = nullptr) {
  static bool from_parent = false;
  static const std::string token = [] {
    if (const char* parent = std::getenv("KAVTEST_TEST_RUN_TOKEN")) {
      from_parent = true;
      return std::string(parent);
    }
    std::string fresh = std::to_string(std::random_device{}());
#ifdef _WIN32
    _putenv_s("KAVTEST_TEST_RUN_TOKEN", fresh.c_str());
#else
    setenv("KAVTEST_TEST_RUN_TOKEN", fresh.c_str(), 1);
#endif
    return fresh;
  }();
  if (inherited != nullptr) *inherited = from_parent;
  return token;
}

/// A name that the same step of the same test gets in every process of this run: the run's
/// token, the running test's name and the number of names it asked for before.
inline std::string name_in_run(const std::string& prefix) {
  static std::string test;
  static int serial = 0;
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string current = info != nullptr
                            ? std::string(info->test_suite_name()) + "." + info->name()
                            : std::string();
  if (current != test) {
    test = current;
    serial = 0;
  }
  std::string name = prefix + run_token() + "-" + current + "-" + std::to_string(serial++);
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.') c = '_';
  return name;
}

/// A fresh directory under the system's temporary directory, removed with everything in it.
/// A death test's process takes over the directory of its parent as it is.
class ScratchDir {
 public:
  ScratchDir() {
    path_ = std::filesystem::temp_directory_path() / name_in_run("kavtest-tst-");
    bool inherited = false;
    run_token(&inherited);
    if (!inherited) std::filesystem::remove_all(path_);  // a leftover of a crashed run
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  /// Path of `name` inside the directory.
  std::string at(const std::string& name) const { return (path_ / name).string(); }
  /// Writes `content` byte for byte as `name` and returns its path.
  std::string write(const std::string& name, const std::string& content) const {
    std::ofstream(at(name), std::ios::binary) << content;
    return at(name);
  }
  /// Names of the entries of the directory, sorted.
  std::string listing() const {
    std::string names;
    std::vector<std::string> all;
    for (const auto& e : std::filesystem::directory_iterator(path_))
      all.push_back(e.path().filename().string());
    std::sort(all.begin(), all.end());
    for (const auto& n : all) names += n + "\n";
    return names;
  }

 private:
  std::filesystem::path path_;
};

/// The whole content of a file, byte for byte.
inline std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// The content of a file written in text mode, read in text mode: the platform's line ends
/// (CR LF on Windows) read as "\n".
inline std::string slurp_text(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace tst_test

#endif
