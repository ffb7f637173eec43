// Allocation for the model store and the pattern tables: every block is checked, and counts
// read from a file that would need more than a sane amount of memory are refused rather than
// left to the operating system.
#ifndef KAVTEST_TABLE_ALLOC_H
#define KAVTEST_TABLE_ALLOC_H

#include <cstddef>
#include <cstdint>

/// The most memory one array of the model store, or one pattern set with its tables, may take.
constexpr std::uint64_t kMaxTableBytes = std::uint64_t{1} << 30;

/// True when `count` items of `size` bytes stay within kMaxTableBytes.
bool fits_in_tables(std::uint64_t count, std::uint64_t size);
/// `count` zero-filled items of `size` bytes (at least one byte is allocated, so the result
/// is never null). Ends the process with "Out of memory" (at `line`; -1 none) when the block
/// is refused by fits_in_tables or cannot be had.
void* table_alloc(std::uint64_t count, std::uint64_t size, int line);
/// A table of `rows` rows of `width` bytes, every byte `fill`, in one block: the row pointers,
/// then the rows. It costs `rows` * (`width` + a pointer) bytes, no more, and one release
/// (_free) frees it all. "Out of memory" as above when the block is refused or cannot be had.
char** row_table(std::uint64_t rows, std::uint32_t width, char fill, int line);
/// A zero-terminated copy of the first `len` characters of `s`; "Out of memory" as above.
char* copy_text(const char* s, std::size_t len, int line);
/// "<head> <name>" in a new block, for a step line; "Out of memory" without a line as above.
char* step_text(const char* head, const char* name);

#endif
