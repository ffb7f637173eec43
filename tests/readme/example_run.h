// Running a page's examples as a reader does: in a directory of their own, where `build/` holds
// this build's programs and `examples/` a copy of the source tree's examples, each command in
// bash; and comparing what each command printed (standard output and error, as a terminal
// shows both) with what the page shows.
#ifndef KAVTEST_README_EXAMPLE_RUN_H
#define KAVTEST_README_EXAMPLE_RUN_H

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "readme_examples.h"

namespace readme_test {

/// What the examples run with.
struct Setting {
  std::string page;                ///< the page's name, for messages
  std::filesystem::path examples;  ///< the directory copied as `examples/`
  std::set<Part> parts;            ///< the optional parts this build has
};

enum class Verdict { kPassed, kFailed, kSkipped };

/// How one example went.
struct Outcome {
  int line = 0;  ///< the example's first line
  Verdict verdict = Verdict::kSkipped;
  std::string reason;  ///< why it was skipped, or what differed; empty when it passed
};

/// The programs a command may call as `build/<name>`.
const std::vector<std::string>& program_names();

/// Runs `session` (an example and those that continue it, as sessions() groups them) in order
/// in one scratch directory; an outcome per example. An example that needs a part `setting`
/// lacks, or a program this build has not, is skipped, and so is one that continues it. Within
/// an example the first command whose output differs ends it.
std::vector<Outcome> run_session(const std::vector<Example>& session, const Setting& setting);

}  // namespace readme_test

#endif
