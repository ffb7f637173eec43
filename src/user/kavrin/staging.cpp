// Staging of an exchange: rows, columns, inputs and the current-monitor state of each block,
// and reading the staged bytes back. Nothing here talks to the device.
#include <algorithm>
#include <cstring>

#include "KavrinContext.h"

BYTE kavrin_find_block(HANDLE hDevice, BYTE block, PKAVRIN_CONTEXT* context,
                       PKAVRIN_BLOCK* staging) {
  *context = FindKavrinContext(hDevice, nullptr, nullptr);
  if (*context == nullptr) return KAVRIN_INVALID_HANDLE;
  if (block == 0x00)
    *staging = &(*context)->Block00;
  else if (block == 0x80)
    *staging = &(*context)->Block80;
  else
    return KAVRIN_INVALID_BLOCK;
  return KAVRIN_SUCCESS;
}

namespace {

/// One kind of staged bytes: where a block keeps them, and the status when they are missing.
struct StagedKind {
  PBYTE KAVRIN_BLOCK::*data;
  DWORD KAVRIN_BLOCK::*length;
  BYTE missing;
};

constexpr StagedKind kRows{&KAVRIN_BLOCK::RowData, &KAVRIN_BLOCK::RowLength, KAVRIN_INVALID_ROW};
constexpr StagedKind kColumns{&KAVRIN_BLOCK::ColumnData, &KAVRIN_BLOCK::ColumnLength,
                              KAVRIN_INVALID_COLUMN};
constexpr StagedKind kInputs{&KAVRIN_BLOCK::InputData, &KAVRIN_BLOCK::InputLength,
                             KAVRIN_INVALID_INPUT};

BYTE stage(const StagedKind& kind, HANDLE hDevice, BYTE block, PBYTE data, DWORD length) {
  PKAVRIN_CONTEXT context;
  PKAVRIN_BLOCK staging;
  BYTE status = kavrin_find_block(hDevice, block, &context, &staging);
  if (status != KAVRIN_SUCCESS) return status;
  // The new copy replaces the old bytes; when it cannot be made, nothing of the kind is left.
  PBYTE copy = static_cast<PBYTE>(kavrin_allocate(length));
  if (copy != nullptr && length != 0) std::memcpy(copy, data, length);
  kavrin_release(staging->*kind.data);
  staging->*kind.data = copy;
  staging->*kind.length = copy != nullptr ? length : 0;
  return copy != nullptr ? KAVRIN_SUCCESS : KAVRIN_NO_MEMORY;
}

BYTE read_back(const StagedKind& kind, HANDLE hDevice, BYTE block, PBYTE buffer, DWORD length,
               PDWORD count) {
  PKAVRIN_CONTEXT context;
  PKAVRIN_BLOCK staging;
  BYTE status = kavrin_find_block(hDevice, block, &context, &staging);
  if (status != KAVRIN_SUCCESS) return status;
  if (staging->*kind.data == nullptr) return kind.missing;
  DWORD copied = std::min(length, staging->*kind.length);
  if (copied != 0) std::memcpy(buffer, staging->*kind.data, copied);
  *count = copied;
  return KAVRIN_SUCCESS;
}

}  // namespace

BYTE kavSetBicmState(HANDLE hDevice, BYTE block, BYTE state) {
  PKAVRIN_CONTEXT context;
  PKAVRIN_BLOCK staging;
  BYTE status = kavrin_find_block(hDevice, block, &context, &staging);
  if (status == KAVRIN_SUCCESS) staging->BicmState = state;
  return status;
}

BYTE kavSetRow(HANDLE hDevice, BYTE block, PBYTE data, DWORD length) {
  return stage(kRows, hDevice, block, data, length);
}
BYTE kavSetColumn(HANDLE hDevice, BYTE block, PBYTE data, DWORD length) {
  return stage(kColumns, hDevice, block, data, length);
}
BYTE kavSetInput(HANDLE hDevice, BYTE block, PBYTE data, DWORD length) {
  BYTE status = stage(kInputs, hDevice, block, data, length);
  if (status != KAVRIN_SUCCESS) return status;
  // The staging is complete when rows and columns are there too: the backend may prepare the
  // exchange while the caller pauses.
  PKAVRIN_CONTEXT context;
  PKAVRIN_BLOCK staging;
  if (kavrin_find_block(hDevice, block, &context, &staging) == KAVRIN_SUCCESS &&
      staging->RowData != nullptr && staging->ColumnData != nullptr) {
    DWORD pairs = std::min(staging->RowLength, staging->ColumnLength);
    platform_staged(context->Device, {block, staging->RowData, staging->ColumnData, pairs,
                                      staging->InputData, staging->InputLength});
  }
  return status;
}

BYTE kavGetRow(HANDLE hDevice, BYTE block, PBYTE buffer, DWORD length, PDWORD count) {
  return read_back(kRows, hDevice, block, buffer, length, count);
}
BYTE kavGetColumn(HANDLE hDevice, BYTE block, PBYTE buffer, DWORD length, PDWORD count) {
  return read_back(kColumns, hDevice, block, buffer, length, count);
}
BYTE kavGetInput(HANDLE hDevice, BYTE block, PBYTE buffer, DWORD length, PDWORD count) {
  return read_back(kInputs, hDevice, block, buffer, length, count);
}
