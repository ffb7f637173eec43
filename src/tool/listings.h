// The catalogue listings of -list.
#ifndef KAVTEST_LISTINGS_H
#define KAVTEST_LISTINGS_H

/// The circuits of the chip, one line each.
void list_circuits();
/// The cells of `circuit_index` whose type is in the mask `def_type`; a bad index ends the process.
void list_defects(unsigned int circuit_index, unsigned int def_type);

#endif
