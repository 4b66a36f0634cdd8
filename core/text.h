// Zero-terminated 8-bit texts in fixed-size buffers. Every copy into a buffer
// goes through these, so none can run past its end.
#ifndef KESTROVA_TEXT_H
#define KESTROVA_TEXT_H

#include <cstdint>

// Number of bytes before the terminating zero; an absent text has none.
std::uint32_t TextLength(const char* text);

// Copies src into dst, which holds cap bytes, cutting it to cap - 1 bytes.
// Returns 1 when the whole text fitted, 0 when it was cut (or cap is 0).
int CopyBounded(char* dst, std::uint32_t cap, const char* src);

// Appends src behind the text already in dst (cap bytes in all), cut as by
// CopyBounded. Returns 1 when the whole text fitted, 0 when it was cut.
int AppendBounded(char* dst, std::uint32_t cap, const char* src);

// 1 when the two texts hold the same bytes.
int TextEqual(const char* a, const char* b);

// Bytes of the character at p in a code page 936 text: 2 for a lead byte
// (0x81 to 0xFE) with a second byte behind it, else 1. A second byte may
// look like any ASCII character from '@' on, the backslash included, never
// like a blank, a dot, a slash or a colon.
std::uint32_t CharacterBytes(const char* p);

// The byte with an ASCII capital letter made small: names compared without case.
char LowerAscii(char c);

#endif
