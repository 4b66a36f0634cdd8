#include "core/file_size.h"

#include <windows.h>

#include "core/certificate_table.h"
#include "core/state.h"

std::uint32_t FileSizeOf(const char* path) {
  char own[256];
  if (!path || !path[0]) {
    own[0] = 0;
    GetModuleFileNameA(nullptr, own, sizeof own - 1);
    own[sizeof own - 1] = 0;
    path = own;
  }
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD size = GetFileSize(file, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return size == INVALID_FILE_SIZE ? 0 : size;
}

std::uint32_t OwnRecordsEnd() {
  // The loader maps the headers as they lie in the file: the entry is read
  // in memory.
  return RecordsEnd(reinterpret_cast<const std::uint8_t*>(GetModuleHandleA(nullptr)), 1024,
                    FileSizeOf(g_app.own_path), static_cast<std::uint32_t>(g_app.stub_size));
}

bool IsSelfPlayingCopy() { return OwnRecordsEnd() > static_cast<std::uint32_t>(g_app.stub_size); }
