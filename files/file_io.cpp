#include "files/file_io.h"

#include <windows.h>

namespace {

HANDLE OpenShared(const char* path, DWORD access, DWORD disposition) {
  return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

}  // namespace

std::uint32_t ReadFileAt(const char* path, std::int32_t offset, void* buffer, std::uint32_t max) {
  DWORD read = 0;
  HANDLE file = OpenShared(path, GENERIC_READ, OPEN_EXISTING);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD size = GetFileSize(file, nullptr);
    if (size != 0 && size != INVALID_FILE_SIZE) {
      SetFilePointer(file, offset, nullptr, offset < 0 ? FILE_END : FILE_BEGIN);
      ReadFile(file, buffer, max < size ? max : size, &read, nullptr);
    }
    CloseHandle(file);
  }
  static_cast<char*>(buffer)[read] = 0;
  return read;
}

std::uint32_t WriteFileAt(const char* path, std::int32_t offset, const void* data, std::uint32_t length) {
  DWORD written = 0;
  HANDLE file = OpenShared(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return 0;
  SetFilePointer(file, offset < 0 ? 0 : offset, nullptr, offset < 0 ? FILE_END : FILE_BEGIN);
  WriteFile(file, data, length, &written, nullptr);
  CloseHandle(file);
  return written;
}

int PutInPlace(const char* work, const char* target) {
  HANDLE file = OpenShared(work, GENERIC_WRITE, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BOOL flushed = FlushFileBuffers(file);
  CloseHandle(file);
  return flushed && MoveFileExA(work, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
