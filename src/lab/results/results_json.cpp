// Results files, summaries and listings as JSON, through nlohmann-json. Reading checks every
// field it uses and names it in its message: a results file is user input.
#include "results/results_json.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

#include "KavrinConst.h"
#include "TSTData.h"
#include "results/limits.h"
#include "results/results_check.h"
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
  Json j{{"index", c.index},     {"name", c.name},       {"description", c.description},
         {"inputs", c.inputs},   {"outputs", c.outputs}, {"test", test_json(c.test)},
         {"vectors", c.vectors}, {"cells", cells},       {"passes", passes}};
  if (c.reference_differs) j["reference_differs"] = true;
  return j;
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
  if (!p.chip.empty()) j["chip"] = p.chip;
  if (p.seed >= 0) j["seed"] = p.seed;
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

/// The members whose strings are answers, as long as vectors times outputs: every other string
/// is a name, held to kMaxNameBytes.
bool is_answer_member(const std::string& key) {
  return key == "outputs" || key == "monitor" || key == "marks";
}

/// Builds the document while the parser reads it, and stops at the first thing no results
/// file holds, before it is kept: nesting deeper than kMaxNesting, a member named twice in one
/// object, a member's name or a string other than an answer longer than kMaxNameBytes. Members
/// go into their object in the order read, without a search (each name is checked once).
class CheckedBuilder {
  /// The longest path that a message shows whole.
  static constexpr std::size_t kLongestPlace = 80;

 public:
  explicit CheckedBuilder(Json* root) : root_(root) {}
  /// Why the parse stopped; empty when it did not.
  const std::string& error() const { return error_; }

  bool null() { return put(Json()); }
  bool boolean(bool b) { return put(Json(b)); }
  bool number_integer(Json::number_integer_t v) { return put(Json(v)); }
  bool number_unsigned(Json::number_unsigned_t v) { return put(Json(v)); }
  bool number_float(Json::number_float_t v, const std::string&) { return put(Json(v)); }
  bool string(std::string& s) {
    bool answer = !frames_.empty() && frames_.back().container->is_object() &&
                  is_answer_member(frames_.back().key);
    if (!answer && s.size() > kMaxNameBytes) return refuse(place() + too_long(s));
    return put(Json(std::move(s)));
  }
  bool binary(Json::binary_t&) { return refuse(place() + " is binary data"); }
  bool start_object(std::size_t) { return open(Json::object()); }
  bool start_array(std::size_t) { return open(Json::array()); }
  bool end_object() { return close(); }
  bool end_array() { return close(); }
  bool key(std::string& k) {
    Frame& f = frames_.back();
    if (k.size() > kMaxNameBytes) return refuse(place(true) + ": a member's name" + too_long(k));
    if (!f.names.insert(k).second)
      return refuse(place(true) + ": the member \"" + shown_value(k) + "\" appears twice");
    f.key = std::move(k);
    return true;
  }
  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) {
    return refuse(
        "not a complete JSON document (truncated or damaged; the parser stopped at byte " +
        std::to_string(position) + ")");
  }

 private:
  /// An array or object being read: its members' names so far, and the name of the last one.
  struct Frame {
    Json* container;
    std::set<std::string> names;
    std::string key;
  };

  static std::string too_long(const std::string& s) {
    return " is " + std::to_string(s.size()) + " bytes long, over the " +
           std::to_string(kMaxNameBytes) + " a name may have: \"" + shown_value(s) + "\"";
  }

  bool refuse(const std::string& why) {
    if (error_.empty()) error_ = why;
    return false;
  }

  /// Where the next value goes, as a path ("circuits[0].cells[2].defect"), or with
  /// `of_object` the object that takes the next member ("circuits[0].cells[2]"); cut when
  /// long; "the document" at the top.
  std::string place(bool of_object = false) const {
    std::string path;
    std::size_t depth = frames_.size() - (of_object ? 1 : 0);
    for (std::size_t i = 0; i < depth && path.size() < kLongestPlace; i++) {
      const Json& c = *frames_[i].container;
      // An array's open element is its last; the next value comes after it.
      std::size_t at = c.size() - (i + 1 < frames_.size() ? 1 : 0);
      if (c.is_array())
        path += "[" + std::to_string(at) + "]";
      else
        path += (path.empty() ? "" : ".") + shown_value(frames_[i].key);
    }
    if (path.size() > kLongestPlace) path = path.substr(0, kLongestPlace) + "...";
    return path.empty() ? "the document" : path;
  }

  /// Stores `v` in the open container, or as the document; its address.
  Json* put_value(Json&& v) {
    if (frames_.empty()) {
      *root_ = std::move(v);
      return root_;
    }
    Frame& f = frames_.back();
    if (f.container->is_array()) {
      f.container->push_back(std::move(v));
      return &f.container->back();
    }
    // The name is new to this object (key() checked it): appended without the map's search.
    auto& members =
        static_cast<Json::object_t::Container&>(f.container->get_ref<Json::object_t&>());
    members.emplace_back(f.key, std::move(v));
    return &members.back().second;
  }

  bool put(Json&& v) {
    put_value(std::move(v));
    return true;
  }

  bool open(Json&& container) {
    if (frames_.size() >= static_cast<std::size_t>(kMaxNesting))
      return refuse(place() + " nests arrays and objects more than " + std::to_string(kMaxNesting) +
                    " deep");
    frames_.push_back({put_value(std::move(container)), {}, {}});
    return true;
  }

  bool close() {
    frames_.pop_back();
    return true;
  }

  Json* root_;
  std::vector<Frame> frames_;
  std::string error_;
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

