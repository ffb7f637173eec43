#include "example_run.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <utility>

#include "output_match.h"
#include "test_support.h"

namespace readme_test {

namespace fs = std::filesystem;

namespace {

/// The names of programs that `command` calls as `build/<name>`.
std::vector<std::string> programs_called(const std::string& command) {
  std::vector<std::string> called;
  const std::string prefix = "build/";
  for (size_t at = command.find(prefix); at != std::string::npos;
       at = command.find(prefix, at + 1)) {
    if (at > 0 && std::string(" \t;|&(='\"").find(command[at - 1]) == std::string::npos) continue;
    size_t start = at + prefix.size();
    size_t end = command.find_first_of(" \t;|&)'\"", start);
    std::string name = command.substr(start, end == std::string::npos ? end : end - start);
    const auto& known = program_names();
    if (std::find(known.begin(), known.end(), name) != known.end()) called.push_back(name);
  }
  return called;
}

/// Why `e` cannot run with `setting`; empty when it can.
std::string cannot_run(const Example& e, const Setting& setting) {
  for (Part part : e.needs) {
    if (part == Part::kBox) return "needs a real box: never run";
    if (setting.parts.count(part) == 0)
      return std::string("needs ") + part_word(part) + ", which this build has not";
  }
  for (const Command& c : e.commands)
    for (const std::string& name : programs_called(c.text))
      if (!fs::exists(test_support::e2e_binary(name)))
        return "calls build/" + name + ", which this build has not";
  return "";
}

/// Makes `work` a reader's directory: `build/` with this build's programs, `examples/` a copy.
void prepare(const fs::path& work, const Setting& setting) {
  fs::create_directories(work / "build");
  for (const std::string& name : program_names()) {
    fs::path program = test_support::e2e_binary(name);
    if (fs::exists(program))
      fs::create_symlink(fs::absolute(program), work / "build" / program.filename());
  }
  fs::copy(setting.examples, work / "examples", fs::copy_options::recursive);
}

/// The environment a command sees: the search path and home of this one and what the
/// sanitizers take, the C locale, UTC; nothing else, so that no setting of the tools leaks in.
/// AddressSanitizer is told to let stdbuf's library load before it.
std::vector<std::string> environment() {
  std::vector<std::string> words = {"LC_ALL=C", "TZ=UTC"};
  for (const char* name : {"PATH", "HOME", "TMPDIR", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
    if (const char* value = std::getenv(name)) words.push_back(std::string(name) + "=" + value);
  const char* asan = std::getenv("ASAN_OPTIONS");
  words.push_back("ASAN_OPTIONS=" + (asan != nullptr ? std::string(asan) + ":" : std::string()) +
                  "verify_asan_link_order=0");
  return words;
}

/// The lines of `text` as a terminal shows them.
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(terminal_line(line));
  return lines;
}

std::string quoted(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "  | " + line + "\n";
  return text;
}

/// Runs `command` in bash in `work`, standard output and error into `printed`, in the order a
/// terminal shows them: standard output line-buffered, as on a terminal (stdbuf), and yet no
/// terminal, so that the programs print no progress line; its status.
int run_command(const std::string& command, const fs::path& work, const fs::path& printed) {
  test_support::Launch l;
  l.program = "env";
  l.search_path = true;
  l.argv = {"env", "-i"};
  for (const std::string& word : environment()) l.argv.push_back(word);
  for (const char* word : {"stdbuf", "-oL", "bash", "-c"}) l.argv.push_back(word);
  // The exit at the end keeps bash from replacing itself with the last program, so that it
  // waits for it and says so when a signal ends it ("Segmentation fault").
  l.argv.push_back("exec </dev/null 2>&1\n" + command + "\nexit $?");
  l.cwd = work;
  l.out = printed;
  return test_support::run_process(l);
}

/// Runs the commands of `e` in `work`; what differed from the page, or empty.
std::string run_example(const Example& e, const fs::path& work, const fs::path& printed,
                        const Setting& setting) {
  for (const Command& c : e.commands) {
    int status = run_command(c.text, work, printed);
    std::vector<std::string> got = lines_of(test_support::file_bytes(printed));
    std::string where = setting.page + ":" + std::to_string(c.line) + ": $ " + c.text + "\n";
    if (!output_matches(c.shown, got, e.varying))
      return where + "printed (status " + std::to_string(status) + "):\n" + quoted(got) +
             "where the page shows:\n" + quoted(c.shown);
  }
  return "";
}

}  // namespace

const std::vector<std::string>& program_names() {
  static const std::vector<std::string> names = {"kavtest", "kavtest-sim", "kavlab", "kavlab-sim"};
  return names;
}

std::vector<Outcome> run_session(const std::vector<Example>& session, const Setting& setting) {
  test_support::ScratchDir scratch("kavtest-readme-");
  fs::path work = scratch.path() / "work", printed = scratch.path() / "printed";
  bool prepared = false;
  std::string skip_rest;  // why the examples after a skipped one are skipped
  std::vector<Outcome> outcomes;
  for (const Example& e : session) {
    Outcome o;
    o.line = e.line;
    o.reason = skip_rest.empty() ? cannot_run(e, setting) : skip_rest;
    if (!o.reason.empty()) {
      o.verdict = Verdict::kSkipped;
      if (skip_rest.empty())
        skip_rest = "continues the example of line " + std::to_string(e.line) + ", not run";
    } else {
      if (!prepared) prepare(work, setting);
      prepared = true;
      o.reason = run_example(e, work, printed, setting);
      o.verdict = o.reason.empty() ? Verdict::kPassed : Verdict::kFailed;
    }
    outcomes.push_back(std::move(o));
  }
  return outcomes;
}

}  // namespace readme_test
