// Results files, summaries and listings as JSON, through nlohmann-json. Reading checks every
// field it uses and names it in its message: a results file is user input.
#include "results/results_json.h"

#include <nlohmann/json.hpp>
#include <stdexcept>

#include "KavrinConst.h"
#include "results/sweep.h"
#include "results/sweep_defects.h"

namespace kavlab {

using Json = nlohmann::ordered_json;

namespace {

const char* const kFormatName = "kavlab-results";

/// The names of the test sources in the file, in the order of SourceKind.
const char* const kSourceNames[] = {"file", "exhaustive", "import"};

const char* source_name(SourceKind k) { return kSourceNames[static_cast<int>(k)]; }

/// Per-vector output bits as one space-separated string.
std::string join_outputs(const std::vector<std::string>& outputs) {
  std::string s;
  for (const std::string& o : outputs) s += (s.empty() ? "" : " ") + o;
  return s;
}

Json nullable(const std::string& s) { return s.empty() ? Json() : Json(s); }

Json response_json(const Response& r) {
  Json j;
  j["outputs"] = r.outputs.empty() ? Json() : Json(join_outputs(r.outputs));
  j["monitor"] = nullable(r.monitor);
  if (!r.marks.empty()) j["marks"] = r.marks;
  return j;
}

Json registers_json(const Registers& g) {
  Json j;
  j["generator"] = g.generator_polynomial.empty() ? Json()
                                                  : Json{{"initial_state", g.generator_initial},
                                                         {"polynomial", g.generator_polynomial}};
  j["analyzer"] = g.analyzer_polynomial.empty() ? Json()
                                                : Json{{"initial_state", g.analyzer_initial},
                                                       {"polynomial", g.analyzer_polynomial},
                                                       {"signature", g.signature}};
  return j;
}

Json pass_json(const Pass& p) {
  Json judges = Json::array();
  if (p.gives_logic) judges.push_back("logic");
  if (p.gives_monitor) judges.push_back("monitor");
  Json cells = Json::array();
  for (const Response& r : p.cells) cells.push_back(response_json(r));
  Json j{{"name", p.name},
         {"monitor", p.monitor_on},
         {"judges", judges},
         {"reference", p.reference_measured ? response_json(p.reference) : Json()},
         {"cells", cells}};
  if (!p.engine_parameters.empty()) j["engine_parameters"] = p.engine_parameters;
  return j;
}

Json test_json(const TestSource& t) {
  Json j{{"source", source_name(t.kind)},
         {"file", nullable(t.file)},
         {"sha256", nullable(t.sha256)},
         {"registers", registers_json(t.registers)}};
  if (t.fitted) j["fitted"] = true;
  return j;
}

Json circuit_json(const CircuitResult& c) {
  Json cells = Json::array(), passes = Json::array();
  for (const TestedCell& cell : c.cells)
    cells.push_back(
        {{"index", cell.index}, {"defect", cell.defect}, {"class", defect_class(cell.type)}});
  for (const Pass& p : c.passes) passes.push_back(pass_json(p));
  return Json{{"index", c.index},     {"name", c.name},       {"description", c.description},
              {"inputs", c.inputs},   {"outputs", c.outputs}, {"test", test_json(c.test)},
              {"vectors", c.vectors}, {"cells", cells},       {"passes", passes}};
}

Json provenance_json(const Provenance& p) {
  Json emulated = p.emulated == Emulated::Unknown ? Json() : Json(p.emulated == Emulated::Yes);
  Json engine =
      p.engine.empty() ? Json() : Json{{"name", p.engine}, {"parameters", p.engine_parameters}};
  Json j{{"program", p.program},
         {"version", p.version},
         {"command_line", p.command_line},
         {"date_time_utc", p.date_time}};
  if (!p.resumed.empty()) j["resumed_utc"] = p.resumed;
  j["device"] = nullable(p.device);
  j["emulated"] = emulated;
  j["engine"] = engine;
  return j;
}

}  // namespace

std::string results_text(const Results& r) {
  Json circuits = Json::array();
  for (const CircuitResult& c : r.circuits) circuits.push_back(circuit_json(c));
  Json j{{"format", kFormatName},
         {"version", RESULTS_FORMAT_VERSION},
         {"provenance", provenance_json(r.provenance)},
         {"partial", r.partial},
         {"circuits", circuits}};
  if (!r.sweep.empty()) j["sweep"] = r.sweep;
  return j.dump(1) + "\n";
}

namespace {

/// A failed check while reading: the JSON path and what is wrong there.
struct BadField : std::runtime_error {
  using std::runtime_error::runtime_error;
};

/// A member of an object, checked for its kind; `where` names the object in messages.
const Json& member(const Json& object, const char* key, Json::value_t kind,
                   const std::string& where, bool may_be_null = false) {
  if (!object.is_object()) throw BadField(where + " is not an object");
  auto it = object.find(key);
  if (it == object.end()) throw BadField(where + "." + key + " is missing");
  if (may_be_null && it->is_null()) return *it;
  bool ok =
      it->type() == kind || (kind == Json::value_t::number_integer && it->is_number_integer());
  if (!ok) throw BadField(where + "." + key + " is " + it->type_name() + ", not the kind expected");
  return *it;
}

std::string text(const Json& o, const char* key, const std::string& where) {
  return member(o, key, Json::value_t::string, where).get<std::string>();
}

/// A string member that may be null (then empty).
std::string optional_text(const Json& o, const char* key, const std::string& where) {
  const Json& v = member(o, key, Json::value_t::string, where, true);
  return v.is_null() ? std::string() : v.get<std::string>();
}

int integer(const Json& o, const char* key, const std::string& where, int low, int high) {
  long long v = member(o, key, Json::value_t::number_integer, where).get<long long>();
  if (v < low || v > high)
    throw BadField(where + "." + key + " is " + std::to_string(v) + ", outside " +
                   std::to_string(low) + ".." + std::to_string(high));
  return static_cast<int>(v);
}

const Json& array(const Json& o, const char* key, const std::string& where) {
  return member(o, key, Json::value_t::array, where);
}

/// Checks that `s` has `length` characters, all from `allowed`.
void check_chars(const std::string& s, std::size_t length, const char* allowed,
                 const std::string& where) {
  if (s.size() != length)
    throw BadField(where + " has " + std::to_string(s.size()) + " characters, not " +
                   std::to_string(length));
  if (s.find_first_not_of(allowed) != std::string::npos)
    throw BadField(where + " holds characters other than " + allowed);
}

/// An object of numbers; a member of another kind is refused.
std::map<std::string, double> numbers(const Json& object, const std::string& where) {
  std::map<std::string, double> values;
  for (const auto& [key, value] : object.items()) {
    if (!value.is_number()) throw BadField(where + "." + key + " is not a number");
    values[key] = value.get<double>();
  }
  return values;
}

Response read_response(const Json& j, const CircuitResult& c, const std::string& where) {
  Response r;
  std::string outputs = optional_text(j, "outputs", where);
  std::size_t n = c.vectors.size(), width = static_cast<std::size_t>(c.outputs);
  if (!outputs.empty() || n == 0) {
    for (std::size_t v = 0; v < n; v++) {
      std::size_t at = v * (width + 1);
      std::string bits = at + width <= outputs.size() ? outputs.substr(at, width) : "";
      check_chars(bits, width, "01", where + ".outputs, vector " + std::to_string(v));
      r.outputs.push_back(bits);
    }
    if (outputs.size() != n * (width + 1) - (n > 0 ? 1 : 0))
      throw BadField(where + ".outputs does not hold " + std::to_string(n) + " vectors");
  }
  r.monitor = optional_text(j, "monitor", where);
  if (!r.monitor.empty()) check_chars(r.monitor, n, "PF", where + ".monitor");
  if (j.contains("marks")) {
    r.marks = text(j, "marks", where);
    check_chars(r.marks, n, "1X?", where + ".marks");
  }
  return r;
}

Pass read_pass(const Json& j, const CircuitResult& c, const std::string& where) {
  Pass p;
  p.name = text(j, "name", where);
  p.monitor_on = member(j, "monitor", Json::value_t::boolean, where).get<bool>();
  for (const Json& m : array(j, "judges", where)) {
    p.gives_logic = p.gives_logic || m == "logic";
    p.gives_monitor = p.gives_monitor || m == "monitor";
  }
  const Json& ref = member(j, "reference", Json::value_t::object, where, true);
  p.reference_measured = !ref.is_null();
  if (p.reference_measured) p.reference = read_response(ref, c, where + ".reference");
  const Json& cells = array(j, "cells", where);
  if (cells.size() > c.cells.size())
    throw BadField(where + ".cells holds more responses than the circuit has cells");
  for (std::size_t k = 0; k < cells.size(); k++)
    p.cells.push_back(read_response(cells[k], c, where + ".cells[" + std::to_string(k) + "]"));
  if (j.contains("engine_parameters"))
    p.engine_parameters = numbers(member(j, "engine_parameters", Json::value_t::object, where),
                                  where + ".engine_parameters");
  return p;
}

Registers read_registers(const Json& j, const std::string& where) {
  Registers g;
  const Json& gen = member(j, "generator", Json::value_t::object, where, true);
  if (!gen.is_null()) {
    g.generator_initial = text(gen, "initial_state", where + ".generator");
    g.generator_polynomial = text(gen, "polynomial", where + ".generator");
  }
  const Json& an = member(j, "analyzer", Json::value_t::object, where, true);
  if (!an.is_null()) {
    g.analyzer_initial = text(an, "initial_state", where + ".analyzer");
    g.analyzer_polynomial = text(an, "polynomial", where + ".analyzer");
    g.signature = text(an, "signature", where + ".analyzer");
  }
  return g;
}

SourceKind source_kind(const std::string& name, const std::string& where) {
  for (SourceKind k : {SourceKind::File, SourceKind::Exhaustive, SourceKind::Import})
    if (name == source_name(k)) return k;
  throw BadField(where + " is not file, exhaustive or import");
}

void read_cells(const Json& j, CircuitResult& c, const std::string& where) {
  const KAVRIN_ELEMENT_LIST& list = elements[c.index];
  const Json& cells = array(j, "cells", where);
  for (std::size_t k = 0; k < cells.size(); k++) {
    std::string at = where + ".cells[" + std::to_string(k) + "]";
    TestedCell cell;
    cell.index = integer(cells[k], "index", at, 1, list.count - 1);
    cell.defect = text(cells[k], "defect", at);
    cell.type = defect_type(text(cells[k], "class", at));
    if (cell.type == 0) throw BadField(at + ".class is not short, rail short or open");
    c.cells.push_back(cell);
  }
}

CircuitResult read_circuit(const Json& j, const std::string& where) {
  CircuitResult c;
  c.index = integer(j, "index", where, 0, KAVRIN_CIRCUIT_COUNT - 1);
  c.name = text(j, "name", where);
  c.description = text(j, "description", where);
  c.inputs = integer(j, "inputs", where, 1, 8);
  c.outputs = integer(j, "outputs", where, 1, 7);
  const Json& test = member(j, "test", Json::value_t::object, where);
  c.test.kind = source_kind(text(test, "source", where + ".test"), where + ".test.source");
  c.test.file = optional_text(test, "file", where + ".test");
  c.test.sha256 = optional_text(test, "sha256", where + ".test");
  if (test.contains("fitted"))
    c.test.fitted = member(test, "fitted", Json::value_t::boolean, where + ".test").get<bool>();
  c.test.registers = read_registers(
      member(test, "registers", Json::value_t::object, where + ".test"), where + ".test.registers");
  const Json& vectors = array(j, "vectors", where);
  for (std::size_t v = 0; v < vectors.size(); v++) {
    std::string at = where + ".vectors[" + std::to_string(v) + "]";
    if (!vectors[v].is_string()) throw BadField(at + " is not a string");
    c.vectors.push_back(vectors[v].get<std::string>());
    check_chars(c.vectors.back(), static_cast<std::size_t>(c.inputs), "01", at);
  }
  read_cells(j, c, where);
  const Json& passes = array(j, "passes", where);
  for (std::size_t k = 0; k < passes.size(); k++)
    c.passes.push_back(read_pass(passes[k], c, where + ".passes[" + std::to_string(k) + "]"));
  return c;
}

Provenance read_provenance(const Json& j) {
  const std::string where = "provenance";
  Provenance p;
  p.program = text(j, "program", where);
  p.version = text(j, "version", where);
  for (const Json& w : array(j, "command_line", where))
    p.command_line.push_back(w.is_string() ? w.get<std::string>() : w.dump());
  p.date_time = text(j, "date_time_utc", where);
  if (j.contains("resumed_utc"))
    for (const Json& t : array(j, "resumed_utc", where))
      p.resumed.push_back(t.is_string() ? t.get<std::string>() : t.dump());
  p.device = optional_text(j, "device", where);
  const Json& emulated = member(j, "emulated", Json::value_t::boolean, where, true);
  p.emulated = emulated.is_null()     ? Emulated::Unknown
               : emulated.get<bool>() ? Emulated::Yes
                                      : Emulated::No;
  const Json& engine = member(j, "engine", Json::value_t::object, where, true);
  if (!engine.is_null()) {
    p.engine = text(engine, "name", where + ".engine");
    for (const auto& [key, value] :
         member(engine, "parameters", Json::value_t::object, where + ".engine").items())
      if (value.is_number()) p.engine_parameters[key] = value.get<double>();
  }
  return p;
}

}  // namespace

bool parse_results(const std::string& text_in, const std::string& source, Results* r,
                   std::string* error) {
  Json j = Json::parse(text_in, nullptr, false);
  if (j.is_discarded()) {
    *error = source + ": not a complete JSON document (truncated or damaged)";
    return false;
  }
  try {
    if (!j.is_object() || !j.contains("format") || j["format"] != kFormatName) {
      *error = source + ": not a kavlab results file (no \"format\": \"" + kFormatName + "\")";
      return false;
    }
    if (!j.contains("version") || !j["version"].is_number_integer() ||
        j["version"].get<long long>() != RESULTS_FORMAT_VERSION) {
      *error = source + ": results format version " +
               (j.contains("version") ? j["version"].dump() : std::string("missing")) +
               "; this kavlab reads version " + std::to_string(RESULTS_FORMAT_VERSION);
      return false;
    }
    Results out;
    out.provenance = read_provenance(member(j, "provenance", Json::value_t::object, "results"));
    out.partial = member(j, "partial", Json::value_t::boolean, "results").get<bool>();
    const Json& circuits = array(j, "circuits", "results");
    for (std::size_t k = 0; k < circuits.size(); k++)
      out.circuits.push_back(read_circuit(circuits[k], "circuits[" + std::to_string(k) + "]"));
    if (j.contains("sweep")) out.sweep = text(j, "sweep", "results");
    *r = out;
    return true;
  } catch (const std::exception& e) {
    *error = source + ": " + e.what();
    return false;
  }
}

namespace {

/// One way of judging: null when no pass judges so or nothing was measured; the least and
/// median null when no defect is detected.
Json measure_json(const CircuitResult& c, const MeasureSummary& m, const CircuitSummary& s) {
  if (!m.known || s.measured == Measured::None) return Json();
  Json essential = Json::array();
  for (int v : m.essential) essential.push_back(c.vectors[static_cast<std::size_t>(v)]);
  bool some = m.detected > 0;
  return Json{{"detected", m.detected},
              {"percent", percent(m.detected, s.defects)},
              {"essential_vectors", essential},
              {"least_vectors", some ? Json(m.least) : Json()},
              {"median_vectors", some ? Json(m.median) : Json()}};
}

/// A count that is null when nothing was measured.
Json measured_count(int n, bool measured) { return measured ? Json(n) : Json(); }

/// Per class of defect: its defects and what each known way of judging detects of them.
Json classes_json(const CircuitSummary& s) {
  Json classes = Json::object();
  bool measured = s.measured != Measured::None;
  for (DefectClass c : kEveryClass) {
    const ClassSummary& k = s.by_class[static_cast<int>(c)];
    classes[class_key(c)] = {{"defects", measured_count(k.defects, measured)},
                             {"logic", measured_count(k.logic, measured && s.logic.known)},
                             {"monitor", measured_count(k.monitor, measured && s.monitor.known)},
                             {"either", measured_count(k.either, measured && s.either.known)}};
  }
  return classes;
}

/// Names that a way of judging misses: null when it is not known or nothing was measured.
Json missed_json(const std::vector<std::string>& names, bool known, const CircuitSummary& s) {
  return known && s.measured != Measured::None ? Json(names) : Json();
}

/// The totals of a result's circuits: defects and detections, and per class.
Json chip_json(const std::vector<CircuitSummary>& circuits) {
  CircuitSummary t = totals(circuits);
  bool measured = t.measured != Measured::None;
  return Json{{"status", measured_name(t.measured)},
              {"chosen_cells", t.chosen},
              {"defects", t.defects},
              {"logic", measured_count(t.logic.detected, measured && t.logic.known)},
              {"monitor", measured_count(t.monitor.detected, measured && t.monitor.known)},
              {"either", measured_count(t.either.detected, measured && t.either.known)},
              {"neither", measured_count(t.neither, measured)},
              {"classes", classes_json(t)}};
}

/// A defect's threshold: its kind, its critical value, and where a non-monotonic one is detected.
Json threshold_json(const DefectThreshold& t) {
  static const char* const kinds[] = {"every value", "up to", "never", "not monotonic",
                                      "not measured"};
  Json j{{"kind", kinds[static_cast<int>(t.kind)]}};
  bool critical = t.kind == Threshold::Every || t.kind == Threshold::UpTo;
  j["critical"] = critical ? Json(t.critical) : Json();
  if (t.kind == Threshold::NotMonotonic) j["detected_at"] = t.detected_at;
  return j;
}

/// Per defect of a sweep's circuit, its threshold each way of judging.
Json swept_defects_json(const CircuitResult& c, const std::string& parameter) {
  Json defects = Json::array();
  for (const SweptDefect& d : swept_defects(c, parameter)) {
    Json j{{"cell", d.cell->index},
           {"defect", d.cell->defect},
           {"class", class_key(class_of(d.cell->type))}};
    for (Judgement w : kEveryJudgement)
      j[judgement_name(w)] = threshold_json(d.by[static_cast<int>(w)]);
    defects.push_back(j);
  }
  return defects;
}

/// A sweep's points per circuit: what each value's pass detects.
Json sweep_json(const Results& r) {
  Json circuits = Json::array();
  for (const CircuitResult& c : r.circuits) {
    Json points = Json::array();
    for (const SweepPoint& p : sweep_points(c, r.sweep)) {
      bool measured = p.measured != Measured::None;
      points.push_back({{"value", p.value},
                        {"status", measured_name(p.measured)},
                        {"chosen_cells", p.chosen},
                        {"defects", p.defects},
                        {"logic", measured_count(p.logic, measured)},
                        {"monitor", measured_count(p.monitor, measured)},
                        {"either", measured_count(p.either, measured)},
                        {"neither", measured_count(p.neither, measured)},
                        {"escapes", measured ? Json(p.escapes) : Json()}});
    }
    circuits.push_back(
        {{"index", c.index}, {"points", points}, {"defects", swept_defects_json(c, r.sweep)}});
  }
  return Json{{"parameter", r.sweep}, {"circuits", circuits}};
}

}  // namespace

std::string summaries_json(const std::vector<SummarySet>& sets) {
  Json all = Json::array();
  for (const SummarySet& set : sets) {
    Json circuits = Json::array();
    for (std::size_t i = 0; i < set.circuits.size(); i++) {
      const CircuitSummary& s = set.circuits[i];
      const CircuitResult& c = set.results->circuits[i];
      bool measured = s.measured != Measured::None;
      circuits.push_back(
          {{"index", s.index},
           {"name", s.name},
           {"description", s.description},
           {"status", measured_name(s.measured)},
           {"vectors", s.vectors},
           {"chosen_cells", s.chosen},
           {"defects", s.defects},
           {"logic", measure_json(c, s.logic, s)},
           {"monitor", measure_json(c, s.monitor, s)},
           {"either", measure_json(c, s.either, s)},
           {"both", measured && s.both >= 0 ? Json(s.both) : Json()},
           {"neither", measured_count(s.neither, measured)},
           {"escapes", measured ? Json(s.escapes) : Json()},
           {"missed_by_logic", missed_json(s.missed_by_logic, s.logic.known, s)},
           {"missed_by_monitor", missed_json(s.missed_by_monitor, s.monitor.known, s)},
           {"classes", classes_json(s)}});
    }
    Json entry{{"results", set.source},
               {"partial", set.results->partial},
               {"provenance", provenance_json(set.results->provenance)},
               {"circuits", circuits},
               {"all_circuits", chip_json(set.circuits)}};
    if (!set.results->sweep.empty()) entry["sweep"] = sweep_json(*set.results);
    all.push_back(entry);
  }
  return all.dump(1) + "\n";
}

std::string catalogue_json(int circuit) {
  Json list = Json::array();
  if (circuit < 0) {
    for (int i = 0; i < KAVRIN_CIRCUIT_COUNT; i++) {
      const KAVRIN_ELEMENT_LIST& c = elements[i];
      list.push_back({{"index", i},
                      {"name", c.name},
                      {"description", c.desc},
                      {"inputs", c.in},
                      {"outputs", c.out},
                      {"defects", c.count - 1}});
    }
  } else {
    const KAVRIN_ELEMENT_LIST& c = elements[circuit];
    for (int k = 0; k < c.count; k++)
      list.push_back({{"index", k},
                      {"defect", c.idx[k].defect ? Json(c.idx[k].defect) : Json()},
                      {"class", defect_class(c.idx[k].type)}});
  }
  return list.dump(1) + "\n";
}

std::string devices_json(const std::vector<std::string>& names) {
  return Json(names).dump() + "\n";
}

namespace {

Json difference_json(const Comparison& c, const CircuitResult& circuit,
                     const DetectionDifference& d) {
  const TestedCell& cell = circuit.cells[d.cell];
  Json j{{"cell", cell.index},
         {"defect", cell.defect},
         {"class", defect_class(cell.type)},
         {"inputs", circuit.vectors[d.vector]}};
  if (!c.within) j["judged_by"] = measure_name(d.by);
  j[c.within ? "logic" : "a"] = d.left;
  j[c.within ? "monitor" : "b"] = d.right;
  return j;
}

/// One defect detected on one side only.
Json escape_json(const Comparison& c, const CircuitResult& circuit, const DefectEscape& d) {
  const TestedCell& cell = circuit.cells[d.cell];
  Json j{{"cell", cell.index}, {"defect", cell.defect}, {"class", class_key(class_of(cell.type))}};
  if (!c.within) j["judged_by"] = measure_name(d.by);
  j[c.within ? "logic" : "a"] = d.left;
  j[c.within ? "monitor" : "b"] = !d.left;
  return j;
}

/// Per class, the defects that one side alone detects.
Json escape_counts_json(const CircuitComparison& cc, bool left) {
  std::vector<int> n = escapes_by_class(cc, left);
  Json j = Json::object();
  for (DefectClass k : kEveryClass) j[class_key(k)] = n[static_cast<std::size_t>(k)];
  return j;
}

}  // namespace

std::string comparison_json(const Comparison& c) {
  std::string left = c.within ? "logic" : "a", right = c.within ? "monitor" : "b";
  Json j;
  if (c.within) {
    j["logic_vs_monitor"] = c.left;
  } else {
    j["a"] = c.left;
    j["b"] = c.right;
    Json ways = Json::array();
    for (Measure m : c.measures) ways.push_back(measure_name(m));
    j["judged_by"] = ways;
  }
  j["differences"] = total_differences(c);
  Json circuits = Json::array();
  for (const CircuitComparison& cc : c.circuits) {
    Json at = Json::array();
    for (const DetectionDifference& d : cc.differences)
      at.push_back(difference_json(c, *cc.circuit, d));
    Json defects = Json::array();
    for (const DefectEscape& d : cc.defects) defects.push_back(escape_json(c, *cc.circuit, d));
    circuits.push_back({{"index", cc.circuit->index},
                        {"name", cc.circuit->name},
                        {"cells", cc.circuit->cells.size()},
                        {"vectors", cc.circuit->vectors.size()},
                        {"compared", cc.compared},
                        {"unknown", cc.unknown},
                        {"differences", cc.differences.size()},
                        {left + "_only", cc.left_only},
                        {right + "_only", cc.right_only},
                        {"where", at},
                        {"defects_" + left + "_only", escape_counts_json(cc, true)},
                        {"defects_" + right + "_only", escape_counts_json(cc, false)},
                        {"defects", defects}});
  }
  j["circuits"] = circuits;
  return j.dump(1) + "\n";
}

}  // namespace kavlab
