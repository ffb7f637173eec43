// TST reader: a keyword-driven state machine over the lines of the file.
#include "TSTData.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "count.h"
#include "exit.h"
#include "messages.h"
#include "misc.h"
#include "rdline.h"

const char* kwords[11] = {".VECTORS",    ".GENERATOR", ".ANALYZER", ".INITIAL_STATE",
                          ".POLYNOMIAL", ".SIGNATURE", ".PATTERNS", ".TABLE",
                          ".FAULTS",     ".COVERAGE",  nullptr};

namespace {

// Register selector (tmp slot 3) after ".ANALYZER" and ".GENERATOR".
constexpr int kSelectAnalyzer = 3, kSelectGenerator = 4;
// Slots of the reader's working state: the line of the ".VECTORS" count in force, and how many
// rows of the table the file has filled.
constexpr int kCountLine = 7, kRowsFilled = 8;
/// The byte order mark that some editors put at the start of a UTF-8 file.
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

/// White space of the POSIX locale: space, tab, LF, VT, FF, CR.
bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int line_number(const BIST* b) { return b->tmp[0]; }

BIST* new_record() {
  BIST* b = static_cast<BIST*>(std::calloc(1, sizeof(BIST)));
  if (!b) {
    std::fputs("Not enough memory.\n", stderr);
    end_process(-1);
  }
  b->inps = b->vars = b->outs = -1;
  return b;
}

/// A copy of a register value; ends the process when memory runs out.
char* copy_value(const char* text) {
  std::size_t n = std::strlen(text) + 1;
  char* copy = static_cast<char*>(std::malloc(n));
  if (!copy) {
    std::fputs("Not enough memory.\n", stderr);
    end_process(-1);
  }
  std::memcpy(copy, text, n);
  return copy;
}

/// Checks a register value and stores a copy of it in `slot`, replacing an earlier one.
void store_register(BIST* b, char* value, char** slot, int length, const char* message) {
  if (!readPolynomial(value, length)) Error(message, line_number(b));
  char* copy = copy_value(value);
  std::free(*slot);
  *slot = copy;
}

bool analyzer_selected(const BIST* b) { return b->tmp[3] == kSelectAnalyzer; }

/// The required length of the selected register's initial state and polynomial.
int register_length(const BIST* b) { return analyzer_selected(b) ? b->tmp[4] : b->tmp[5]; }

/// Rows of the pattern table made at first for a file of unknown size; it doubles from there.
constexpr int kFirstRows = 1024;

/// A table of `rows` rows and the spare one for the rows of `b`, the rows made so far copied.
char** pattern_table(BIST* b, int rows) {
  char** table = AllocCharTable(rows, b->vars, 0);
  if (!table) Error("Cant allocate stimuli table\n", -1);
  const std::size_t width = static_cast<std::size_t>(b->vars) + 1;
  for (int i = 0; b->vects != nullptr && i < b->rows_made; ++i)
    std::memcpy(table[i], b->vects[i], width);
  return table;
}

/// Makes the pattern table as its first row comes, for the rows the file can hold: the rest of a
/// regular file holds at most (bytes_left + 1) / (vars + 1) rows of vars characters, each but
/// the last with a line end; of a file of unknown size, the first rows. A count beyond is
/// refused as missing vectors once the file ends, so that memory follows the file.
void make_pattern_table(BIST* b) {
  const long long room =
      b->bytes_left > 0 ? (b->bytes_left + 1) / (static_cast<long long>(b->vars) + 1) : kFirstRows;
  b->rows_made = b->vcount < room ? b->vcount : static_cast<int>(room);
  b->vects = pattern_table(b, b->rows_made);
}

/// Doubles the pattern table as more rows come than it has room for, up to the count.
void grow_pattern_table(BIST* b) {
  const int rows = b->rows_made > b->vcount / 2 ? b->vcount : 2 * b->rows_made;
  char** table = pattern_table(b, rows);
  FreeCharTable(b->vects, b->rows_made, b->vars);
  b->vects = table;
  b->rows_made = rows;
}

/// Turns the letters of a run into '0' and '1'.
void lower_letters(char* run, int n, char one) {
  for (int i = 0; i < n; ++i) run[i] = run[i] == one ? '1' : '0';
}

/// The line of the first keyword of ".VECTORS" to ".PATTERNS" in the rest of `in`, after the
/// results section at line `line`, which ends the reading: what such a section holds is never
/// read, and a write-back would lose it. 0 when there is none. Nothing else there is examined.
int first_unread_section(Read& in, int line) {
  while (!in.AtEnd()) {
    ++line;
    char* text = in.GetLine();
    if (in.Failed() || text == nullptr) break;
    int keyword = match_keyword(strip_whitespaces(text));
    if (keyword >= SECTION_VECTORS && keyword <= SECTION_PATTERNS) return line;
  }
  return 0;
}

}  // namespace

