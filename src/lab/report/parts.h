// The parts of a circuit's section of the report. Each part has a heading, a legend, and one
// panel per result of the circuit, shown side by side; a new kind of result (a sweep of bridge
// resistance, say) adds its part to report_parts().
#ifndef KAVLAB_REPORT_PARTS_H
#define KAVLAB_REPORT_PARTS_H

#include <string>
#include <vector>

#include "report/html.h"
#include "report/model.h"

namespace kavlab {

struct ReportPart {
  const char* id;       ///< the anchor after the circuit's: "map" gives "c16-map"
  const char* heading;  ///< the part's heading
  /// Whether the result of `view` holds what the part shows; a part that no result of a
  /// circuit shows is left out of its section.
  bool (*shows)(const CircuitView& view);
  /// What the panels' colours and marks mean, and how to read them.
  Html (*legend)(const CircuitGroup& group);
  /// The panel of one result.
  Html (*panel)(const CircuitView& view);
};

/// The parts in the order of the page.
const std::vector<ReportPart>& report_parts();

/// The vectors of `c` at `indices` as their bits, space separated.
Html vector_list(const CircuitResult& c, const std::vector<int>& indices);
/// A colour key and its meaning.
Html key(const char* cls, const Html& meaning);

}  // namespace kavlab

#endif
