#include "mudel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "block_reader.h"
#include "messages.h"
#include "table_alloc.h"

node_t* Nods = nullptr;
char** NodNames = nullptr;
varb_t* Vars = nullptr;
char** VarNames = nullptr;
grap_t* Grps = nullptr;
std::uint32_t NodCount = 0, VarCount = 0, GrpCount = 0, InpCount = 0, ConCount = 0, OutCount = 0;
int ModelType = 0;
int CurrentLine = 0;

namespace {

/// Characters a line may hold with its line end; a longer line is refused.
constexpr int kLineLimit = 255;

/// The part of the file the reader expects next.
enum class Section { Statistics, Mode, Variables, Group, Nodes };

struct ReadState {
  Section section = Section::Statistics;
  std::uint32_t var = 0;        ///< next variable
  std::uint32_t node = 0;       ///< next node
  std::uint32_t graph_end = 0;  ///< node after the last one of the graph being read
};

[[noreturn]] void corrupt() { Error("Corrupt DD-model file", CurrentLine); }

bool starts_with(const char* line, const char* keyword) {
  return std::strncmp(line, keyword, std::strlen(keyword)) == 0;
}

const char* skip_blanks(const char* p) {
  while (*p == ' ' || *p == '\t') p++;
  return p;
}

/// Reads the decimal number after blanks and tabs at `p` (no digits read as 0) and moves `p`
/// past it. A negative number is kept in two's complement when `signed_ok`. False when the
/// number does not fit a 32-bit word or is negative without `signed_ok`.
bool read_number(const char*& p, bool signed_ok, std::uint32_t* value) {
  p = skip_blanks(p);
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') p++;
  std::uint64_t v = 0;
  for (; *p >= '0' && *p <= '9'; p++) {
    v = v * 10 + static_cast<std::uint64_t>(*p - '0');
    if (v > 0xFFFFFFFFu) return false;
  }
  if (negative && v != 0) {
    if (!signed_ok || v > 0x80000000u) return false;
    v = (~v + 1) & 0xFFFFFFFFu;
  }
  *value = static_cast<std::uint32_t>(v);
  return true;
}

void read_count(const char* p, std::uint32_t* count) {
  if (!read_number(p, false, count)) corrupt();
}

/// The text between the first double quote at or after `p` and the next one, or null when
/// the pair is not there.
char* quoted(char* p) {
  char* open = std::strchr(p, '"');
  if (open == nullptr || std::strchr(open + 1, '"') == nullptr) return nullptr;
  return open + 1;
}

/// The model file being read.
BlockReader input;

/// A file that is closed when it goes out of scope, unless closed before.
struct OpenFile {
  std::FILE* f;
  ~OpenFile() { close(); }
  void close() {
    if (f != nullptr) std::fclose(f);
    f = nullptr;
  }
};

/// Reads one line of at most kLineLimit characters, its line end included, into `line`
/// (kLineLimit + 1 bytes). False at end of file. A zero byte in the line ends its text.
bool read_line(char* line, int* length) {
  std::size_t n = next_line(input, line, kLineLimit);
  line[n] = '\0';
  *length = static_cast<int>(n);
  return n > 0;
}

void read_statistics(const char* line) {
  std::uint32_t* counts[6] = {&NodCount, &VarCount, &GrpCount, &InpCount, &ConCount, &OutCount};
  const char* p = line + std::strlen("STAT#");
  for (int k = 0; k < 6; k++) {
    if (k > 0) {
      p = std::strchr(p, ',');
      if (p == nullptr) corrupt();
      p++;
    }
    read_count(p, counts[k]);
    if (k == 0) {
      Nods = static_cast<node_t*>(table_alloc(NodCount, sizeof(node_t), CurrentLine));
      NodNames = static_cast<char**>(table_alloc(NodCount, sizeof(char*), CurrentLine));
    } else if (k == 1) {
      Vars = static_cast<varb_t*>(table_alloc(VarCount, sizeof(varb_t), CurrentLine));
      VarNames = static_cast<char**>(table_alloc(VarCount, sizeof(char*), CurrentLine));
    } else if (k == 2) {
      Grps = static_cast<grap_t*>(table_alloc(GrpCount, sizeof(grap_t), CurrentLine));
    }
  }
  // Inputs and constants come first among the variables, every other variable owns a graph.
  std::uint64_t plain = std::uint64_t{InpCount} + ConCount;
  if (plain > VarCount || GrpCount < VarCount - plain) corrupt();
}

void read_mode(const char* line) {
  if (std::strstr(line, "STRUCTURAL") || std::strstr(line, "structural"))
    ModelType = 0;
  else if (std::strstr(line, "FUNCTIONAL") || std::strstr(line, "functional"))
    ModelType = 1;
  else
    Error("Unknown MODE# specification", CurrentLine);
}

void read_variable(char* line, ReadState& st) {
  if (st.var >= VarCount) corrupt();
  char* p = std::strchr(line, ':');
  if (p == nullptr) corrupt();
  p++;
  char* name = quoted(p);
  if (name == nullptr) corrupt();
  setVarFlags(st.var, p);
  setVarName(st.var, name);
  std::uint64_t plain = std::uint64_t{InpCount} + ConCount;
  if (st.var >= plain) {
    st.section = Section::Group;
  } else if (st.var >= InpCount) {
    const char* value = std::strchr(p, '=');
    if (value == nullptr) corrupt();
    setVarConst(st.var, value + 1);
  }
  st.var++;
}

void read_group(const char* line, ReadState& st) {
  std::uint32_t g = st.var - InpCount - ConCount - 1;
  if (g >= GrpCount) corrupt();
  const char* p = std::strchr(line, '=');
  if (p != nullptr) p = std::strchr(p + 1, '=');
  if (p == nullptr) corrupt();
  std::uint32_t len = 0;
  read_count(p + 1, &len);
  if (len > NodCount - st.node) corrupt();
  Grps[g].g_beg = st.node;
  Grps[g].g_len = len;
  st.graph_end = st.node + len;
  st.section = len == 0 ? Section::Variables : Section::Nodes;
}

void read_node(char* line, ReadState& st) {
  char* flags = std::strchr(line, '(');
  char* pair = flags ? std::strchr(flags + 1, '(') : nullptr;
  char* pair_end = pair ? std::strchr(pair + 1, ')') : nullptr;
  char* var = pair_end ? std::strchr(pair_end + 1, '=') : nullptr;
  char* name = quoted(line);
  if (var == nullptr || name == nullptr) corrupt();

  node_t& node = Nods[st.node];
  setNodFlags(st.node, flags);
  const char* p = pair + 1;
  if (!read_number(p, true, &node.n_dst[0]) || !read_number(p, true, &node.n_dst[1])) corrupt();
  p = var + 1;
  if (!read_number(p, true, &node.n_var)) corrupt();
  setNodName(st.node, name);
  st.node++;
  if (st.node == st.graph_end) st.section = Section::Variables;
}

void read_line_of_section(char* line, ReadState& st) {
  switch (st.section) {
    case Section::Statistics:
      if (!starts_with(line, "STAT#")) return;
      read_statistics(line);
      st.section = Section::Mode;
      return;
    case Section::Mode:
      if (!starts_with(line, "MODE#")) return;
      read_mode(line);
      st.section = Section::Variables;
      return;
    case Section::Variables:
      if (starts_with(line, "VAR#")) read_variable(line, st);
      return;
    case Section::Group:
      if (starts_with(line, "GRP#")) read_group(line, st);
      return;
    case Section::Nodes:
      if (std::strchr(line, ':')) read_node(line, st);
      return;
  }
}

const char* shown(const char* name) { return name ? name : ""; }

void free_names(char** names, std::uint32_t count) {
  if (names == nullptr) return;
  for (std::uint32_t i = 0; i < count; i++) _free(names[i]);
  _free(names);
}

}  // namespace

