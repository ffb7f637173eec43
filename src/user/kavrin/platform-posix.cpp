// The platform on POSIX systems. The Kavrin class is the set of entries of one directory
// (KAVRIN_DEVICE_DIR), in natural order: kavrin2 before kavrin10. An entry is either the
// driver's character device, held with an exclusive lock, or the Unix-domain SOCK_SEQPACKET
// socket of a device server, which keeps report boundaries: one report per write, one reply
// per read. A server takes one client at a time (it stops listening while it has one), so a
// second connection is refused. Every transfer gives up after KAVRIN_TRANSFER_TIMEOUT_MS.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform.h"

#ifndef KAVRIN_DEVICE_DIR
#define KAVRIN_DEVICE_DIR "/dev/kavrin"
#endif
#ifndef KAVRIN_TRANSFER_TIMEOUT_MS
#define KAVRIN_TRANSFER_TIMEOUT_MS 10000
#endif

struct PlatformEnumeration {
  std::vector<std::string> paths;
  std::size_t next = 0;
};

struct PlatformDevice {
  int fd;
  bool is_socket;
};

namespace {

PlatformFailure last_failure = {PLATFORM_NO_FAILURE, "", 0};
unsigned long last_error = 0;

/// Records the failed step of an enumeration or an open for the library's message; returns
/// false for the caller to pass on.
bool record_failure(PlatformFailedStep step, const char* call, int code) {
  last_error = static_cast<unsigned long>(code);
  last_failure = {step, call, last_error};
  return false;
}

/// The directory of the class could not be listed.
bool listing_failed(int code) { return record_failure(PLATFORM_CLASS_FAILED, "opendir", code); }

/// Records the error code of a failed transfer; returns false for the caller to pass on.
bool transfer_failed(int code) {
  last_error = static_cast<unsigned long>(code);
  return false;
}

bool is_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

/// Natural order: runs of digits compare by their value, everything else byte by byte.
bool natural_less(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (is_digit(a[i]) && is_digit(b[j])) {
      while (i < a.size() && a[i] == '0') i++;
      while (j < b.size() && b[j] == '0') j++;
      std::size_t i_end = i, j_end = j;
      while (i_end < a.size() && is_digit(a[i_end])) i_end++;
      while (j_end < b.size() && is_digit(b[j_end])) j_end++;
      if (i_end - i != j_end - j) return i_end - i < j_end - j;
      int order = a.compare(i, i_end - i, b, j, j_end - j);
      if (order != 0) return order < 0;
      i = i_end;
      j = j_end;
    } else {
      if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
      i++;
      j++;
    }
  }
  if ((a.size() - i) != (b.size() - j)) return a.size() - i < b.size() - j;
  return a < b;  // equal but for leading zeros
}

/// The entry names of `dir` but "." entries, sorted; false with the error recorded on failure.
bool list_entries(DIR* dir, std::vector<std::string>* names) {
  errno = 0;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.') names->push_back(entry->d_name);
    errno = 0;
  }
  if (errno != 0) return listing_failed(errno);
  std::sort(names->begin(), names->end(), natural_less);
  return true;
}

using Deadline = std::chrono::steady_clock::time_point;

int milliseconds_left(Deadline deadline) {
  auto left = std::chrono::ceil<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return static_cast<int>(std::max<long long>(0, left.count()));
}

/// The moment a transfer that starts now gives up.
Deadline transfer_deadline() {
  return std::chrono::steady_clock::now() + std::chrono::milliseconds(KAVRIN_TRANSFER_TIMEOUT_MS);
}

/// Waits until `fd` is ready for `events` (or has an error to tell); false at the deadline.
bool wait_for(int fd, short events, Deadline deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    int ready = poll(&p, 1, milliseconds_left(deadline));
    if (ready > 0) return true;
    if (ready == 0) return transfer_failed(ETIMEDOUT);
    if (errno != EINTR) return transfer_failed(errno);
  }
}

/// Records a failed open; -1 for the caller to pass on.
int open_failed(int code) {
  record_failure(PLATFORM_OPEN_FAILED, "open", code);
  return -1;
}

