// Pattern files for a circuit whose model is in the model store: the vectors, the fault table
// and the fault summary, read into and written from process-wide tables.
#ifndef KAVTEST_VECTOR_H
#define KAVTEST_VECTOR_H

#include <cstdint>

/// Number of vectors.
extern std::uint32_t vcount;
/// The number of the ".FUNCTIONAL" line; 0 when the file has none.
extern std::int32_t functionals;
/// vcount rows of VarCount bytes: byte j of row k is variable j in vector k (0, 1 or 'x').
/// One block: the row pointers, then the rows.
extern char** vects;
/// vcount rows of NodCount fault marks, no terminators; null when not made. One block as vects.
extern char** ftable;
/// NodCount fault marks, no terminator.
extern char* faults;
/// 1 once a fault table, or a fault summary, has been read; reset when read_vec starts.
extern std::int32_t FAULT_TABLE;
extern std::int32_t FAULT_VECTOR;
/// When 0, read_vec neither makes nor reads the fault table. Initially 1.
extern std::int32_t READ_FAULT_TABLE;
/// Register settings written by modes 3 and 4 of write_vec; never read from a file.
extern const char* gener_init;
extern const char* gener_poly;
extern const char* analyser_init;
extern const char* analyser_poly;
extern const char* analyser_state;
extern const char* cstp_init;
extern const char* cstp_poly;

/// Characters a keyword line is read with, its line end included; the rest of a longer line
/// is taken as a further line (so a ".VECTORS" count is read from this much of its line).
constexpr int kKeywordLineLimit = 127;

/// Reads the pattern file `fileName` into the tables. Errors in the file end the process; a
/// ".VECTORS" count above INT_MAX, or negative, is a conversion error, and one whose tables
/// would take more than kMaxTableBytes (table_alloc.h) is "Out of memory".
void read_vec(const char* fileName);
/// Writes the tables to `fileName` in the variant `m`:
///   1 no fault table; 2 patterns only; 3 with the analyser block (cstp_*); 4 with generator
///   and analyser blocks; 5 coverage counts '/' and '\\' marks; 6 patterns from the second
///   vector on, all columns as 0/1; 7 input columns only; 8 fault summary and coverage only;
///   any other value: patterns, fault table, fault summary and coverage.
void write_vec(const char* fileName, int m);
/// Makes tables for vcount vectors (set by the caller): constants filled in from the model,
/// fault table and summary all 'X'.
void alloc_vec();
/// Releases the tables, whatever vcount now holds; their pointers become null.
void free_vec();
/// Reads only the ".FAULTS" row of `fileName` into the existing `faults`.
void read_faults(const char* fileName);

#endif