int match_keyword(const char* str) {
  for (int i = 0; kwords[i]; ++i)
    if (std::strncmp(str, kwords[i], std::strlen(kwords[i])) == 0) return i;
  return -2;
}

char* strip_whitespaces(char* str) {
  char* end = str + std::strlen(str);
  while (end > str && is_space(end[-1])) --end;
  *end = 0;
  while (is_space(*str)) ++str;
  return str;
}

char* readPolynomial(char* buf, int length) {
  std::size_t n = std::strspn(buf, "01");
  if (buf[n] != 0) return nullptr;
  if (length > 0 && n != static_cast<std::size_t>(length)) return nullptr;
  return buf;
}

int processVectorCount(BIST* b, char* buf) {
  // The count sizes the pattern table, so it cannot change once the table exists.
  int count = 0;
  if (read_count(buf, &count) != CountText::kFits || b->vects)
    Error("Conversion error ", line_number(b));
  b->vcount = count;
  b->tmp[kCountLine] = line_number(b);
  return 0;
}

int checkPattern(const char* buf, const char* expect, int len, bool strict) {
  std::size_t run = expect ? std::strspn(buf, expect) : std::strlen(buf);
  if (run > INT_MAX) return -1;
  int n = static_cast<int>(run);
  if (len == -1) return n;
  if (strict) return n == len ? n : -1;
  return n >= len ? n : -1;
}

char* readPattern(BIST* b, char* buf, bool strict) {
  int total = checkPattern(buf, nullptr, b->vars, true);
  if (total < 0) return nullptr;
  b->vars = total;

  char* p = buf;
  int inputs = checkPattern(p, "01", b->inps, strict);
  if (inputs < 0) return nullptr;
  b->inps = b->cons > 0 ? inputs - b->cons : inputs;
  p += inputs;

  int internal = checkPattern(p, "hl", -1, strict);
  lower_letters(p, internal, 'h');
  if (internal > b->internals) b->internals = internal;
  p += internal;

  int outputs = checkPattern(p, "HL", b->outs, strict);
  if (outputs >= 0) {
    b->outs = outputs;
    lower_letters(p, outputs, 'H');
  } else if (strict) {
    return nullptr;
  }
  return p;
}

int processPatterns(BIST* b, char* buf, bool strict) {
  if (!readPattern(b, buf, strict)) Error("Bad input vector", line_number(b));
  if (!b->vects) {
    b->tmp[6] = b->vars;
    make_pattern_table(b);
  }
  // The table has vcount rows and a spare one that is never written back: a row beyond the
  // count is refused, never stored where it would be lost.
  if (b->tmp[1] >= b->vcount) Error("Bad input vector", line_number(b));
  if (b->tmp[1] >= b->rows_made) grow_pattern_table(b);
  std::memcpy(b->vects[b->tmp[1]], buf, static_cast<std::size_t>(b->vars));
  ++b->tmp[1];
  if (b->tmp[1] > b->tmp[kRowsFilled]) b->tmp[kRowsFilled] = b->tmp[1];
  if (b->tmp[1] >= b->vcount) return -1;
  return b->tmp[2];
}

