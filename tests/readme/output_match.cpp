#include "output_match.h"

#include <algorithm>
#include <sstream>

namespace readme_test {

namespace {

const std::string kElision = "...";

/// The texts of `shown` between its wildcards (`...` and the varying texts, the longest where
/// several start at one place): one more than there are wildcards.
std::vector<std::string> literal_parts(const std::string& shown,
                                       const std::vector<std::string>& varying) {
  std::vector<std::string> wildcards = varying;
  wildcards.push_back(kElision);
  std::vector<std::string> parts(1);
  for (size_t at = 0; at < shown.size();) {
    size_t longest = 0;
    for (const std::string& w : wildcards)
      if (w.size() > longest && shown.compare(at, w.size(), w) == 0) longest = w.size();
    if (longest > 0) {
      parts.emplace_back();
      at += longest;
    } else {
      parts.back() += shown[at++];
    }
  }
  return parts;
}

bool ends_with(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool elision(const std::string& shown) {
  size_t first = shown.find_first_not_of(' ');
  return first != std::string::npos && shown.compare(first, std::string::npos, kElision) == 0 &&
         shown.find_last_not_of(' ') == first + kElision.size() - 1;
}

void drop_trailing_blanks(std::vector<std::string>& lines) {
  while (!lines.empty() && lines.back().find_first_not_of(" \t") == std::string::npos)
    lines.pop_back();
}

}  // namespace

std::string terminal_line(const std::string& printed) {
  std::string line;
  std::istringstream parts(printed);
  for (std::string part; std::getline(parts, part, '\r');)
    line.replace(0, std::min(part.size(), line.size()), part);
  return line;
}

bool line_matches(const std::string& shown, const std::string& printed,
                  const std::vector<std::string>& varying) {
  std::vector<std::string> parts = literal_parts(shown, varying);
  if (parts.size() == 1) return shown == printed;
  const std::string &head = parts.front(), &tail = parts.back();
  if (printed.compare(0, head.size(), head) != 0) return false;
  if (printed.size() < head.size() + tail.size() || !ends_with(printed, tail)) return false;
  // The parts between, each at its first place after the one before: the leftmost places leave
  // the most room for the rest.
  size_t at = head.size(), end = printed.size() - tail.size();
  for (size_t i = 1; i + 1 < parts.size(); ++i) {
    size_t found = printed.find(parts[i], at);
    if (found == std::string::npos || found + parts[i].size() > end) return false;
    at = found + parts[i].size();
  }
  return true;
}

bool output_matches(std::vector<std::string> shown, std::vector<std::string> printed,
                    const std::vector<std::string>& varying) {
  drop_trailing_blanks(shown);
  drop_trailing_blanks(printed);
  // can[i][j]: shown lines from i match printed lines from j.
  size_t n = shown.size(), m = printed.size();
  std::vector<std::vector<char>> can(n + 1, std::vector<char>(m + 1, 0));
  can[n][m] = 1;
  for (size_t i = n; i-- > 0;)
    for (size_t j = m + 1; j-- > 0;) {
      if (elision(shown[i]))
        can[i][j] = can[i + 1][j] || (j < m && can[i][j + 1]);
      else
        can[i][j] = j < m && can[i + 1][j + 1] && line_matches(shown[i], printed[j], varying);
    }
  return can[0][0] != 0;
}

}  // namespace readme_test
