// The program image at the head of a self-playing copy.
#ifndef KESTROVA_COMPILED_IMAGE_H
#define KESTROVA_COMPILED_IMAGE_H

#include <cstdint>

/*
 * Writes the program's own image into the work file with the repeat count
 * and the speed over its markers. A signature of the program is left behind
 * and its table's entry cleared: it could not vouch for a copy whose records
 * take its place. Returns the image's size, 0 when it could not be read and
 * written whole.
 */
std::uint32_t WriteCompiledImage(const char* work);

#endif