const std::string& text(const Json& o, const char* key, const std::string& where) {
  return member(o, key, Json::value_t::string, where).get_ref<const std::string&>();
}

/// A string member that may be null (then empty).
std::string optional_text(const Json& o, const char* key, const std::string& where) {
  const Json& v = member(o, key, Json::value_t::string, where, true);
  return v.is_null() ? std::string() : v.get<std::string>();
}

/// An integer member within [low, high] (low at least 0); a value beyond 64 bits' range
/// parses as a floating-point number and is refused as not an integer.
int integer(const Json& o, const char* key, const std::string& where, int low, int high) {
  const Json& v = member(o, key, Json::value_t::number_integer, where);
  bool fits = v.is_number_unsigned()
                  ? v.get<std::uint64_t>() >= static_cast<std::uint64_t>(low) &&
                        v.get<std::uint64_t>() <= static_cast<std::uint64_t>(high)
                  : v.get<std::int64_t>() >= low && v.get<std::int64_t>() <= high;
  if (!fits)
    throw BadField(where + "." + key + " is " + shown_value(v.dump()) + ", outside " +
                   std::to_string(low) + ".." + std::to_string(high));
  return static_cast<int>(v.get<std::int64_t>());
}

const Json& array(const Json& o, const char* key, const std::string& where) {
  return member(o, key, Json::value_t::array, where);
}

/// The strings of an array member, each checked to be one.
std::vector<std::string> strings(const Json& o, const char* key, const std::string& where) {
  std::vector<std::string> all;
  const Json& items = array(o, key, where);
  for (std::size_t i = 0; i < items.size(); i++) {
    if (!items[i].is_string())
      throw BadField(where + "." + key + "[" + std::to_string(i) + "] is " + items[i].type_name() +
                     ", not a string");
    all.push_back(items[i].get<std::string>());
  }
  return all;
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
    if (!value.is_number()) throw BadField(where + "." + shown_value(key) + " is not a number");
    values[key] = value.get<double>();
  }
  return values;
}

/// The outputs string of a response, split per vector: its length is checked against the
/// vectors and outputs first, so that a string of the wrong size costs no copies.
std::vector<std::string> read_outputs(const std::string& s, const CircuitResult& c,
                                      const std::string& where) {
  std::size_t n = c.vectors.size(), width = static_cast<std::size_t>(c.outputs);
  std::size_t expected = n == 0 ? 0 : n * (width + 1) - 1;
  if (s.size() != expected)
    throw BadField(where + " is " + std::to_string(s.size()) + " characters long; " +
                   std::to_string(n) + " vectors of " + std::to_string(width) +
                   " output bits, separated by spaces, take " + std::to_string(expected));
  std::vector<std::string> outputs;
  outputs.reserve(n);
  for (std::size_t v = 0; v < n; v++) {
    std::size_t at = v * (width + 1);
    if (at + width < s.size() && s[at + width] != ' ')
      throw BadField(where + ", after vector " + std::to_string(v) + ", holds no space");
    outputs.push_back(s.substr(at, width));
    check_chars(outputs.back(), width, "01", where + ", vector " + std::to_string(v));
  }
  return outputs;
}

