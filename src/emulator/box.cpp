// The box's protocol engine: one exchange is a block report, a monitor report, then row and
// column reports each followed by input reports, every input report by the read of its reply.
#include "box.h"

#include <algorithm>
#include <cstring>

#include "chip.h"

namespace {

// The report codes and limits of the box protocol, spelled here on their own rather than taken
// from the device library's header: the box is an independent check of the bytes the library
// sends, so a wrong code in the library must not be shared by the box that checks it.

/// The high nibble of a report's first byte says what it is; the low nibble is always 0.
constexpr unsigned char kReportKindMask = 0x0f;
constexpr unsigned char kRowReport = 0x00;         ///< the rows of up to kMaxPairs cells
constexpr unsigned char kColumnReport = 0x10;      ///< their columns, one per row
constexpr unsigned char kInputReport = 0x20;       ///< up to kMaxInputs input vectors
constexpr unsigned char kBlockLowReport = 0x30;    ///< the exchange is for block 0x00
constexpr unsigned char kBlockHighReport = 0x40;   ///< the exchange is for block 0x80
constexpr unsigned char kMonitorOnReport = 0x50;   ///< the current monitor is on
constexpr unsigned char kMonitorOffReport = 0x60;  ///< the current monitor is off
constexpr unsigned char kBlockLow = 0x00, kBlockHigh = 0x80;

constexpr std::size_t kMaxPairs = 16;   ///< row-and-column pairs of one exchange
constexpr std::size_t kMaxInputs = 32;  ///< input vectors of one input report

/// Drops whatever the current exchange had reached; only a block report is taken next.
void restart(Box* box) {
  box->state = BoxState::AwaitBlock;
  box->reply.clear();
}

/// The reply to one input report: reply[k * m + j] answers pair k to input vector j. False with
/// box->engine_error set when the chip's engine failed.
bool answer(Box* box, const unsigned char* inputs, std::size_t m) {
  box->reply.assign(box->rows.size() * m, 0);
  for (std::size_t k = 0; k < box->rows.size(); k++)
    if (!chip_apply(box->chip, box->block, box->columns[k], box->rows[k], inputs, m,
                    box->monitor_on, box->reply.data() + k * m, &box->engine_error))
      return false;
  return true;
}

/// Takes one report into the exchange: 0, BOX_ERROR_VIOLATION when the report breaks the
/// protocol, BOX_ERROR_ENGINE when the chip could not answer it.
unsigned long accept_report(Box* box, const unsigned char* report, std::size_t length) {
  constexpr unsigned long kAccepted = 0;
  if (length == 0 || (report[0] & kReportKindMask) != 0) return BOX_ERROR_VIOLATION;
  const unsigned char* payload = report + 1;
  std::size_t n = length - 1;
  BoxState s = box->state;
  switch (report[0]) {
    case kBlockLowReport:
    case kBlockHighReport:
      if (n != 0 || (s != BoxState::AwaitBlock && s != BoxState::AfterRead)) return BOX_ERROR_VIOLATION;
      box->block = report[0] == kBlockLowReport ? kBlockLow : kBlockHigh;
      box->state = BoxState::AwaitMonitor;
      return kAccepted;
    case kMonitorOnReport:
    case kMonitorOffReport:
      if (n != 0 || s != BoxState::AwaitMonitor) return BOX_ERROR_VIOLATION;
      box->monitor_on = report[0] == kMonitorOnReport;
      box->state = BoxState::AwaitRows;
      return kAccepted;
    case kRowReport:
      if (n > kMaxPairs || (s != BoxState::AwaitRows && s != BoxState::AfterRead)) return BOX_ERROR_VIOLATION;
      box->rows.assign(payload, payload + n);
      box->state = BoxState::AwaitColumns;
      return kAccepted;
    case kColumnReport:
      if (n != box->rows.size() || s != BoxState::AwaitColumns) return BOX_ERROR_VIOLATION;
      box->columns.assign(payload, payload + n);
      box->state = BoxState::AwaitInput;
      return kAccepted;
    case kInputReport:
      if (n > kMaxInputs || (s != BoxState::AwaitInput && s != BoxState::AfterRead)) return BOX_ERROR_VIOLATION;
      if (!answer(box, payload, n)) return BOX_ERROR_ENGINE;
      box->state = BoxState::ReplyPending;
      return kAccepted;
    default:
      return BOX_ERROR_VIOLATION;
  }
}

/// Ends transfer number box->transfers: records it.
bool finish(Box* box, BoxTransfer record, unsigned long* error) {
  *error = record.error;
  bool ok = record.error == 0 || record.error == BOX_ERROR_SHORT_READ;
  box->transcript.push_back(std::move(record));
  return ok;
}

/// Starts transfer number box->transfers + 1: counts it and pulls the plug when its time has come.
void start_transfer(Box* box) {
  box->transfers++;
  if (box->faults.on_transfer != nullptr) box->faults.on_transfer(box->transfers);
  if (box->faults.unplug_at != 0 && box->transfers == box->faults.unplug_at) box->unplugged = true;
}

/// A failed transfer: the exchange is dropped, and counted when the protocol was broken.
unsigned long fail(Box* box, unsigned long code) {
  if (code == BOX_ERROR_VIOLATION) box->violations++;
  restart(box);
  return code;
}

}  // namespace

