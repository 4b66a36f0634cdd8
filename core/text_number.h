// Decimal text to number and back, in 32-bit two's-complement arithmetic.
#ifndef KESTROVA_TEXT_NUMBER_H
#define KESTROVA_TEXT_NUMBER_H

#include <cstdint>

// Reads the first run of decimal digits in the text, negated when the byte
// just before it is a minus sign. Overlong runs wrap without complaint; a text
// that is absent, empty or has no digit gives 0. "abc-12x34" gives -12.
std::int32_t TextToInt(const char* text);

// Writes the decimal text of value into dst, which must hold 12 bytes: an
// optional minus sign, no leading zeros, a terminating zero.
void IntToText(std::int32_t value, char* dst);

#endif
