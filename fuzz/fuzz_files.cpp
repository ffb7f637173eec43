#include "fuzz_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::string make_dir() {
  struct stat st;
  std::string base = stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp";
  if (const char* tmp = std::getenv("KAVTEST_FUZZ_TMP")) base = tmp;
  std::string dir = base + "/kavtest-fuzz-" + std::to_string(getpid());
  if (mkdir(dir.c_str(), 0700) != 0 && access(dir.c_str(), W_OK) != 0) {
    std::perror(dir.c_str());
    std::abort();
  }
  return dir;
}

void remove_dir() {
  const std::string& dir = scratch_dir();
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
        unlink((dir + "/" + e->d_name).c_str());
    closedir(d);
  }
  rmdir(dir.c_str());
}

}  // namespace

const std::string& scratch_dir() {
  static const std::string dir = [] {
    std::string d = make_dir();
    return d;
  }();
  static const bool cleanup = std::atexit(remove_dir) == 0;
  (void)cleanup;
  return dir;
}

std::string scratch_path(const std::string& name) { return scratch_dir() + "/" + name; }

std::string write_scratch(const std::string& name, const std::uint8_t* data, std::size_t size) {
  std::string path = scratch_path(name);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr || (size != 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
    std::perror(path.c_str());
    std::abort();
  }
  return path;
}

/// The lowest free file descriptor.
static int lowest_free_descriptor() {
  int fd = dup(2);
  if (fd < 0) {
    std::perror("dup");
    std::abort();
  }
  close(fd);
  return fd;
}

/// True when a descriptor of this process refers to a file of the scratch directory.
static bool scratch_file_open() {
  const std::string prefix = scratch_dir() + "/";
  bool open = false;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (dirent* e = readdir(d)) {
      char target[4096];
      std::string link = std::string("/proc/self/fd/") + e->d_name;
      ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
      if (n <= 0) continue;
      target[n] = 0;
      if (std::strncmp(target, prefix.c_str(), prefix.size()) == 0) {
        std::fprintf(stderr, "left open: descriptor %s on %s\n", e->d_name, target);
        open = true;
      }
    }
    closedir(d);
  }
  return open;
}

void check_no_open_files() {
  // The lowest free descriptor is cheap to watch; when it moves (libFuzzer may hold files of
  // its own), the descriptors themselves tell whether a scratch file was left open.
  static int lowest = lowest_free_descriptor();
  int now = lowest_free_descriptor();
  if (now == lowest) return;
  if (scratch_file_open()) {
    std::fputs("a file descriptor was left open\n", stderr);
    std::abort();
  }
  lowest = now;
}

void silence_stdout() {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
}
