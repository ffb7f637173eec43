// kavlab compare: two results, or one result's logic and monitor; exit status as diff's.
#include "commands/commands.h"
#include "results/compare.h"
#include "results/compare_print.h"
#include "results/results_json.h"
#include "results/output_file.h"
#include "results/results_file.h"

namespace kavlab {

namespace {

/// The comparison the command line asks for; false with `*trouble` set.
bool compare_files(const CompareArgs& a, std::vector<Results>& all, Comparison* out,
                   std::string* trouble) {
  std::size_t wanted = a.logic_vs_monitor ? 1 : 2;
  if (a.files.size() != wanted) {
    *trouble = a.logic_vs_monitor ? "--logic-vs-monitor takes one results file"
                                  : "compare takes two results files (or one with "
                                    "--logic-vs-monitor)";
    return false;
  }
  all.resize(wanted);
  for (std::size_t i = 0; i < wanted; i++)
    if (!load_results(a.files[i], &all[i], trouble)) return false;
  if (a.logic_vs_monitor) return compare_logic_monitor(all[0], a.files[0], out, trouble);
  std::vector<Measure> measures;
  if (a.logic) measures.push_back(Measure::Logic);
  if (a.monitor) measures.push_back(Measure::Monitor);
  return compare_results(all[0], a.files[0], all[1], a.files[1], measures, out, trouble);
}

}  // namespace

int compare_command(const CompareArgs& a) {
  std::vector<Results> all;
  Comparison c;
  std::string error;
  if (!compare_files(a, all, &c, &error)) return command_failed(LAB_TROUBLE, error);
  if (a.json) {
    if (!write_text("-", comparison_json(c), &error)) return command_failed(LAB_TROUBLE, error);
  } else {
    if (a.csv)
      print_comparison_csv(stdout, c);
    else
      print_comparison(stdout, c);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
      return command_failed(LAB_TROUBLE, "cannot write the comparison");
  }
  return total_differences(c) == 0 ? LAB_SAME : LAB_DIFFERENT;
}

}  // namespace kavlab