Box* box_power_up() {
  Box* box = new Box;
  box->chip = chip_power_up();
  return box;
}

Box* box_power_up_with(const EngineChoice& choice, std::string* error) {
  Chip* chip = chip_power_up_with(choice, error);
  if (chip == nullptr) return nullptr;
  Box* box = new Box;
  box->chip = chip;
  return box;
}

bool box_change_engine(Box* box, const EngineChoice& choice, std::string* error) {
  Chip* chip = chip_power_up_with(choice, error);
  if (chip == nullptr) return false;
  chip_power_down(box->chip);
  box->chip = chip;
  return true;
}

void box_power_down(Box* box) {
  if (box == nullptr) return;
  chip_power_down(box->chip);
  delete box;
}

bool box_open(Box* box, unsigned long* error) {
  if (box->unplugged) {
    *error = BOX_ERROR_UNPLUGGED;
    return false;
  }
  if (box->is_open || box->faults.refuse_open) {
    *error = BOX_ERROR_BUSY;
    return false;
  }
  box->is_open = true;
  box->opens++;
  restart(box);
  return true;
}

void box_close(Box* box) {
  box->is_open = false;
  restart(box);
  chip_drop_ahead(box->chip);
}

void box_expect_exchange(Box* box, unsigned char block, const unsigned char* rows,
                         const unsigned char* columns, std::size_t pairs,
                         const unsigned char* inputs, std::size_t count) {
  if (!box->is_open || box->unplugged || pairs == 0 || count == 0) return;
  std::vector<ChipCall> calls(std::min(pairs, kMaxPairs));
  for (std::size_t k = 0; k < calls.size(); k++) {
    calls[k].block = block;
    calls[k].col = columns[k];
    calls[k].row = rows[k];
    calls[k].inputs.assign(inputs, inputs + std::min(count, kMaxInputs));
  }
  chip_compute_ahead(box->chip, calls);
}

bool box_write(Box* box, const unsigned char* report, std::size_t length, unsigned long* error) {
  start_transfer(box);
  box->writes++;
  BoxTransfer record{false, std::vector<unsigned char>(report, report + length), 0, 0};
  if (box->unplugged)
    record.error = BOX_ERROR_UNPLUGGED;
  else if (box->writes == box->faults.fail_write)
    record.error = fail(box, BOX_ERROR_WRITE_FAULT);
  else if (!box->is_open)
    record.error = fail(box, BOX_ERROR_VIOLATION);
  else if (unsigned long code = accept_report(box, report, length))
    record.error = fail(box, code);
  return finish(box, std::move(record), error);
}

bool box_read(Box* box, unsigned char* buffer, std::size_t length, std::size_t* count,
              unsigned long* error) {
  start_transfer(box);
  box->reads++;
  BoxTransfer record{true, {}, length, 0};
  *count = 0;
  if (box->unplugged) {
    record.error = BOX_ERROR_UNPLUGGED;
  } else if (box->reads == box->faults.fail_read) {
    record.error = fail(box, BOX_ERROR_READ_FAULT);
  } else if (!box->is_open || box->state != BoxState::ReplyPending || length != box->reply.size()) {
    record.error = fail(box, BOX_ERROR_VIOLATION);
  } else {
    std::size_t delivered = length;
    if (box->reads == box->faults.short_read) {
      delivered = std::min(length, box->faults.short_read_bytes);
      record.error = BOX_ERROR_SHORT_READ;
    }
    record.bytes.assign(box->reply.begin(), box->reply.begin() + delivered);
    if (delivered != 0) std::memcpy(buffer, box->reply.data(), delivered);
    *count = delivered;
    if (record.error != 0)
      restart(box);  // the reader gives the exchange up
    else
      box->state = BoxState::AfterRead;
  }
  return finish(box, std::move(record), error);
}
