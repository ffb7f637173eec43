// A chip's next calls computed ahead: the cells' answers to calls the chip expects, computed in
// a thread of their own while the caller does something else (the emulated box: while the host
// waits out its settling pause), then taken one by one as the calls come, or put back. Inside
// the chip (chip.cpp): the chip answers the same with it or without it.
#ifndef KAVTEST_CHIP_AHEAD_H
#define KAVTEST_CHIP_AHEAD_H

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine.h"

/// One call computed ahead: what it is (a position and its inputs), the engine's cell there,
/// and what the engine gave.
struct AheadCall {
  unsigned char block = 0, col = 0, row = 0;
  std::vector<unsigned char> inputs;
  int cell = -1;  ///< the engine's cell at the position, or -1 when it holds none
  // Set by the computing thread:
  CellState before;  ///< the cell's state before the call
  bool ok = true;    ///< false: the engine failed (`error`), the cell unchanged
  std::string error;
  std::vector<CellAnswer> answers;
};

class ChipAhead {
 public:
  ChipAhead() = default;
  ~ChipAhead() { drop(); }
  ChipAhead(const ChipAhead&) = delete;
  ChipAhead& operator=(const ChipAhead&) = delete;

  /// Drops what was computed ahead before, then starts computing `calls` in order on the cells
  /// of `engine`, which no one else may use until the calls are taken or dropped.
  void start(CellEngine* engine, std::vector<AheadCall> calls);
  /// When the next call not yet taken is the cell at (block, col, row) with `count` inputs
  /// `inputs`: waits until it is computed and moves it into `*call`; true. False, nothing
  /// taken, for any other call, or when it was not computed (the computation stopped at an
  /// engine failure before it).
  bool take(unsigned char block, unsigned char col, unsigned char row, const unsigned char* inputs,
            std::size_t count, AheadCall* call);
  /// Waits for the computing thread to end (it computes every call) and puts back the cells
  /// that calls not taken changed, latest first: the engine is then as if only the calls taken
  /// had been made.
  void drop();
  /// How many calls were taken since this was made.
  unsigned long taken_total() const { return taken_total_; }

 private:
  void compute();

  CellEngine* engine_ = nullptr;
  bool active_ = false;  ///< calls were started and not yet all taken or dropped
  std::vector<AheadCall> calls_;
  std::size_t taken_ = 0;
  unsigned long taken_total_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t computed_ = 0;  ///< guarded by mutex_: calls [0, computed_) are computed
  bool finished_ = false;     ///< guarded by mutex_: the thread computes nothing more
};

#endif
