// New files on Windows: CopyFile, which refuses a name that is taken; a copy cut short is
// removed.
#include <windows.h>

#include <string>

#include "new_file.h"

namespace {

/// The system's words for the last error.
std::string system_words() {
  char text[512] = "";
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           GetLastError(), 0, text, sizeof text, nullptr);
  std::string words(text, n);
  while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.'))
    words.pop_back();
  return words.empty() ? "error " + std::to_string(GetLastError()) : words;
}

}  // namespace

bool copy_to_new_file(const std::string& from, const std::string& to, bool* taken,
                      std::string* error) {
  *taken = false;
  if (CopyFileA(from.c_str(), to.c_str(), TRUE) != 0) return true;
  DWORD failure = GetLastError();
  *taken = failure == ERROR_FILE_EXISTS || failure == ERROR_ALREADY_EXISTS;
  *error = system_words();
  if (!*taken) DeleteFileA(to.c_str());  // a copy cut short
  return false;
}
