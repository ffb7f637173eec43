// Fuzz target of the option scanner and checks: the input is an argument vector, its arguments
// separated by NUL or newline bytes (argv[0] is the tool's name). test_input runs on it as
// main() runs it, in a scratch directory of its own; the parameter of -agm, the one option
// that writes a file, is replaced by a fixed name there. The listings print to /dev/null and
// -devlist sees the emulated box.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "KavrinConst.h"
#include "command_line.h"
#include "fatal_exit.h"
#include "fuzz_files.h"
#include "options.h"
#include "messages.h"

namespace {

/// More arguments only repeat what a few of them reach.
constexpr std::size_t kMaxArguments = 64;

std::vector<std::string> split(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words{"kavtest"};
  std::string word;
  for (std::size_t i = 0; i < size && words.size() < kMaxArguments; i++) {
    char c = static_cast<char>(data[i]);
    if (c == '\0' || c == '\n') {
      words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty() && words.size() < kMaxArguments) words.push_back(word);
  return words;
}

/// Options that take a parameter, from the scanner's own table.
bool takes_parameter(const std::string& arg) {
  for (int slot = 0; slot < OPTION_COUNT; slot++)
    if (arg == option_keys[slot]) return option_takes_parameter[slot] != 0;
  return false;
}

/// Walks the arguments as the scanner does and makes every -agm parameter a file of the
/// scratch directory.
void confine_model_file(std::vector<std::string>& words) {
  for (std::size_t i = 1; i < words.size(); i++) {
    if (!takes_parameter(words[i]) || i + 1 >= words.size()) continue;
    if (words[i] == "-agm") words[i + 1] = "model.agm";
    i++;
  }
}

/// The option state as the tool starts with it; the copies of the last input are released.
void reset_options() {
  for (char*& a : args) {
    std::free(a);
    a = nullptr;
  }
  def_sel = MASK_ANY;
  circuit = -1;
  cell = -1;
  verbose_mode = 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  if (chdir(scratch_dir().c_str()) != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words = split(data, size);
  confine_model_file(words);
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  int argc = static_cast<int>(words.size());

  reset_options();
  try {
    int test_file = test_input(argc, argv.data());
    // The index main() hands to the test run must name an argument when it is not argc.
    if (test_file != -1 && test_file != argc && (test_file < 1 || test_file >= argc)) std::abort();
  } catch (const FatalExit&) {
    // -list, -devlist and refused options end the tool; here the next input follows.
  }
  reset_options();
  return 0;
}
