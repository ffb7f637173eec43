// Fuzz target of the emulated box's protocol engine. The input is a program of operations on a
// box as it is after power-up and an open: an operation byte, then its arguments.
//   op % 8 == 0  write: a length byte (0 to 40), then that many report bytes
//   op % 8 == 1  read: a length byte pair (0 to 599 bytes asked)
//   op % 8 == 2  fault hook: a hook byte and a value byte, counted from the box's present
//                write, read or transfer number
//   op % 8 == 3  close;  op % 8 == 4  open
//   op % 8 == 5  one well-formed exchange of up to 4 pairs and 8 inputs: a head byte (block,
//                monitor, pair count), the pairs' rows and columns, an input count, the inputs
//   op % 8 == 6  refuse_open off;  op % 8 == 7  the next byte as a read of the pending reply
// After every transfer the box's own books must agree with what the caller saw.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "box.h"
#include "chip.h"

namespace {

struct Program {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos = 0;
  bool done() const { return pos >= size; }
  std::uint8_t next() { return pos < size ? data[pos++] : 0; }
};

void check(bool ok) {
  if (!ok) std::abort();
}

/// The books after every transfer: one transcript record per transfer, writes and reads
/// adding up, and the record matching the caller's result.
void check_books(const Box* box, bool ok, unsigned long error) {
  check(box->transcript.size() == box->transfers);
  check(box->writes + box->reads == box->transfers);
  const BoxTransfer& last = box->transcript.back();
  check(last.error == error);
  check(ok == (error == 0 || error == BOX_ERROR_SHORT_READ));
  if (error != 0 && error != BOX_ERROR_UNPLUGGED) check(box->state == BoxState::AwaitBlock);
}

void write(Box* box, const std::vector<std::uint8_t>& report) {
  unsigned long error = 0;
  bool ok = box_write(box, report.data(), report.size(), &error);
  check_books(box, ok, error);
  if (ok) check(box->state != BoxState::AwaitBlock);
}

void read(Box* box, std::size_t length) {
  std::vector<std::uint8_t> buffer(length + 1, 0xee);
  std::size_t count = 12345;
  unsigned long error = 0;
  bool ok = box_read(box, buffer.data(), length, &count, &error);
  check_books(box, ok, error);
  check(count <= length);
  check(box->transcript.back().bytes.size() == count);
  check(buffer[length] == 0xee);  // nothing beyond what was asked
  if (ok && error == 0) check(count == length && box->state == BoxState::AfterRead);
  if (!ok) check(count == 0);
}

void set_hook(Box* box, std::uint8_t hook, std::uint8_t value) {
  BoxFaults& f = box->faults;
  switch (hook % 6) {
    case 0: f.fail_write = value == 0 ? 0 : box->writes + value % 8; break;
    case 1: f.fail_read = value == 0 ? 0 : box->reads + value % 8; break;
    case 2: f.short_read = value == 0 ? 0 : box->reads + value % 8; break;
    case 3: f.short_read_bytes = value; break;
    case 4: f.unplug_at = value == 0 ? 0 : box->transfers + 1 + value % 16; break;
    case 5: f.refuse_open = value % 2 != 0; break;
  }
}

/// A whole exchange in the order the device library sends it, for the chip's answers.
void exchange(Box* box, Program& p) {
  std::uint8_t head = p.next();
  write(box, {static_cast<std::uint8_t>(head & 1 ? 0x40 : 0x30)});
  write(box, {static_cast<std::uint8_t>(head & 2 ? 0x60 : 0x50)});
  std::size_t pairs = 1 + (head >> 2) % 4;  // the chip's answers cost most of the time
  std::vector<std::uint8_t> rows{0x00}, columns{0x10};
  for (std::size_t k = 0; k < pairs; k++) {
    rows.push_back(p.next());
    columns.push_back(p.next());
  }
  write(box, rows);
  write(box, columns);
  std::size_t m = 1 + p.next() % 8;
  std::vector<std::uint8_t> inputs{0x20};
  for (std::size_t j = 0; j < m; j++) inputs.push_back(p.next());
  write(box, inputs);
  read(box, pairs * m);
}

/// The box as box_power_up leaves it. Building the chip costs milliseconds, so one box is
/// powered up once; every input then gets its engine state anew and every cell reset.
Box* fresh_box() {
  static Box* const box = box_power_up();
  Chip* chip = box->chip;
  *box = Box{};
  box->chip = chip;
  chip_reset(chip);
  return box;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Box* box = fresh_box();
  unsigned long error = 0;
  check(box_open(box, &error));
  Program p{data, size};
  while (!p.done()) {
    std::uint8_t op = p.next();
    switch (op % 8) {
      case 0: {
        std::size_t n = p.next() % 41;
        std::vector<std::uint8_t> report;
        for (std::size_t i = 0; i < n; i++) report.push_back(p.next());
        write(box, report);
        break;
      }
      case 1: {
        std::size_t low = p.next();
        std::size_t high = p.next();
        read(box, (low | high << 8) % 600);
        break;
      }
      case 2: {
        std::uint8_t hook = p.next();
        set_hook(box, hook, p.next());
        break;
      }
      case 3:
        box_close(box);
        check(!box->is_open && box->state == BoxState::AwaitBlock);
        break;
      case 4: {
        bool was_open = box->is_open;
        bool ok = box_open(box, &error);
        if (ok) check(!was_open && box->is_open && box->state == BoxState::AwaitBlock);
        else check(error == BOX_ERROR_BUSY || error == BOX_ERROR_UNPLUGGED);
        break;
      }
      case 5:
        exchange(box, p);
        break;
      case 6:
        box->faults.refuse_open = false;
        break;
      case 7:
        read(box, box->reply.size() + (p.next() % 3 == 0 ? 1 : 0));
        break;
    }
  }
  box_close(box);
  return 0;
}
