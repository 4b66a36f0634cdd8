// Names that open a device rather than a file on Windows, in whatever folder
// they are given: reading one reads the device (a serial port may wait for
// ever), and a file put in its place is written nowhere.
#ifndef KESTROVA_DEVICE_NAME_H
#define KESTROVA_DEVICE_NAME_H

// Whether the path (a code page 936 text) names a device: a path in the
// \\.\ device namespace, or one whose last part is a reserved name (con,
// prn, aux, nul, com1 to com9, lpt1 to lpt9, conin$, conout$) in any case,
// with or without an ending, the blanks before the ending ignored as Windows
// ignores them.
bool NamesDevice(const char* path);

#endif
