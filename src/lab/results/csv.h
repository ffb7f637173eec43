// CSV fields as RFC 4180 writes them.
#ifndef KAVLAB_CSV_H
#define KAVLAB_CSV_H

#include <string>
#include <vector>

namespace kavlab {

/// `f` as one CSV field: quoted, with its quotes doubled, when it holds a comma, a quote or a
/// line end.
std::string csv_field(const std::string& f);

/// The comma-separated items of `text`, empty ones kept ("a,,b" gives three); no quoting.
std::vector<std::string> split_commas(const std::string& text);

}  // namespace kavlab

#endif
