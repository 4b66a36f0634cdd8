#include "core/text_number.h"

std::int32_t TextToInt(const char* text) {
  if (!text || !text[0]) return 0;
  std::uint32_t pos = 0;
  while (text[pos] && (text[pos] < '0' || text[pos] > '9')) ++pos;
  char sign = pos ? text[pos - 1] : text[0];
  std::uint32_t value = 0;
  for (; text[pos] >= '0' && text[pos] <= '9'; ++pos)
    value = value * 10u + static_cast<std::uint32_t>(text[pos] - '0');
  if (sign == '-') value = 0u - value;
  return static_cast<std::int32_t>(value);
}

void IntToText(std::int32_t value, char* dst) {
  // The magnitude is taken unsigned so that the most negative value, whose
  // magnitude has no signed form, still comes out right.
  std::uint32_t magnitude = static_cast<std::uint32_t>(value);
  if (value < 0) {
    *dst++ = '-';
    magnitude = 0u - magnitude;
  }
  std::uint32_t power = 1000000000u;
  while (power > 1 && power > magnitude) power /= 10;
  for (; power; power /= 10) {
    *dst++ = static_cast<char>('0' + magnitude / power);
    magnitude %= power;
  }
  *dst = 0;
}
