// The progress line of a run on standard error: cell runs done of how many, and time left.
#ifndef KAVLAB_PROGRESS_H
#define KAVLAB_PROGRESS_H

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace kavlab {

/// One progress line, drawn over itself. Silent unless its stream is a terminal. A line may
/// span several measurements (a sweep's values): it then counts the runs of all of them.
struct ProgressLine {
  FILE* out = stderr;
  bool shown = false;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  int before = 0;     ///< runs done by the earlier measurements of the line
  int all = 0;        ///< runs of all its measurements; 0: each measurement's own count
  std::string label;  ///< what the measurement now running is ("at 1k ohms"); empty: none
  /// Per pass of the measurement, what it measures, taken as `label` as a run of it ends (a
  /// sweep's values); empty: `label` alone.
  std::vector<std::string> pass_labels;
  /// Several lines at once (boxes measured side by side, each by a process of its own): this
  /// is line `row` of a block of `rows` that the command opened (open_progress_rows) above the
  /// cursor, drawn in place with the terminal's cursor moves, its text after `prefix`.
  int row = 0, rows = 1;
  std::string prefix;
};

/// Opens a block of `rows` progress lines on `out` (when it is a terminal) for lines whose
/// `rows` is that many: empty lines the cursor leaves above it.
void open_progress_rows(FILE* out, int rows);

/// True when `stream` is a terminal.
bool is_terminal(FILE* stream);
/// The line's text after `done` of `total` runs in `elapsed_s` seconds, `label` (when not
/// empty) saying what is being measured.
std::string progress_text(int done, int total, double elapsed_s, const std::string& label = "");
/// Draws the line for `done` of `total` runs of the measurement now running, when the stream
/// is a terminal.
void show_progress(ProgressLine& line, int done, int total);
/// Clears a drawn line.
void end_progress(ProgressLine& line);

}  // namespace kavlab

#endif
