// The runners' one way to read what a run left: a file's bytes, exactly as they stand.
#ifndef KAVTEST_E2E_READ_BYTES_H
#define KAVTEST_E2E_READ_BYTES_H

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

/// The bytes of the file at `p`; empty when it cannot be read.
inline std::string read_bytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

#endif
