#include "box.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "KavrinConst.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct BoxTest : testing::Test {
  Box* box = box_power_up();
  unsigned long error = 0;

  void SetUp() override { ASSERT_TRUE(box_open(box, &error)); }
  void TearDown() override { box_power_down(box); }

  bool write(Bytes report) { return box_write(box, report.data(), report.size(), &error); }
  bool write(std::initializer_list<unsigned char> report) { return write(Bytes(report)); }
  /// Reads `length` bytes; returns what was delivered, and `ok` tells whether the read succeeded.
  Bytes read(std::size_t length, bool* ok = nullptr) {
    Bytes buffer(length + 1, 0xee);
    std::size_t count = 0;
    bool result = box_read(box, buffer.data(), length, &count, &error);
    if (ok) *ok = result;
    buffer.resize(count);
    return buffer;
  }
};

const KAVRIN_ELEMENT& reference_of(int circuit) { return elements[circuit].idx[0]; }

/// Reply byte of a defect-free cell: monitor passing, outputs above it.
unsigned char answer(unsigned outputs) { return static_cast<unsigned char>(1 | outputs << 1); }

TEST_F(BoxTest, ReferenceCellsAnswerWithTheirFunctionPairMajor) {
  const KAVRIN_ELEMENT& nand = reference_of(11);
  const KAVRIN_ELEMENT& nor = reference_of(13);
  EXPECT_TRUE(write({0x30}));
  EXPECT_TRUE(write({0x50}));
  EXPECT_TRUE(write({0x00, nand.row, nor.row, 200}));
  EXPECT_TRUE(write({0x10, nand.col, nor.col, 200}));
  EXPECT_TRUE(write({0x20, 0, 1, 2, 3}));
  bool ok = false;
  Bytes reply = read(12, &ok);
  EXPECT_TRUE(ok);
  Bytes expected{answer(1), answer(1), answer(1), answer(0),   // NAND(A, B)
                 answer(1), answer(0), answer(0), answer(0),   // NOR(A, B)
                 0,         0,         0,         0};          // no cell at (200, 200)
  EXPECT_EQ(reply, expected);
  EXPECT_EQ(box->violations, 0u);
}

TEST_F(BoxTest, EachBlockHoldsItsOwnCells) {
  const KAVRIN_ELEMENT& c17 = reference_of(16);
  const KAVRIN_ELEMENT& nand = reference_of(11);
  ASSERT_EQ(elements[16].lib, 128);
  ASSERT_EQ(elements[11].lib, 0);
  // Block 0x80 has C17 at its position and nothing where block 0x00 has NA2.
  EXPECT_TRUE(write({0x40}));
  EXPECT_TRUE(write({0x60}));
  EXPECT_TRUE(write({0x00, c17.row, nand.row}));
  EXPECT_TRUE(write({0x10, c17.col, nand.col}));
  EXPECT_TRUE(write({0x20, 0x00, 0x1f, 0x03}));
  // C17: Y0 = NAND(n1, n3), Y1 = NAND(n3, n4); 11111 gives Y0 = 1, Y1 = 0.
  EXPECT_EQ(read(6), (Bytes{answer(0), answer(1), answer(3), 0, 0, 0}));
  EXPECT_TRUE(write({0x30}));
  EXPECT_TRUE(write({0x60}));
  EXPECT_TRUE(write({0x00, nand.row}));
  EXPECT_TRUE(write({0x10, nand.col}));
  EXPECT_TRUE(write({0x20, 0x03}));
  EXPECT_EQ(read(1), Bytes{answer(0)});
  EXPECT_EQ(box->violations, 0u);
}

TEST_F(BoxTest, ExchangeGoesOnAfterEachRead) {
  const KAVRIN_ELEMENT& inv = reference_of(14);
  EXPECT_TRUE(write({0x30}));
  EXPECT_TRUE(write({0x60}));
  EXPECT_TRUE(write({0x00, inv.row}));
  EXPECT_TRUE(write({0x10, inv.col}));
  EXPECT_TRUE(write({0x20, 0}));
  EXPECT_EQ(read(1), Bytes{answer(1)});
  EXPECT_TRUE(write({0x20, 1, 0}));  // more inputs for the same pairs
  EXPECT_EQ(read(2), (Bytes{answer(0), answer(1)}));
  EXPECT_TRUE(write({0x00}));  // next pair chunk: no pairs, no inputs
  EXPECT_TRUE(write({0x10}));
  EXPECT_TRUE(write({0x20}));
  EXPECT_EQ(read(0), Bytes{});
  EXPECT_TRUE(write({0x40}));  // a new exchange
  EXPECT_TRUE(write({0x50}));
  EXPECT_EQ(box->violations, 0u);
}

