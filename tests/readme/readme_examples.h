// The shell examples of a Markdown page whose output is shown: indented code blocks whose first
// line is a command (`$ ` and the command), each command followed by the lines it prints, and
// the markers written before a block as HTML comments (`<!-- readme-test: ... -->`), which a
// Markdown page does not show.
#ifndef KAVTEST_README_EXAMPLES_H
#define KAVTEST_README_EXAMPLES_H

#include <string>
#include <vector>

namespace readme_test {

/// An optional part that an example may need: the analog engine (ngspice), the generator's
/// solver (Z3), or a real box, which no test has.
enum class Part { kNgspice, kZ3, kBox };

/// The word a marker names `part` with ("ngspice", "z3", "box").
const char* part_word(Part part);

/// One command of an example and what the page shows it printing.
struct Command {
  int line = 0;                    ///< its line on the page, from 1
  std::string text;                ///< the command, without `$ `
  std::vector<std::string> shown;  ///< the lines shown under it, up to the next command
};

/// One code block of commands with output shown, and its markers.
struct Example {
  int line = 0;                      ///< the line of its first command
  std::vector<Part> needs;           ///< parts it runs only with
  std::vector<std::string> varying;  ///< texts that stand for any text within their line
  bool continues = false;            ///< runs where the example before it ran, after it
  std::vector<Command> commands;
};

/// What a page holds: its examples in page order, and what is wrong with its markers.
struct Page {
  std::vector<Example> examples;
  std::vector<std::string> errors;  ///< "<name>:<line>: <what>", one per fault
};

/// The examples of the Markdown text `text`, whose errors name the page `name`. A block whose
/// commands show no output is no example; a marker that is malformed or that no example follows
/// is an error.
Page parse_page(const std::string& text, const std::string& name);

/// The examples of `examples` grouped as they run: each group starts with an example that does
/// not continue another and holds those that continue it.
std::vector<std::vector<Example>> sessions(const std::vector<Example>& examples);

}  // namespace readme_test

#endif
