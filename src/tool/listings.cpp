// The catalogue listings of -list.
#include "listings.h"

#include <cstdio>

#include "KavrinConst.h"
#include "exit.h"
#include "options.h"

void list_circuits() {
  vf_print(stdout, 0, "Available circuits:\n");
  vf_print(stdout, 0, "Index\tName\tDescription\n\n");
  for (int i = 0; elements[i].name != nullptr; i++)
    vf_print(stdout, 1, "%2d %-7s %-7s\n", i, elements[i].name, elements[i].desc);
}

void list_defects(unsigned int circuit_index, unsigned int def_type) {
  unsigned int i = 0;
  while (i < circuit_index && elements[i].name != nullptr) i++;
  const KAVRIN_ELEMENT_LIST& entry = elements[i];
  if (entry.name == nullptr) {
    vf_print(stderr, 0, "Bad circuit index\n");
    end_process(TOOL_FAILURE);
  }
  vf_print(stdout, 0, "Implemented defects:\n");
  vf_print(stdout, 0, "Index\tName\n\n");
  for (int k = 0; k < entry.count; k++)
    if (def_type & entry.idx[k].type) vf_print(stdout, 1, "%2d\t%s\n", k, entry.idx[k].defect);
}
