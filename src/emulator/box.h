// The emulated Kavrin box: it takes the device library's byte reports, checks every one of them
// against the order of an exchange, answers input reports from its chip, and keeps a transcript.
// Its fault hooks let tests break a transfer or an open the way real hardware can.
#ifndef KAVTEST_BOX_H
#define KAVTEST_BOX_H

#include <cstddef>
#include <string>
#include <vector>

#include "engine.h"

struct Chip;

/// Platform error codes of the box, one per way a transfer or an open can fail.
constexpr unsigned long BOX_ERROR_VIOLATION = 0xb01;    ///< the report or read broke the protocol
constexpr unsigned long BOX_ERROR_WRITE_FAULT = 0xb02;  ///< hook: this write fails
constexpr unsigned long BOX_ERROR_READ_FAULT = 0xb03;   ///< hook: this read fails
constexpr unsigned long BOX_ERROR_SHORT_READ = 0xb04;   ///< hook: this read delivers fewer bytes
constexpr unsigned long BOX_ERROR_UNPLUGGED = 0xb05;    ///< hook: the box is gone
constexpr unsigned long BOX_ERROR_BUSY = 0xb06;         ///< the box is held by another user
constexpr unsigned long BOX_ERROR_ENGINE = 0xb07;       ///< the chip's engine could not answer

/// Test hooks. Transfers, writes and reads are numbered from 1 since power-up; 0 means never.
struct BoxFaults {
  unsigned long fail_write = 0;       ///< the write with this number fails
  unsigned long fail_read = 0;        ///< the read with this number fails
  unsigned long short_read = 0;       ///< the read with this number delivers fewer bytes
  std::size_t short_read_bytes = 0;   ///< how many bytes that read delivers at most
  unsigned long unplug_at = 0;        ///< this transfer, and every one and open after it, fails
  bool refuse_open = false;           ///< opens fail as if another process held the box
  /// Called as each transfer starts, with its number: a test's way to act at a chosen moment
  /// of a run (to deliver a signal, say).
  void (*on_transfer)(unsigned long transfer) = nullptr;
};

/// One transfer as the box saw it.
struct BoxTransfer {
  bool is_read;                     ///< false: a report was written
  std::vector<unsigned char> bytes; ///< the report, or the reply bytes delivered
  std::size_t asked;                ///< reads: the number of bytes asked for
  unsigned long error;              ///< 0, or the box's error code for this transfer
};

/// Where the box stands in an exchange.
enum class BoxState {
  AwaitBlock,    ///< only a block report starts an exchange
  AwaitMonitor,  ///< after the block report
  AwaitRows,     ///< after the monitor report
  AwaitColumns,  ///< after a row report
  AwaitInput,    ///< after a column report
  ReplyPending,  ///< after an input report: only the read of its reply
  AfterRead,     ///< a reply was read: more inputs, the next rows, or a new exchange
};

struct Box {
  Chip* chip = nullptr;
  BoxFaults faults;
  std::vector<BoxTransfer> transcript;
  unsigned long violations = 0;
  unsigned long transfers = 0, writes = 0, reads = 0;
  unsigned long opens = 0;  ///< successful opens since power-up
  bool is_open = false;
  bool unplugged = false;

  BoxState state = BoxState::AwaitBlock;
  unsigned char block = 0;
  bool monitor_on = false;
  std::vector<unsigned char> rows, columns, reply;
  std::string engine_error;  ///< why the chip's engine last failed
};

/// A box with a freshly powered chip of the switch-level engine, closed, with no faults set.
Box* box_power_up();
/// The same with the engine `choice` names; null with `*error` set when it cannot be made.
Box* box_power_up_with(const EngineChoice& choice, std::string* error);
/// Powers the box's chip down and up again with the engine `choice` names; false with `*error`
/// set, the chip unchanged, when that engine cannot be made. The box stays open or closed.
bool box_change_engine(Box* box, const EngineChoice& choice, std::string* error);
void box_power_down(Box* box);

/// Takes the box for one user; false with `*error` set when it is unplugged or held.
bool box_open(Box* box, unsigned long* error);
/// Gives the box back; an unfinished exchange is dropped.
void box_close(Box* box);

/// What a device library has staged for the box's next exchange, `pairs` cells (`rows` and
/// `columns`) of `block` and `count` input vectors: while the host waits out its settling pause
/// the box computes the answers of that exchange's first input report (its first 16 pairs and
/// 32 inputs), as a real box settles meanwhile. Nothing of the protocol changes: the box's
/// state, transcript and answers are what they would be without it, and an exchange that turns
/// out otherwise is answered as ever. Ignored while the box is closed or unplugged.
void box_expect_exchange(Box* box, unsigned char block, const unsigned char* rows,
                         const unsigned char* columns, std::size_t pairs,
                         const unsigned char* inputs, std::size_t count);

/// One report of `length` bytes. False with `*error` set when the transfer fails.
bool box_write(Box* box, const unsigned char* report, std::size_t length, unsigned long* error);
/// One read of up to `length` bytes; `*count` gets the number delivered. False with `*error` set
/// when the transfer fails; a short delivery by the hook succeeds and sets `*error` as well.
bool box_read(Box* box, unsigned char* buffer, std::size_t length, std::size_t* count,
              unsigned long* error);

#endif
