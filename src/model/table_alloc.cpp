#include "table_alloc.h"

#include <cstdlib>
#include <cstring>

#include "messages.h"

bool fits_in_tables(std::uint64_t count, std::uint64_t size) {
  return size == 0 || count <= kMaxTableBytes / size;
}

void* table_alloc(std::uint64_t count, std::uint64_t size, int line) {
  if (!fits_in_tables(count, size)) Error("Out of memory", line);
  std::size_t bytes = static_cast<std::size_t>(count * size);
  void* block = std::calloc(bytes == 0 ? 1 : bytes, 1);
  if (block == nullptr) Error("Out of memory", line);
  return block;
}

char** row_table(std::uint64_t rows, std::uint32_t width, char fill, int line) {
  char** table = static_cast<char**>(table_alloc(rows, std::uint64_t{width} + sizeof(char*), line));
  char* first = reinterpret_cast<char*>(table + rows);
  if (fill != 0) std::memset(first, fill, static_cast<std::size_t>(rows * width));
  for (std::uint64_t k = 0; k < rows; k++) table[k] = first + k * width;
  return table;
}

char* copy_text(const char* s, std::size_t len, int line) {
  char* copy = static_cast<char*>(table_alloc(len + 1, 1, line));
  std::memcpy(copy, s, len);
  return copy;
}

char* step_text(const char* head, const char* name) {
  std::size_t head_len = std::strlen(head), name_len = std::strlen(name);
  char* text = static_cast<char*>(table_alloc(head_len + name_len + 2, 1, -1));
  std::memcpy(text, head, head_len);
  text[head_len] = ' ';
  std::memcpy(text + head_len + 1, name, name_len);
  return text;
}
