// TST files: the in-memory record of one file, its reader and its writer.
#ifndef KAVTEST_TSTDATA_H
#define KAVTEST_TSTDATA_H

#include <cstdio>

/// The in-memory image of one TST file.
struct BIST {
  int inps;        ///< input columns of a pattern row; -1 unset
  int vars;        ///< length of every pattern row; -1 unset
  int cons;        ///< constant columns after the inputs
  int outs;        ///< output columns at the end of a row; -1 unset
  int nodes;       ///< columns of the fault table, characters of the summary
  int vcount;      ///< number of vectors
  char** vects;    ///< vcount + 1 rows of vars + 1 characters
  char** ftable;   ///< vcount + 1 rows of nodes + 1 characters
  char** g_state;  ///< unused
  char** a_state;  ///< unused
  char* g_poly;
  char* a_poly;
  char* g_init;
  char* a_init;
  char* signature;
  char* faults;  ///< nodes characters, no terminator
  int screen;    ///< unused
  int end;       ///< unused
  int tmp[10];   ///< the reader's working state
};

/// Section keywords, in section-index order, null-ended.
extern const char* kwords[11];

/// Reads `pattern_file` into `dat` (a fresh record when null). Errors in the file end the
/// process. `mode` is unused; `strict` selects exact row checks.
BIST* ReadTST(BIST* dat, const char* pattern_file, int mode, bool strict);
/// Writes `dat` to `fp`, or to the file `fName` when `fp` is null. 0 on success, -1 on failure.
int WriteTST(BIST* dat, FILE* fp, const char* fName);
/// Releases a record made zero-filled with calloc (or by ReadTST) and everything it owns.
void FreeTST(BIST* dat);

#endif
