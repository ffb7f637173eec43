// The limits of what kavlab reads, docs/results-format.md's "Limits": a results file's size, its
// nesting, its names; and how a message shows a value it refuses.
#ifndef KAVLAB_LIMITS_H
#define KAVLAB_LIMITS_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace kavlab {

/// The largest results file read, 8 GiB: over twice the largest real one, a whole-chip run of a
/// million vectors with both passes (3,515 bytes a vector: 3.5 GB; docs/results-format.md
/// shows the count).
constexpr std::uint64_t kMaxResultsBytes = std::uint64_t{8} << 30;
/// The deepest nesting of arrays and objects read; a results file has 7 levels.
constexpr int kMaxNesting = 32;
/// The longest text read other than an answer string (names of circuits, defects, devices and
/// members, command-line words, paths, dates), in bytes: a path as long as Linux takes one.
constexpr std::size_t kMaxNameBytes = 4096;
/// The most of a value that a message shows, in bytes.
constexpr std::size_t kShownBytes = 40;

/// `value` as a message shows it: control characters and bytes of no UTF-8 character as
/// escapes (\n, \x1b, \xe3), cut after kShownBytes bytes (not within a UTF-8 character) with
/// the count of all its bytes.
std::string shown_value(const std::string& value);

}  // namespace kavlab

#endif
