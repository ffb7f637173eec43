// Applying a vector set to one cell on the device, and the conversions around it.
#include "apply_vectors.h"

#include <cstdlib>
#include <cstring>

#include "KavrinConst.h"
#include "exit.h"
#include "options.h"
#include "settle.h"

/// Vectors per device exchange.
static const int kChunk = 32;

unsigned char convertToByte(const char* in, int s, int n) {
  for (int k = 0; k < s; k++)
    if (in[k] == '\0') return 0;
  unsigned char value = 0;
  for (int k = 0; k < n && k < 8 && in[s + k] != '\0'; k++)
    value = static_cast<unsigned char>((value << 1) | (in[s + k] == '1' ? 1 : 0));
  return value;
}

unsigned char* convertToByteArray(BIST* dat, int circuit_index) {
  int in = elements[circuit_index].in;
  auto* bytes = static_cast<unsigned char*>(std::calloc(dat->vcount > 0 ? dat->vcount : 1, 1));
  if (bytes == nullptr) return nullptr;
  for (int i = 0; i < dat->vcount; i++) bytes[i] = convertToByte(dat->vects[i], dat->inps - in, in);
  return bytes;
}

int getReferenceCell(int circuit_index) {
  const KAVRIN_ELEMENT_LIST& c = elements[circuit_index];
  for (int k = 0; k < c.count; k++)
    if (c.idx[k].type == DEFECT_REFERENCE) return k;
  return -1;
}

unsigned char* doMasking(unsigned char* arr, int vcount, bool maskBICM) {
  // The output count is that of the circuit chosen on the command line (the option state).
  unsigned char mask = 0;
  for (int o = 0; o < elements[::circuit].out; o++)
    mask = static_cast<unsigned char>((mask << 1) | 1);
  for (int i = 0; i < vcount; i++) arr[i] = maskBICM ? (arr[i] & 1) : ((arr[i] >> 1) & mask);
  return arr;
}

/// Stages the cell and one chunk of inputs; the name of the refused call, or null.
static const char* stage_chunk(HANDLE h, BYTE block, const KAVRIN_ELEMENT& e, unsigned char* in,
                               int len) {
  BYTE col = e.col, row = e.row;
  if (kavSetColumn(h, block, &col, 1) != KAVRIN_SUCCESS) return "kavSetColumn";
  if (kavSetRow(h, block, &row, 1) != KAVRIN_SUCCESS) return "kavSetRow";
  if (kavSetInput(h, block, in, static_cast<DWORD>(len)) != KAVRIN_SUCCESS) return "kavSetInput";
  return nullptr;
}

unsigned char* runTest(DeviceList* dev, int circuit_index, int cell_index, unsigned char* in,
                       int vcount, bool masking) {
  auto* result = static_cast<unsigned char*>(std::calloc(vcount > 0 ? vcount : 1, 1));
  if (result == nullptr) {
    vf_print(stderr, 0, "Not enough memory.\n");
    return nullptr;
  }
  const KAVRIN_ELEMENT& e = elements[circuit_index].idx[cell_index];
  BYTE block = elements[circuit_index].lib;
  vf_print(stdout, 0, "runTest:: circuit=%d cell=%d vcount=%d masking=%s", circuit_index,
           cell_index, vcount, masking ? "on" : "off");
  for (int start = 0; start < vcount; start += kChunk) {
    int end = start + kChunk < vcount ? start + kChunk : vcount, len = end - start;
    vf_print(stdout, 0, " [%d %d]", start, end);
    const char* refused = stage_chunk(dev->devHandle, block, e, in + start, len);
    if (refused != nullptr) {
      vf_print(stdout, 0, "runTest::%s failed\n", refused);
      std::free(result);
      result = nullptr;
      break;
    }
    settle_outputs();
    DWORD bRead = 0;
    if (kavGetOutput(dev->devHandle, block, result + start, static_cast<DWORD>(len), &bRead) !=
        KAVRIN_SUCCESS) {
      vf_print(stdout, 0, "runTest::kavGetOutput failed\n");
      std::free(result);
      result = nullptr;
      break;
    }
    if (static_cast<int>(bRead) != len)
      vf_print(stdout, 0, "\nByte counts dont match: sent %d read %d\n", len,
               static_cast<int>(bRead));
  }
  if (masking && result != nullptr) doMasking(result, vcount, option_given(OPT_BICM));
  vf_print(stdout, 0, "\n");
  return result;
}

unsigned char* require_response(unsigned char* response) {
  if (response == nullptr) end_process(TOOL_FAILURE);
  return response;
}

unsigned char* require_input_bytes(BIST* dat, int circuit_index) {
  unsigned char* bytes = convertToByteArray(dat, circuit_index);
  if (bytes == nullptr) {
    vf_print(stderr, 0, "Not enough memory.\n");
    end_process(TOOL_FAILURE);
  }
  return bytes;
}
