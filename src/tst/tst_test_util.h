// Scratch files for the TST tests.
#ifndef KAVTEST_TST_TEST_UTIL_H
#define KAVTEST_TST_TEST_UTIL_H

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace tst_test {

/// A fresh directory under the system's temporary directory, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir() {
    std::random_device seed;
    auto base = std::filesystem::temp_directory_path();
    do {
      path_ = base / ("kavtest-tst-" + std::to_string(seed()));
    } while (!std::filesystem::create_directory(path_));
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

}  // namespace tst_test

#endif
