// Values as messages show them: cut when long, never within a UTF-8 character, control
// characters and bytes of no UTF-8 character escaped.
#include "results/limits.h"

#include <gtest/gtest.h>

namespace kavlab {

TEST(Limits, ShownValuesAreCutAndEscaped) {
  const std::pair<std::string, std::string> cases[] = {
      {"A/gnd", "A/gnd"},
      {std::string(40, 'a'), std::string(40, 'a')},
      {std::string(100, 'a'), std::string(40, 'a') + "... (100 bytes)"},
      {std::string(39, 'a') + "\xC3\xA9z", std::string(39, 'a') + "... (42 bytes)"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},
      {"\x1b]52;c;aGk=\x07", "\\x1b]52;c;aGk=\\x07"},
      {"a\nb\tc\rd\x7f", "a\\nb\\tc\\rd\\x7f"},
      {"\xC2\x9b"
       "2J",
       "\\u009b2J"},
      {"0\xE3", "0\\xe3"},
      {"\xC3\xA9\xC3", "\xC3\xA9\\xc3"},
      {"\xED\x9F\xBF!", "\xED\x9F\xBF!"},
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(shown_value(value), expected);
}

}  // namespace kavlab
