// The generated parts of docs/chip-model.md: each report's text sits between its own markers,
// and the report checks it there or writes it in.
#ifndef KAVTEST_GENERATED_SECTION_H
#define KAVTEST_GENERATED_SECTION_H

#include <string>

/// The markers around the section that report `program` generates.
std::string section_begin(const std::string& program);
std::string section_end();

/// The whole text of the file at `path`; false when it cannot be read.
bool read_document(const std::string& path, std::string* text);

/// The text between the markers of `program` in `document`; false when they are missing.
bool section_of(const std::string& document, const std::string& program, std::string* text);

/// `--check FILE` or `--write FILE` of `program`'s section with `generated`: the exit status
/// (0 when it matches or was written, 1 with a message on standard error otherwise).
int check_or_write_section(const std::string& program, const std::string& mode,
                           const std::string& path, const std::string& generated);

#endif
