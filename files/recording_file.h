// The current recording and the file it came from.
#ifndef KESTROVA_RECORDING_FILE_H
#define KESTROVA_RECORDING_FILE_H

#include <cstdint>

// Makes the records read from the file at offset (0 for a recording file,
// the stub size for a self-playing copy) up to end (0: the file's end; a
// signed copy's records end before its signature) the current recording, and
// its file name the shown name. Returns the bytes of records read, or 0 when the file
// is not a valid recording (the warning has then been shown) or memory ran
// short; the program then has no recording.
std::uint32_t LoadRecording(const char* path, std::int32_t offset, std::uint32_t end = 0);

// The warning for a file that holds no recording, with its path as caption.
void ShowNotRecording(const char* path);

// Makes the file name in path, cut to at most limit bytes, the shown name and
// the caption.
void ShowRecordingName(const char* path, std::uint32_t limit);

#endif
