// The file name in a path, and the names that open a device rather than a
// file on Windows, in whatever folder they are given: reading one reads the
// device (a serial port may wait for ever), and a file put in its place is
// written nowhere. Paths are code page 936 texts, whose second bytes may
// look like a backslash (core/text.h).
#ifndef KESTROVA_FILE_NAME_H
#define KESTROVA_FILE_NAME_H

// The file name in a path: the text after its last backslash or slash; the
// whole path when it has none, empty when it ends in one.
const char* FileNamePart(const char* path);

// Whether the path names a device: a path in the \\.\ device namespace, or a
// file name that is a reserved name (con, prn, aux, nul, com1 to com9, lpt1
// to lpt9, conin$, conout$) in any case, with or without an ending, the
// blanks before the ending ignored as Windows ignores them.
bool NamesDevice(const char* path);

#endif
