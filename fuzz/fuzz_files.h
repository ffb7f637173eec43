// Scratch files of a fuzz target: one directory per process (under /dev/shm when there is one),
// removed with its files when the target ends normally.
#ifndef KAVTEST_FUZZ_FILES_H
#define KAVTEST_FUZZ_FILES_H

#include <cstddef>
#include <cstdint>
#include <string>

/// The process's scratch directory, made on first use.
const std::string& scratch_dir();
/// `name` inside the scratch directory.
std::string scratch_path(const std::string& name);
/// Writes `size` bytes to the scratch file `name`; its path. Aborts when it cannot.
std::string write_scratch(const std::string& name, const std::uint8_t* data, std::size_t size);
/// Aborts when a file of the scratch directory was left open: a reader that loses its file on a
/// fatal path would otherwise run out of descriptors and refuse every later input.
void check_no_open_files();
/// Sends standard output to /dev/null: the readers' step lines cost time and say nothing here.
/// (Run the targets with -close_fd_mask=2 to drop the error lines too; libFuzzer keeps its own
/// copy of standard error for its reports.)
void silence_stdout();

#endif
