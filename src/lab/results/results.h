// The results of kavlab: what was run on what (provenance), and per circuit the cells, the
// vectors and every pass's responses. Plain records; docs/results-format.md is their file form.
#ifndef KAVLAB_RESULTS_H
#define KAVLAB_RESULTS_H

#include <map>
#include <string>
#include <vector>

namespace kavlab {

/// The version of the results format this program writes and reads.
constexpr int RESULTS_FORMAT_VERSION = 1;
/// The largest seed of an emulated chip's variation: 2^31 - 1.
constexpr int kLargestSeed = 2147483647;

/// Whether a result's box was emulated: a real box, the emulated one, or not known (an import).
enum class Emulated { No, Yes, Unknown };

/// The box a result was measured on.
struct Provenance {
  std::string program;                    ///< "kavlab" or "kavlab-sim"
  std::string version;                    ///< the project version
  std::vector<std::string> command_line;  ///< every word, the program's name first
  std::string date_time;                  ///< UTC, ISO 8601: 2024-05-01T12:00:00Z
  std::string device;                     ///< the box's name; empty when unknown
  std::string chip;  ///< the label of the die in the box (--chip); empty when not given
  Emulated emulated = Emulated::Unknown;
  std::string engine;  ///< the emulation's engine ("switch"); empty for a box
  std::map<std::string, double> engine_parameters;  ///< that engine's settings
  /// The seed that drew the emulated chip's variation (its box's index added), so that the
  /// same chip can be measured again; -1 when the chip is the nominal one or a box's.
  long seed = -1;
  std::vector<std::string> resumed;  ///< UTC, ISO 8601: when the run was resumed (--resume)
};

/// The registers of a TST file's LFSR blocks, kept so that a TST export can write them back;
/// empty when the file has none.
struct Registers {
  std::string generator_initial, generator_polynomial;
  std::string analyzer_initial, analyzer_polynomial, signature;
};

/// Where a circuit's vectors came from: a TST file, every input vector in counting order, or a
/// TST file with a defect table (an import).
enum class SourceKind { File, Exhaustive, Import };

struct TestSource {
  SourceKind kind = SourceKind::File;
  std::string file;    ///< the file's name as given; empty for Exhaustive
  std::string sha256;  ///< of the file's bytes
  Registers registers;
  /// The file's columns were not the circuit's, and its vectors were fitted as kavtest fits
  /// them (--fit): wider ones cut to the last inputs, internal-signal columns dropped.
  bool fitted = false;
};

/// One cell under test.
struct TestedCell {
  int index = 0;           ///< index in the circuit's cell list (0 is the reference)
  std::string defect;      ///< the defect's name
  unsigned char type = 0;  ///< defect class bits, as in KavrinConst.h
};

/// The answers of one cell to every vector in one pass. An empty member is unknown.
struct Response {
  std::vector<std::string> outputs;  ///< per vector the output bits, highest output first
  std::string monitor;               ///< per vector 'P' (monitor passes) or 'F'
  std::string marks;  ///< imported: per vector '1' (differs from the reference) or 'X'
};

/// Which passes a run makes: logic only, monitor only, a logic pass then a monitor pass, or one
/// pass with the monitor on that judges both ways.
enum class PassPlan { Logic, Monitor, Both, OnePass };

/// One pass over the reference and the cells, with the monitor on or off.
struct Pass {
  std::string name;  ///< "logic", "monitor" or "one-pass"
  bool monitor_on = false;
  bool gives_logic = false;    ///< its outputs judge the cells by logic
  bool gives_monitor = false;  ///< its monitor verdicts judge them by the monitor
  bool reference_measured = false;
  Response reference;
  std::vector<Response> cells;  ///< in the order of CircuitResult::cells; fewer when cut short
  /// The engine's parameters this pass ran with beside the provenance's: a sweep's value.
  std::map<std::string, double> engine_parameters;
};

/// One circuit: its cells, its vectors and its passes.
struct CircuitResult {
  int index = 0;
  std::string name, description;
  int inputs = 0, outputs = 0;
  TestSource test;
  std::vector<std::string> vectors;  ///< the input bits, first input character most significant
  std::vector<TestedCell> cells;
  std::vector<Pass> passes;
  /// An import whose reference answers are not the circuit's logic function, imported as
  /// they are when asked (a broken reference cell on a real die, say).
  bool reference_differs = false;
};

struct Results {
  Provenance provenance;
  bool partial = false;  ///< some pass holds fewer cells than the circuit
  std::vector<CircuitResult> circuits;
  /// A sweep: the engine parameter that each pass sets in its engine_parameters
  /// ("bridge_ohms"); empty for a run, whose passes are those of PassPlan.
  std::string sweep;
};

/// What judges a cell: its outputs or the current monitor.
enum class Measure { Logic, Monitor };

/// The empty passes of `plan`, in the order they run.
std::vector<Pass> plan_passes(PassPlan plan);

/// The pass that judges by `m`, or null when none does.
const Pass* pass_for(const CircuitResult& c, Measure m);
/// Per cell of `c` that the pass for `m` holds: per vector '1' where the cell differs from the
/// reference, 'X' where it does not, '?' where either answer is unknown. Empty when no pass
/// judges by `m`.
std::vector<std::string> detection_marks(const CircuitResult& c, Measure m);
/// The circuit of `r` with catalogue index `index`, or null.
const CircuitResult* find_circuit(const Results& r, int index);
/// The class of a defect type as the results file names it: "short", "rail short" or "open".
const char* defect_class(unsigned char type);

/// The classes of defect, as the catalogue types every cell (its type bits decide, whatever its
/// name says): a short to a supply rail (a stuck-at defect, what kavtest's -saf_defects
/// chooses), a short between two signals (a bridge), an open.
enum class DefectClass { RailShort, Bridge, Open };
constexpr int kDefectClasses = 3;
const DefectClass kEveryClass[kDefectClasses] = {DefectClass::RailShort, DefectClass::Bridge,
                                                 DefectClass::Open};
/// The class of a defect type.
DefectClass class_of(unsigned char type);
/// "rail short", "bridge", "open": a class in tables and messages.
const char* class_name(DefectClass c);
/// "rail_short", "bridge", "open": a class in JSON members and CSV columns.
const char* class_key(DefectClass c);
/// The defect type of a class name, or 0 when none has it.
unsigned char defect_type(const std::string& class_name);

}  // namespace kavlab

#endif
