// Test files and exhaustive vectors as the start of a circuit's result.
#include "run/vector_source.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "KavrinConst.h"
#include "file_shape.h"
#include "fit_vectors.h"
#include "sha256.h"

namespace kavlab {

namespace {

/// Why the file `path` of shape `loss` does not fit circuit `c` as it stands.
std::string unfitted(const std::string& path, const kavtest::ShapeLoss& loss,
                     const CircuitResult& c) {
  std::string circuit = "circuit " + std::to_string(c.index) + " (" + c.name + ")";
  std::string why = loss.input_columns > 0
                        ? std::to_string(loss.input_columns) + " input columns, " + circuit +
                              " has " + std::to_string(c.inputs)
                        : std::to_string(loss.internal_columns) +
                              " internal-signal columns beside " + circuit +
                              "'s inputs and outputs";
  return path + " has " + why + ": a file of another circuit? give --fit to fit its vectors " +
         "as kavtest does (the last " + std::to_string(c.inputs) + " input columns)";
}

/// The test file that the TST reader is reading; null between readings. The reader ends the
/// process itself on an error, with kavtest's message, which names no file.
const char* file_being_read = nullptr;

/// At an exit during a reading: a note on standard error naming the file.
void name_the_file_at_exit() {
  if (file_being_read != nullptr)
    std::fprintf(stderr, "kavlab: %s: the TST reader stopped at the error above\n",
                 file_being_read);
}

/// While alive, an exit of the process names `path`.
class ReadingTestFile {
 public:
  explicit ReadingTestFile(const std::string& path) {
    // Registered once; should it fail, the reader's own message still goes out.
    static const bool registered = std::atexit(name_the_file_at_exit) == 0;
    static_cast<void>(registered);
    file_being_read = path.c_str();
  }
  ~ReadingTestFile() { file_being_read = nullptr; }
  ReadingTestFile(const ReadingTestFile&) = delete;
  ReadingTestFile& operator=(const ReadingTestFile&) = delete;
};

}  // namespace

BIST* read_test_file(const std::string& path, FileLock& lock, std::string* bytes,
                     std::string* error) {
  if (lock_file(lock, path.c_str(), false) == LockOutcome::Busy) {
    *error = path + ": another program is writing this test file; try again when it is done";
    return nullptr;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();  // an empty file leaves the stream failed
  if (!in.is_open() || in.bad()) {
    *error = path + ": cannot read this test file";
    return nullptr;
  }
  *bytes = text.str();
  // Released here also when the reader's fatal path throws (as in the fuzz build).
  std::unique_ptr<BIST, void (*)(BIST*)> dat(static_cast<BIST*>(std::calloc(1, sizeof(BIST))),
                                             FreeTST);
  if (dat == nullptr) {
    *error = "not enough memory";
    return nullptr;
  }
  dat->inps = dat->vars = dat->outs = -1;
  ReadingTestFile reading(path);
  if (ReadTST(dat.get(), path.c_str(), 0, false) == nullptr) {
    *error = path + ": the TST reader rejected this file";
    return nullptr;
  }
  return dat.release();
}

std::vector<std::string> record_vectors(const BIST* dat, int inputs) {
  std::vector<std::string> vectors;
  for (int v = 0; v < dat->vcount; v++) vectors.emplace_back(dat->vects[v], inputs);
  return vectors;
}

Registers record_registers(const BIST* dat) {
  Registers g;
  if (dat->g_poly != nullptr && dat->g_init != nullptr) {
    g.generator_initial = dat->g_init;
    g.generator_polynomial = dat->g_poly;
  }
  if (dat->a_poly != nullptr && dat->a_init != nullptr && dat->signature != nullptr) {
    g.analyzer_initial = dat->a_init;
    g.analyzer_polynomial = dat->a_poly;
    g.signature = dat->signature;
  }
  return g;
}

bool load_test_file(const std::string& path, bool fit, CircuitResult& c, FileLock& lock,
                    std::string* error) {
  c.test.kind = SourceKind::File;
  c.test.file = path;
  std::string bytes;
  BIST* dat = read_test_file(path, lock, &bytes, error);
  if (dat == nullptr) return false;
  c.test.sha256 = sha256_hex(bytes);
  kavtest::ShapeLoss loss = kavtest::shape_loss(dat, c.index);
  c.test.fitted = loss.input_columns > 0 || loss.internal_columns > 0;
  if (c.test.fitted && !fit) {
    *error = unfitted(path, loss, c);
    FreeTST(dat);
    return false;
  }
  adjustTST(dat, c.index);
  c.vectors = record_vectors(dat, c.inputs);
  for (std::size_t v = 0; v < c.vectors.size(); v++)
    if (c.vectors[v].find_first_not_of("01") != std::string::npos) {
      *error = path + ": vector " + std::to_string(v + 1) + " has fewer than " +
               std::to_string(c.inputs) + " input bits";
      FreeTST(dat);
      return false;
    }
  c.test.registers = record_registers(dat);
  FreeTST(dat);
  return true;
}

void load_exhaustive(CircuitResult& c) {
  c.test.kind = SourceKind::Exhaustive;
  for (int v = 0; v < (1 << c.inputs); v++) {
    std::string bits;
    for (int b = c.inputs - 1; b >= 0; b--) bits += ((v >> b) & 1) ? '1' : '0';
    c.vectors.push_back(bits);
  }
}

}  // namespace kavlab
