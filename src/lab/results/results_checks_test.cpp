// Results files that are refused before they are believed: against the chip (circuits and cells
// as the catalogue has them), against themselves (each circuit once, each member once, a
// complete result complete), and beyond the reader's limits. Each case names the place, the
// field and both values, in a message that never echoes a long value whole.
#include <gtest/gtest.h>

#include <functional>

#include "results/results_json.h"

namespace kavlab {

namespace {

/// IN1 with its five cells measured in a logic and a monitor pass: a complete result.
Results complete() {
  Results r;
  r.provenance = {"kavlab-sim",
                  "1.2.0",
                  {"kavlab-sim", "run", "-c", "14"},
                  "2024-05-01T12:00:00Z",
                  "Kavrin0",
                  "",
                  Emulated::Yes,
                  "switch",
                  {},
                  -1,
                  {}};
  CircuitResult c;
  c.index = 14;
  c.name = "IN1";
  c.description = "NOT( A )";
  c.inputs = c.outputs = 1;
  c.test.kind = SourceKind::Exhaustive;
  c.vectors = {"0", "1"};
  c.cells = {{1, "A/gnd", 3}, {2, "A/vdd", 3}, {3, "A/Q", 2}, {4, "Q/gnd", 3}, {5, "Q/vdd", 3}};
  for (Pass p : plan_passes(PassPlan::Both)) {
    p.reference_measured = true;
    p.reference = {{"1", "0"}, p.monitor_on ? "PP" : "", ""};
    p.cells.assign(c.cells.size(), {{"1", "1"}, p.monitor_on ? "PF" : "", ""});
    c.passes.push_back(p);
  }
  r.circuits = {c};
  return r;
}

/// `text` with the first `from` replaced by `to`; a test failure when there is none.
std::string edited(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  if (at == std::string::npos) {
    ADD_FAILURE() << "no " << from;
    return text;
  }
  return text.replace(at, from.size(), to);
}

std::string nested(int depth) { return std::string(depth, '[') + std::string(depth, ']'); }

struct Refusal {
  const char* what;
  std::function<std::string()> file;
  const char* message;
};

std::string text_of(const std::function<void(Results&)>& change) {
  Results r = complete();
  change(r);
  return results_text(r);
}

/// Edits of the complete result's text, in order.
std::function<std::string()> edits(std::vector<std::pair<std::string, std::string>> list) {
  return [list] {
    std::string text = results_text(complete());
    for (const auto& [from, to] : list) text = edited(text, from, to);
    return text;
  };
}

const Refusal kRefusals[] = {
    // Against the chip.
    {"circuit 16 with IN1's columns (the export overflowed the heap)",
     edits({{"\"index\": 14,", "\"index\": 16,"},
            {"\"name\": \"IN1\"", "\"name\": \"C17\""},
            {"\"NOT( A )\"", "\"ISCAS C17 /w shorts\""}}),
     "r.json: circuits[0].inputs is 1, but circuit 16 (C17) of the chip has 5"},
    {"another output count", edits({{"\"outputs\": 1,", "\"outputs\": 2,"}}),
     "circuits[0].outputs is 2, but circuit 14 (IN1) of the chip has 1"},
    {"another circuit's name", edits({{"\"name\": \"IN1\"", "\"name\": \"NA2\""}}),
     "circuits[0].name is \"NA2\", but circuit 14 (IN1) of the chip is \"IN1\""},
    {"another defect", edits({{"\"defect\": \"A/vdd\"", "\"defect\": \"A/Q\""}}),
     "circuits[0].cells[1].defect is \"A/Q\", but cell 2 of circuit 14 (IN1) is \"A/vdd\""},
    {"another class", edits({{"\"class\": \"short\"", "\"class\": \"open\""}}),
     "circuits[0].cells[2].class is \"open\", but cell 3 of circuit 14 (IN1), A/Q, is a short"},
    {"a cell twice", edits({{"\"index\": 2,", "\"index\": 1,"}}),
     "circuits[0].cells[1].index is 1, as in cells[0]: a cell is measured once"},
    {"a cell the circuit lacks", edits({{"\"index\": 3,", "\"index\": 6,"}}),
     "circuits[0].cells[2].index is 6, outside 1..5"},
    {"more cells than the circuit has", edits({{"\"cells\": [", "\"cells\": [1, 2, 3, 4, 5, 6, "}}),
     "circuits[0].cells holds 11 cells, but circuit 14 (IN1) of the chip has 5"},
    // Against themselves.
    {"a circuit twice",
     [] { return text_of([](Results& r) { r.circuits.push_back(r.circuits[0]); }); },
     "circuits[1] is circuit 14 (IN1), as circuits[0] is: a circuit appears once"},
    {"a member twice at the top",
     edits({{"\"partial\": false,", "\"partial\": true, \"partial\": false,"}}),
     "r.json: the document: the member \"partial\" appears twice"},
    {"a member twice in a cell",
     edits({{"\"defect\": \"A/gnd\",", "\"defect\": \"A/vdd\", \"defect\": \"A/gnd\","}}),
     "circuits[0].cells[0]: the member \"defect\" appears twice"},
    {"complete, with a pass cut short",
     [] { return text_of([](Results& r) { r.circuits[0].passes[1].cells.pop_back(); }); },
     "\"partial\" is false, but circuits[0].passes[1] holds the answers of 4 of the 5 cells"},
    {"complete, with a pass never begun",
     [] {
       return text_of([](Results& r) {
         r.circuits[0].passes[1].reference_measured = false;
         r.circuits[0].passes[1].cells.clear();
       });
     },
     "\"partial\" is false, but circuits[0].passes[1].reference is null"},
    {"cells measured without the reference",
     [] {
       return text_of([](Results& r) {
         r.partial = true;
         r.circuits[0].passes[0].reference_measured = false;
       });
     },
     "circuits[0].passes[0].reference is null, yet the pass holds the answers of 5 cell(s)"},
    // Beyond the limits.
    {"100,000 nested arrays as the format",
     edits({{"\"format\": \"kavlab-results\"", "\"format\": " + nested(100000)}}),
     "r.json: format[0][0][0]"},
    {"100,000 nested arrays as the version",
     edits({{"\"version\": 1", "\"version\": " + nested(100000)}}),
     "nests arrays and objects more than 32 deep"},
    {"100,000 nested arrays as a command-line word", edits({{"\"run\",", nested(100000) + ","}}),
     "provenance.command_line[1][0][0]"},
    {"an index beyond 63 bits", edits({{"\"index\": 14,", "\"index\": 18446744073709551615,"}}),
     "circuits[0].index is 18446744073709551615, outside 0..17"},
    {"a version of 100 KB",
     edits({{"\"version\": 1", "\"version\": \"" + std::string(100000, '9') + "\""}}),
     "r.json: version is 100000 bytes long, over the 4096 a name may have: \"9999"},
    {"a device name of 1 MB", edits({{"\"Kavrin0\"", "\"" + std::string(1 << 20, 'K') + "\""}}),
     "provenance.device is 1048576 bytes long, over the 4096 a name may have"},
    {"a defect name of 1 MB", edits({{"\"A/gnd\"", "\"" + std::string(1 << 20, 'd') + "\""}}),
     "circuits[0].cells[0].defect is 1048576 bytes long"},
    {"a member name of 1 MB",
     edits({{"\"partial\"", "\"" + std::string(1 << 20, 'p') + "\": 0, \"partial\""}}),
     "the document: a member's name is 1048576 bytes long"},
    {"an answer of 1 MB for two vectors",
     edits({{"\"outputs\": \"1 0\"", "\"outputs\": \"" + std::string(1 << 20, '1') + "\""}}),
     "circuits[0].passes[0].reference.outputs is 1048576 characters long; 2 vectors of 1 "
     "output bits, separated by spaces, take 3"},
    {"answers not separated by spaces", edits({{"\"outputs\": \"1 0\"", "\"outputs\": \"110\""}}),
     "circuits[0].passes[0].reference.outputs, after vector 0, holds no space"},
    {"a TST file", [] { return std::string("\xEF\xBB\xBF\n.VECTORS 2\n\n.PATTERNS\n\n0H\n1L\n"); },
     "r.json: this is a TST file; `kavlab import` turns a defect table into a results file"},
};

}  // namespace

TEST(ResultsChecks, TheCompleteSampleIsRead) {
  Results back;
  std::string error;
  ASSERT_TRUE(parse_results(results_text(complete()), "r.json", &back, &error)) << error;
  EXPECT_EQ(results_text(back), results_text(complete()));
}

TEST(ResultsChecks, WhatNoWriterWritesIsRefusedInOneShortLine) {
  for (const Refusal& r : kRefusals) {
    SCOPED_TRACE(r.what);
    Results back;
    std::string error;
    EXPECT_FALSE(parse_results(r.file(), "r.json", &back, &error));
    EXPECT_NE(error.find(r.message), std::string::npos) << error.substr(0, 400);
    EXPECT_EQ(error.rfind("r.json: ", 0), 0u) << error.substr(0, 400);
    EXPECT_LT(error.size(), 300u) << error.substr(0, 400);
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

}  // namespace kavlab
