// Counts read from text files (the ".VECTORS" line of TST and pattern files): a decimal number
// is taken whole or refused, never cut down to the digits that fit.
#ifndef KAVTEST_COUNT_H
#define KAVTEST_COUNT_H

/// What read_count found at the start of a text.
enum class CountText {
  kNone,        ///< no number: after white space comes neither a digit nor a sign and a digit
  kFits,        ///< a number from 0 to INT_MAX
  kOutOfRange,  ///< a negative number, or one above INT_MAX however many digits it has
};

/// Reads the decimal number at `text` as "%d" does: white space before it is skipped, a sign
/// is allowed, what follows its digits is not looked at. Stores it in `*count` only when it
/// fits.
CountText read_count(const char* text, int* count);

#endif
