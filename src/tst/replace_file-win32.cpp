// File replacement on Windows: a new file beside the target, flushed to disk, moved over it; or,
// for a file with several hard links or in a directory that takes no new file, a rewrite in
// place. Temporary files are opened with FILE_SHARE_DELETE, so that the console handler can
// remove them while they are open.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>

#include "pending_temp.h"
#include "replace_file.h"

namespace {

/// True when `path` names something other than a disk file (a console, NUL, a pipe) or a
/// directory: such a target is written in place.
bool special_target(const char* path) {
  HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool special = GetFileType(h) != FILE_TYPE_DISK;
  BY_HANDLE_FILE_INFORMATION info;
  if (!special && GetFileInformationByHandle(h, &info))
    special = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  CloseHandle(h);
  return special;
}

/// The number of names of the existing file `path` (1 when it cannot be told).
DWORD link_count(const char* path) {
  HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  BY_HANDLE_FILE_INFORMATION info;
  DWORD links = GetFileInformationByHandle(h, &info) ? info.nNumberOfLinks : 1;
  CloseHandle(h);
  return links;
}

/// A new temporary file named from `stem`, its text-mode stream in `r`; false with nothing left.
bool open_temp(FileReplacement& r, const std::string& stem) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = stem + std::to_string(attempt) + ".tmp";
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                           nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return false;
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_TEXT);
    r.fp = fd >= 0 ? _fdopen(fd, "w") : nullptr;
    if (!r.fp) {
      if (fd >= 0)
        _close(fd);
      else
        CloseHandle(h);
      DeleteFileA(name.c_str());
      return false;
    }
    r.temp = name;
    hold_temp(r.temp.c_str());
    return true;
  }
  return false;
}

std::string process_stem(const std::string& base) {
  return base + "." + std::to_string(GetCurrentProcessId()) + "-";
}

std::string temp_directory() {
  char dir[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof dir, dir);
  return n > 0 && n < sizeof dir ? std::string(dir, n) : std::string(".\\");
}

void drop_temp(FileReplacement& r) {
  if (!r.temp.empty()) DeleteFileA(r.temp.c_str());
  r.temp.clear();
  release_temp();
}

bool close_stream(FileReplacement& r, bool sync) {
  bool ok = std::fflush(r.fp) == 0 && !std::ferror(r.fp) && (!sync || _commit(_fileno(r.fp)) == 0);
  ok = std::fclose(r.fp) == 0 && ok;
  r.fp = nullptr;
  return ok;
}

}  // namespace

bool begin_replacement(FileReplacement& r, const char* path) {
  r.target = path;
  r.temp.clear();
  if (special_target(path)) {
    r.kind = ReplacementKind::Direct;
    r.fp = std::fopen(path, "w");
    return r.fp != nullptr;
  }
  DWORD attributes = GetFileAttributesA(path);
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) return false;  // write-protected
  r.kind = ReplacementKind::Rename;
  if (!exists) return open_temp(r, process_stem(r.target));
  if (link_count(path) == 1 && open_temp(r, process_stem(r.target))) return true;
  // Rewritten in place: the file must open for writing now, not only once the run is over.
  HANDLE h =
      CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  r.kind = ReplacementKind::InPlace;
  return open_temp(r, process_stem(temp_directory() + "kavtest"));
}

bool finish_replacement(FileReplacement& r) {
  if (r.kind == ReplacementKind::Direct) return close_stream(r, false);
  DWORD attributes = GetFileAttributesA(r.target.c_str());
  bool ok = close_stream(r, true);
  hold_signals(true);
  if (ok && r.kind == ReplacementKind::Rename) {
    ok = MoveFileExA(r.temp.c_str(), r.target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    DWORD error = ok ? 0 : GetLastError();
    if (ok) r.temp.clear();                           // it is the target now
    if (ok && attributes != INVALID_FILE_ATTRIBUTES)  // keep hidden, system and archive marks
      SetFileAttributesA(r.target.c_str(), attributes);
    // A target open elsewhere (the run's own lock holds it) cannot be renamed over on every
    // Windows: its bytes are replaced in place instead, where its sharing allows it.
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
      ok = rewrite_in_place(r.target, r.temp);
  } else if (ok) {
    ok = rewrite_in_place(r.target, r.temp);
  }
  drop_temp(r);
  hold_signals(false);
  return ok;
}

void abandon_replacement(FileReplacement& r) {
  if (r.fp) std::fclose(r.fp);
  r.fp = nullptr;
  drop_temp(r);
}
