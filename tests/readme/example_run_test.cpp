#include "example_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "readme_examples.h"
#include "test_support.h"

namespace readme_test {
namespace {

/// An outcome as text: its verdict and the part of its reason that tells it.
struct Expected {
  Verdict verdict;
  const char* reason;  ///< a text the reason holds
};

struct Case {
  const char* name;
  const char* page;
  std::set<Part> parts;
  std::vector<Expected> outcomes;
};

const Expected kPassed{Verdict::kPassed, ""};

const Case kCases[] = {
    {"as shown", "    $ printf 'a\\n\\tb\\n'\n    a\n    \tb\n", {}, {kPassed}},
    {"a changed line",
     "    $ printf 'a\\nb\\n'\n    a\n    c\n",
     {},
     {{Verdict::kFailed,
       "F:1: $ printf 'a\\nb\\n'\nprinted (status 0):\n  | a\n  | b\n"
       "where the page shows:\n  | a\n  | c\n"}}},
    {"a line too many", "    $ printf 'a\\nb\\n'\n    a\n", {}, {{Verdict::kFailed, "F:1:"}}},
    {"standard error where a terminal shows it",
     "    $ echo out; echo err >&2; echo end\n"
     "    out\n    err\n    end\n",
     {},
     {kPassed}},
    {"a directory of its own, with build/ and examples/ alone",
     "    $ ls; ls build | grep -c kavtest-sim\n    build\n    examples\n    1\n",
     {},
     {kPassed}},
    {"later commands see earlier files", "    $ echo hi > f\n    $ cat f\n    hi\n", {}, {kPassed}},
    {"an example continues the one before it",
     "    $ echo hi > f\n    $ cat f\n    hi\n\n<!-- readme-test: continues -->\n\n"
     "    $ cat f\n    hi\n",
     {},
     {kPassed, kPassed}},
    {"an example does not see the files of the one before it",
     "    $ echo hi > f\n    $ cat f\n    hi\n\nText\n\n    $ cat f\n    hi\n",
     {},
     {kPassed, {Verdict::kFailed, "No such file"}}},
    {"elided and varying",
     "<!-- readme-test: varies 1700000000 -->\n\n"
     "    $ date +%s; seq 3; echo end\n    1700000000\n    ...\n    end\n",
     {},
     {kPassed}},
    {"needs a part the build has",
     "<!-- readme-test: needs ngspice -->\n\n    $ echo a\n    a\n",
     {Part::kNgspice},
     {kPassed}},
    {"needs a part the build has not",
     "<!-- readme-test: needs z3 -->\n\n    $ echo a\n    b\n",
     {Part::kNgspice},
     {{Verdict::kSkipped, "needs z3, which this build has not"}}},
    {"a real box is never there",
     "<!-- readme-test: needs box -->\n\n    $ echo a\n    b\n",
     {Part::kNgspice, Part::kZ3},
     {{Verdict::kSkipped, "needs a real box: never run"}}},
    {"a continuation of a skipped example is skipped",
     "<!-- readme-test: needs ngspice -->\n\n    $ echo a\n    a\n\n"
     "<!-- readme-test: continues -->\n\n    $ echo a\n    b\n",
     {},
     {{Verdict::kSkipped, "needs ngspice"},
      {Verdict::kSkipped, "continues the example of line 3, not run"}}},
    {"build/ holds this build's programs",
     "    $ build/kavtest-sim --version\n    kavtest-sim " KAVTEST_VERSION "\n",
     {},
     {kPassed}},
    {"examples/ is a copy",
     "    $ echo x >> examples/01-x.tst; cat examples/01-x.tst\n"
     "    .VECTORS 0\n    x\n",
     {},
     {kPassed}},
    {"a program that a signal ends fails",
     "    $ echo a; sh -c 'kill -SEGV $$'\n    a\n",
     {},
     {{Verdict::kFailed, "Segmentation fault"}}},
    {"an exit status is no failure", "    $ sh -c 'echo a; exit 255'\n    a\n", {}, {kPassed}},
    {"no setting of the tools leaks in",
     "    $ echo ${KAVTEST_SIM_ENGINE-none}\n    none\n",
     {},
     {kPassed}},
};

TEST(ExampleRun, FixturePages) {
  test_support::ScratchDir examples("kavtest-readme-examples-");
  const std::string example = ".VECTORS 0\n";
  examples.write("01-x.tst", example);
  Setting setting{"F", examples.path(), {}};
  setenv("KAVTEST_SIM_ENGINE", "analog", 1);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Page page = parse_page(c.page, "F");
    ASSERT_EQ(page.errors, std::vector<std::string>{});
    setting.parts = c.parts;
    std::vector<Outcome> got;
    for (const auto& session : sessions(page.examples))
      for (const Outcome& o : run_session(session, setting)) got.push_back(o);
    ASSERT_EQ(got.size(), c.outcomes.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].verdict, c.outcomes[i].verdict) << got[i].reason;
      EXPECT_NE(got[i].reason.find(c.outcomes[i].reason), std::string::npos) << got[i].reason;
      if (c.outcomes[i].verdict == Verdict::kPassed) {
        EXPECT_EQ(got[i].reason, "");
      }
    }
  }
  unsetenv("KAVTEST_SIM_ENGINE");
  EXPECT_EQ(test_support::file_bytes(examples.at("01-x.tst")), example);
}

/// An example that calls a program this build has not (kavlab-sim where nlohmann-json or CLI11
/// is missing) is skipped, and says which; the others run.
TEST(ExampleRun, AProgramTheBuildHasNotIsSkipped) {
  test_support::ScratchDir bin("kavtest-readme-bin-");
  std::filesystem::create_symlink(test_support::e2e_binary("kavtest-sim"), bin.at("kavtest-sim"));
  setenv("KAVTEST_E2E_BIN_DIR", bin.path().c_str(), 1);
  Page page = parse_page("    $ build/kavtest-sim --version\n    kavtest-sim " KAVTEST_VERSION
                         "\n\nText\n\n"
                         "    $ build/kavlab-sim --version\n    x\n",
                         "F");
  std::vector<Outcome> got;
  for (const auto& session : sessions(page.examples))
    for (const Outcome& o : run_session(session, Setting{"F", KAVTEST_EXAMPLES, {}}))
      got.push_back(o);
  unsetenv("KAVTEST_E2E_BIN_DIR");
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].verdict, Verdict::kPassed) << got[0].reason;
  EXPECT_EQ(got[1].verdict, Verdict::kSkipped);
  EXPECT_EQ(got[1].reason, "calls build/kavlab-sim, which this build has not");
}

/// The README's first example as it is, and with the first line it shows changed: what it shows is
/// what the tool prints, and a change of it fails.
TEST(ExampleRun, TheReadmeChangedFails) {
  Page page = parse_page(test_support::file_text(KAVTEST_README), "README.md");
  ASSERT_FALSE(page.examples.empty());
  std::vector<Example> first = {page.examples.front()};
  ASSERT_FALSE(first[0].continues);
  Setting setting{"README.md", KAVTEST_EXAMPLES, {}};
  std::vector<Outcome> as_is = run_session(first, setting);
  ASSERT_EQ(as_is.size(), 1u);
  EXPECT_EQ(as_is[0].verdict, Verdict::kPassed) << as_is[0].reason;
  std::vector<std::string>& shown = first[0].commands.front().shown;
  ASSERT_FALSE(shown.empty());
  ASSERT_NE(shown.front(), "...");
  shown.front() += " ";
  std::vector<Outcome> changed = run_session(first, setting);
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0].verdict, Verdict::kFailed);
}

}  // namespace
}  // namespace readme_test
