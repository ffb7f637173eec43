// The progress line, drawn with a carriage return and cleared at the end.
#include "run/progress.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kavlab {

/// Characters the line takes: every text is padded to this, so a shorter one hides a longer.
static const int kWidth = 60;

bool is_terminal(FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

std::string progress_text(int done, int total, double elapsed_s, const std::string& label) {
  char buf[96];
  int left = done > 0 ? static_cast<int>(elapsed_s * (total - done) / done + 0.5) : 0;
  std::string what = label.empty() ? "" : " " + label;
  if (done > 0)
    std::snprintf(buf, sizeof buf, "kavlab: %d of %d cell runs%s, %d:%02d left", done, total,
                  what.c_str(), left / 60, left % 60);
  else
    std::snprintf(buf, sizeof buf, "kavlab: %d of %d cell runs%s", done, total, what.c_str());
  return buf;
}

void show_progress(ProgressLine& line, int done, int total) {
  if (!is_terminal(line.out)) return;
  double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - line.start).count();
  if (line.all > 0) {
    done += line.before;
    total = line.all;
  }
  std::string text = line.prefix + progress_text(done, total, elapsed, line.label);
  if (line.rows > 1) {
    // One write, the cursor back where it was: lines of other processes may be drawn between.
    std::string up = std::to_string(line.rows - line.row);
    std::string drawn = "\x1b[" + up + "A\r" + text + "\x1b[K\x1b[" + up + "B\r";
    std::fwrite(drawn.data(), 1, drawn.size(), line.out);
    std::fflush(line.out);
    return;
  }
  std::fprintf(line.out, "\r%-*s", kWidth, text.c_str());
  std::fflush(line.out);
  line.shown = true;
}

void open_progress_rows(FILE* out, int rows) {
  if (!is_terminal(out)) return;
  for (int r = 0; r < rows; r++) std::fputc('\n', out);
  std::fflush(out);
}

void end_progress(ProgressLine& line) {
  if (!line.shown) return;
  std::fprintf(line.out, "\r%*s\r", kWidth, "");
  std::fflush(line.out);
  line.shown = false;
}

}  // namespace kavlab
