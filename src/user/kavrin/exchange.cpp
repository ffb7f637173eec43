// The exchange with the device: the staged block, monitor state, rows, columns and inputs go
// out as short reports, and every input report is answered by one read of its reply.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "KavrinContext.h"

namespace {

constexpr BYTE kRowReport = 0x00;
constexpr BYTE kColumnReport = 0x10;
constexpr BYTE kInputReport = 0x20;
constexpr BYTE kBlock00Report = 0x30;
constexpr BYTE kBlock80Report = 0x40;
constexpr BYTE kMonitorOnReport = 0x50;
constexpr BYTE kMonitorOffReport = 0x60;
constexpr DWORD kPairsPerReport = 16;
constexpr DWORD kInputsPerReport = 32;

/// Writes the report `command` followed by `count` payload bytes.
bool send_report(PlatformDevice* device, BYTE command, const BYTE* payload, DWORD count) {
  BYTE report[1 + kInputsPerReport];
  report[0] = command;
  if (count != 0) std::memcpy(report + 1, payload, count);
  return platform_write(device, report, 1 + count);
}

/// Reads exactly `size` reply bytes in one request.
bool receive_reply(PlatformDevice* device, BYTE* into, std::size_t size) {
  std::size_t count = 0;
  return platform_read(device, into, size, &count) && count == size;
}

/// Runs the whole exchange of a staged block with P pairs and N inputs into `reply`, chunk by
/// pair chunk and within it input chunk by input chunk. False at the first failed transfer.
bool run_exchange(PlatformDevice* device, BYTE block, const KAVRIN_BLOCK& staging, DWORD P,
                  DWORD N, BYTE* reply) {
  if (!send_report(device, block == 0x00 ? kBlock00Report : kBlock80Report, nullptr, 0) ||
      !send_report(device, staging.BicmState != 0 ? kMonitorOnReport : kMonitorOffReport,
                   nullptr, 0))
    return false;
  std::size_t filled = 0;
  DWORD p = 0;
  do {
    DWORD n = std::min(P - p, kPairsPerReport);
    if (!send_report(device, kRowReport, staging.RowData + p, n) ||
        !send_report(device, kColumnReport, staging.ColumnData + p, n))
      return false;
    DWORD q = 0;
    do {
      DWORD m = std::min(N - q, kInputsPerReport);
      std::size_t size = std::size_t(m) * n;
      if (!send_report(device, kInputReport, staging.InputData + q, m) ||
          !receive_reply(device, reply + filled, size))
        return false;
      filled += size;
      q += m;
    } while (q < N);
    p += n;
  } while (p < P);
  return true;
}

}  // namespace

BYTE kavGetOutput(HANDLE hDevice, BYTE block, PBYTE buffer, DWORD length, PDWORD count) {
  PKAVRIN_CONTEXT context;
  PKAVRIN_BLOCK staging;
  BYTE status = kavrin_find_block(hDevice, block, &context, &staging);
  if (status != KAVRIN_SUCCESS) return status;
  if (staging->RowData == nullptr) return KAVRIN_INVALID_ROW;
  if (staging->ColumnData == nullptr) return KAVRIN_INVALID_COLUMN;
  if (staging->InputData == nullptr) return KAVRIN_INVALID_INPUT;

  DWORD P = std::min(staging->RowLength, staging->ColumnLength);
  DWORD N = staging->InputLength;
  std::uint64_t T = std::uint64_t(P) * N;
  if (T > SIZE_MAX) return KAVRIN_NO_MEMORY;
  PBYTE reply = static_cast<PBYTE>(kavrin_allocate(static_cast<std::size_t>(T)));
  if (reply == nullptr) return KAVRIN_NO_MEMORY;

  bool done = run_exchange(context->Device, block, *staging, P, N, reply);
  if (done) {
    DWORD copied = static_cast<DWORD>(std::min<std::uint64_t>(T, length));
    if (copied != 0) std::memcpy(buffer, reply, copied);
    *count = copied;
  }
  kavrin_release(reply);
  return done ? KAVRIN_SUCCESS : KAVRIN_SYSTEM_ERROR;
}