void read_ag(const char* fileName) {
  char* step = step_text("Reading SSBDD-model file", fileName);
  BeginProcessing(step);
  _free(step);
  // The file is closed and the line buffer is the reader's own, also when a fatal error cuts
  // the reading short where end_process returns to a caller (the fuzz targets).
  OpenFile file{std::fopen(fileName, "r")};
  if (file.f == nullptr) Errors(fileName, "Can't open DD-model file", -1);
  char line[kLineLimit + 1];
  start_reading(input, file.f);

  CurrentLine = 0;
  ReadState st;
  int length = 0;
  while (read_line(line, &length)) {
    CurrentLine++;
    if (length == kLineLimit && line[kLineLimit - 1] != '\n') Error("Line too long", CurrentLine);
    if (line[0] == ';') continue;
    read_line_of_section(line, st);
  }
  if (st.section != Section::Variables) corrupt();
  file.close();
  EndProcessing();
}

void write_ag(const char* s) {
  BeginProcessing("Writing SSBDD-model");
  std::FILE* f = std::fopen(s, "w+");
  if (f == nullptr) Errors(s, "Can't create output file", -1);

  std::fprintf(f, "\nSTAT#    %d Nods,  %d Vars,  %d Grps,  %d Inps,  %d Cons,  %d Outs\n",
               static_cast<int>(NodCount), static_cast<int>(VarCount),
               static_cast<int>(GrpCount), static_cast<int>(InpCount),
               static_cast<int>(ConCount), static_cast<int>(OutCount));
  std::fprintf(f, "\nMODE#   %s\n\n\n", ModelType != 0 ? "FUNCTIONAL" : "STRUCTURAL");
  for (std::uint32_t i = 0; i < InpCount; i++)
    std::fprintf(f, "VAR#   %d:  (i_______)  \"%s\"\n", static_cast<int>(i), shown(VarNames[i]));
  std::uint64_t plain = std::uint64_t{InpCount} + ConCount;
  for (std::uint32_t i = InpCount; i < plain; i++)
    std::fprintf(f, "VAR#   %d:  (___c____)  \"%s\" VAL = %d\n", static_cast<int>(i),
                 shown(VarNames[i]), (Vars[i].v_flags & VAR_ZERO) ? 0 : 1);
  for (std::uint64_t i = plain; i < VarCount; i++) {
    const grap_t& g = Grps[i - plain];
    bool output = VarCount - i <= OutCount;
    std::fprintf(f, "\nVAR#   %d:  (_%c___%c__)  \"%s\"\n", static_cast<int>(i),
                 output ? 'o' : '_', (Vars[i].v_flags & VAR_D) ? 'D' : '_', shown(VarNames[i]));
    std::fprintf(f, "GRP#    %d: BEG =   %d, LEN =   %d -----\n",
                 static_cast<int>(i - plain), static_cast<int>(g.g_beg),
                 static_cast<int>(g.g_len));
    for (std::uint32_t j = 0; j < g.g_len; j++) {
      std::uint32_t n = g.g_beg + j;
      const node_t& node = Nods[n];
      std::fprintf(f, "   %d   %d:  (%c___)\t(\t%d\t%d)  V = %d     \"%s\"\n",
                   static_cast<int>(n), static_cast<int>(j),
                   (node.n_flags & NODE_INVERTED) ? 'I' : '_', static_cast<int>(node.n_dst[0]),
                   static_cast<int>(node.n_dst[1]), static_cast<int>(node.n_var),
                   shown(NodNames[n]));
    }
  }
  std::fclose(f);
  EndProcessing();
}

