// What tests of broken and parallel runs compare in results files: what was measured, on what,
// and whether a cut result holds the start of a whole one.
#ifndef KAVLAB_MEASURED_RESULTS_H
#define KAVLAB_MEASURED_RESULTS_H

#include <filesystem>
#include <string>

namespace kavlab {

/// The results file `path`, its command line and times left out: what was measured, on what.
std::string measured(const std::filesystem::path& path);

/// The answers alone of the results file `path`: per circuit and pass, the reference's and
/// every cell's outputs and monitor verdicts (neither the box nor the chip).
std::string answers(const std::filesystem::path& path);

/// Checks that every pass of the results file `cut` holds what the same pass of `whole` holds,
/// up to where it ends (its reference and first cells), and that some pass lacks cells.
void expect_prefixes(const std::filesystem::path& cut, const std::filesystem::path& whole);

}  // namespace kavlab

#endif
