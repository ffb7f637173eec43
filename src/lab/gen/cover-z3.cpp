// The least cover as an integer program solved by Z3 (the only source that includes it): one
// count per vector, each set's counts summing to `need`, their total minimised.
#include <z3++.h>

#include <string>

#include "gen/cover.h"

namespace kavlab {

CoverBound cover_bound(const std::vector<std::vector<int>>& sets, int need, int vectors) {
  CoverBound bound;
  try {
    z3::context ctx;
    z3::optimize opt(ctx);
    std::vector<z3::expr> count;
    z3::expr total = ctx.int_val(0);
    for (int v = 0; v < vectors; v++) {
      count.push_back(ctx.int_const(("x" + std::to_string(v)).c_str()));
      opt.add(count.back() >= 0);
      total = total + count.back();
    }
    for (const std::vector<int>& set : sets) {
      z3::expr sum = ctx.int_val(0);
      for (int v : set) sum = sum + count[v];
      opt.add(sum >= need);
    }
    z3::optimize::handle least = opt.minimize(total);
    if (opt.check() == z3::sat) {
      bound.value = opt.lower(least).get_numeral_int();
      bound.optimal = true;
    }
  } catch (const z3::exception&) {
    bound = CoverBound{};  // no bound from the solver: 0 is still a true one
  }
  return bound;
}

const char* cover_solver() { return "Z3, an integer program"; }

}  // namespace kavlab
