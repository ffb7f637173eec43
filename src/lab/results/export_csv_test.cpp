// The CSV export: one row per cell and vector, every pass's columns in place, fields quoted
// where they must be.
#include "results/export_csv.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace kavlab {

namespace {

/// Two vectors, one cell (its name with a comma), a logic and a monitor pass: the cell differs
/// by logic at vector 1 and fails the monitor at vector 0.
Results result() {
  Results r;
  CircuitResult c;
  c.index = 14;
  c.outputs = 1;
  c.vectors = {"0", "1"};
  c.cells = {{3, "A/Q,odd", 2}};
  Pass logic, monitor;
  logic.name = "logic";
  logic.gives_logic = true;
  monitor.name = "monitor";
  monitor.monitor_on = monitor.gives_monitor = true;
  logic.reference = {{"1", "0"}, "", ""};
  monitor.reference = {{"1", "0"}, "PP", ""};
  logic.cells = {{{"1", "1"}, "", ""}};
  monitor.cells = {{{"1", "1"}, "FP", ""}};
  logic.reference_measured = monitor.reference_measured = true;
  c.passes = {logic, monitor};
  r.circuits = {c};
  return r;
}

std::vector<std::string> csv_lines(const Results& r) {
  std::FILE* f = std::tmpfile();
  EXPECT_NE(f, nullptr);
  EXPECT_TRUE(export_csv(r, f));
  std::rewind(f);
  std::vector<std::string> lines;
  char buf[256];
  while (std::fgets(buf, sizeof buf, f) != nullptr) lines.emplace_back(buf);
  std::fclose(f);
  return lines;
}

}  // namespace

TEST(ExportCsv, RowsPerCellAndVector) {
  std::vector<std::string> lines = csv_lines(result());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0],
            "circuit,cell,defect,class,inputs,reference_outputs,logic_outputs,logic_monitor,"
            "monitor_outputs,monitor_monitor,logic_detected,monitor_detected\n");
  EXPECT_EQ(lines[1], "14,3,\"A/Q,odd\",short,0,1,1,,1,fail,0,1\n");
  EXPECT_EQ(lines[2], "14,3,\"A/Q,odd\",short,1,0,1,,1,pass,1,0\n");
}

TEST(ExportCsv, UnknownVerdictsStayEmpty) {
  Results r = result();
  r.circuits[0].passes.pop_back();  // no monitor pass
  std::vector<std::string> lines = csv_lines(r);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], "14,3,\"A/Q,odd\",short,1,0,1,,1,\n");
}

}  // namespace kavlab
