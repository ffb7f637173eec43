// Fault marks and the character tables that hold them.
#ifndef KAVTEST_MISC_H
#define KAVTEST_MISC_H

/// The most memory one character table may take, row pointers included.
constexpr unsigned long long kMaxCharTableBytes = 1ull << 30;

/// A table of x + 1 rows of y + 1 characters, every character set to `fill`. Ends the process
/// when memory runs out or the table would take more than kMaxCharTableBytes. Release with
/// FreeCharTable.
char** AllocCharTable(int x, int y, char fill);
/// Releases the x + 1 rows of a table and the table; null does nothing.
void FreeCharTable(char** t, int x, int y);
/// `len` characters set to `fill`, no terminator. Ends the process when memory runs out.
char* AllocCharVector(int len, char fill);

/// Union of two fault marks ('X' none, '0', '1', '&' both).
char CheckFault(char x, char y);
/// Fault mark A without the polarities of B.
char SubtractOneFault(char A, char B);
/// buf[i] = CheckFault(A[i], B[i]); into A when buf is null. Returns the array written.
char* AddVect(char* buf, char* A, const char* B, int len);
/// buf[i] = SubtractOneFault(A[i], B[i]); into A when buf is null. Returns the array written.
char* SubtractVect(char* buf, char* A, const char* B, int len);

#endif
