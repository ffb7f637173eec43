// The command-line tool: option state, printing, and the functions of its modes.
#ifndef KAVTEST_MAIN_H
#define KAVTEST_MAIN_H

#include <cstdio>

#include "Kavrin.h"
#include "TSTData.h"

/// Option slots of `args`, in the order of the option table.
enum OptionSlot {
  OPT_ALL_DEFECTS,
  OPT_SAF_DEFECTS,
  OPT_SINGLE_DEFECT,
  OPT_CIRCUIT,
  OPT_VERIFY,
  OPT_SCREEN,
  OPT_LIST,
  OPT_QUIET,
  OPT_AGM,
  OPT_TST,
  OPT_DEVICE,
  OPT_TABLE,
  OPT_DEVLIST,
  OPT_BICM,
  OPTION_COUNT
};

/// Exit status of every failure of the tool.
constexpr int TOOL_FAILURE = -1;

/// One heap copy per given option (the parameter, or `sel` for a flag); null when absent.
extern char* args[OPTION_COUNT];
/// The value stored for every flag option.
extern char sel[3];
/// Defect class mask: -1 no class option, 7 -all_defects, 1 -saf_defects.
extern int def_sel;
/// Selected circuit (index into `elements`) and cell (-single_defect); -1 when not given.
extern int circuit;
extern int cell;

inline bool option_given(OptionSlot slot) { return args[slot] != nullptr; }

/// Prints when `verbosity_level` >= verbose_mode: level 0 is informative text (removed by
/// -quiet), level 1 is data.
int vf_print(FILE* stream, int verbosity_level, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

/// Version line and usage text on standard output, unless -quiet was given.
void USAGE(const char* pname);
/// Reports two class options given together and ends the process.
[[noreturn]] void def_sel_error();
/// Scans and checks the options, performs the listings and the model export; returns the
/// index of the test file in argv, argc when there is none, -1 when the scanner refused.
int test_input(int argc, char** argv);

/// The test run on the file `test_file`: read, run the chosen mode, write back. Returns the
/// exit status.
int runTestFile(const char* test_file);

// Device list.
/// One opened device; `dch` is null once the device has been closed again.
typedef struct _devList {
  HANDLE devHandle;
  PKAVRIN_CONTEXT_HEADER dch;
  struct _devList* next;
} DeviceList;

/// Opens Kavrin0, Kavrin1, ... until a name is refused; null when no device could be opened.
DeviceList* getDeviceList();
/// The names of the list's devices on standard output, or the no-device line.
void printDeviceList(DeviceList* list);
/// Keeps the device called `devName` (the first one when null) open and closes all others;
/// returns its node, or null when no device has that name.
DeviceList* activateDevice(DeviceList* list, char* devName);
/// Closes the devices still open and releases the list.
void freeDeviceList(DeviceList* list);

// Applying vectors to one cell on the device.
/// Response bytes of `cell` of `circuit` to the `vcount` input bytes `in`, one per vector,
/// masked when `masking`; null when the device refused or failed. The caller frees it.
unsigned char* runTest(DeviceList* dev, int circuit, int cell, unsigned char* in, int vcount,
                       bool masking);
/// The pause between loading a chunk's inputs and reading its outputs (settle.cpp).
void settle_outputs();
/// Reduces raw responses to the monitor bit (maskBICM) or to the circuit's outputs.
unsigned char* doMasking(unsigned char* arr, int vcount, bool maskBICM);
/// The first defect-free cell of the circuit, or -1.
int getReferenceCell(int circuit);
/// One input byte per vector (first input character most significant); the caller frees it.
unsigned char* convertToByteArray(BIST* dat, int circuit);
/// Up to n (at most 8) characters of `in` from index s as bits, '1' a 1 bit.
unsigned char convertToByte(const char* in, int s, int n);

// The test run and its modes.
/// Fits the vectors to the circuit: keeps the last `in` input columns, makes room for outputs.
BIST* adjustTST(BIST* dat, int circuit);
void doVerify(DeviceList* dev, int circuit, int cell, BIST* dat);
void printTruthTable(DeviceList* dev, int circuit, int cell, BIST* dat);
void doDefectTable(DeviceList* dev, int circuit, int def_mask, BIST* dat);
void printChipStatus(unsigned char status);
void printKavError(unsigned char errVal);
/// The nBits low bits of `in`, most significant first, in a buffer the next call overwrites.
char* numBits(unsigned char in, int nBits);
/// The low bits of `in`, least significant first, into buf (n characters and a terminator).
char* convertToStr(unsigned char in, char* buf, int n);
/// nBits characters of `vect` from `start`, in a buffer the next call overwrites.
char* cutVector(const char* vect, int start, int nBits);
/// The defect name of a cell, or "reference" for the defect-free cell.
const char* defect_label(int circuit, int cell);
/// A response or input array the mode cannot go on without: ends the run when it is missing.
unsigned char* require_response(unsigned char* response);
unsigned char* require_input_bytes(BIST* dat, int circuit);

// Listings.
void list_circuits();
void list_defects(unsigned int circuit, unsigned int def_type);

// AG model export.
void writeAGM();
void generateAGMFile(FILE* f, unsigned int circuit, unsigned int def_type);
void fakeAGMStats(FILE* f, int nodes, int in, int out);

#endif
