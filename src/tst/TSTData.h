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
  // What the reader learns beyond the format's fields (all 0 in a fresh record):
  int internals;         ///< internal-signal columns (h, l) of the rows: the longest such run
  int unread_line;       ///< line of the first keyword of ".VECTORS" to ".PATTERNS" after the
                         ///< results section where reading ended, left unread; 0 when none
  int rows_made;         ///< rows of `vects` made so far, the spare one not counted; vcount
                         ///< once every row is read
  long long bytes_left;  ///< bytes of a regular file from the line being read to its end; 0
                         ///< when the file's size is not known (a pipe, a device)
};

/// Section keywords, in section-index order, null-ended.
extern const char* kwords[11];
/// Section indices of kwords.
enum TstSection {
  SECTION_VECTORS,
  SECTION_GENERATOR,
  SECTION_ANALYZER,
  SECTION_INITIAL_STATE,
  SECTION_POLYNOMIAL,
  SECTION_SIGNATURE,
  SECTION_PATTERNS,
  SECTION_TABLE,
  SECTION_FAULTS,
  SECTION_COVERAGE,
};

/// Reads `pattern_file` into `dat` (a fresh record when null). Errors in the file end the
/// process. `mode` is unused; `strict` selects exact row checks. Reading ends at the first
/// results section (".TABLE", ".FAULTS", ".COVERAGE"); the rest of the file is only searched
/// for a section that reading thus leaves out (`unread_line`).
BIST* ReadTST(BIST* dat, const char* pattern_file, int mode, bool strict);
/// Writes `dat` to `fp`, or to the file `fName` when `fp` is null. 0 on success, -1 on failure.
int WriteTST(BIST* dat, FILE* fp, const char* fName);
/// Releases a record made zero-filled with calloc (or by ReadTST) and everything it owns.
void FreeTST(BIST* dat);

// The reader's steps, one line at a time (exposed for the unit tests).

/// Index in kwords of the first keyword that begins `str`; -2 when none does.
int match_keyword(const char* str);
/// Cuts trailing white space off `str` and returns its first character that is not white space.
char* strip_whitespaces(char* str);
/// Handles one line of section `state` (the keyword's value, or a whole row inside a section)
/// and returns the next state: -1 expects a keyword line, 0 to 9 a section, -2 failure.
int processInput(BIST* b, char* buf, int state, bool strict);
/// `buf` when it holds only '0' and '1' and, for a positive `length`, has that length; else null.
char* readPolynomial(char* buf, int length);
/// Reads the vector count from the value of ".VECTORS" (read_count: no number, or one that
/// does not fit, is a conversion error); 0.
int processVectorCount(BIST* b, char* buf);
/// Checks and stores one pattern row; returns the next state. The pattern table is made when
/// the first row comes, with room for no more rows than the rest of a regular file can hold
/// (`bytes_left`), or for the first rows of a file of unknown size, and grows as more rows
/// arrive: memory follows the file, not its count.
int processPatterns(BIST* b, char* buf, bool strict);
/// Checks one row, fixes vars, inps and outs, turns its letters into '0' and '1' in place and
/// returns its output part; null when the row is rejected.
char* readPattern(BIST* b, char* buf, bool strict);
/// Length of the leading run of `buf` made of characters of `expect` (all of `buf` when null),
/// checked against `len` (-1: any); -1 when the check fails.
int checkPattern(const char* buf, const char* expect, int len, bool strict);

// The writer's sections. Each writes its keyword line first when `header` is true and returns
// -1 when `fp` or `dat` is null or a write fails, else 0 (also when it has nothing to write).

int writeVectorCnt(FILE* fp, BIST* dat, bool header);
int writeLFSRSetup(FILE* fp, BIST* dat, bool header);
/// Also -1, writing nothing, when vars is 0 or less.
int writePatterns(FILE* fp, BIST* dat, bool header);
int writeFaultTable(FILE* fp, BIST* dat, bool header);
int writeFaultSummary(FILE* fp, BIST* dat, bool header);
int writeFaultCoverage(FILE* fp, BIST* dat, bool header);

#endif
