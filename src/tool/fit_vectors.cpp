// Fitting a file's vectors to the circuit under test.
#include "fit_vectors.h"

#include <cstring>

#include "KavrinConst.h"
#include "misc.h"

/// Gives every row of the pattern table room for `width` characters and a terminator; a table
/// that the file announced but never filled becomes `vcount` empty rows.
static void widen_rows(BIST* dat, int width) {
  int had = dat->vects != nullptr && dat->vars > 0 ? dat->vars : 0;
  if (dat->vects != nullptr && had >= width) return;
  if (dat->vects == nullptr && dat->vcount <= 0) return;
  char** wider = AllocCharTable(dat->vcount, width, 0);
  if (dat->vects != nullptr) {
    for (int i = 0; i <= dat->vcount; i++)
      std::memcpy(wider[i], dat->vects[i], static_cast<size_t>(had));
    FreeCharTable(dat->vects, dat->vcount, dat->vars);
  }
  dat->vects = wider;
}

BIST* adjustTST(BIST* dat, int circuit_index) {
  int inps = elements[circuit_index].in, outs = elements[circuit_index].out, vars = inps + outs;
  // A row of the right length can still hold more input columns than the circuit has (and
  // no outputs): it is fitted too, or its outputs would be written over input columns.
  if (dat->vars == vars && dat->inps == inps) return dat;
  widen_rows(dat, vars);
  int from = dat->inps - inps;
  for (int i = 0; i < dat->vcount && from > 0; i++)
    std::memmove(dat->vects[i], dat->vects[i] + from, static_cast<size_t>(inps));
  dat->inps = inps;
  dat->vars = vars;
  dat->outs = outs;
  return dat;
}
