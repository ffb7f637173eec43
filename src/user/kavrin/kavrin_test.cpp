// The device library driven against emulated boxes: every report and read is checked on the
// box's transcript, and no test may make the box see a protocol violation.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "KavrinConst.h"
#include "KavrinContext.h"
#include "chip.h"
#include "counting_allocate.h"
#include "platform-sim.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Transcript = std::vector<std::string>;

LPSTR name_of(const char* name) { return const_cast<LPSTR>(name); }

std::string hex(const Bytes& bytes) {
  std::string text;
  char digits[4];
  for (unsigned char b : bytes) {
    std::snprintf(digits, sizeof digits, text.empty() ? "%02x" : " %02x", b);
    text += digits;
  }
  return text;
}

/// A report as the transcript shows it: command and payload in hexadecimal.
std::string report(unsigned char command, const Bytes& payload = {}, std::size_t from = 0,
                   std::size_t count = 0) {
  Bytes bytes{command};
  bytes.insert(bytes.end(), payload.begin() + from, payload.begin() + from + count);
  return hex(bytes);
}

std::string read_of(std::size_t size) { return "read " + std::to_string(size); }

/// What the box saw: reports in hexadecimal, reads by their size; failed transfers marked.
Transcript seen(const Box* box) {
  Transcript lines;
  for (const BoxTransfer& t : box->transcript) {
    std::string line = t.is_read ? read_of(t.asked) : hex(t.bytes);
    if (t.error != 0) line += " failed";
    lines.push_back(line);
  }
  return lines;
}

Bytes sequence(std::size_t count, unsigned char first = 0) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; i++) bytes[i] = static_cast<unsigned char>(first + i);
  return bytes;
}

struct Exchange {
  BYTE status;
  Bytes reply;
  DWORD count;
};

struct LibraryTest : testing::Test {
  std::vector<Box*> boxes;

  void SetUp() override {
    kavrin_fail_allocation(0);
    boxes = sim_install_boxes(1);
  }

  void TearDown() override {
    EXPECT_EQ(KavrinContextFirst, nullptr) << "a test left a device open";
    while (KavrinContextFirst != nullptr) kavClose(KavrinContextFirst->DeviceHandle);
    EXPECT_EQ(kavrin_live_allocations(), 0);
    for (std::size_t i = 0; i < boxes.size(); i++)
      EXPECT_EQ(boxes[i]->violations, 0u) << "box " << i;
  }

  HANDLE open(const char* name) {
    HANDLE handle = 0;
    EXPECT_EQ(kavOpen(&handle, name_of(name)), KAVRIN_SUCCESS) << name;
    return handle;
  }

  void stage(HANDLE h, BYTE block, Bytes rows, Bytes columns, Bytes inputs) {
    ASSERT_EQ(kavSetRow(h, block, rows.data(), DWORD(rows.size())), KAVRIN_SUCCESS);
    ASSERT_EQ(kavSetColumn(h, block, columns.data(), DWORD(columns.size())), KAVRIN_SUCCESS);
    ASSERT_EQ(kavSetInput(h, block, inputs.data(), DWORD(inputs.size())), KAVRIN_SUCCESS);
  }

  /// kavGetOutput into a buffer of `length` bytes prefilled with 0xee; count prefilled 999.
  Exchange output(HANDLE h, BYTE block, DWORD length) {
    Exchange e{0, Bytes(length, 0xee), 999};
    e.status = kavGetOutput(h, block, e.reply.data(), length, &e.count);
    return e;
  }
};

/// The replies a fresh chip gives to an exchange, in the order the library delivers them:
/// pair chunk by pair chunk, input chunk by input chunk, each read pair-major.
Bytes expected_replies(BYTE block, bool monitor, const Bytes& rows, const Bytes& columns,
                       const Bytes& inputs) {
  Chip* chip = chip_power_up();
  Bytes replies;
  std::size_t P = std::min(rows.size(), columns.size());
  for (std::size_t p = 0; p < P; p += 16) {
    std::size_t n = std::min<std::size_t>(P - p, 16);
    for (std::size_t q = 0; q < inputs.size(); q += 32) {
      std::size_t m = std::min<std::size_t>(inputs.size() - q, 32);
      for (std::size_t k = 0; k < n; k++) {
        Bytes chunk(m);
        std::string error;
        EXPECT_TRUE(chip_apply(chip, block, columns[p + k], rows[p + k], &inputs[q], m, monitor,
                               chunk.data(), &error))
            << error;
        replies.insert(replies.end(), chunk.begin(), chunk.end());
      }
    }
  }
  chip_power_down(chip);
  return replies;
}

