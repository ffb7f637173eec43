// TST writer: the record printed back as a TST file, section by section.
#include <cstdio>
#include <string>

#include "TSTData.h"
#include "replace_file.h"

namespace {

int status(bool written) { return written ? 0 : -1; }

/// "\n<keyword>\n\n", the opening of a section.
bool write_header(FILE* fp, int section) {
  return std::fprintf(fp, "\n%s\n\n", kwords[section]) >= 0;
}

/// The first `n` characters of `row` and a line end; a missing row is written as zero bytes.
bool write_row(FILE* fp, const char* row, int n, std::string& line) {
  line.assign(static_cast<std::size_t>(n), '\0');
  if (row) line.assign(row, static_cast<std::size_t>(n));
  line += '\n';
  return std::fwrite(line.data(), 1, line.size(), fp) == line.size();
}

/// Turns the stored '0' and '1' of the internal and output columns back into letters.
void restore_letters(const BIST* dat, std::string& row) {
  const long long first_internal = static_cast<long long>(dat->inps) + dat->cons;
  const long long first_output = static_cast<long long>(dat->vars) - dat->outs;
  for (long long j = first_internal; j < dat->vars; ++j) {
    char& c = row[static_cast<std::size_t>(j)];
    const bool output = j >= first_output;
    if (c == '0')
      c = output ? 'L' : 'l';
    else if (c == '1')
      c = output ? 'H' : 'h';
  }
}

}  // namespace

int writeVectorCnt(FILE* fp, BIST* dat, bool header) {
  if (!fp || !dat) return -1;
  const char* keyword = header ? kwords[SECTION_VECTORS] : "";
  return status(std::fprintf(fp, "%s %d\n", keyword, dat->vcount) >= 0);
}

int writeLFSRSetup(FILE* fp, BIST* dat, bool /*header*/) {
  if (!fp || !dat) return -1;
  bool ok = true;
  if (dat->g_poly && dat->g_init)
    ok = std::fprintf(fp, "\n\n%s\n\n%s %s\n%s %s\n", kwords[SECTION_GENERATOR],
                      kwords[SECTION_INITIAL_STATE], dat->g_init, kwords[SECTION_POLYNOMIAL],
                      dat->g_poly) >= 0;
  if (dat->a_poly && dat->a_init && dat->signature)
    ok = std::fprintf(fp, "\n%s\n\n%s %s\n%s %s\n%s %s\n", kwords[SECTION_ANALYZER],
                      kwords[SECTION_INITIAL_STATE], dat->a_init, kwords[SECTION_POLYNOMIAL],
                      dat->a_poly, kwords[SECTION_SIGNATURE], dat->signature) >= 0 &&
         ok;
  return status(ok);
}

int writePatterns(FILE* fp, BIST* dat, bool header) {
  if (!fp || !dat || dat->vars <= 0) return -1;
  if (!dat->vects) return 0;
  bool ok = !header || write_header(fp, SECTION_PATTERNS);
  const bool letters = dat->inps >= 0 && dat->cons >= 0 && dat->outs >= 0;
  std::string line;
  for (int k = 0; k < dat->vcount && ok; ++k) {
    line.assign(static_cast<std::size_t>(dat->vars), '\0');
    if (dat->vects[k]) line.assign(dat->vects[k], static_cast<std::size_t>(dat->vars));
    if (letters) restore_letters(dat, line);
    line += '\n';
    ok = std::fwrite(line.data(), 1, line.size(), fp) == line.size();
  }
  return status(ok);
}

int writeFaultTable(FILE* fp, BIST* dat, bool header) {
  if (!fp || !dat) return -1;
  if (!dat->ftable || dat->nodes <= 0) return 0;
  bool ok = !header || write_header(fp, SECTION_TABLE);
  std::string line;
  for (int k = 0; k < dat->vcount && ok; ++k) ok = write_row(fp, dat->ftable[k], dat->nodes, line);
  return status(ok);
}

int writeFaultSummary(FILE* fp, BIST* dat, bool header) {
  if (!fp || !dat) return -1;
  if (!dat->faults || dat->nodes <= 0) return 0;
  std::string line;
  bool ok = !header || write_header(fp, SECTION_FAULTS);
  return status(ok && write_row(fp, dat->faults, dat->nodes, line));
}

int writeFaultCoverage(FILE* fp, BIST* dat, bool header) {
  if (!fp || !dat) return -1;
  if (!dat->faults || dat->nodes <= 0) return 0;
  // Each defect is two faults: '&' detects both, '0' or '1' one of them.
  long long detected = 0;
  for (int i = 0; i < dat->nodes; ++i) {
    const char mark = dat->faults[i];
    detected += mark == '&' ? 2 : (mark == '0' || mark == '1') ? 1 : 0;
  }
  const long long total = 2LL * dat->nodes;
  bool ok = !header || write_header(fp, SECTION_COVERAGE);
  return status(
      ok && std::fprintf(fp, "%lld / %lld = %f %%\n", detected, total,
                         static_cast<double>(detected) / static_cast<double>(total) * 100) >= 0);
}

namespace {

/// All sections in file order; true when the stream took every byte.
bool write_sections(BIST* dat, FILE* fp) {
  writeVectorCnt(fp, dat, true);
  writeLFSRSetup(fp, dat, true);
  writePatterns(fp, dat, true);
  writeFaultTable(fp, dat, true);
  writeFaultSummary(fp, dat, true);
  writeFaultCoverage(fp, dat, true);
  return std::fflush(fp) == 0 && !std::ferror(fp);
}

}  // namespace

int WriteTST(BIST* dat, FILE* fp, const char* fName) {
  // Without a record there is nothing to write: never replace a file by an empty one.
  if (!dat) return -1;
  if (fp) return status(write_sections(dat, fp));
  if (!fName) return -1;
  FileReplacement out;
  if (!begin_replacement(out, fName)) return -1;
  if (!write_sections(dat, out.fp)) {
    abandon_replacement(out);
    return -1;
  }
  return status(finish_replacement(out));
}
