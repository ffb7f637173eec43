// Computing a chip's expected calls in a quiet thread (no signal reaches it), handing them over
// in order under a mutex, and putting back the cells of calls that never came. The thread always
// computes every call (up to an engine failure), so that what is put back never depends on how
// far it had come.
#include "chip_ahead.h"

#include <algorithm>

#include "quiet_thread.h"

void ChipAhead::start(CellEngine* engine, std::vector<AheadCall> calls) {
  drop();
  if (calls.empty()) return;
  engine_ = engine;
  calls_ = std::move(calls);
  active_ = true;
  thread_ = quiet_thread([this] { compute(); });  // on Windows computed here and now
}

void ChipAhead::compute() {
  for (std::size_t j = 0; j < calls_.size(); ++j) {
    AheadCall& c = calls_[j];
    if (c.cell >= 0) {
      c.before = engine_->save_state(static_cast<std::size_t>(c.cell));
      c.answers.resize(c.inputs.size());
      c.ok = engine_->apply(static_cast<std::size_t>(c.cell), c.inputs.data(), c.inputs.size(),
                            c.answers.data(), &c.error);
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      computed_ = j + 1;
    }
    changed_.notify_all();
    if (!c.ok) break;  // the chip's caller stops at a failure too
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
  }
  changed_.notify_all();
}

bool ChipAhead::take(unsigned char block, unsigned char col, unsigned char row,
                     const unsigned char* inputs, std::size_t count, AheadCall* call) {
  if (taken_ >= calls_.size()) return false;
  const AheadCall& next = calls_[taken_];
  if (next.block != block || next.col != col || next.row != row || next.inputs.size() != count ||
      !std::equal(next.inputs.begin(), next.inputs.end(), inputs))
    return false;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return computed_ > taken_ || finished_; });
    if (computed_ <= taken_) return false;
  }
  *call = std::move(calls_[taken_]);
  ++taken_;
  ++taken_total_;
  if (taken_ == calls_.size() || !call->ok) drop();
  return true;
}

void ChipAhead::drop() {
  if (!active_) return;
  if (thread_.joinable()) thread_.join();
  active_ = false;
  for (std::size_t j = computed_; j-- > taken_;) {
    const AheadCall& c = calls_[j];
    if (c.cell >= 0 && c.ok) engine_->restore_state(static_cast<std::size_t>(c.cell), c.before);
  }
  calls_.clear();
  taken_ = 0;
  computed_ = 0;
  finished_ = false;
}
