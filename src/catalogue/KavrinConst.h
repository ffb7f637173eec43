// The compiled-in catalogue of the test chip: 18 circuits and their cells.
#ifndef KAVTEST_KAVRINCONST_H
#define KAVTEST_KAVRINCONST_H

/// One cell of a circuit on the chip.
struct KAVRIN_ELEMENT {
  unsigned char col;   ///< column in the device block
  unsigned char row;   ///< row in the device block
  const char* defect;  ///< defect name; null for the defect-free reference cell
  unsigned char type;  ///< defect class bits: 0 reference, 2 short, 3 short to a rail, 4 open
};

/// One circuit of the chip.
struct KAVRIN_ELEMENT_LIST {
  const char* name;           ///< short name, not unique ("NA2", "C17" occur twice)
  const char* desc;           ///< Boolean function
  unsigned char lib;          ///< device block, 0 or 128
  unsigned char in;           ///< number of inputs
  unsigned char out;          ///< number of outputs
  int count;                  ///< number of cells
  const KAVRIN_ELEMENT* idx;  ///< the cells, reference first
};

/// Defect class bits of KAVRIN_ELEMENT::type.
constexpr unsigned char DEFECT_REFERENCE = 0;
constexpr unsigned char DEFECT_STUCK_AT = 1;  ///< the short ties a node to a supply rail
constexpr unsigned char DEFECT_SHORT = 2;
constexpr unsigned char DEFECT_OPEN = 4;

/// Class masks of the options: every defect, stuck-at defects only, no class option.
constexpr int MASK_ALL_DEFECTS = 7;
constexpr int MASK_SAF_DEFECTS = 1;
constexpr int MASK_ANY = -1;

constexpr int KAVRIN_CIRCUIT_COUNT = 18;

/// The circuits, followed by an end entry whose name is null.
extern const KAVRIN_ELEMENT_LIST elements[KAVRIN_CIRCUIT_COUNT + 1];

/// Cell list of circuit 0, kept modifiable as the tool has always had it; nothing writes it.
extern KAVRIN_ELEMENT NO42[45];

/// True when `mask` selects a cell of class `type` (the reference cell is never selected).
inline bool cell_selected(int mask, unsigned char type) { return (mask & type) != 0; }

#endif
