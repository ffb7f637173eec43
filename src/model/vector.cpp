#include "vector.h"

#include <cstdio>
#include <cstring>

#include "block_reader.h"
#include "count.h"
#include "messages.h"
#include "mudel.h"
#include "table_alloc.h"

std::uint32_t vcount = 0;
std::int32_t functionals = 0;
char** vects = nullptr;
char** ftable = nullptr;
char* faults = nullptr;
std::int32_t FAULT_TABLE = 0;
std::int32_t FAULT_VECTOR = 0;
std::int32_t READ_FAULT_TABLE = 1;
const char* gener_init = "";
const char* gener_poly = "";
const char* analyser_init = "";
const char* analyser_poly = "";
const char* analyser_state = "";
const char* cstp_init = "";
const char* cstp_poly = "";

namespace {

/// The file being read or written, and its characters when it is read.
std::FILE* f = nullptr;
BlockReader in;
/// Number of the line being read, from 1.
std::uint32_t CurrentRow = 0;

int row_number() { return static_cast<int>(CurrentRow); }

/// Passes over the rest of the current line, counting it.
void skip_rest_of_line() {
  if (skip_line(in)) CurrentRow++;
}

bool is_white(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

/// Passes over the lines of a section that begin with white space. False at end of file.
bool next_row() {
  for (;;) {
    int c = next_char(in);
    if (c == EOF) return false;
    if (!is_white(c)) {
      step_back(in);
      return true;
    }
    if (c == '\n')
      CurrentRow++;
    else
      skip_rest_of_line();
  }
}

/// The line at the file position, at most kKeywordLineLimit characters with its line end.
void read_keyword_line(char* line) { line[next_line(in, line, kKeywordLineLimit)] = '\0'; }

/// The decimal number at `s` after white space (the value of ".FUNCTIONAL"), 0 when there is
/// none; its magnitude is held at 0xFFFFFFFF.
std::int64_t read_decimal(const char* s) {
  while (is_white(*s)) s++;
  bool negative = *s == '-';
  if (*s == '-' || *s == '+') s++;
  std::int64_t v = 0;
  for (; *s >= '0' && *s <= '9'; s++)
    if (v <= 0xFFFFFFFFll) v = v * 10 + (*s - '0');
  if (v > 0xFFFFFFFFll) v = 0xFFFFFFFFll;
  return negative ? -v : v;
}

char pattern_value(int c) {
  switch (c) {
    case '0':
    case 'L':
    case 'l':
      return 0;
    case '1':
    case 'H':
    case 'h':
      return 1;
    case 'x':
      return 'x';
    default:
      Error("Unknown symbol in patterns file", row_number());
  }
}

/// The value of constant variable j, from its flags in the model.
char constant_value(std::uint32_t j) {
  if (Vars[j].v_flags & VAR_ZERO) return 0;
  if (Vars[j].v_flags & VAR_ONE) return 1;
  Error("Constant variable expected", row_number());
}

/// Reads one pattern row: the input values, then the constants from the model.
void read_pattern_row(std::uint32_t row) {
  char* v = vects[row];
  for (std::uint32_t j = 0; j < InpCount; j++) {
    int c = next_char(in);
    if (c == EOF) break;
    v[j] = pattern_value(c);
  }
  for (std::uint32_t j = InpCount; j < InpCount + ConCount; j++) v[j] = constant_value(j);
  skip_rest_of_line();
}

/// Stores the run of characters of `marks` at the file position into `out`, at most NodCount
/// of them; a longer run ends the process with `too_long`.
void read_marks(char* out, const char* marks, const char* too_long) {
  std::uint32_t n = 0;
  for (;;) {
    int c = next_char(in);
    if (c == EOF) return;
    if (c == '\0' || std::strchr(marks, c) == nullptr) {
      step_back(in);
      skip_rest_of_line();
      return;
    }
    if (n == NodCount) Error(too_long, row_number());
    out[n++] = static_cast<char>(c);
  }
}

void read_table_row(std::uint32_t row) {
  read_marks(ftable[row], "01Xx", "Line of table too long");
}

void read_fault_summary() { read_marks(faults, "01&Xx", "FAULTS section too long"); }

/// Reads the rows of a section, one per vector, with `read_row`.
void read_rows(void (*read_row)(std::uint32_t)) {
  for (std::uint32_t row = 0; row < vcount; row++) {
    if (!next_row()) return;
    read_row(row);
  }
}

/// Reads the first row of a ".FAULTS" section into `faults`.
void read_fault_section() {
  if (faults == nullptr) Error("Fault list not allocated", row_number());
  CurrentRow++;
  if (!next_row()) return;
  read_fault_summary();
  FAULT_VECTOR = 1;
}

char* filled_row(std::uint32_t length, char fill) {
  char* row = static_cast<char*>(table_alloc(length, 1, -1));
  std::memset(row, fill, length);
  return row;
}

/// Makes vects (rows of zeros), and ftable when `with_table`, for vcount vectors, and faults;
/// the fault marks all 'X'. Each table is one block, so the limit on the tables together is
/// what they cost.
void make_tables(bool with_table) {
  std::uint64_t row_cost = std::uint64_t{VarCount} + sizeof(char*);
  if (with_table) row_cost += std::uint64_t{NodCount} + sizeof(char*);
  if (!fits_in_tables(vcount, row_cost)) Error("Out of memory", -1);
  vects = row_table(vcount, VarCount, 0, -1);
  ftable = with_table ? row_table(vcount, NodCount, 'X', -1) : nullptr;
  faults = filled_row(NodCount, 'X');
}

/// The state of one read_vec: whether this file has sized the tables.
struct VectorFile {
  bool made_tables = false;  ///< a ".VECTORS" line of this file made the tables
  bool sized = false;        ///< ... with a positive count
};

/// The count of a ".VECTORS" line: 0 when the line holds no number; a number that does not
/// fit ends the process with a conversion error.
std::uint32_t vector_count(const char* number) {
  int count = 0;
  CountText found = read_count(number, &count);
  if (found == CountText::kOutOfRange) Error("Conversion error", row_number());
  return found == CountText::kFits ? static_cast<std::uint32_t>(count) : 0;
}

void read_vectors_line(const char* number, VectorFile& file) {
  if (file.made_tables) free_vec();
  vcount = vector_count(number);
  make_tables(READ_FAULT_TABLE != 0);
  file.made_tables = true;
  file.sized = vcount > 0;
}

void require_rows(const VectorFile& file) {
  if (!file.sized) Error("Positive .VECTORS count expected before this section", row_number());
}

/// Acts on the keyword line `line` ('.' and keyword) of read_vec.
void read_keyword(const char* line, VectorFile& file) {
  const char* kw = line + 1;
  auto is = [kw](const char* keyword, std::size_t n) { return std::strncmp(kw, keyword, n) == 0; };
  if (is("VECTORS", 7)) {
    read_vectors_line(kw + 7, file);
    CurrentRow++;
  } else if (is("FUNCTIONAL", 10)) {
    std::int64_t n = read_decimal(kw + 10);
    functionals = static_cast<std::int32_t>(n < INT32_MIN   ? INT32_MIN
                                            : n > INT32_MAX ? INT32_MAX
                                                            : n);
    CurrentRow++;
  } else if (is("PATTERNS", 8)) {
    require_rows(file);
    CurrentRow++;
    read_rows(read_pattern_row);
  } else if (is("TABLE", 5)) {
    // Without a fault table its rows are passed over like comment lines.
    if (READ_FAULT_TABLE != 0) require_rows(file);
    CurrentRow++;
    if (READ_FAULT_TABLE != 0) {
      read_rows(read_table_row);
      FAULT_TABLE = 1;
    }
  } else if (is("FAULTS", 6)) {
    read_fault_section();
  } else if (is("COVERAGE", 8) || is("GENERATOR", 9) || is("ANALYZER", 8) ||
             is("INITIAL_STATE", 8) || is("POLYNOMIAL", 8) || is("SIGNATURE", 8)) {
    CurrentRow++;
  } else {
    Error("Unknown keyword", row_number());
  }
}

void open_for_reading(const char* fileName) {
  f = std::fopen(fileName, "r");
  if (f == nullptr) Errors(fileName, "Can't open file", -1);
  start_reading(in, f);
}

void close_file() {
  std::fclose(f);
  f = nullptr;
}

/// Closes the file being read, unless closed before, also when a fatal error cuts the reading
/// short where end_process returns to a caller (the fuzz targets).
struct ReadingFile {
  ~ReadingFile() {
    if (f != nullptr) close_file();
  }
};

void announce(const char* head, const char* fileName) {
  char* step = step_text(head, fileName);
  BeginProcessing(step);
  _free(step);
}

char pattern_char(char value, char zero, char one) {
  return value == 0 ? zero : value == 1 ? one : value;
}

/// The text of pattern row `v` in mode `m`, with its line end, into `line`; its length.
std::size_t pattern_line(const char* v, int m, char* line) {
  std::size_t n = 0;
  for (std::uint32_t j = 0; j < VarCount; j++) {
    if (m == 6 || j < InpCount) {
      line[n++] = pattern_char(v[j], '0', '1');
    } else if (m != 7) {
      bool output = std::uint64_t{j} + OutCount >= VarCount;
      line[n++] = output ? pattern_char(v[j], 'L', 'H') : pattern_char(v[j], 'l', 'h');
    }
  }
  line[n++] = '\n';
  return n;
}

void write_patterns(int m) {
  std::fprintf(f, "\n.PATTERNS\n\n");
  if (vects == nullptr) return;
  char* line = static_cast<char*>(table_alloc(std::uint64_t{VarCount} + 1, 1, -1));
  for (std::uint32_t k = (m == 6 ? 1 : 0); k < vcount; k++)
    std::fwrite(line, 1, pattern_line(vects[k], m, line), f);
  _free(line);
}

void write_table() {
  std::fprintf(f, "\n.TABLE\n\n");
  for (std::uint32_t k = 0; k < vcount; k++) {
    std::fwrite(ftable[k], 1, NodCount, f);
    std::fputc('\n', f);
  }
}

/// Detected polarities in the summary: '&' counts 2; with `m` 5 '/' and '\\' count 1, else
/// '0' and '1' do.
std::uint32_t detected(int m) {
  std::uint32_t count = 0;
  for (std::uint32_t i = 0; i < NodCount; i++) {
    char c = faults[i];
    if (c == '&')
      count += 2;
    else if (m == 5 ? (c == '/' || c == '\\') : (c == '0' || c == '1'))
      count += 1;
  }
  return count;
}

void write_faults(int m) {
  std::fprintf(f, "\n.FAULTS\n\n");
  std::fwrite(faults, 1, NodCount, f);
  std::uint32_t count = detected(m), all = 2 * NodCount;
  double coverage = all == 0 ? 0.0 : static_cast<double>(count) / all * 100;
  std::fprintf(f, "\n\n.COVERAGE\n\n%u / %u = %f %%\n\n", count, all, coverage);
}

/// Reads the open file to its end: blank lines are counted, other lines that do not start a
/// keyword are passed over, and every keyword line goes to `on_keyword`.
template <typename OnKeyword>
void scan_keyword_lines(OnKeyword on_keyword) {
  char line[kKeywordLineLimit + 1];
  int c;
  while ((c = next_char(in)) != EOF) {
    if (c == '\n') {
      CurrentRow++;
    } else if (c != '.') {
      skip_rest_of_line();
    } else {
      step_back(in);
      read_keyword_line(line);
      on_keyword(line);
    }
  }
}

}  // namespace

void read_vec(const char* fileName) {
  announce("Reading test patterns file", fileName);
  open_for_reading(fileName);
  ReadingFile reading;
  functionals = 0;
  FAULT_TABLE = 0;
  FAULT_VECTOR = 0;
  CurrentRow = 1;
  VectorFile file;
  scan_keyword_lines([&file](char* line) { read_keyword(line, file); });
  close_file();
  EndProcessing();
}

void write_vec(const char* fileName, int m) {
  announce("Writing test patterns file", fileName);
  f = std::fopen(fileName, "w+");
  if (f == nullptr) Errors(fileName, "Can't create output file", -1);
  if (m != 8) {
    std::fprintf(f, "\n.VECTORS %d\n\n", static_cast<int>(m == 6 ? vcount - 1 : vcount));
    if (functionals != 0) std::fprintf(f, "\n.FUNCTIONAL %d\n\n", functionals);
    const char* analyser = "\n.ANALYZER\n\n.INITIAL_STATE %s\n.POLYNOMIAL %s\n.SIGNATURE %s\n\n";
    if (m == 4) {
      std::fprintf(f, "\n.GENERATOR\n\n.INITIAL_STATE %s\n.POLYNOMIAL %s\n\n", gener_init,
                   gener_poly);
      std::fprintf(f, analyser, analyser_init, analyser_poly, analyser_state);
    }
    if (m == 3) std::fprintf(f, analyser, cstp_init, cstp_poly, analyser_state);
    write_patterns(m);
    if (m != 1 && m != 2 && m != 6 && m != 7 && ftable != nullptr) write_table();
  }
  if (m != 2 && m != 6 && m != 7 && faults != nullptr) write_faults(m);
  close_file();
  EndProcessing();
}

void alloc_vec() {
  BeginProcessing("Allocating test patterns");
  make_tables(true);
  for (std::uint32_t k = 0; k < vcount; k++)
    for (std::uint32_t j = InpCount; j < InpCount + ConCount; j++)
      vects[k][j] = (Vars[j].v_flags & VAR_ZERO) ? 0 : 1;
  EndProcessing();
}

void free_vec() {
  _free(vects);
  _free(ftable);
  _free(faults);
  vects = nullptr;
  ftable = nullptr;
  faults = nullptr;
}

void read_faults(const char* fileName) {
  announce("Reading fault info file", fileName);
  open_for_reading(fileName);
  ReadingFile reading;
  CurrentRow = 1;
  scan_keyword_lines([](char* line) {
    if (std::strncmp(line + 1, "FAULTS", 6) == 0)
      read_fault_section();
    else
      CurrentRow++;
  });
  close_file();
  EndProcessing();
}
