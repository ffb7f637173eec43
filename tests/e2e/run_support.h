// What the end-to-end runners share: starting a program the way a user would, and reading the
// files a run left.
#ifndef KAVTEST_E2E_RUN_SUPPORT_H
#define KAVTEST_E2E_RUN_SUPPORT_H

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

/// The bytes of the file at `p`; empty when it cannot be read.
inline std::string read_bytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

/// One start of a program.
struct Launch {
  std::string program;            ///< the file to run; searched on PATH when `search_path`
  bool search_path = false;
  std::vector<std::string> argv;  ///< argv[0] is the name the program sees
  std::filesystem::path cwd;      ///< its working directory
  std::filesystem::path out, err; ///< files for its stdout and stderr; empty: this process's
  std::vector<std::pair<std::string, std::string>> environment;  ///< set on top of this one's
};

/// Runs `l` to its end: its exit status, or 128 plus the signal that ended it.
inline int run_process(const Launch& l) {
  std::vector<std::string> words = l.argv;
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    for (const auto& [stream, path] : {std::make_pair(1, l.out), std::make_pair(2, l.err)}) {
      if (path.empty()) continue;
      int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || dup2(fd, stream) < 0) _exit(127);
    }
    if (chdir(l.cwd.c_str()) != 0) _exit(127);
    for (const auto& [name, value] : l.environment) setenv(name.c_str(), value.c_str(), 1);
    if (l.search_path)
      execvp(l.program.c_str(), argv.data());
    else
      execv(l.program.c_str(), argv.data());
    _exit(127);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
}

#endif
