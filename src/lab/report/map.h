// The detection map of a result: its defects (rows) by its vectors (columns), each square
// coloured by what detects that defect on that vector.
#ifndef KAVLAB_REPORT_MAP_H
#define KAVLAB_REPORT_MAP_H

#include <string>

#include "report/html.h"
#include "report/model.h"

namespace kavlab {

/// The map of `view` as an inline SVG picture.
Html detection_map(const CircuitView& view);

}  // namespace kavlab

#endif
