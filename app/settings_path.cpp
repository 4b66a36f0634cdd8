#include "app/settings_path.h"

#include "core/text.h"

int MakeSettingsPath(char* dst, const char* own_path) {
  if (CopyBounded(dst, kPathCapacity, own_path)) {
    for (std::uint32_t i = TextLength(dst); i > 0; --i) {
      if (dst[i - 1] == '.') {
        dst[i - 1] = 0;
        break;
      }
    }
    if (AppendBounded(dst, kPathCapacity, ".ini")) return 1;
  }
  dst[0] = 0;
  return 0;
}
