#include "test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "TSTData.h"
#include "misc.h"

namespace fs = std::filesystem;

namespace test_support {

// ---- scratch directories ----

const std::string& run_token(bool* inherited) {
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

std::string name_in_run(const std::string& prefix) {
  static std::string test;
  static int serial = 0;
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string current =
      info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : std::string();
  if (current != test) {
    test = current;
    serial = 0;
  }
  std::string name = prefix + run_token() + "-" + current + "-" + std::to_string(serial++);
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.') c = '_';
  return name;
}

ScratchDir::ScratchDir(const std::string& prefix)
    : path_(fs::temp_directory_path() / name_in_run(prefix)) {
  bool inherited = false;
  run_token(&inherited);
  if (!inherited) fs::remove_all(path_);  // a leftover of a crashed run
  fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  if (keep_if_failed_ && testing::Test::HasFailure()) return;
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string ScratchDir::at(const std::string& name) const { return (path_ / name).string(); }

std::string ScratchDir::write(const std::string& name, const std::string& content) const {
  std::ofstream(at(name), std::ios::binary) << content;
  return at(name);
}

std::string ScratchDir::listing() const {
  std::vector<std::string> all;
  for (const auto& e : fs::directory_iterator(path_)) all.push_back(e.path().filename().string());
  std::sort(all.begin(), all.end());
  std::string names;
  for (const auto& n : all) names += n + "\n";
  return names;
}

// ---- whole files ----

std::string file_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string file_text(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string printed(const std::function<void(std::FILE*)>& print) {
  std::FILE* f = std::tmpfile();
  if (f == nullptr) {
    ADD_FAILURE() << "no temporary file";
    return "";
  }
  print(f);
  std::rewind(f);
  std::string text;
  for (int ch; (ch = std::fgetc(f)) != EOF;) text += static_cast<char>(ch);
  std::fclose(f);
  return text;
}

char* heap_copy(const char* text) {
  char* copy = static_cast<char*>(std::malloc(std::strlen(text) + 1));
  std::strcpy(copy, text);
  return copy;
}

// ---- death tests ----

testing::ExitedWithCode ExitedWithStatus(int status) {
#ifdef _WIN32
  return testing::ExitedWithCode(status);
#else
  return testing::ExitedWithCode(status & 0xff);
#endif
}

std::string literally(const std::string& text) {
  std::string re;
  for (char c : text) {
    if (std::strchr("\\^$.|?*+()[]{}", c)) re += '\\';
    re += c;
  }
  return re;
}

// ---- test records ----

BIST* test_record(int inps, int outs, const std::vector<std::string>& rows) {
  BIST* b = preset_record(inps, outs);
  b->vars = rows.empty() ? inps + outs : static_cast<int>(rows[0].size());
  b->vcount = static_cast<int>(rows.size());
  b->vects = AllocCharTable(b->vcount, b->vars, 0);
  for (std::size_t k = 0; k < rows.size(); ++k) {
    EXPECT_EQ(rows[k].size(), rows[0].size()) << "row " << k << " of a test record";
    std::memcpy(b->vects[k], rows[k].data(),
                std::min(rows[k].size(), static_cast<std::size_t>(b->vars)));
  }
  return b;
}

BIST* preset_record(int inps, int outs) {
  BIST* b = static_cast<BIST*>(std::calloc(1, sizeof(BIST)));
  b->inps = inps;
  b->outs = outs;
  b->vars = -1;
  return b;
}

// ---- the end-to-end binaries ----

/// The value of the environment variable `name`; `fallback` when it is not set.
static std::string env_or(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : fallback;
}

std::vector<std::string> e2e_launcher() {
  std::vector<std::string> words;
  std::istringstream in(env_or("KAVTEST_E2E_LAUNCHER", ""));
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

fs::path e2e_binary(const std::string& name) {
  return fs::path(env_or("KAVTEST_E2E_BIN_DIR", KAVTEST_BIN_DIR)) /
         (name + env_or("KAVTEST_E2E_EXE_SUFFIX", ""));
}

std::string e2e_text(const std::string& bytes) {
  if (std::getenv("KAVTEST_E2E_TEXT_MODE") == nullptr) return bytes;
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); i++)
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) text += bytes[i];
  return text;
}

Launch e2e_launch(const fs::path& binary, const std::string& name,
                  const std::vector<std::string>& arguments) {
  Launch l;
  l.argv = e2e_launcher();
  bool launched = !l.argv.empty();
  l.argv.push_back(launched ? binary.string() : name);
  l.argv.insert(l.argv.end(), arguments.begin(), arguments.end());
  l.program = launched ? l.argv.front() : binary.string();
  l.search_path = launched;
  return l;
}

#ifndef _WIN32
int run_process(const Launch& l) {
  std::vector<std::string> words = l.argv;
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    for (const auto& [stream, path] : {std::make_pair(1, l.out), std::make_pair(2, l.err)}) {
      if (path.empty()) continue;
      int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || dup2(fd, stream) < 0) _exit(127);
    }
    if (chdir(l.cwd.c_str()) != 0) _exit(127);
    for (const auto& [name, value] : l.environment) setenv(name.c_str(), value.c_str(), 1);
    if (l.search_path)
      execvp(l.program.c_str(), argv.data());
    else
      execv(l.program.c_str(), argv.data());
    _exit(127);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
}

Ran run_captured(Launch l, const std::filesystem::path& output_dir) {
  l.out = output_dir / "stdout";
  l.err = output_dir / "stderr";
  int status = run_process(l);
  return {status, file_bytes(l.out), file_bytes(l.err)};
}
#endif

}  // namespace test_support
