// The size of a file, or of the program's own file.
#ifndef KESTROVA_FILE_SIZE_H
#define KESTROVA_FILE_SIZE_H

#include <cstdint>

// Size of the file in bytes (low 32 bits), or 0 when it cannot be opened. An
// absent or empty path stands for the program's own file.
std::uint32_t FileSizeOf(const char* path);

// Where the program's own file (the own path; empty: the module's file) ends
// without a signature appended to it: the stub size for the program, more
// for a self-playing copy (its records).
std::uint32_t OwnRecordsEnd();

// Whether this is a self-playing copy: its own file holds records past the
// stub size.
bool IsSelfPlayingCopy();

#endif