/// Sequences whose last transfer breaks the protocol; a read is written as {0xff, size}.
struct Violation {
  const char* what;
  std::vector<Bytes> transfers;
};

const std::vector<Violation> kViolations = {
    {"unknown command", {{0x70}}},
    {"low nibble set", {{0x31}}},
    {"empty report", {{}}},
    {"block report with payload", {{0x30, 0x00}}},
    {"monitor before block", {{0x50}}},
    {"rows before monitor", {{0x30}, {0x00, 1}}},
    {"monitor twice", {{0x30}, {0x50}, {0x60}}},
    {"seventeen rows", {{0x30}, {0x50}, Bytes(18, 0)}},
    {"columns differ from rows", {{0x30}, {0x50}, {0x00, 1, 2}, {0x10, 1}}},
    {"input before columns", {{0x30}, {0x50}, {0x00, 1}, {0x20, 1}}},
    {"input before rows", {{0x30}, {0x50}, {0x20, 1}}},
    {"thirty-three inputs", {{0x30}, {0x50}, {0x00, 1}, {0x10, 1}, [] {
                               Bytes r(34, 0);
                               r[0] = 0x20;
                               return r;
                             }()}},
    {"read of the wrong size", {{0x30}, {0x50}, {0x00, 1}, {0x10, 1}, {0x20, 1, 2}, {0xff, 1}}},
    {"read with no reply pending", {{0x30}, {0x50}, {0xff, 0}}},
    {"write while a reply is pending", {{0x30}, {0x50}, {0x00, 1}, {0x10, 1}, {0x20, 1}, {0x30}}},
    {"block report in the middle", {{0x30}, {0x50}, {0x00, 1}, {0x30}}},
};

TEST_F(BoxTest, EveryViolationFailsItsTransferIsCountedAndWaitsForABlockReport) {
  for (const Violation& v : kViolations) {
    SCOPED_TRACE(v.what);
    box_close(box);
    ASSERT_TRUE(box_open(box, &error));
    unsigned long before = box->violations;
    bool ok = true;
    for (std::size_t i = 0; i < v.transfers.size(); i++) {
      const Bytes& t = v.transfers[i];
      if (!t.empty() && t[0] == 0xff)
        read(t[1], &ok);
      else
        ok = write(t);
      if (i + 1 < v.transfers.size()) {
        ASSERT_TRUE(ok) << "transfer " << i;
      }
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, BOX_ERROR_VIOLATION);
    EXPECT_EQ(box->violations, before + 1);
    EXPECT_FALSE(write({0x50}));  // still waiting for a block report
    EXPECT_EQ(box->violations, before + 2);
    EXPECT_TRUE(write({0x40}));
    EXPECT_EQ(box->violations, before + 2);
  }
}

TEST_F(BoxTest, TranscriptHoldsEveryReportAndReadWithItsOutcome) {
  write({0x30});
  write({0x60});
  write({0x00, reference_of(14).row});
  write({0x10, reference_of(14).col});
  write({0x20, 1});
  read(1);
  write({0x77});
  ASSERT_EQ(box->transcript.size(), 7u);
  EXPECT_EQ(box->transcript[2].bytes, (Bytes{0x00, reference_of(14).row}));
  EXPECT_FALSE(box->transcript[4].is_read);
  EXPECT_TRUE(box->transcript[5].is_read);
  EXPECT_EQ(box->transcript[5].asked, 1u);
  EXPECT_EQ(box->transcript[5].bytes, Bytes{answer(0)});
  EXPECT_EQ(box->transcript[5].error, 0u);
  EXPECT_EQ(box->transcript[6].bytes, Bytes{0x77});
  EXPECT_EQ(box->transcript[6].error, BOX_ERROR_VIOLATION);
}

