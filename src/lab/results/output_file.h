// Files kavlab writes: wholly replaced or left as they were, or standard output for "-".
#ifndef KAVLAB_OUTPUT_FILE_H
#define KAVLAB_OUTPUT_FILE_H

#include <cstdio>
#include <functional>
#include <string>

namespace kavlab {

/// Writes through `body` to standard output when `path` is "-", else to a temporary file that
/// replaces `path` once `body` succeeded. False with `*error` set when any step fails.
bool write_output(const std::string& path, const std::function<bool(FILE*)>& body,
                  std::string* error);
/// True when `path` can be written ("-" always can); else false with `*error` set. Nothing is
/// left behind.
bool can_write(const std::string& path, std::string* error);
/// Writes `text` to `path` that way.
bool write_text(const std::string& path, const std::string& text, std::string* error);

}  // namespace kavlab

#endif
