// Names of recording and program files, the texts that name them, and the
// path on the command line. Names are code page 936 texts: a byte from 0x81
// to 0xFE leads a two-byte character, whose second byte may look like any
// ASCII character from '@' on, the backslash included.
#ifndef KESTROVA_FILE_NAME_RULES_H
#define KESTROVA_FILE_NAME_RULES_H

#include <cstdint>

// Capacity of every file name and of the texts that hold one.
constexpr std::uint32_t kNameCapacity = 256;

extern const char kRecordingFilter[];  // the file dialogs' filters
extern const char kProgramFilter[];
extern const char kRecordingEnding[];  // ".rec"
extern const char kProgramEnding[];    // ".exe"
extern const char kNotRecording[];     // the warning for a file that is no recording
extern const char kSaveFailed[];       // followed by the path
extern const char kCompileFailed[];    // followed by the path

// The file name in a path: the text after its last backslash; the whole path
// when it has none, empty when it ends in one. The second byte of a two-byte
// character never counts as a backslash.
const char* FileNamePart(const char* path);

// Appends as much of src behind the text in dst (cap bytes in all) as fits
// without cutting a two-byte character in half.
void AppendWhole(char* dst, std::uint32_t cap, const char* src);

// Whether the name ends with the ending, ASCII letters compared without case.
bool EndsWithNoCase(const char* name, const char* ending);

// Gives the name (cap bytes) the ending unless it ends with it already.
// Returns 0, leaving the name as it was, when the ending does not fit.
int EnsureEnding(char* name, std::uint32_t cap, const char* ending);

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
