#include "readme_examples.h"

#include <cstring>
#include <sstream>
#include <utility>

namespace readme_test {

namespace {

constexpr const char* kMarkerStart = "<!-- readme-test:";
constexpr const char* kMarkerEnd = "-->";
constexpr const char* kPrompt = "$ ";
const std::string kIndent = "    ";

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string trimmed(const std::string& s) {
  size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool starts_with(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

bool blank(const std::string& line) { return trimmed(line).empty(); }

bool indented(const std::string& line) { return starts_with(line, kIndent) && !blank(line); }

bool fence(const std::string& line) {
  std::string t = trimmed(line);
  return starts_with(t, "```") || starts_with(t, "~~~");
}

/// Markers read so far that wait for the example they belong to.
struct Pending {
  int line = 0;  ///< the first marker's line; 0 when none waits
  std::vector<Part> needs;
  std::vector<std::string> varying;
  bool continues = false;
};

/// Reads what `text` (a marker's words) asks for into `p`; the error, or empty.
std::string read_marker(const std::string& text, Pending& p) {
  std::string word = text.substr(0, text.find(' '));
  std::string rest = trimmed(text.substr(word.size()));
  if (word == "continues" && rest.empty()) {
    p.continues = true;
  } else if (word == "varies") {
    if (rest.empty()) return "'varies' names no text";
    p.varying.push_back(rest);
  } else if (word == "needs") {
    for (Part part : {Part::kNgspice, Part::kZ3, Part::kBox})
      if (rest == part_word(part)) {
        p.needs.push_back(part);
        return "";
      }
    return "'needs' takes ngspice, z3 or box, not '" + rest + "'";
  } else {
    return "unknown marker '" + text + "'";
  }
  return "";
}

/// The code block that starts at `lines[at]`, without its indentation and trailing blank lines;
/// `at` moves past it.
std::vector<std::string> take_block(const std::vector<std::string>& lines, size_t& at) {
  std::vector<std::string> block;
  for (; at < lines.size() && (indented(lines[at]) || blank(lines[at])); ++at)
    block.push_back(blank(lines[at]) ? "" : lines[at].substr(kIndent.size()));
  while (!block.empty() && block.back().empty()) block.pop_back();
  return block;
}

/// The commands of `block`, whose first line is on line `first`; empty unless it starts with a
/// command and shows output under one of them.
std::vector<Command> commands_of(const std::vector<std::string>& block, int first) {
  std::vector<Command> commands;
  bool shows_output = false;
  for (size_t i = 0; i < block.size(); ++i) {
    if (starts_with(block[i], kPrompt)) {
      commands.push_back({first + static_cast<int>(i), block[i].substr(2), {}});
    } else if (!commands.empty()) {
      commands.back().shown.push_back(block[i]);
      shows_output = true;
    } else {
      return {};
    }
  }
  return shows_output ? commands : std::vector<Command>{};
}

/// Reads a page line by line; markers wait for the example after them.
class PageReader {
 public:
  PageReader(const std::string& text, const std::string& name)
      : lines_(split_lines(text)), name_(name) {}

  Page read() {
    bool in_fence = false, after_break = true;  // a code block starts after a blank line
    for (size_t at = 0; at < lines_.size();) {
      const std::string& line = lines_[at];
      if (fence(line) || in_fence) {
        if (fence(line)) in_fence = !in_fence;
        give_up_pending();
        after_break = false;
      } else if (starts_with(trimmed(line), "<!-- readme-test")) {
        read_marker_line(at);
        after_break = true;
      } else if (after_break && indented(line)) {
        read_block(at);  // moves `at` past the block
        continue;
      } else {
        after_break = blank(line);
        if (!after_break) give_up_pending();
      }
      ++at;
    }
    give_up_pending();
    return std::move(page_);
  }

 private:
  void error(int line, const std::string& what) {
    page_.errors.push_back(name_ + ":" + std::to_string(line) + ": " + what);
  }

  /// Markers that no example follows are an error.
  void give_up_pending() {
    if (pending_.line != 0) error(pending_.line, "a marker that no example follows");
    pending_ = Pending();
  }

  void read_marker_line(size_t at) {
    std::string t = trimmed(lines_[at]);
    const size_t start = std::strlen(kMarkerStart), end = std::strlen(kMarkerEnd);
    bool whole = starts_with(t, kMarkerStart) && t.size() >= start + end &&
                 t.compare(t.size() - end, end, kMarkerEnd) == 0;
    std::string what = whole
                           ? read_marker(trimmed(t.substr(start, t.size() - start - end)), pending_)
                           : "a marker is one line: <!-- readme-test: ... -->";
    if (!what.empty()) error(static_cast<int>(at) + 1, what);
    if (pending_.line == 0) pending_.line = static_cast<int>(at) + 1;
  }

  /// The code block at `at`: an example with the markers before it, or none; `at` moves past it.
  void read_block(size_t& at) {
    int first = static_cast<int>(at) + 1;
    std::vector<Command> commands = commands_of(take_block(lines_, at), first);
    if (commands.empty()) {
      if (pending_.line != 0)
        error(pending_.line, "a marker before a block that shows no output of a command");
    } else {
      if (pending_.continues && page_.examples.empty())
        error(pending_.line, "'continues', but no example comes before it");
      page_.examples.push_back({first, std::move(pending_.needs), std::move(pending_.varying),
                                pending_.continues, std::move(commands)});
    }
    pending_ = Pending();
  }

  std::vector<std::string> lines_;
  std::string name_;
  Page page_;
  Pending pending_;
};

}  // namespace

const char* part_word(Part part) {
  switch (part) {
    case Part::kNgspice:
      return "ngspice";
    case Part::kZ3:
      return "z3";
    case Part::kBox:
      return "box";
  }
  return "";
}

Page parse_page(const std::string& text, const std::string& name) {
  return PageReader(text, name).read();
}

std::vector<std::vector<Example>> sessions(const std::vector<Example>& examples) {
  std::vector<std::vector<Example>> all;
  for (const Example& e : examples) {
    if (!e.continues || all.empty()) all.emplace_back();
    all.back().push_back(e);
  }
  return all;
}

}  // namespace readme_test
