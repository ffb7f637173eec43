// The placeholder SSBDD model of -agm: the circuit's inputs and outputs as variables and its
// selected defects as the nodes of the output graphs, in fault-table column order.
#include "agm_export.h"

#include <cstdio>

#include "KavrinConst.h"
#include "options.h"

void fakeAGMStats(FILE* f, int nodes, int in, int out) {
  std::fprintf(f, "STAT#   %d Nods,   %d Vars,   %d Grps,   %d Inps,   %d Cons,   %d Outs\n\n",
               nodes, in + out, out, in, 0, out);
  std::fprintf(f, "MODE#\tFUNCTIONAL\n\n");
}

/// Nodes of graph `o` of `outs`: one per graph while nodes remain, the rest to the last.
static int graph_length(int o, int outs, int nodes) {
  int before = o < nodes ? o : nodes;
  if (o == outs - 1) return nodes - before;
  return o < nodes ? 1 : 0;
}

void generateAGMFile(FILE* f, unsigned int circuit_index, unsigned int def_type) {
  const KAVRIN_ELEMENT_LIST& c = elements[circuit_index];
  int nodes = 0;
  for (int j = 0; j < c.count; j++)
    if (c.idx[j].type & def_type) nodes++;

  fakeAGMStats(f, nodes, c.in, c.out);
  for (int i = 0; i < c.in; i++)
    std::fprintf(f, "VAR#\t%d:  (i_______)  \"%c\"\n", i, 'A' + c.in - 1 - i);
  std::fprintf(f, "\n");

  int node = 0, cursor = 0;
  for (int o = 0; o < c.out; o++) {
    int beg = node, len = graph_length(o, c.out, nodes);
    std::fprintf(f, "VAR#\t%d:  (_o______)  \"Y%d\"\n", c.in + o, o);
    std::fprintf(f, "GRP#\t%d: BEG =   %d, LEN =   %d -----\n", o, beg, len);
    for (; node < beg + len; node++) {
      while (!(c.idx[cursor].type & def_type)) cursor++;
      std::fprintf(f, "%5d\t%d:  (____)       (       0       0)  V = 0     \"%s\"\n", node,
                   node - beg, c.idx[cursor].defect);
      cursor++;
    }
    std::fprintf(f, "\n");
  }
}

void writeAGM() {
  const char* name = args[OPT_AGM];
  FILE* f = std::fopen(name, "w");
  if (f == nullptr) {
    vf_print(stdout, 0, "Warning: file %s could'nt be opened for writing!\n", name);
    return;
  }
  generateAGMFile(f, static_cast<unsigned int>(circuit), static_cast<unsigned int>(def_sel));
  std::fclose(f);
}
