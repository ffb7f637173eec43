// Physical defects of the chip's cells, applied to a circuit's netlist from the catalogue's
// defect names: shorts "X/Y/.../Z", the 13 open sites of a NAND2 gate ("NA2_kk",
// "C17#nn_Ig#kk") and interconnect opens ("C17#nn_LEFTxRIGHT").
#ifndef KAVTEST_DEFECTS_H
#define KAVTEST_DEFECTS_H

#include <string>

#include "netlist.h"

/// Open sites of a NAND2 gate, numbered as in the defect names ("_01" to "_13").
constexpr int NAND2_OPEN_SITES = 13;

/// Makes `out` the netlist of `base` with the defect named `defect` (null: the defect-free
/// reference, `out` is `base`). Returns false with a message in `error` when the name does
/// not resolve to a defect of this netlist; `out` is then unspecified.
bool apply_defect(const Netlist& base, const char* defect, Netlist* out, std::string* error);

/// Cuts open site `site` (1 to 13) of the NAND2 gate `gate` of `net`.
bool apply_nand2_open(Netlist* net, int gate, int site, std::string* error);

#endif