// --- Discovery, open and close ---------------------------------------------------------------

TEST_F(LibraryTest, NamesTakeTheDevicesInEnumerationOrder) {
  boxes = sim_install_boxes(2);
  HANDLE first = open("Kavrin0"), second = open("Kavrin1");
  EXPECT_NE(first, second);
  EXPECT_STREQ(kavGetDeviceInformation(first)->DevicePath, "sim:kavrin0");
  EXPECT_STREQ(kavGetDeviceInformation(second)->DevicePath, "sim:kavrin1");
  EXPECT_TRUE(boxes[0]->is_open && boxes[1]->is_open);

  HANDLE third = 0x1234;
  testing::internal::CaptureStdout();
  EXPECT_EQ(kavOpen(&third, name_of("Kavrin2")), KAVRIN_NO_DEVICE);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(third, 0u);
  EXPECT_EQ(kavClose(first), KAVRIN_SUCCESS);
  EXPECT_EQ(kavClose(second), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, NoDeviceAtAllIsNoDeviceWithoutAMessage) {
  boxes = sim_install_boxes(0);
  HANDLE h = 0x1234;
  testing::internal::CaptureStdout();
  EXPECT_EQ(kavOpen(&h, name_of("Kavrin0")), KAVRIN_NO_DEVICE);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(h, 0u);
}

TEST_F(LibraryTest, OpeningANameAgainCountsOpensOnTheSameDevice) {
  HANDLE h = open("Kavrin0");
  EXPECT_EQ(open("Kavrin0"), h);
  EXPECT_EQ(boxes[0]->opens, 1u);
  EXPECT_EQ(KavrinContextFirst->OpenCount, 2);

  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
  EXPECT_TRUE(boxes[0]->is_open);
  stage(h, 0x00, {0}, {0}, {1});
  EXPECT_EQ(output(h, 0x00, 1).status, KAVRIN_SUCCESS);  // still usable

  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
  EXPECT_FALSE(boxes[0]->is_open);
  EXPECT_EQ(kavClose(h), KAVRIN_INVALID_HANDLE);
  EXPECT_EQ(kavGetDeviceInformation(h), nullptr);
}

TEST_F(LibraryTest, AClosedDeviceIsTakenByAnyNewName) {
  HANDLE h = open("Kavrin0");
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
  HANDLE again = open("another name");
  EXPECT_STREQ(kavGetDeviceInformation(again)->DevicePath, "sim:kavrin0");
  EXPECT_STREQ(kavGetDeviceInformation(again)->DeviceName, "another name");
  EXPECT_EQ(boxes[0]->opens, 2u);
  EXPECT_EQ(kavClose(again), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, NullNameIsNoDeviceAndLeavesTheHandleAlone) {
  HANDLE h = 0x1234;
  EXPECT_EQ(kavOpen(&h, nullptr), KAVRIN_NO_DEVICE);
  EXPECT_EQ(h, 0x1234u);
  EXPECT_EQ(boxes[0]->opens, 0u);
}

TEST_F(LibraryTest, DeviceInformationOfOpenAndUnknownHandles) {
  HANDLE h = open("Kavrin0");
  PKAVRIN_CONTEXT_HEADER header = kavGetDeviceInformation(h);
  ASSERT_NE(header, nullptr);
  EXPECT_STREQ(header->DeviceName, "Kavrin0");
  EXPECT_STREQ(header->DevicePath, "sim:kavrin0");
  EXPECT_EQ(header->FileHandle, h);
  EXPECT_EQ(kavGetDeviceInformation(0), nullptr);
  EXPECT_EQ(kavGetDeviceInformation(h + 1), nullptr);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, ContextLookupByEachKey) {
  boxes = sim_install_boxes(2);
  HANDLE a = open("Kavrin0"), b = open("Kavrin1");
  PKAVRIN_CONTEXT ca = KavrinContextFirst, cb = KavrinContextLast;
  EXPECT_EQ(FindKavrinContext(a, nullptr, nullptr), ca);
  EXPECT_EQ(FindKavrinContext(0, name_of("Kavrin1"), nullptr), cb);
  EXPECT_EQ(FindKavrinContext(0, nullptr, name_of("sim:kavrin1")), cb);
  EXPECT_EQ(FindKavrinContext(0, name_of("kavrin1"), nullptr), nullptr);  // case counts
  EXPECT_EQ(FindKavrinContext(0, name_of("Kavrin"), nullptr), nullptr);   // whole string
  EXPECT_EQ(FindKavrinContext(0, nullptr, nullptr), nullptr);
  // With both strings the path alone decides.
  EXPECT_EQ(FindKavrinContext(0, name_of("Kavrin0"), name_of("sim:kavrin1")), cb);
  EXPECT_EQ(FindKavrinContext(0, name_of("Kavrin0"), name_of("sim:nothing")), nullptr);
  // The copies are the library's own, separate from each other.
  EXPECT_NE(ca->NameKey, ca->DeviceName);
  EXPECT_NE(ca->PathKey, ca->DevicePath);
  EXPECT_EQ(ca->DeviceHandle, ca->FileHandle);
  EXPECT_EQ(kavClose(a), KAVRIN_SUCCESS);
  EXPECT_EQ(kavClose(b), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, ClosingMiddleFirstAndLastOfThreeKeepsTheTableWhole) {
  boxes = sim_install_boxes(3);
  HANDLE h[3] = {open("Kavrin0"), open("Kavrin1"), open("Kavrin2")};
  const char* names[3] = {"Kavrin0", "Kavrin1", "Kavrin2"};
  auto findable = [&](int i) {
    PKAVRIN_CONTEXT by_handle = FindKavrinContext(h[i], nullptr, nullptr);
    return by_handle != nullptr && by_handle == FindKavrinContext(0, name_of(names[i]), nullptr);
  };
  /// The handles of the table, walked forwards and checked backwards.
  auto table = [&] {
    std::vector<HANDLE> handles;
    PKAVRIN_CONTEXT previous = nullptr;
    for (PKAVRIN_CONTEXT c = KavrinContextFirst; c != nullptr; previous = c, c = c->Next) {
      EXPECT_EQ(c->Previous, previous);
      handles.push_back(c->DeviceHandle);
    }
    EXPECT_EQ(KavrinContextLast, previous);
    return handles;
  };
  EXPECT_EQ(table(), (std::vector<HANDLE>{h[0], h[1], h[2]}));

  EXPECT_EQ(kavClose(h[1]), KAVRIN_SUCCESS);
  EXPECT_EQ(table(), (std::vector<HANDLE>{h[0], h[2]}));
  EXPECT_TRUE(findable(0) && findable(2));
  EXPECT_FALSE(findable(1));
  EXPECT_FALSE(boxes[1]->is_open);

  EXPECT_EQ(kavClose(h[0]), KAVRIN_SUCCESS);
  EXPECT_EQ(table(), (std::vector<HANDLE>{h[2]}));
  EXPECT_TRUE(findable(2));

  EXPECT_EQ(kavClose(h[2]), KAVRIN_SUCCESS);
  EXPECT_TRUE(table().empty());
  EXPECT_EQ(KavrinContextFirst, nullptr);
  EXPECT_FALSE(boxes[0]->is_open || boxes[1]->is_open || boxes[2]->is_open);

  HANDLE fresh = open("Kavrin7");
  EXPECT_STREQ(kavGetDeviceInformation(fresh)->DevicePath, "sim:kavrin0");
  EXPECT_EQ(kavClose(fresh), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, ADeviceHeldByAnotherProcessIsNotOpened) {
  boxes = sim_install_boxes(2);
  boxes[0]->faults.refuse_open = true;
  HANDLE h = 0x1234;
  testing::internal::CaptureStdout();
  EXPECT_EQ(kavOpen(&h, name_of("Kavrin0")), KAVRIN_NO_DEVICE);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "open - failed: b06");
  EXPECT_EQ(h, 0x1234u);
  EXPECT_EQ(KavrinContextFirst, nullptr);
  EXPECT_EQ(boxes[1]->opens, 0u);  // the failed open does not go on to the next device
}

TEST_F(LibraryTest, AFailedOpenLeavesOtherOpenCountsAlone) {
  boxes = sim_install_boxes(2);
  HANDLE h = open("Kavrin0");
  boxes[1]->faults.refuse_open = true;
  HANDLE other = 0;
  testing::internal::CaptureStdout();
  EXPECT_EQ(kavOpen(&other, name_of("Kavrin1")), KAVRIN_NO_DEVICE);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(KavrinContextFirst, KavrinContextLast);
  EXPECT_EQ(KavrinContextFirst->OpenCount, 1);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, AnUnpluggedDeviceFailsItsExchangeAndCannotBeOpenedAgain) {
  HANDLE h = open("Kavrin0");
  stage(h, 0x00, {0}, {0}, {1});
  boxes[0]->faults.unplug_at = 2;
  EXPECT_EQ(output(h, 0x00, 1).status, KAVRIN_SYSTEM_ERROR);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
  testing::internal::CaptureStdout();
  EXPECT_EQ(kavOpen(&h, name_of("Kavrin0")), KAVRIN_NO_DEVICE);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "open - failed: b05");
}

TEST_F(LibraryTest, AllocationFailuresInOpenReleaseEverything) {
  // A context and four strings: each of the five allocations may fail.
  for (unsigned long failing = 1; failing <= 5; failing++) {
    SCOPED_TRACE(failing);
    kavrin_fail_allocation(failing);
    HANDLE h = 0x1234;
    testing::internal::CaptureStdout();
    EXPECT_EQ(kavOpen(&h, name_of("Kavrin0")), KAVRIN_SYSTEM_ERROR);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "malloc - failed\n");
    EXPECT_EQ(h, 0x1234u);
    EXPECT_EQ(KavrinContextFirst, nullptr);
    EXPECT_EQ(kavrin_live_allocations(), 0);
    EXPECT_EQ(boxes[0]->opens, 0u);
  }
  kavrin_fail_allocation(6);
  HANDLE h = open("Kavrin0");
  kavrin_fail_allocation(0);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

// --- Handles and blocks ----------------------------------------------------------------------

TEST_F(LibraryTest, EveryOperationChecksTheHandleThenTheBlock) {
  HANDLE h = open("Kavrin0");
  BYTE data[4] = {0};
  DWORD count = 7;
  for (HANDLE handle : {HANDLE(0), HANDLE(h + 1)})
    for (BYTE block : {BYTE(0x00), BYTE(0x01)}) {
      EXPECT_EQ(kavSetBicmState(handle, block, 1), KAVRIN_INVALID_HANDLE);
      EXPECT_EQ(kavSetRow(handle, block, data, 1), KAVRIN_INVALID_HANDLE);
      EXPECT_EQ(kavSetColumn(handle, block, data, 1), KAVRIN_INVALID_HANDLE);
      EXPECT_EQ(kavSetInput(handle, block, data, 1), KAVRIN_INVALID_HANDLE);
      EXPECT_EQ(kavGetRow(handle, block, data, 4, &count), KAVRIN_INVALID_HANDLE);
      EXPECT_EQ(kavGetColumn(handle, block, data, 4, &count), KAVRIN_INVALID_HANDLE);
      EXPECT_EQ(kavGetInput(handle, block, data, 4, &count), KAVRIN_INVALID_HANDLE);
      EXPECT_EQ(kavGetOutput(handle, block, data, 4, &count), KAVRIN_INVALID_HANDLE);
    }
  stage(h, 0x00, {1}, {1}, {1});
  for (BYTE block : {BYTE(0x01), BYTE(0x7f), BYTE(0x81), BYTE(0xff)}) {
    EXPECT_EQ(kavSetBicmState(h, block, 1), KAVRIN_INVALID_BLOCK);
    EXPECT_EQ(kavSetRow(h, block, data, 1), KAVRIN_INVALID_BLOCK);
    EXPECT_EQ(kavSetColumn(h, block, data, 1), KAVRIN_INVALID_BLOCK);
    EXPECT_EQ(kavSetInput(h, block, data, 1), KAVRIN_INVALID_BLOCK);
    EXPECT_EQ(kavGetRow(h, block, data, 4, &count), KAVRIN_INVALID_BLOCK);
    EXPECT_EQ(kavGetColumn(h, block, data, 4, &count), KAVRIN_INVALID_BLOCK);
    EXPECT_EQ(kavGetInput(h, block, data, 4, &count), KAVRIN_INVALID_BLOCK);
    EXPECT_EQ(kavGetOutput(h, block, data, 4, &count), KAVRIN_INVALID_BLOCK);
  }
  EXPECT_EQ(count, 7u);
  EXPECT_TRUE(boxes[0]->transcript.empty());
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

// --- Staging and read-back -------------------------------------------------------------------

TEST_F(LibraryTest, ReadBackCopiesAtMostTheBufferLength) {
  HANDLE h = open("Kavrin0");
  Bytes rows{7, 8, 9};
  ASSERT_EQ(kavSetRow(h, 0x00, rows.data(), 3), KAVRIN_SUCCESS);
  rows[0] = 1;  // the library holds its own copy
  Bytes buffer(5, 0xee);
  DWORD count = 99;
  EXPECT_EQ(kavGetRow(h, 0x00, buffer.data(), 0, &count), KAVRIN_SUCCESS);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(buffer, Bytes(5, 0xee));
  EXPECT_EQ(kavGetRow(h, 0x00, buffer.data(), 2, &count), KAVRIN_SUCCESS);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(buffer, (Bytes{7, 8, 0xee, 0xee, 0xee}));
  EXPECT_EQ(kavGetRow(h, 0x00, buffer.data(), 5, &count), KAVRIN_SUCCESS);
  EXPECT_EQ(count, 3u);

  Bytes columns{4, 5};
  ASSERT_EQ(kavSetColumn(h, 0x80, columns.data(), 2), KAVRIN_SUCCESS);
  ASSERT_EQ(kavSetColumn(h, 0x80, columns.data() + 1, 1), KAVRIN_SUCCESS);  // replaces
  EXPECT_EQ(kavGetColumn(h, 0x80, buffer.data(), 5, &count), KAVRIN_SUCCESS);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(buffer[0], 5);

  ASSERT_EQ(kavSetInput(h, 0x00, nullptr, 0), KAVRIN_SUCCESS);  // staged, with no bytes
  EXPECT_EQ(kavGetInput(h, 0x00, buffer.data(), 5, &count), KAVRIN_SUCCESS);
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(boxes[0]->transcript.empty());
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, EachBlockHasItsOwnStaging) {
  HANDLE h = open("Kavrin0");
  Bytes one{1};
  DWORD count = 0;
  BYTE buffer[4];
  ASSERT_EQ(kavSetRow(h, 0x00, one.data(), 1), KAVRIN_SUCCESS);
  ASSERT_EQ(kavSetColumn(h, 0x80, one.data(), 1), KAVRIN_SUCCESS);
  ASSERT_EQ(kavSetInput(h, 0x80, one.data(), 1), KAVRIN_SUCCESS);
  EXPECT_EQ(kavGetRow(h, 0x80, buffer, 4, &count), KAVRIN_INVALID_ROW);
  EXPECT_EQ(kavGetColumn(h, 0x00, buffer, 4, &count), KAVRIN_INVALID_COLUMN);
  EXPECT_EQ(kavGetInput(h, 0x00, buffer, 4, &count), KAVRIN_INVALID_INPUT);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, AFailedStagingCopyLeavesThatKindEmptyAndTheRestAlone) {
  HANDLE h = open("Kavrin0");
  stage(h, 0x00, {1, 2}, {3}, {4});
  Bytes rows{9};
  kavrin_fail_allocation(1);
  EXPECT_EQ(kavSetRow(h, 0x00, rows.data(), 1), KAVRIN_NO_MEMORY);
  BYTE buffer[4];
  DWORD count = 0;
  EXPECT_EQ(kavGetRow(h, 0x00, buffer, 4, &count), KAVRIN_INVALID_ROW);
  EXPECT_EQ(kavGetColumn(h, 0x00, buffer, 4, &count), KAVRIN_SUCCESS);
  EXPECT_EQ(buffer[0], 3);
  EXPECT_EQ(output(h, 0x00, 4).status, KAVRIN_INVALID_ROW);
  EXPECT_TRUE(boxes[0]->transcript.empty());
  EXPECT_EQ(kavSetRow(h, 0x00, rows.data(), 1), KAVRIN_SUCCESS);  // staged again
  EXPECT_EQ(output(h, 0x00, 4).status, KAVRIN_SUCCESS);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

// --- The exchange ----------------------------------------------------------------------------

TEST_F(LibraryTest, TheToolsExchangeOfThirtyTwoVectors) {
  const KAVRIN_ELEMENT& cell = elements[11].idx[0];  // NA2, block 0x00
  HANDLE h = open("Kavrin0");
  Bytes inputs = sequence(32);
  stage(h, 0x00, {cell.row}, {cell.col}, inputs);
  Exchange e = output(h, 0x00, 32);
  EXPECT_EQ(e.status, KAVRIN_SUCCESS);
  EXPECT_EQ(e.count, 32u);
  EXPECT_EQ(seen(boxes[0]), (Transcript{"30", "60", report(0x00, {cell.row}, 0, 1),
                                        report(0x10, {cell.col}, 0, 1), report(0x20, inputs, 0, 32),
                                        read_of(32)}));
  EXPECT_EQ(e.reply, expected_replies(0x00, false, {cell.row}, {cell.col}, inputs));
  for (std::size_t i = 0; i < 32; i++)  // NAND(A, B), monitor off reads 1
    EXPECT_EQ(e.reply[i], (i & 3) == 3 ? 0x01 : 0x03) << i;
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, FortyVectorsGoOutAsThirtyTwoAndEight) {
  HANDLE h = open("Kavrin0");
  Bytes inputs = sequence(40);
  stage(h, 0x00, {5}, {1}, inputs);
  Exchange e = output(h, 0x00, 100);
  EXPECT_EQ(e.status, KAVRIN_SUCCESS);
  EXPECT_EQ(e.count, 40u);
  EXPECT_EQ(seen(boxes[0]), (Transcript{"30", "60", "00 05", "10 01", report(0x20, inputs, 0, 32),
                                        read_of(32), report(0x20, inputs, 32, 8), read_of(8)}));
  Bytes replies = expected_replies(0x00, false, {5}, {1}, inputs);
  EXPECT_EQ(Bytes(e.reply.begin(), e.reply.begin() + 40), replies);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, TwentyPairsByFortyVectors) {
  HANDLE h = open("Kavrin0");
  Bytes rows = sequence(20, 10), columns(20), inputs = sequence(40, 3);
  for (std::size_t k = 0; k < 20; k++) columns[k] = static_cast<unsigned char>(k % 10);
  stage(h, 0x00, rows, columns, inputs);
  Exchange e = output(h, 0x00, 800);
  EXPECT_EQ(e.status, KAVRIN_SUCCESS);
  EXPECT_EQ(e.count, 800u);
  EXPECT_EQ(seen(boxes[0]),
            (Transcript{"30", "60", report(0x00, rows, 0, 16), report(0x10, columns, 0, 16),
                        report(0x20, inputs, 0, 32), read_of(512), report(0x20, inputs, 32, 8),
                        read_of(128), report(0x00, rows, 16, 4), report(0x10, columns, 16, 4),
                        report(0x20, inputs, 0, 32), read_of(128), report(0x20, inputs, 32, 8),
                        read_of(32)}));
  EXPECT_EQ(e.reply, expected_replies(0x00, false, rows, columns, inputs));
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, PairsAreTheShorterOfRowsAndColumns) {
  HANDLE h = open("Kavrin0");
  Bytes rows{1, 2, 3}, columns{4, 5, 6, 7, 8}, inputs{0, 1};
  stage(h, 0x00, rows, columns, inputs);
  Exchange e = output(h, 0x00, 10);
  EXPECT_EQ(e.status, KAVRIN_SUCCESS);
  EXPECT_EQ(e.count, 6u);
  EXPECT_EQ(seen(boxes[0]),
            (Transcript{"30", "60", "00 01 02 03", "10 04 05 06", "20 00 01", read_of(6)}));
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, ABufferShorterThanTheReplyGetsItsFirstBytes) {
  HANDLE h = open("Kavrin0");
  Bytes inputs = sequence(32);
  stage(h, 0x00, {5}, {1}, inputs);
  Exchange e = output(h, 0x00, 10);
  EXPECT_EQ(e.status, KAVRIN_SUCCESS);
  EXPECT_EQ(e.count, 10u);
  Bytes replies = expected_replies(0x00, false, {5}, {1}, inputs);
  EXPECT_EQ(e.reply, Bytes(replies.begin(), replies.begin() + 10));
  EXPECT_EQ(boxes[0]->transcript.back().asked, 32u);  // the device still sends all of it
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, MissingStagingSendsNothing) {
  HANDLE h = open("Kavrin0");
  Bytes one{1};
  ASSERT_EQ(kavSetColumn(h, 0x00, one.data(), 1), KAVRIN_SUCCESS);
  ASSERT_EQ(kavSetInput(h, 0x00, one.data(), 1), KAVRIN_SUCCESS);
  Exchange e = output(h, 0x00, 4);
  EXPECT_EQ(e.status, KAVRIN_INVALID_ROW);
  EXPECT_EQ(e.count, 999u);

  ASSERT_EQ(kavSetRow(h, 0x80, one.data(), 1), KAVRIN_SUCCESS);
  EXPECT_EQ(output(h, 0x80, 4).status, KAVRIN_INVALID_COLUMN);
  ASSERT_EQ(kavSetColumn(h, 0x80, one.data(), 1), KAVRIN_SUCCESS);
  EXPECT_EQ(output(h, 0x80, 4).status, KAVRIN_INVALID_INPUT);
  EXPECT_TRUE(boxes[0]->transcript.empty());
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, BlockAndMonitorReports) {
  HANDLE h = open("Kavrin0");
  const KAVRIN_ELEMENT& c17 = elements[16].idx[0];
  stage(h, 0x80, {c17.row}, {c17.col}, {0x1f});
  stage(h, 0x00, {0}, {0}, {0});
  ASSERT_EQ(kavSetBicmState(h, 0x80, 2), KAVRIN_SUCCESS);  // any non-zero state is on
  Exchange on = output(h, 0x80, 1);
  EXPECT_EQ(on.status, KAVRIN_SUCCESS);
  EXPECT_EQ(on.reply, expected_replies(0x80, true, {c17.row}, {c17.col}, {0x1f}));
  EXPECT_EQ(output(h, 0x00, 1).status, KAVRIN_SUCCESS);  // block 0x00 keeps its own state
  ASSERT_EQ(kavSetBicmState(h, 0x80, 0), KAVRIN_SUCCESS);
  EXPECT_EQ(output(h, 0x80, 1).status, KAVRIN_SUCCESS);
  std::string c17_row = report(0x00, {c17.row}, 0, 1), c17_col = report(0x10, {c17.col}, 0, 1);
  EXPECT_EQ(seen(boxes[0]),
            (Transcript{"40", "50", c17_row, c17_col, "20 1f", read_of(1),  //
                        "30", "60", "00 00", "10 00", "20 00", read_of(1),  //
                        "40", "60", c17_row, c17_col, "20 1f", read_of(1)}));
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, ZeroLengthInputsSendTheCommandAloneAndReadNothing) {
  HANDLE h = open("Kavrin0");
  stage(h, 0x00, {5}, {1}, {});
  Exchange e = output(h, 0x00, 4);
  EXPECT_EQ(e.status, KAVRIN_SUCCESS);
  EXPECT_EQ(e.count, 0u);
  EXPECT_EQ(e.reply, Bytes(4, 0xee));
  EXPECT_EQ(seen(boxes[0]), (Transcript{"30", "60", "00 05", "10 01", "20", read_of(0)}));
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, EveryCallRepeatsTheWholeExchange) {
  HANDLE h = open("Kavrin0");
  stage(h, 0x00, {5}, {1}, {3});
  EXPECT_EQ(output(h, 0x00, 1).status, KAVRIN_SUCCESS);
  EXPECT_EQ(output(h, 0x00, 1).status, KAVRIN_SUCCESS);
  Transcript once{"30", "60", "00 05", "10 01", "20 03", read_of(1)};
  Transcript twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(seen(boxes[0]), twice);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

// The emulated box computes what kavSetInput completes while the caller pauses, and answers as
// ever. NA2_11 (circuit 12, pull-down chain broken) keeps its output up once an input was 0.
TEST_F(LibraryTest, TheBoxComputesTheStagedExchangeAheadAndAnswersAsEver) {
  const BYTE block = elements[12].lib;
  const KAVRIN_ELEMENT& na2_11 = elements[12].idx[11];
  const KAVRIN_ELEMENT& reference = elements[12].idx[0];
  HANDLE h = open("Kavrin0");
  stage(h, block, {na2_11.row}, {na2_11.col}, {0x3});
  EXPECT_EQ(output(h, block, 1).reply, Bytes{0x01});
  EXPECT_EQ(chip_calls_taken_ahead(boxes[0]->chip), 1u);
  Bytes up{0x0};
  ASSERT_EQ(kavSetInput(h, block, up.data(), 1), KAVRIN_SUCCESS);  // rows and columns kept
  EXPECT_EQ(output(h, block, 1).reply, Bytes{0x03});
  EXPECT_EQ(chip_calls_taken_ahead(boxes[0]->chip), 2u);
  EXPECT_EQ(output(h, block, 1).reply, Bytes{0x03});  // staged once, exchanged twice
  EXPECT_EQ(chip_calls_taken_ahead(boxes[0]->chip), 2u);
  Transcript cell{block == 0x00 ? "30" : "40", "60", report(0x00, {na2_11.row}, 0, 1),
                  report(0x10, {na2_11.col}, 0, 1)};
  Transcript expected = cell;
  for (const char* inputs : {"20 03", "20 00", "20 00"}) {
    if (expected.size() > cell.size()) expected.insert(expected.end(), cell.begin(), cell.end());
    expected.push_back(inputs);
    expected.push_back(read_of(1));
  }
  EXPECT_EQ(seen(boxes[0]), expected);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);

  // Another cell staged after the inputs: the exchange is not what was computed ahead, which
  // is put back.
  boxes = sim_install_boxes(1);
  h = open("Kavrin0");
  stage(h, block, {na2_11.row}, {na2_11.col}, up);
  Bytes row{reference.row}, column{reference.col};
  ASSERT_EQ(kavSetRow(h, block, row.data(), 1), KAVRIN_SUCCESS);
  ASSERT_EQ(kavSetColumn(h, block, column.data(), 1), KAVRIN_SUCCESS);
  EXPECT_EQ(output(h, block, 1).reply, Bytes{0x03});  // the reference: NAND(0, 0) = 1
  EXPECT_EQ(chip_calls_taken_ahead(boxes[0]->chip), 0u);
  stage(h, block, {na2_11.row}, {na2_11.col}, {0x3});
  EXPECT_EQ(output(h, block, 1).reply, Bytes{0x01});
  EXPECT_EQ(chip_calls_taken_ahead(boxes[0]->chip), 1u);

  // Turned off, the box computes at the exchange alone.
  sim_compute_ahead(false);
  stage(h, block, {na2_11.row}, {na2_11.col}, up);
  EXPECT_EQ(output(h, block, 1).reply, Bytes{0x03});
  EXPECT_EQ(chip_calls_taken_ahead(boxes[0]->chip), 1u);
  sim_compute_ahead(true);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, AShortReplyFailsAndTouchesNothingOfTheCaller) {
  HANDLE h = open("Kavrin0");
  stage(h, 0x00, {5}, {1}, sequence(8));
  boxes[0]->faults.short_read = 1;
  boxes[0]->faults.short_read_bytes = 5;
  Exchange e = output(h, 0x00, 8);
  EXPECT_EQ(e.status, KAVRIN_SYSTEM_ERROR);
  EXPECT_EQ(e.count, 999u);
  EXPECT_EQ(e.reply, Bytes(8, 0xee));
  // The next exchange starts again from the block report.
  boxes[0]->transcript.clear();
  EXPECT_EQ(output(h, 0x00, 8).status, KAVRIN_SUCCESS);
  EXPECT_EQ(seen(boxes[0]).front(), "30");
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, AFailedTransferEndsTheExchangeAtOnce) {
  HANDLE h = open("Kavrin0");
  Bytes inputs = sequence(40);
  stage(h, 0x00, {5}, {1}, inputs);
  Transcript full{"30", "60", "00 05", "10 01", report(0x20, inputs, 0, 32), read_of(32),
                  report(0x20, inputs, 32, 8), read_of(8)};
  // Fail each transfer of the exchange in turn, counting writes and reads as the box does.
  for (std::size_t failing = 1; failing <= full.size(); failing++) {
    SCOPED_TRACE(failing);
    boxes[0]->transcript.clear();
    boxes[0]->faults = BoxFaults();
    unsigned long writes = boxes[0]->writes, reads = boxes[0]->reads;
    for (std::size_t i = 0; i < failing; i++)
      (full[i].rfind("read", 0) == 0 ? reads : writes)++;
    if (full[failing - 1].rfind("read", 0) == 0)
      boxes[0]->faults.fail_read = reads;
    else
      boxes[0]->faults.fail_write = writes;
    Exchange e = output(h, 0x00, 40);
    EXPECT_EQ(e.status, KAVRIN_SYSTEM_ERROR);
    EXPECT_EQ(e.count, 999u);
    EXPECT_EQ(e.reply, Bytes(40, 0xee));
    Transcript expected(full.begin(), full.begin() + failing);
    expected.back() += " failed";
    EXPECT_EQ(seen(boxes[0]), expected);
  }
  boxes[0]->faults = BoxFaults();
  BYTE buffer[4];
  DWORD count = 0;
  EXPECT_EQ(kavGetRow(h, 0x00, buffer, 4, &count), KAVRIN_SUCCESS);  // staging survives
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(output(h, 0x00, 40).status, KAVRIN_SUCCESS);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, NoReplyBufferMeansNothingIsSent) {
  HANDLE h = open("Kavrin0");
  stage(h, 0x00, {5}, {1}, {1, 2});
  kavrin_fail_allocation(1);
  Exchange e = output(h, 0x00, 2);
  EXPECT_EQ(e.status, KAVRIN_NO_MEMORY);
  EXPECT_EQ(e.count, 999u);
  EXPECT_TRUE(boxes[0]->transcript.empty());
  EXPECT_EQ(output(h, 0x00, 2).status, KAVRIN_SUCCESS);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(LibraryTest, TheLastCloseReleasesEveryStagedBuffer) {
  HANDLE h = open("Kavrin0");
  stage(h, 0x00, {1}, {2}, {3});
  stage(h, 0x80, {4}, {5}, {6});
  EXPECT_GT(kavrin_live_allocations(), 5);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
  EXPECT_EQ(kavrin_live_allocations(), 0);
}

}  // namespace
