// Scratch files and expected texts for the model store's and pattern library's tests.
#ifndef KAVTEST_MODEL_TEST_UTIL_H
#define KAVTEST_MODEL_TEST_UTIL_H

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace model_test {

/// A path in the test's temporary directory, `prefix` and `name` joined.
inline std::string temp_path(const std::string& prefix, const std::string& name) {
  return testing::TempDir() + prefix + name;
}

/// Writes `text` to the temporary file `prefix` + `name`; its path.
inline std::string write_temp(const std::string& prefix, const std::string& name,
                              const std::string& text) {
  std::string path = temp_path(prefix, name);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

/// A file that the store wrote in text mode, read in text mode: "\n" for the platform's line end.
inline std::string slurp(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

/// `text` as a regular expression that matches it literally.
inline std::string literally(const std::string& text) {
  std::string re;
  for (char c : text) {
    if (std::strchr("\\^$.|?*+()[]{}", c)) re += '\\';
    re += c;
  }
  return re;
}

}  // namespace model_test

#endif
