#include "readme_examples.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace readme_test {
namespace {

/// The examples of a page as text: a line per example with its markers, then its commands and
/// their shown lines.
std::string described(const Page& page) {
  std::string text;
  for (const Example& e : page.examples) {
    text += "example " + std::to_string(e.line);
    for (Part p : e.needs) text += std::string(" needs ") + part_word(p);
    for (const std::string& v : e.varying) text += " varies[" + v + "]";
    if (e.continues) text += " continues";
    text += "\n";
    for (const Command& c : e.commands) {
      text += std::to_string(c.line) + " $ " + c.text + "\n";
      for (const std::string& s : c.shown) text += "> " + s + "\n";
    }
  }
  for (const std::string& error : page.errors) text += "error " + error + "\n";
  return text;
}

struct Case {
  const char* name;
  const char* page;
  const char* described;
};

const Case kCases[] = {
    {"an example", "Text:\n\n    $ echo a   # a comment\n    a\n",
     "example 3\n3 $ echo a   # a comment\n> a\n"},
    {"commands with and without output, blank lines kept but trailing ones",
     "\n    $ touch f\n    $ ls\n    f\n\n    g\n\n\nText\n",
     "example 2\n2 $ touch f\n3 $ ls\n> f\n> \n> g\n"},
    {"a block that shows no output is no example", "\n    $ make test\n    $ make demo\n", ""},
    {"a block that starts otherwise is no example", "\n    make test\n    $ echo a\n    a\n", ""},
    {"an indented line that continues a paragraph is no block", "Text\n    $ echo a\n    a\n", ""},
    {"fenced blocks are not read", "```\n\n    $ echo a\n    a\n```\n", ""},
    {"markers",
     "<!-- readme-test: needs ngspice -->\n<!-- readme-test: varies 12:00 -->\n\n"
     "    $ date\n    12:00\n\n<!-- readme-test: continues -->\n"
     "<!-- readme-test: needs box -->\n    $ ls\n    x\n",
     "example 4 needs ngspice varies[12:00]\n4 $ date\n> 12:00\n"
     "example 9 needs box continues\n9 $ ls\n> x\n"},
    {"a marker belongs to the next example only",
     "<!-- readme-test: needs z3 -->\n\n    $ a\n    1\n\nText\n\n    $ b\n    2\n",
     "example 3 needs z3\n3 $ a\n> 1\nexample 8\n8 $ b\n> 2\n"},
    {"blocks apart by blank lines alone are one", "    $ a\n    1\n\n    $ b\n    2\n",
     "example 1\n1 $ a\n> 1\n> \n4 $ b\n> 2\n"},
    {"an unknown marker", "<!-- readme-test: skip -->\n\n    $ a\n    1\n",
     "example 3\n3 $ a\n> 1\nerror R:1: unknown marker 'skip'\n"},
    {"an unknown part", "<!-- readme-test: needs spice -->\n\n    $ a\n    1\n",
     "example 3\n3 $ a\n> 1\nerror R:1: 'needs' takes ngspice, z3 or box, not 'spice'\n"},
    {"a varying text of nothing", "<!-- readme-test: varies  -->\n\n    $ a\n    1\n",
     "example 3\n3 $ a\n> 1\nerror R:1: 'varies' names no text\n"},
    {"a marker not closed on its line", "<!-- readme-test: needs z3\n-->\n\n    $ a\n    1\n",
     "example 4\n4 $ a\n> 1\nerror R:1: a marker is one line: <!-- readme-test: ... -->\n"
     "error R:1: a marker that no example follows\n"},
    {"a marker before text", "<!-- readme-test: needs z3 -->\nText\n\n    $ a\n    1\n",
     "example 4\n4 $ a\n> 1\nerror R:1: a marker that no example follows\n"},
    {"a marker before a block without output", "<!-- readme-test: needs z3 -->\n\n    $ a\n",
     "error R:1: a marker before a block that shows no output of a command\n"},
    {"a marker at the end", "Text\n<!-- readme-test: needs box -->\n",
     "error R:2: a marker that no example follows\n"},
    {"the first example continues none", "<!-- readme-test: continues -->\n\n    $ a\n    1\n",
     "example 3 continues\n3 $ a\n> 1\nerror R:1: 'continues', but no example comes before it\n"},
};

TEST(ReadmeExamples, PagesAsTheyAreRead) {
  for (const Case& c : kCases) EXPECT_EQ(described(parse_page(c.page, "R")), c.described) << c.name;
}

TEST(ReadmeExamples, SessionsGroupAnExampleWithThoseThatContinueIt) {
  Page page = parse_page(
      "    $ a\n    1\n\n<!-- readme-test: continues -->\n\n    $ b\n    2\n\nText\n\n    $ c\n    "
      "3\n"
      "\n<!-- readme-test: continues -->\n    $ d\n    4\n\n"
      "<!-- readme-test: continues -->\n    $ e\n    5\n",
      "R");
  ASSERT_EQ(page.errors, std::vector<std::string>{});
  std::vector<std::string> grouped;
  for (const auto& session : sessions(page.examples)) {
    grouped.emplace_back();
    for (const Example& e : session) grouped.back() += e.commands.front().text;
  }
  EXPECT_EQ(grouped, (std::vector<std::string>{"ab", "cde"}));
}

}  // namespace
}  // namespace readme_test