Response read_response(const Json& j, const CircuitResult& c, const std::string& where) {
  Response r;
  const Json& outputs = member(j, "outputs", Json::value_t::string, where, true);
  if (!outputs.is_null() && !outputs.get_ref<const std::string&>().empty())
    r.outputs = read_outputs(outputs.get_ref<const std::string&>(), c, where + ".outputs");
  std::size_t n = c.vectors.size();
  const Json& monitor = member(j, "monitor", Json::value_t::string, where, true);
  if (!monitor.is_null()) {
    check_chars(monitor.get_ref<const std::string&>(), n, "PF", where + ".monitor");
    r.monitor = monitor.get<std::string>();
  }
  if (j.contains("marks")) {
    check_chars(text(j, "marks", where), n, "1X?", where + ".marks");
    r.marks = text(j, "marks", where);
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
    throw BadField(where + ".cells holds " + std::to_string(cells.size()) +
                   " responses, but the circuit has " + std::to_string(c.cells.size()) + " cells");
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

/// Throws the message of a failed check.
void require(bool passed, const std::string& error) {
  if (!passed) throw BadField(error);
}

void read_cells(const Json& j, CircuitResult& c, const std::string& where) {
  const Json& cells = array(j, "cells", where);
  std::string error;
  require(check_cell_count(c.index, cells.size(), where, &error), error);
  for (std::size_t k = 0; k < cells.size(); k++) {
    std::string at = where + ".cells[" + std::to_string(k) + "]";
    TestedCell cell;
    cell.index = integer(cells[k], "index", at, 1, elements[c.index].count - 1);
    cell.defect = text(cells[k], "defect", at);
    cell.type = defect_type(text(cells[k], "class", at));
    if (cell.type == 0) throw BadField(at + ".class is not short, rail short or open");
    c.cells.push_back(cell);
    require(check_cell(c, k, at, &error), error);
  }
}

void read_vectors(const Json& j, CircuitResult& c, const std::string& where) {
  const Json& vectors = array(j, "vectors", where);
  c.vectors.reserve(vectors.size());
  for (std::size_t v = 0; v < vectors.size(); v++) {
    std::string at = where + ".vectors[" + std::to_string(v) + "]";
    if (!vectors[v].is_string()) throw BadField(at + " is not a string");
    check_chars(vectors[v].get_ref<const std::string&>(), static_cast<std::size_t>(c.inputs), "01",
                at);
    c.vectors.push_back(vectors[v].get<std::string>());
  }
}

CircuitResult read_circuit(const Json& j, const std::string& where) {
  CircuitResult c;
  c.index = integer(j, "index", where, 0, KAVRIN_CIRCUIT_COUNT - 1);
  c.name = text(j, "name", where);
  c.description = text(j, "description", where);
  c.inputs = integer(j, "inputs", where, 1, 8);
  c.outputs = integer(j, "outputs", where, 1, 7);
  std::string error;
  require(check_circuit_facts(c, where, &error), error);
  const Json& test = member(j, "test", Json::value_t::object, where);
  c.test.kind = source_kind(text(test, "source", where + ".test"), where + ".test.source");
  c.test.file = optional_text(test, "file", where + ".test");
  c.test.sha256 = optional_text(test, "sha256", where + ".test");
  if (test.contains("fitted"))
    c.test.fitted = member(test, "fitted", Json::value_t::boolean, where + ".test").get<bool>();
  c.test.registers = read_registers(
      member(test, "registers", Json::value_t::object, where + ".test"), where + ".test.registers");
  read_vectors(j, c, where);
  read_cells(j, c, where);
  const Json& passes = array(j, "passes", where);
  for (std::size_t k = 0; k < passes.size(); k++)
    c.passes.push_back(read_pass(passes[k], c, where + ".passes[" + std::to_string(k) + "]"));
  if (j.contains("reference_differs"))
    c.reference_differs = member(j, "reference_differs", Json::value_t::boolean, where).get<bool>();
  return c;
}

Provenance read_provenance(const Json& j) {
  const std::string where = "provenance";
  Provenance p;
  p.program = text(j, "program", where);
  p.version = text(j, "version", where);
  p.command_line = strings(j, "command_line", where);
  p.date_time = text(j, "date_time_utc", where);
  if (j.contains("resumed_utc")) p.resumed = strings(j, "resumed_utc", where);
  p.device = optional_text(j, "device", where);
  if (j.contains("chip")) p.chip = text(j, "chip", where);
  if (j.contains("seed")) p.seed = integer(j, "seed", where, 0, kLargestSeed);
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

/// Whether `text` begins as a TST file does: its first line that is not blank (after a UTF-8
/// byte order mark) begins with a TST keyword.
bool looks_like_tst(const std::string& text) {
  std::size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  at = text.find_first_not_of(" \t\r\n", at);
  if (at == std::string::npos || text[at] != '.') return false;
  return match_keyword(text.substr(at, 16).c_str()) >= 0;
}

/// The format and version members, checked before anything else is read.
void check_format(const Json& j) {
  if (!j.is_object() || !j.contains("format") || j["format"] != kFormatName)
    throw BadField(std::string("not a kavlab results file (no \"format\": \"") + kFormatName +
                   "\")");
  const Json* version = j.contains("version") ? &j["version"] : nullptr;
  if (version == nullptr || !version->is_number_integer() ||
      version->get<std::int64_t>() != RESULTS_FORMAT_VERSION)
    throw BadField("results format version " +
                   (version == nullptr        ? std::string("missing")
                    : version->is_primitive() ? shown_value(version->dump())
                                              : std::string("(an ") + version->type_name() + ")") +
                   "; this kavlab reads version " + std::to_string(RESULTS_FORMAT_VERSION));
}

Results read_results(const Json& j) {
  Results out;
  out.provenance = read_provenance(member(j, "provenance", Json::value_t::object, "results"));
  out.partial = member(j, "partial", Json::value_t::boolean, "results").get<bool>();
  const Json& circuits = array(j, "circuits", "results");
  std::string error;
  for (std::size_t k = 0; k < circuits.size(); k++) {
    std::string where = "circuits[" + std::to_string(k) + "]";
    CircuitResult c = read_circuit(circuits[k], where);
    require(check_new_circuit(out, c, where, &error), error);
    out.circuits.push_back(std::move(c));
  }
  if (j.contains("sweep")) out.sweep = text(j, "sweep", "results");
  require(check_passes(out, &error), error);
  return out;
}

}  // namespace

bool parse_results(const std::string& text_in, const std::string& source, Results* r,
                   std::string* error) {
  if (looks_like_tst(text_in)) {
    *error = source + ": this is a TST file; `kavlab import` turns a defect table into a " +
             "results file";
    return false;
  }
  Json j;
  CheckedBuilder builder(&j);
  if (!Json::sax_parse(text_in, &builder)) {
    *error = source + ": " + builder.error();
    return false;
  }
  try {
    check_format(j);
    *r = read_results(j);
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

namespace {

/// A share in percent, or null when not known.
Json share_json(double share) { return share < 0 ? Json() : Json(share); }

Json spread_json(const Spread& s) {
  if (!s.known) return Json();
  return Json{{"least", s.least}, {"median", s.median}, {"largest", s.largest}};
}

/// A chip of a lot: where it comes from and its coverage each way, overall and per class.
Json lot_chip_json(const LotChip& chip) {
  const Provenance& p = chip.results->provenance;
  Json j{{"label", chip.label},
         {"results", chip.source},
         {"device", nullable(p.device)},
         {"seed", p.seed >= 0 ? Json(p.seed) : Json()},
         {"defects", chip.all.defects}};
  for (Judgement w : kEveryJudgement) j[judgement_name(w)] = share_json(chip_coverage(chip, w, {}));
  Json classes = Json::object();
  for (DefectClass c : kEveryClass) {
    Json k = Json::object();
    for (Judgement w : kEveryJudgement)
      k[judgement_name(w)] = share_json(chip_coverage(chip, w, {c}));
    classes[class_key(c)] = k;
  }
  j["classes"] = classes;
  return j;
}

/// A defect of a lot: how many chips measured it, how many detect it each way, and per chip
/// (in the lot's order) true, false or null (not measured).
Json lot_defect_json(const LotDefect& d) {
  const TestedCell& cell = d.circuit->cells[d.cell];
  Json j{{"circuit", d.circuit->index},      {"cell", cell.index}, {"defect", cell.defect},
         {"class", defect_class(cell.type)}, {"chips", d.chips},   {"marginal", d.marginal()}};
  Json per_chip = Json::object();
  for (int w = 0; w < 3; w++) {
    Json marks = Json::array();
    for (const std::vector<int>& by : d.by_chip) {
      int v = by[static_cast<std::size_t>(w)];
      marks.push_back(v < 0 ? Json() : Json(v == 1));
    }
    const char* name = judgement_name(kEveryJudgement[w]);
    j[name] = d.detected[w];
    per_chip[name] = marks;
  }
  j["per_chip"] = per_chip;
  return j;
}

}  // namespace

std::string lot_json(const Lot& lot) {
  Json chips = Json::array(), defects = Json::array();
  for (const LotChip& chip : lot.chips) chips.push_back(lot_chip_json(chip));
  for (const LotDefect& d : lot.defects) defects.push_back(lot_defect_json(d));
  Json coverage = Json::object(), classes = Json::object();
  for (Judgement w : kEveryJudgement)
    coverage[judgement_name(w)] = spread_json(coverage_spread(lot, w, {}));
  for (DefectClass c : kEveryClass) {
    Json k = Json::object();
    for (Judgement w : kEveryJudgement)
      k[judgement_name(w)] = spread_json(coverage_spread(lot, w, {c}));
    classes[class_key(c)] = k;
  }
  Json j{{"chips", chips}, {"coverage", coverage}, {"classes", classes}, {"defects", defects}};
  return j.dump(1) + "\n";
}

}  // namespace kavlab
