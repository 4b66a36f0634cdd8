#include "files/compiled_image.h"

#include "core/certificate_table.h"
#include "core/file_size.h"
#include "core/heap_block.h"
#include "core/state.h"
#include "files/file_io.h"
#include "files/recording_rules.h"

std::uint32_t WriteCompiledImage(const char* work) {
  std::uint32_t size = OwnRecordsEnd();
  if (!size || size + 4096 < size) return 0;
  auto* image = static_cast<std::uint8_t*>(AllocateBlock(size + 4096, 1));
  if (!image) return 0;
  std::uint32_t n = ReadFileAt(g_app.own_path, 0, image, size);
  if (std::uint32_t at = CertificateEntryAt(image, n))
    for (std::uint32_t k = 0; k < 8; ++k) image[at + k] = 0;
  PatchMarker(image, n, '@', g_app.repeat_count);
  PatchMarker(image, n, '$', g_app.playback_speed);
  if (n != size || WriteFileAt(work, 0, image, n) != n) size = 0;
  FreeBlock(image);
  return size;
}