int processInput(BIST* b, char* buf, int state, bool strict) {
  if (b->tmp[2] != state) b->tmp[1] = 0;
  if (state < 0 || state > 9) return -2;
  int next = -1;
  switch (state) {
    case SECTION_VECTORS:
      processVectorCount(b, buf);
      break;
    case SECTION_GENERATOR:
      b->tmp[3] = kSelectGenerator;
      break;
    case SECTION_ANALYZER:
      b->tmp[3] = kSelectAnalyzer;
      break;
    case SECTION_INITIAL_STATE:
      store_register(b, buf, analyzer_selected(b) ? &b->a_init : &b->g_init, register_length(b),
                     "Bad initial state polynomial ");
      break;
    case SECTION_POLYNOMIAL:
      store_register(b, buf, analyzer_selected(b) ? &b->a_poly : &b->g_poly, register_length(b),
                     "Bad feedback polynomial ");
      break;
    case SECTION_SIGNATURE:
      store_register(b, buf, &b->signature, b->tmp[4], "Bad signature ");
      break;
    case SECTION_PATTERNS:
      // Inside the section every line is a row; otherwise this is the keyword line itself.
      next = b->tmp[2] == SECTION_PATTERNS ? processPatterns(b, buf, strict) : SECTION_PATTERNS;
      break;
    default:  // ".TABLE", ".FAULTS", ".COVERAGE": the tool's own results end the reading
      next = state;
      break;
  }
  b->tmp[2] = state;
  return next;
}

BIST* ReadTST(BIST* dat, const char* pattern_file, int /*mode*/, bool strict) {
  BeginProcessing("Reading test patterns ");
  {
    Read in(pattern_file);
    const bool own_record = dat == nullptr;
    if (own_record) dat = new_record();
    int state = -1;
    while (!in.AtEnd()) {
      ++dat->tmp[0];
      const long long line_start = in.Offset();
      char* line = in.GetLine();
      if (in.Failed()) {
        std::printf("Can't open file : %s\n", pattern_file);
        end_process(-1);
      }
      if (!line || in.GetLen() == 0) continue;
      dat->bytes_left = in.Size() > line_start ? in.Size() - line_start : 0;
      if (dat->tmp[0] == 1 && std::strncmp(line, kUtf8Mark, 3) == 0) line += 3;
      char* text = strip_whitespaces(line);
      if (*text == 0) continue;
      if (state == -1) {
        state = match_keyword(text);
        if (state < 0) Error("Unknown keyword", line_number(dat));
        text += std::strlen(kwords[state]);
        if (*text) ++text;  // the separator after the keyword, whatever it is
      }
      state = processInput(dat, text, state, strict);
      if (state == -2) {
        if (own_record) FreeTST(dat);
        return nullptr;
      }
      if (state > SECTION_PATTERNS) {
        dat->unread_line = first_unread_section(in, line_number(dat));
        break;
      }
    }
  }
  // Rows the count announced but the file never gave would be measured as phantom vectors.
  if (dat->vcount > 0 && dat->tmp[kRowsFilled] < dat->vcount)
    Error("Missing input vectors", dat->tmp[kCountLine]);
  EndProcessing();
  return dat;
}

void FreeTST(BIST* dat) {
  if (!dat) return;
  FreeCharTable(dat->vects, dat->vcount, dat->vars);
  FreeCharTable(dat->ftable, dat->vcount, dat->nodes);
  std::free(dat->g_poly);
  std::free(dat->a_poly);
  std::free(dat->g_init);
  std::free(dat->a_init);
  std::free(dat->signature);
  std::free(dat->faults);
  std::free(dat);
}
