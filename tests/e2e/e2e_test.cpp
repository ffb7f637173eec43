// Command-line cases run against the real binaries. Each case is a directory of data:
//   args      one argument per line
//   tool      optional: the binary to run (default kavtest)
//   status    optional: expected exit status (default 0)
//   stdout, stderr   optional: expected bytes (default empty)
//   files/    optional: copied into a fresh working directory before the run
//   after/    optional: the working directory's exact contents after the run; without it the
//             working directory must be left exactly as files/ made it
// The binaries are found and started as test_support.h's KAVTEST_E2E_* variables say. Through a
// launcher a binary sees its path as its name, which is turned back into the plain name before
// comparing; so is the path as Wine shows it to a Windows program, Z:\dir\name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;

namespace {

using test_support::e2e_text;
using test_support::file_bytes;

std::string read_optional(const fs::path& p, const std::string& fallback = "") {
  return fs::exists(p) ? file_bytes(p) : fallback;
}

std::vector<std::string> read_lines(const fs::path& p) {
  std::vector<std::string> lines;
  std::istringstream in(file_bytes(p));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

/// Every regular file below `dir`, by relative path, with its bytes.
std::map<std::string, std::string> snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  if (!fs::exists(dir)) return files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (!e.is_directory()) files[fs::relative(e.path(), dir).string()] = e2e_text(file_bytes(e.path()));
  return files;
}

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; !from.empty() && (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

/// `path` as Wine hands an absolute Unix path to a Windows program: on drive Z:, with
/// backslashes.
std::string wine_path(const fs::path& path) {
  std::string dos = "Z:" + path.string();
  std::replace(dos.begin(), dos.end(), '/', '\\');
  return dos;
}

/// What a launched binary printed, with its path as its name turned back into `name`.
std::string named(std::string text, const fs::path& binary, const std::string& name) {
  text = replace_all(text, binary.string(), name);
  if (binary.is_absolute()) text = replace_all(text, wine_path(binary), name);
  return text;
}

/// Runs `binary` as `name` (its argv[0]; through the launcher when one is set), in `cwd`, and
/// collects its streams and status.
Outcome run(const fs::path& binary, const std::string& name, const std::vector<std::string>& arguments,
            const fs::path& cwd) {
  fs::path out_file = cwd.parent_path() / "stdout", err_file = cwd.parent_path() / "stderr";
  test_support::Launch l = test_support::e2e_launch(binary, name, arguments);
  l.cwd = cwd;
  l.out = out_file;
  l.err = err_file;
  Outcome o;
  o.status = test_support::run_process(l);
  o.out = e2e_text(file_bytes(out_file));
  o.err = e2e_text(file_bytes(err_file));
  if (l.search_path) {  // through the launcher
    o.out = named(o.out, binary, name);
    o.err = named(o.err, binary, name);
  }
  return o;
}

std::vector<std::string> case_names() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(KAVTEST_E2E_CASES))
    if (e.is_directory()) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class CommandLine : public testing::TestWithParam<std::string> {};

TEST_P(CommandLine, MatchesExpectedBytes) {
  fs::path dir = fs::path(KAVTEST_E2E_CASES) / GetParam();
  test_support::ScratchDir scratch("kavtest-e2e-");
  scratch.keep_if_failed();  // for a look at what the run left
  fs::path work = scratch.path() / "work";
  fs::create_directories(work);
  if (fs::exists(dir / "files")) fs::copy(dir / "files", work, fs::copy_options::recursive);

  std::string tool = "kavtest";
  if (fs::exists(dir / "tool")) tool = read_lines(dir / "tool").at(0);
  std::vector<std::string> arguments;
  if (fs::exists(dir / "args")) arguments = read_lines(dir / "args");

  Outcome o = run(test_support::e2e_binary(tool), tool, arguments, work);
  int expected_status = std::atoi(read_optional(dir / "status", "0").c_str());
  EXPECT_EQ(o.status, expected_status);
  EXPECT_EQ(o.out, read_optional(dir / "stdout"));
  EXPECT_EQ(o.err, read_optional(dir / "stderr"));
  auto expected_files = snapshot(fs::exists(dir / "after") ? dir / "after" : dir / "files");
  EXPECT_EQ(snapshot(work), expected_files);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLine, testing::ValuesIn(case_names()),
                         [](const testing::TestParamInfo<std::string>& case_info) {
                           std::string name = case_info.param;
                           for (char& c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
