// Whether what a command printed is what a page shows it printing: line for line, except where
// the page elides (`...`) or marks a text as varying.
#ifndef KAVTEST_README_OUTPUT_MATCH_H
#define KAVTEST_README_OUTPUT_MATCH_H

#include <string>
#include <vector>

namespace readme_test {

/// Whether `printed` is the line `shown`, where `...` and each text of `varying` within `shown`
/// stand for any text (none included) within the line.
bool line_matches(const std::string& shown, const std::string& printed,
                  const std::vector<std::string>& varying);

/// `printed` as a terminal shows it: the text after a carriage return written over the start of
/// the line.
std::string terminal_line(const std::string& printed);

/// Whether the lines `printed` are the lines `shown`, where a shown line of `...` alone stands for
/// any number of lines (none included) and other lines match as line_matches() says. Blank lines
/// at the end of either are not compared: a page cannot show them.
bool output_matches(std::vector<std::string> shown, std::vector<std::string> printed,
                    const std::vector<std::string>& varying);

}  // namespace readme_test

#endif
