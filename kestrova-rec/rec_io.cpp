#include "kestrova-rec/rec_io.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <stdlib.h>
#include <windows.h>

#include "core/file_name.h"
#else
#include <unistd.h>
#endif

namespace {

// Flushing the work file to the disk before the rename, and the rename
// itself after it, makes the output the old file or the new one, whole, after
// a crash of the system or a power cut; a rename alone may reach the disk
// before the bytes do.
#ifdef _WIN32
constexpr int kCreateFlags = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY;
int Pid() { return static_cast<int>(GetCurrentProcessId()); }
bool Flush(int fd) { return _commit(fd) == 0; }
// Windows keeps no permission bits but the read-only one, and a read-only
// output is refused before this.
bool KeepMode(int, mode_t) { return true; }
bool ReplaceWith(const std::string& work, const std::string& path) {
  if (MoveFileExA(work.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  errno = EACCES;
  return false;
}
bool FlushFolder(const std::string&) { return true; }  // the write-through rename did it
// Windows opens a device for such a name in every folder: reading it may wait
// for ever, and what is written to it is no file.
bool IsDevice(const std::string& path) { return NamesDevice(path.c_str()); }
#else
constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL;
int Pid() { return static_cast<int>(getpid()); }
bool Flush(int fd) { return fsync(fd) == 0; }
bool KeepMode(int fd, mode_t mode) { return fchmod(fd, mode & 07777) == 0; }
bool ReplaceWith(const std::string& work, const std::string& path) { return std::rename(work.c_str(), path.c_str()) == 0; }
bool IsDevice(const std::string&) { return false; }  // a name is only a name here
// The folder holds the rename: it is synced too. A file system that cannot
// sync a folder (EINVAL) offers no more than the rename.
bool FlushFolder(const std::string& path) {
  std::size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  bool synced = fsync(fd) == 0 || errno == EINVAL;
  int sync_errno = errno;
  close(fd);
  errno = sync_errno;
  return synced;
}
#endif

std::string Reason() { return std::strerror(errno); }

const char kDevice[] = "a device, not a file (Windows keeps the name for one in every folder)";

// Writes everything to the open descriptor; false with errno on a failure.
bool WriteFully(int fd, const char* data, std::size_t n) {
  while (n) {
    std::size_t step = n < (1u << 30) ? n : (1u << 30);
    auto written = write(fd, data, static_cast<unsigned>(step));
    if (written <= 0) {
      if (written == 0) errno = ENOSPC;
      return false;
    }
    data += written, n -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

std::string ReadWhole(const std::string& path, Bytes& bytes) {
  if (path != "-" && IsDevice(path)) return kDevice;
  std::FILE* in = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (!in) return Reason();
  static char chunk[1 << 16];
  errno = 0;
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
  // A folder opens, but does not read.
  std::string why = std::ferror(in) ? (errno ? Reason() : "read error") : "";
  if (in != stdin) std::fclose(in);
  return why;
}

std::string WriteWhole(const std::string& path, const void* data, std::size_t n) {
  if (path == "-") {
    if (std::fwrite(data, 1, n, stdout) != n || std::fflush(stdout) != 0) return Reason();
    return {};
  }
  if (IsDevice(path)) return kDevice;
  struct stat existing;
  bool replaces = stat(path.c_str(), &existing) == 0;
  if (replaces) {
    if (S_ISDIR(existing.st_mode)) return std::strerror(EISDIR);
    if (!S_ISREG(existing.st_mode)) return "not a regular file (a device or a pipe); it is not replaced";
    if (!(existing.st_mode & 0222)) return "a read-only file; it is not replaced";
  }
  // The work file lies beside the output, so that the rename stays on one
  // file system, under a name that no file had.
  std::string work;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    work = path + ".kestrova-rec-" + std::to_string(Pid()) + "-" + std::to_string(attempt);
    fd = open(work.c_str(), kCreateFlags, 0666);
    if (fd < 0 && errno != EEXIST) return Reason();
  }
  if (fd < 0) return Reason();
  bool written = WriteFully(fd, static_cast<const char*>(data), n) && (!replaces || KeepMode(fd, existing.st_mode)) &&
                 Flush(fd);
  int write_errno = errno;
  if (close(fd) != 0 && written) written = false, write_errno = errno;
  if (written && ReplaceWith(work, path)) {
    // Past the rename the new file stands; a folder that would not sync is
    // said all the same: the write is not known to be on the disk.
    if (FlushFolder(path)) return {};
    return "replaced, but its folder would not sync to the disk: " + Reason();
  }
  if (written) write_errno = errno;
  std::remove(work.c_str());
  return std::strerror(write_errno);
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a == "-" || b == "-") return false;
  struct stat first, second;
  if (stat(a.c_str(), &first) != 0 || stat(b.c_str(), &second) != 0) return false;
#ifdef _WIN32
  // Windows gives no inode numbers here: compare the full paths.
  char full_a[_MAX_PATH], full_b[_MAX_PATH];
  return _fullpath(full_a, a.c_str(), sizeof full_a) && _fullpath(full_b, b.c_str(), sizeof full_b) &&
         _stricmp(full_a, full_b) == 0;
#else
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
#endif
}
