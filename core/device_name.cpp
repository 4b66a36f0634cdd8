#include "core/device_name.h"

#include "core/text.h"

namespace {

// '#' stands for a digit from 1 to 9 (com0 and lpt0 are files).
const char kDeviceNames[] = "con\0prn\0aux\0nul\0com#\0lpt#\0conin$\0conout$\0";

bool IsSlash(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool NamesDevice(const char* path) {
  if (IsSlash(path[0]) && IsSlash(path[1]) && path[2] == '.' && IsSlash(path[3])) return true;
  // The last part, after the folders and a drive ("C:con" is the device too).
  const char* part = path[0] && path[1] == ':' ? path + 2 : path;
  for (const char* p = part; *p; p += CharacterBytes(p))
    if (IsSlash(*p)) part = p + 1;
  std::uint32_t n = 0;
  while (part[n] && part[n] != '.' && part[n] != ':') ++n;
  while (n && part[n - 1] == ' ') --n;
  for (const char* name = kDeviceNames; *name; name += TextLength(name) + 1) {
    std::uint32_t i = 0;
    while (i < n && (name[i] == '#' ? part[i] >= '1' && part[i] <= '9' : LowerAscii(part[i]) == name[i])) ++i;
    if (i == n && !name[i]) return true;
  }
  return false;
}
