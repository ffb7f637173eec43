#include "output_match.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace readme_test {
namespace {

using Lines = std::vector<std::string>;

struct Case {
  const char* name;
  Lines shown, printed, varying;
  bool matches;
};

const Case kCases[] = {
    {"as printed", {"a", "\tb  c"}, {"a", "\tb  c"}, {}, true},
    {"a changed line", {"a", "b"}, {"a", "c"}, {}, false},
    {"a tab for spaces", {"a b"}, {"a\tb"}, {}, false},
    {"a line missing", {"a", "b"}, {"a", "b", "c"}, {}, false},
    {"a line too many", {"a", "b", "c"}, {"a", "b"}, {}, false},
    {"nothing printed", {"a"}, {}, {}, false},
    {"nothing shown, nothing printed", {}, {}, {}, true},
    {"blank lines at the end", {"a", ""}, {"a", "", ""}, {}, true},
    {"a blank line within", {"a", "", "b"}, {"a", "b"}, {}, false},
    {"elided at the start", {"...", "c"}, {"", "a", "b", "c"}, {}, true},
    {"elided in the middle", {"a", "...", "d"}, {"a", "b", "c", "d"}, {}, true},
    {"elided at the end", {"a", "  ..."}, {"a", "b"}, {}, true},
    {"elided nothing", {"a", "...", "b"}, {"a", "b"}, {}, true},
    {"all elided", {"..."}, {"a", "b"}, {}, true},
    {"a wrong line after an elision", {"a", "...", "d"}, {"a", "b", "c"}, {}, false},
    {"a wrong line between elisions", {"...", "x", "..."}, {"a", "b", "c"}, {}, false},
    {"two elisions", {"...", "b", "...", "d"}, {"a", "b", "c", "d"}, {}, true},
    {"elided within a line",
     {"NA2_01, NA2_02, ..., NA2_13"},
     {"NA2_01, NA2_02, NA2_03, NA2_13"},
     {},
     true},
    {"elided within a line, the rest differs",
     {"NA2_01, NA2_02, ..., NA2_13"},
     {"NA2_01, NA2_02, NA2_03, NA2_12"},
     {},
     false},
    {"elided within a line, ends overlapping", {"ab...ba"}, {"aba"}, {}, false},
    {"a varying text",
     {"on Kavrin0, 2024-05-01T12:00:00Z"},
     {"on Kavrin0, 2031-12-24T08:15:02Z"},
     {"2024-05-01T12:00:00Z"},
     true},
    {"a varying text not marked",
     {"on Kavrin0, 2024-05-01T12:00:00Z"},
     {"on Kavrin0, 2031-12-24T08:15:02Z"},
     {},
     false},
    {"a varying text, the rest differs",
     {"on Kavrin0, 2024-05-01T12:00:00Z"},
     {"on Kavrin1, 2031-12-24T08:15:02Z"},
     {"2024-05-01T12:00:00Z"},
     false},
    {"a varying text twice", {"12:00 to 12:00 (x)"}, {"9:59 to 10:01 (x)"}, {"12:00"}, true},
    {"a varying text within its line only",
     {"at 12:00", "b"},
     {"at 9:00", "x", "b"},
     {"12:00"},
     false},
};

TEST(OutputMatch, ShownAgainstPrinted) {
  for (const Case& c : kCases)
    EXPECT_EQ(output_matches(c.shown, c.printed, c.varying), c.matches) << c.name;
}

TEST(OutputMatch, CarriageReturnsAsATerminalShowsThem) {
  const std::pair<const char*, const char*> kLines[] = {
      {"no return", "no return"},
      {"\rUsage : kavtest", "Usage : kavtest"},
      {"progress 10 %\rdone", "doneress 10 %"},
      {" 50 %\r100 %", "100 %"},
      {"a line of a Windows file\r", "a line of a Windows file"},
  };
  for (const auto& [printed, shown] : kLines) EXPECT_EQ(terminal_line(printed), shown) << printed;
}

}  // namespace
}  // namespace readme_test
