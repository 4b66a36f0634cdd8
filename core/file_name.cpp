#include "core/file_name.h"

#include "core/text.h"

namespace {

// In a name's small form a digit from 1 to 9 is \1 (com0 and lpt0 are files).
const char kDeviceNames[] = "con\0prn\0aux\0nul\0com\1\0lpt\1\0conin$\0conout$\0";

bool IsSlash(char c) { return c == '\\' || c == '/'; }

}  // namespace

const char* FileNamePart(const char* path) {
  const char* part = path;
  for (const char* p = path; *p; p += CharacterBytes(p))
    if (IsSlash(*p)) part = p + 1;
  return part;
}

bool NamesDevice(const char* path) {
  if (IsSlash(path[0]) && IsSlash(path[1]) && path[2] == '.' && IsSlash(path[3])) return true;
  // The name before the ending, small, the blanks at its end dropped: no
  // device's name is longer than 7 bytes.
  char name[9] = {};
  std::uint32_t n = 0;
  for (const char* p = FileNamePart(path); *p && *p != '.' && n < 8; ++p)
    name[n++] = *p >= '1' && *p <= '9' ? '\1' : LowerAscii(*p);
  while (n && name[n - 1] == ' ') name[--n] = 0;
  for (const char* device = kDeviceNames; *device; device += TextLength(device) + 1)
    if (TextEqual(name, device)) return true;
  return false;
}
