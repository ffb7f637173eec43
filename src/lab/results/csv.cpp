// CSV fields.
#include "results/csv.h"

namespace kavlab {

std::string csv_field(const std::string& f) {
  if (f.find_first_of(",\"\r\n") == std::string::npos) return f;
  std::string q = "\"";
  for (char ch : f) q += ch == '"' ? std::string("\"\"") : std::string(1, ch);
  return q + "\"";
}

std::vector<std::string> split_commas(const std::string& text) {
  std::vector<std::string> items(1);
  for (char ch : text) {
    if (ch == ',')
      items.emplace_back();
    else
      items.back() += ch;
  }
  return items;
}

}  // namespace kavlab
