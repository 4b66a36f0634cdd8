#include "core/text.h"

std::uint32_t TextLength(const char* text) {
  std::uint32_t n = 0;
  if (text)
    while (text[n]) ++n;
  return n;
}

int CopyBounded(char* dst, std::uint32_t cap, const char* src) {
  if (cap == 0) return 0;
  dst[0] = 0;
  return AppendBounded(dst, cap, src);
}

int AppendBounded(char* dst, std::uint32_t cap, const char* src) {
  std::uint32_t n = TextLength(dst);
  if (n >= cap) return 0;
  if (src) {
    for (; *src; ++src) {
      if (n + 1 >= cap) {
        dst[n] = 0;
        return 0;
      }
      dst[n++] = *src;
    }
  }
  dst[n] = 0;
  return 1;
}

int TextEqual(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

std::uint32_t CharacterBytes(const char* p) {
  unsigned char c = static_cast<unsigned char>(p[0]);
  return c >= 0x81 && c <= 0xFE && p[1] ? 2 : 1;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