/// Writes one complete exchange of one pair and `inputs` vectors; true when every step succeeded.
bool exchange(BoxTest& t, std::size_t inputs) {
  Bytes input(inputs + 1, 0);
  input[0] = 0x20;
  bool ok = t.write({0x30}) && t.write({0x60}) && t.write({0x00, 0}) && t.write({0x10, 0}) &&
            t.write(input);
  bool read_ok = false;
  Bytes reply = t.read(inputs, &read_ok);
  return ok && read_ok && reply.size() == inputs;
}

TEST_F(BoxTest, FailedWriteIsNotTakenAndTheNextExchangeStartsAfresh) {
  box->faults.fail_write = 3;
  EXPECT_TRUE(write({0x30}));
  EXPECT_TRUE(write({0x60}));
  EXPECT_FALSE(write({0x00, 0}));
  EXPECT_EQ(error, BOX_ERROR_WRITE_FAULT);
  EXPECT_FALSE(write({0x10, 0}));  // the rows never arrived
  EXPECT_EQ(error, BOX_ERROR_VIOLATION);
  box->violations = 0;
  EXPECT_TRUE(exchange(*this, 4));
  EXPECT_EQ(box->violations, 0u);
}

TEST_F(BoxTest, FailedReadDropsTheReply) {
  box->faults.fail_read = 1;
  EXPECT_FALSE(exchange(*this, 4));
  EXPECT_EQ(error, BOX_ERROR_READ_FAULT);
  EXPECT_TRUE(box->transcript.back().bytes.empty());
  EXPECT_TRUE(exchange(*this, 4));
  EXPECT_EQ(box->violations, 0u);
}

TEST_F(BoxTest, ShortReadDeliversTheFirstBytesOnly) {
  box->faults.short_read = 1;
  box->faults.short_read_bytes = 3;
  EXPECT_TRUE(write({0x30}) && write({0x60}) && write({0x00, 0}) && write({0x10, 0}) &&
              write({0x20, 1, 2, 3, 4, 5}));
  bool ok = false;
  EXPECT_EQ(read(5, &ok).size(), 3u);
  EXPECT_TRUE(ok);
  EXPECT_EQ(error, BOX_ERROR_SHORT_READ);
  EXPECT_TRUE(exchange(*this, 4));
  EXPECT_EQ(box->violations, 0u);
}

TEST_F(BoxTest, UnpluggedBoxFailsEveryLaterTransferAndOpen) {
  box->faults.unplug_at = 3;
  EXPECT_TRUE(write({0x30}));
  EXPECT_TRUE(write({0x60}));
  EXPECT_FALSE(write({0x00, 0}));
  EXPECT_EQ(error, BOX_ERROR_UNPLUGGED);
  bool ok = true;
  read(0, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(error, BOX_ERROR_UNPLUGGED);
  box_close(box);
  EXPECT_FALSE(box_open(box, &error));
  EXPECT_EQ(error, BOX_ERROR_UNPLUGGED);
  EXPECT_EQ(box->violations, 0u);
}

TEST_F(BoxTest, BoxUnpluggedAtATransferFailsThatOneAndEveryLaterOne) {
  box->faults.unplug_at = 1;
  EXPECT_FALSE(write({0x30}));
  EXPECT_EQ(error, BOX_ERROR_UNPLUGGED);
  bool ok = true;
  read(0, &ok);
  EXPECT_FALSE(ok);
  box_close(box);
  EXPECT_FALSE(box_open(box, &error));
  EXPECT_EQ(error, BOX_ERROR_UNPLUGGED);
}

TEST_F(BoxTest, HeldBoxRefusesOpens) {
  EXPECT_FALSE(box_open(box, &error));  // already open
  EXPECT_EQ(error, BOX_ERROR_BUSY);
  box_close(box);
  box->faults.refuse_open = true;
  EXPECT_FALSE(box_open(box, &error));
  EXPECT_EQ(error, BOX_ERROR_BUSY);
  box->faults.refuse_open = false;
  EXPECT_TRUE(box_open(box, &error));
  EXPECT_EQ(box->opens, 2u);
}

}  // namespace
