// Results files on disk: what is not a readable regular file within the size limit is refused
// with a message that names the file and the reason, before any of it is read.
#include "results/results_file.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace kavlab {

namespace {

std::string load_error(const std::string& path) {
  Results r;
  std::string error;
  EXPECT_FALSE(load_results(path, &r, &error)) << path;
  return error;
}

}  // namespace

TEST(ResultsFile, WhatIsNotAResultsFileIsNamedForWhatItIs) {
  test_support::ScratchDir dir("kavlab-load-");
  std::string tst = dir.write("in1.tst", ".VECTORS 2\n\n.PATTERNS\n\n0H\n1L\n");
  std::string missing = dir.at("missing.json"), folder = dir.path().string();
  std::string long_path(5000, 'x');
  const std::pair<std::string, std::string> cases[] = {
      {missing, missing + ": no such file"},
      {folder, folder + ": a directory, not a file"},
      {tst, tst + ": this is a TST file; `kavlab import` turns a defect table into a results file"},
      {long_path, std::string(40, 'x') + "... (5000 bytes): a path of 5000 bytes, over the 4096"},
#ifndef _WIN32
      {"/dev/zero", "/dev/zero: not a regular file (a device, a pipe or a socket)"},
#endif
  };
  for (const auto& [path, message] : cases)
    EXPECT_EQ(load_error(path).find(message), 0u) << load_error(path);
}

TEST(ResultsFile, AFileOverTheLimitIsNotRead) {
  test_support::ScratchDir dir("kavlab-load-");
  std::string path = dir.write("r.json", "0123456789");
  std::string bytes, error;
  EXPECT_TRUE(read_limited(path, 10, &bytes, &error)) << error;
  EXPECT_EQ(bytes, "0123456789");
  EXPECT_FALSE(read_limited(path, 9, &bytes, &error));
  EXPECT_EQ(error, path + ": more than 9 bytes, the most a results file may have");
}

}  // namespace kavlab
