// What a test file holds that a run on a circuit cannot keep, and the words for it.
#include "file_shape.h"

#include "KavrinConst.h"

namespace kavtest {

namespace {

std::string columns(int n, const char* kind) {
  return std::to_string(n) + " " + kind + (n == 1 ? " column" : " columns");
}

/// "circuit 12 (NA2)".
std::string circuit_words(int circuit_index) {
  return "circuit " + std::to_string(circuit_index) + " (" + elements[circuit_index].name + ")";
}

std::string columns_warning(const ShapeLoss& loss, const std::string& file, int circuit_index) {
  const int inputs = elements[circuit_index].in;
  std::string text = "kavtest: TST file '" + file + "' has ";
  if (loss.input_columns == 0)
    return text + columns(loss.internal_columns, "internal") + ", which " +
           circuit_words(circuit_index) +
           " does not take: " + (loss.internal_columns == 1 ? "it is" : "they are") +
           " left out of the vectors";
  text += columns(loss.input_columns, "input") + ", " + circuit_words(circuit_index) + " has " +
          std::to_string(inputs) + ": the vectors are cut to the last " + std::to_string(inputs);
  if (loss.internal_columns > 0)
    text += ", and their " + columns(loss.internal_columns, "internal") +
            (loss.internal_columns == 1 ? " is" : " are") + " left out";
  return text;
}

}  // namespace

ShapeLoss shape_loss(const BIST* dat, int circuit_index) {
  ShapeLoss loss;
  if (dat->vects != nullptr && dat->inps > elements[circuit_index].in)
    loss.input_columns = dat->inps;
  if (dat->vects != nullptr) loss.internal_columns = dat->internals;
  loss.unread_line = dat->unread_line;
  if (loss.unread_line > 0) loss.results_line = dat->tmp[0];
  return loss;
}

std::vector<std::string> shape_warnings(const ShapeLoss& loss, const std::string& path,
                                        int circuit_index) {
  std::vector<std::string> lines;
  if (loss.input_columns > 0 || loss.internal_columns > 0)
    lines.push_back(columns_warning(loss, path, circuit_index));
  if (loss.unread_line > 0)
    lines.push_back("kavtest: TST file '" + path + "' has a section at line " +
                    std::to_string(loss.unread_line) + ", after its results section at line " +
                    std::to_string(loss.results_line) +
                    " where reading ends: it is neither tested nor written back");
  return lines;
}

}  // namespace kavtest