void free_ag() {
  BeginProcessing("Deleting SSBDD-model from memory");
  _free(Nods);
  _free(Vars);
  _free(Grps);
  free_names(NodNames, NodCount);
  free_names(VarNames, VarCount);
  Nods = nullptr;
  Vars = nullptr;
  Grps = nullptr;
  NodNames = nullptr;
  VarNames = nullptr;
  EndProcessing();
}

void setVarFlags(std::uint32_t currVar, const char* s) {
  const char* p = std::strchr(s, '(');
  if (p == nullptr) return;
  for (p++; *p != '\0' && *p != ')'; p++) {
    switch (*p) {
      case 'I': case 'i': Vars[currVar].v_flags |= VAR_INPUT; break;
      case 'O': case 'o': Vars[currVar].v_flags |= VAR_OUTPUT; break;
      case 'C': case 'c': Vars[currVar].v_flags |= VAR_CONST; break;
      case 'D': case 'd': Vars[currVar].v_flags |= VAR_D; break;
      default: break;
    }
  }
}

void setNodFlags(std::uint32_t currNod, const char* s) {
  const char* p = std::strchr(s, '(');
  if (p == nullptr) return;
  for (p++; *p != '\0' && *p != ')'; p++)
    if (*p == 'I' || *p == 'i') Nods[currNod].n_flags |= NODE_INVERTED;
}

void setVarName(std::uint32_t currVar, const char* s) {
  VarNames[currVar] = copy_text(s, std::strcspn(s, "\""), CurrentLine);
}

void setVarConst(std::uint32_t currVar, const char* s) {
  const char* p = skip_blanks(s);
  if (*p == '-' || *p == '+') p++;
  bool zero = true;
  for (; *p >= '0' && *p <= '9'; p++)
    if (*p != '0') zero = false;
  Vars[currVar].v_flags |= zero ? VAR_ZERO : VAR_ONE;
}

void setNodName(std::uint32_t currNod, char* s) {
  std::size_t len = std::strcspn(s, "\"");
  NodNames[currNod] = copy_text(s, len, CurrentLine);
  if (s[len] == '"') s[len] = '\0';
}

void _free(void* mas) { std::free(mas); }
