// The progress line of a run on standard error: cell runs done of how many, and time left.
#ifndef KAVLAB_PROGRESS_H
#define KAVLAB_PROGRESS_H

#include <chrono>
#include <cstdio>
#include <string>

namespace kavlab {

/// One progress line, drawn over itself. Silent unless its stream is a terminal.
struct ProgressLine {
  FILE* out = stderr;
  bool shown = false;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

/// True when `stream` is a terminal.
bool is_terminal(FILE* stream);
/// The line's text after `done` of `total` runs in `elapsed_s` seconds.
std::string progress_text(int done, int total, double elapsed_s);
/// Draws the line for `done` of `total` runs when the stream is a terminal.
void show_progress(ProgressLine& line, int done, int total);
/// Clears a drawn line.
void end_progress(ProgressLine& line);

}  // namespace kavlab

#endif
