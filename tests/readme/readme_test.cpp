// The README's shell examples whose output is shown, run against this build: a test per example
// (with those that continue it), named after the line of its first command.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "example_run.h"
#include "readme_examples.h"
#include "test_support.h"

namespace readme_test {

/// An example as a failing test names it: its first command.
void PrintTo(const Example& e, std::ostream* os) {
  *os << "line " << e.line << ": $ " << e.commands.front().text;
}

namespace {

const Page& readme() {
  static const Page page = parse_page(test_support::file_text(KAVTEST_README), "README.md");
  return page;
}

/// This build: its optional parts as CMake found them.
Setting this_build() {
  Setting setting{"README.md", KAVTEST_EXAMPLES, {}};
#ifdef KAVTEST_ANALOG_ENGINE
  setting.parts.insert(Part::kNgspice);
#endif
#ifdef KAVLAB_Z3
  setting.parts.insert(Part::kZ3);
#endif
  return setting;
}

TEST(Readme, HasExamplesAndWellFormedMarkers) {
  EXPECT_FALSE(readme().examples.empty());
  for (const std::string& error : readme().errors) ADD_FAILURE() << error;
}

class ReadmeExample : public testing::TestWithParam<std::vector<Example>> {};

TEST_P(ReadmeExample, PrintsWhatTheReadmeShows) {
  std::string skipped;
  bool ran = false;
  for (const Outcome& o : run_session(GetParam(), this_build())) {
    if (o.verdict == Verdict::kFailed) ADD_FAILURE() << o.reason;
    if (o.verdict == Verdict::kSkipped)
      skipped += "README.md:" + std::to_string(o.line) + ": skipped: " + o.reason + "\n";
    else
      ran = true;
  }
  if (!ran) GTEST_SKIP() << skipped;
  std::cout << skipped;
}

std::string line_of(const testing::TestParamInfo<std::vector<Example>>& info) {
  return "line" + std::to_string(info.param.front().line);
}

INSTANTIATE_TEST_SUITE_P(Readme, ReadmeExample, testing::ValuesIn(sessions(readme().examples)),
                         line_of);

}  // namespace
}  // namespace readme_test
