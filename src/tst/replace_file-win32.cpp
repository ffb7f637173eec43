// File replacement on Windows: a new file beside the target, flushed to disk, moved over it.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "replace_file.h"

namespace {

/// True when `path` names something other than a disk file (a console, NUL, a pipe) or a
/// directory: such a target is written in place.
bool special_target(const char* path) {
  HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool special = GetFileType(h) != FILE_TYPE_DISK;
  BY_HANDLE_FILE_INFORMATION info;
  if (!special && GetFileInformationByHandle(h, &info))
    special = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  CloseHandle(h);
  return special;
}

}  // namespace

bool begin_replacement(FileReplacement& r, const char* path) {
  r.target = path;
  r.temp.clear();
  if (special_target(path)) {
    r.fp = std::fopen(path, "w");
    return r.fp != nullptr;
  }
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    return false;  // write-protected: leave it alone

  const std::string stem = r.target + "." + std::to_string(GetCurrentProcessId()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = stem + std::to_string(attempt) + ".tmp";
    int fd = _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    r.temp = name;
    r.fp = _fdopen(fd, "w");
    if (!r.fp) {
      _close(fd);
      DeleteFileA(name.c_str());
      r.temp.clear();
      return false;
    }
    return true;
  }
  return false;
}

bool finish_replacement(FileReplacement& r) {
  if (r.temp.empty()) {
    bool ok = std::fflush(r.fp) == 0 && !std::ferror(r.fp);
    ok = std::fclose(r.fp) == 0 && ok;
    r.fp = nullptr;
    return ok;
  }
  DWORD attributes = GetFileAttributesA(r.target.c_str());
  bool ok = std::fflush(r.fp) == 0 && !std::ferror(r.fp) && _commit(_fileno(r.fp)) == 0;
  ok = std::fclose(r.fp) == 0 && ok;
  r.fp = nullptr;
  ok = ok && MoveFileExA(r.temp.c_str(), r.target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) DeleteFileA(r.temp.c_str());
  else if (attributes != INVALID_FILE_ATTRIBUTES)  // keep hidden, system and archive marks
    SetFileAttributesA(r.target.c_str(), attributes);
  r.temp.clear();
  return ok;
}

void abandon_replacement(FileReplacement& r) {
  if (r.fp) std::fclose(r.fp);
  r.fp = nullptr;
  if (!r.temp.empty()) DeleteFileA(r.temp.c_str());
  r.temp.clear();
}
