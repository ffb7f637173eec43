#include "scanner_machine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "exit.h"
#include "messages.h"
#include "options.h"

static char* copy_option_value(const char* value) {
  size_t size = std::strlen(value) + 1;
  char* copy = static_cast<char*>(std::malloc(size));
  if (copy == nullptr) {
    std::fprintf(stderr, "Not enough memory.\n");
    end_process(TOOL_FAILURE);
  }
  std::memcpy(copy, value, size);
  return copy;
}

static int find_key(const char* arg, const char** keys, int ct) {
  for (int j = 0; j < ct && keys[j] != nullptr; j++)
    if (std::strcmp(arg, keys[j]) == 0) return j;
  return -1;
}

int scan_input(int argc, char** argv, const char* act, const char** keys, char** values, int ct) {
  for (int j = 0; j < ct; j++) values[j] = nullptr;
  bool last_was_option = false;
  int i = 1;
  while (i < argc) {
    int j = find_key(argv[i], keys, ct);
    if (j < 0) {
      if (i != argc - 1) {
        std::fprintf(stderr, "Unknown argument : %s\n", argv[i]);
        return -1;
      }
      last_was_option = false;
      i++;
      continue;
    }
    if (values[j] != nullptr) {
      std::string text = std::string("Argument ") + keys[j] + " redefined!";
      std::free(values[j]);
      values[j] = nullptr;
      Warning(text.c_str(), -1);
    }
    if (act[j] && i == argc - 1) {
      std::fprintf(stderr, "\nError : argument '%s' also needs a parameter!\n", keys[j]);
      return -1;
    }
    values[j] = copy_option_value(act[j] ? argv[i + 1] : sel);
    i += act[j] ? 2 : 1;
    last_was_option = true;
  }
  return last_was_option ? i : i - 1;
}