/// A connection to the device server at `path`, or -1.
int connect_server(const char* path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (std::strlen(path) >= sizeof address.sun_path) return open_failed(ENAMETOOLONG);
  std::strcpy(address.sun_path, path);
  int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
  if (fd < 0) return open_failed(errno);
  // Non-blocking, so that a server with a full queue refuses at once instead of hanging.
  fcntl(fd, F_SETFD, FD_CLOEXEC);
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    int code = errno;
    close(fd);
    return open_failed(code);
  }
  return fd;
}

/// The character device at `path`, opened and locked for this process alone, or -1.
int open_device(const char* path) {
  int fd = open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return open_failed(errno);
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int code = errno;
    close(fd);
    return open_failed(code);
  }
  return fd;
}

}  // namespace

PlatformEnumeration* platform_enumerate(const PlatformDeviceClass&) {
  try {
    PlatformEnumeration* enumeration = new PlatformEnumeration;
    DIR* dir = opendir(KAVRIN_DEVICE_DIR);
    if (dir == nullptr) {
      if (errno == ENOENT) return enumeration;  // no directory: no device attached
      listing_failed(errno);
      delete enumeration;
      return nullptr;
    }
    std::vector<std::string> names;
    bool listed = list_entries(dir, &names);
    closedir(dir);
    if (!listed) {
      delete enumeration;
      return nullptr;
    }
    for (const std::string& name : names)
      enumeration->paths.push_back(std::string(KAVRIN_DEVICE_DIR) + "/" + name);
    return enumeration;
  } catch (const std::bad_alloc&) {
    listing_failed(ENOMEM);
    return nullptr;
  }
}

PlatformStep platform_next_path(PlatformEnumeration* enumeration, const char** path) {
  if (enumeration->next >= enumeration->paths.size()) return PLATFORM_END;
  *path = enumeration->paths[enumeration->next++].c_str();
  return PLATFORM_PATH;
}

void platform_end_enumeration(PlatformEnumeration* enumeration) { delete enumeration; }

PlatformDevice* platform_open(const char* path) {
  struct stat status;
  if (stat(path, &status) != 0) {
    open_failed(errno);
    return nullptr;
  }
  bool is_socket = S_ISSOCK(status.st_mode);
  int fd = is_socket ? connect_server(path) : open_device(path);
  if (fd < 0) return nullptr;
  PlatformDevice* device = new (std::nothrow) PlatformDevice{fd, is_socket};
  if (device == nullptr) {
    close(fd);
    open_failed(ENOMEM);
    return nullptr;
  }
  return device;
}

bool platform_write(PlatformDevice* device, const unsigned char* report, std::size_t length) {
  Deadline deadline = transfer_deadline();
  for (;;) {
    if (!wait_for(device->fd, POLLOUT, deadline)) return false;
    ssize_t written = device->is_socket ? send(device->fd, report, length, MSG_NOSIGNAL)
                                        : write(device->fd, report, length);
    if (written < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (written < 0) return transfer_failed(errno);
    // A report is one request: a device that takes only part of it did not take it.
    if (static_cast<std::size_t>(written) != length) return transfer_failed(EIO);
    return true;
  }
}

bool platform_read(PlatformDevice* device, unsigned char* buffer, std::size_t length,
                   std::size_t* count) {
  *count = 0;
  if (length == 0) return true;  // an empty reply is not transferred
  Deadline deadline = transfer_deadline();
  for (;;) {
    if (!wait_for(device->fd, POLLIN, deadline)) return false;
    ssize_t got = device->is_socket ? recv(device->fd, buffer, length, 0)
                                    : read(device->fd, buffer, length);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got < 0) return transfer_failed(errno);
    *count = static_cast<std::size_t>(got);
    return true;
  }
}

// A real box learns of an exchange by its reports alone.
void platform_staged(PlatformDevice*, const PlatformStaging&) {}

void platform_close(PlatformDevice* device) {
  close(device->fd);
  delete device;
}

unsigned long platform_last_error() { return last_error; }

PlatformFailure platform_last_failure() { return last_failure; }
