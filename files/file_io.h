// Reading and writing a file at a place, in one call each.
#ifndef KESTROVA_FILE_IO_H
#define KESTROVA_FILE_IO_H

#include <cstdint>

// Reads up to max bytes from offset (from the end when negative: that many
// bytes before it) into buffer, which holds max + 1 bytes: a zero is stored
// after the data read. Returns the bytes read; 0 for an empty file or one
// that cannot be opened.
std::uint32_t ReadFileAt(const char* path, std::int32_t offset, void* buffer, std::uint32_t max);

// Writes length bytes at offset (appends for any negative offset), creating
// the file when it is not there and never cutting it short. Returns the bytes
// written, 0 when the file cannot be opened.
std::uint32_t WriteFileAt(const char* path, std::int32_t offset, const void* data, std::uint32_t length);

/*
 * Puts the work file in the target's place, replacing it, so that after a
 * crash of the system or a power cut the target is the old file or the new
 * one, whole: the work file's bytes are flushed to the disk first, and the
 * rename is written through before it returns. Returns 0 when the flush or
 * the rename failed; the work file is then still there.
 */
int PutInPlace(const char* work, const char* target);

#endif
