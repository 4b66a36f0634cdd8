#include "files/recording_rules.h"

#include "core/text.h"
#include "core/text_number.h"

bool IsRecording(const std::uint8_t* bytes, std::uint32_t n) {
  return n > 1 && bytes[0] == 0 && n % sizeof(InputEvent) == 0;
}

std::uint32_t RunLength(const InputEvent* records, std::uint32_t count) {
  std::uint32_t n = count ? 1 : 0;
  while (n < count && records[n].message != 0) ++n;
  return n;
}

void FormatMarkerValue(std::int32_t value, char* dst) {
  char digits[kMarkerTextCapacity];
  IntToText(value, digits);
  const char* d = digits;
  std::uint32_t n = 0;
  if (*d == '-') dst[n++] = *d++;
  for (std::uint32_t length = TextLength(d); n + length < 5;) dst[n++] = '0';
  CopyBounded(dst + n, kMarkerTextCapacity - n, d);
}

int PatchMarker(std::uint8_t* image, std::uint32_t n, char marker, std::int32_t value) {
  // The pattern is never spelled out: the image must hold each marker text
  // exactly once, in its own initialised data.
  std::uint32_t run = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    run = image[i] == static_cast<std::uint8_t>(marker) ? run + 1 : 0;
    if (run == 5) {
      char text[kMarkerTextCapacity];
      FormatMarkerValue(value, text);
      for (std::uint32_t k = 0; k < 5; ++k) image[i - 4 + k] = static_cast<std::uint8_t>(text[k]);
      return 1;
    }
  }
  return 0;
}
