// The SSBDD model store: one model held in process-wide arrays, read from and written to a
// model file (AG model).
#ifndef KAVTEST_MUDEL_H
#define KAVTEST_MUDEL_H

#include <cstdint>

/// One decision node.
struct node_t {
  std::uint32_t n_flags;   ///< NODE_INVERTED (the I flag)
  std::uint32_t n_var;     ///< number of the variable the node tests
  std::uint32_t n_dst[2];  ///< the two destinations, kept and written as read
};

/// One variable.
struct varb_t {
  std::uint32_t v_flags;  ///< VAR_* bits
};

/// One graph: the consecutive nodes g_beg to g_beg + g_len - 1.
struct grap_t {
  std::uint32_t g_beg;
  std::uint32_t g_len;
};

/// Bits of varb_t::v_flags.
constexpr std::uint32_t VAR_INPUT = 0x01;   ///< letter I
constexpr std::uint32_t VAR_OUTPUT = 0x02;  ///< letter O
constexpr std::uint32_t VAR_CONST = 0x04;   ///< letter C
constexpr std::uint32_t VAR_ONE = 0x08;     ///< constant of value 1
constexpr std::uint32_t VAR_ZERO = 0x10;    ///< constant of value 0
constexpr std::uint32_t VAR_D = 0x20;       ///< letter D
/// Bit of node_t::n_flags: letter I.
constexpr std::uint32_t NODE_INVERTED = 0x01;

/// The store; all zero or null before the first read. A null name is an absent name.
extern node_t* Nods;
extern char** NodNames;
extern varb_t* Vars;
extern char** VarNames;
extern grap_t* Grps;
extern std::uint32_t NodCount, VarCount, GrpCount, InpCount, ConCount, OutCount;
/// 0 structural, 1 functional.
extern int ModelType;
/// Lines read so far by read_ag, for its messages.
extern int CurrentLine;

/// Reads the model file `fileName` into the store. Errors in the file end the process.
void read_ag(const char* fileName);
/// Writes the store to the file `s`, created or overwritten.
void write_ag(const char* s);
/// Releases every array and name of the store. The counts stay; the pointers become null.
void free_ag();

/// ORs the letters I, O, C, D between the first '(' of `s` and the next ')' into the flags of
/// variable `currVar`.
void setVarFlags(std::uint32_t currVar, const char* s);
/// ORs NODE_INVERTED for every letter I between the first '(' of `s` and the next ')'.
void setNodFlags(std::uint32_t currNod, const char* s);
/// Names variable `currVar` with the text of `s` up to its next double quote.
void setVarName(std::uint32_t currVar, const char* s);
/// Makes variable `currVar` a constant 0 or 1 by the decimal number at the start of `s`.
void setVarConst(std::uint32_t currVar, const char* s);
/// Names node `currNod` with the text of `s` up to its next double quote, which becomes a zero.
void setNodName(std::uint32_t currNod, char* s);
/// Releases one block of the store (or of the pattern tables).
void _free(void* mas);

#endif
