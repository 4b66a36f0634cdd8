// Names of recording and program files, the texts that name them, and the
// path on the command line. Names are code page 936 texts: a byte from 0x81
// to 0xFE leads a two-byte character, whose second byte may look like any
// ASCII character from '@' on, the backslash included.
#ifndef KESTROVA_FILE_NAME_RULES_H
#define KESTROVA_FILE_NAME_RULES_H

#include <cstdint>

#include "core/file_name.h"  // FileNamePart, NamesDevice

// Capacity of every file name and of the texts that hold one.
constexpr std::uint32_t kNameCapacity = 256;
// A name as a file dialog returns it: room for the ending the dialog adds to
// a name that fills the capacity, so that it comes back to be refused here.
constexpr std::uint32_t kAskedCapacity = kNameCapacity + 4;

extern const char kRecordingFilter[];  // the file dialogs' filters
extern const char kProgramFilter[];
extern const char kRecordingEnding[];  // ".rec"
extern const char kProgramEnding[];    // ".exe"
extern const char kNotRecording[];     // the warning for a file that is no recording
extern const char kSaveFailed[];       // followed by the path
extern const char kCompileFailed[];    // followed by the path
extern const char kReplaceQuestion[];  // asked before a file the dialog did not name is replaced

// Appends as much of src behind the text in dst (cap bytes in all) as fits
// without cutting a two-byte character in half.
void AppendWhole(char* dst, std::uint32_t cap, const char* src);

// Whether the name ends with the ending, ASCII letters compared without case.
bool EndsWithNoCase(const char* name, const char* ending);

// What NameToWrite made of the name.
constexpr int kNameRefused = 0, kNameAsAsked = 1, kNameChanged = 2;

// Makes the name a save dialog returned (kAskedCapacity bytes) the name of
// the file to write: the file name's trailing dots and blanks dropped, as
// Windows drops them, and the ending added unless it ends with it (without
// case). Returns kNameChanged when that is not the name the dialog asked
// about; kNameRefused when it can name no file here: nothing left of the
// file name, a device (core/file_name.h), or too long for kNameCapacity.
int NameToWrite(char* name, const char* ending);

// Cuts the ending off the name when it ends with it.
void CutEnding(char* name, const char* ending);

// Copies the command tail into dst (cap bytes) without its quote marks, the
// rest closing up; it is one path, blanks and all. Returns 0 when the path
// was too long and has been cut.
int UnquotePath(char* dst, std::uint32_t cap, const char* tail);

// Writes the compile result into dst (kNameCapacity bytes): the program's
// file name and its size, in MB above a megabyte, else in kilobytes. A name
// too long for the text is cut.
void ComposeCompiled(char* dst, const char* name, std::uint32_t size);

#endif
