// The parts of results files that tests of broken and parallel runs compare.
#include "run/measured_results.h"

#include <gtest/gtest.h>

#include "results/results_file.h"
#include "results/results_json.h"

namespace kavlab {

namespace fs = std::filesystem;

std::string measured(const fs::path& path) {
  Results r;
  std::string error;
  EXPECT_TRUE(load_results(path.string(), &r, &error)) << error;
  r.provenance.command_line.clear();
  r.provenance.date_time.clear();
  r.provenance.resumed.clear();
  return results_text(r);
}

void expect_prefixes(const fs::path& cut, const fs::path& whole) {
  Results c, w;
  std::string error;
  ASSERT_TRUE(load_results(cut.string(), &c, &error)) << error;
  ASSERT_TRUE(load_results(whole.string(), &w, &error)) << error;
  EXPECT_TRUE(c.partial);
  ASSERT_EQ(c.circuits.size(), w.circuits.size());
  bool lacking = false;
  for (std::size_t i = 0; i < c.circuits.size(); i++)
    for (std::size_t k = 0; k < c.circuits[i].passes.size(); k++) {
      const Pass& p = c.circuits[i].passes[k];
      const Pass& all = w.circuits[i].passes[k];
      lacking = lacking || !p.reference_measured || p.cells.size() < all.cells.size();
      if (!p.reference_measured) continue;
      EXPECT_EQ(p.reference.outputs, all.reference.outputs) << i << " " << p.name;
      ASSERT_LE(p.cells.size(), all.cells.size());
      for (std::size_t j = 0; j < p.cells.size(); j++) {
        EXPECT_EQ(p.cells[j].outputs, all.cells[j].outputs) << i << " " << p.name << " " << j;
        EXPECT_EQ(p.cells[j].monitor, all.cells[j].monitor) << i << " " << p.name << " " << j;
      }
    }
  EXPECT_TRUE(lacking);
}

std::string answers(const fs::path& path) {
  Results r;
  std::string error;
  EXPECT_TRUE(load_results(path.string(), &r, &error)) << error;
  std::string all;
  for (const CircuitResult& c : r.circuits)
    for (const Pass& p : c.passes) {
      all += std::to_string(c.index) + " " + p.name + ":";
      for (const std::string& o : p.reference.outputs) all += " " + o;
      all += " " + p.reference.monitor + "\n";
      for (const Response& cell : p.cells) {
        for (const std::string& o : cell.outputs) all += " " + o;
        all += " " + cell.monitor + "\n";
      }
    }
  return all;
}

}  // namespace kavlab
