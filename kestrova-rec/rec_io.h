// Whole files in and out for the tool: a read names why it failed, and a
// write never costs the user a file.
#ifndef KESTROVA_REC_IO_H
#define KESTROVA_REC_IO_H

#include <cstddef>
#include <string>

#include "kestrova-rec/rec_file.h"

// Reads the whole file ("-": standard input). Returns an empty text, or the
// system's reason ("No such file or directory", "Is a directory"). On
// Windows a name that stands for a device in every folder (con, com1, ...:
// core/file_name.h) is refused unopened, saying so.
std::string ReadWhole(const std::string& path, Bytes& bytes);

/*
 * Writes the n bytes as the file at path ("-": standard output). The bytes go
 * to a work file beside it, created under a name no file has, which replaces
 * the file only once it is complete; on any failure only the work file is
 * removed. The work file is flushed to the disk before the rename, and the
 * rename after it; the replaced file's permission bits stay. An existing
 * folder, device or read-only file is refused and left as it was, and on
 * Windows a device's name in any folder. Returns an empty text, or why
 * nothing was written (or, when the folder would not sync after the rename,
 * why the new file is not known to be on the disk).
 */
std::string WriteWhole(const std::string& path, const void* data, std::size_t n);

// Whether the two paths name the same existing file.
bool SameFile(const std::string& a, const std::string& b);

#endif
