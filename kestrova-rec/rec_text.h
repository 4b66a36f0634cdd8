// The text form of a recording: one line per record that a person can read,
// edit in any editor, diff and keep under version control, and that packs
// back into exactly the bytes it was shown from.
//
//   start 48213921                         the first record's time
//   0  move 512 384  window 0x000200a4     gap in ms, the event, rare fields
//   16  key-down Ctrl  scan 29  window 0x000200a4
//   40  wheel -120 at 412 300              a wheel turn: delta, place
//   0  window "Untitled - Notepad" class Notepad at 100 80 size 640 480
//                                          a window note: all its records
//
// Everything from '#' to the end of a line is a comment.
#ifndef KESTROVA_REC_TEXT_H
#define KESTROVA_REC_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/input_event.h"

// The whole records in the n bytes, as the program reads them.
std::vector<InputEvent> RecordsOf(const std::uint8_t* bytes, std::size_t n);

// The records a run of playback goes through: the first whatever it holds,
// then the rest up to the next end marker.
std::size_t PlayedRecords(const std::vector<InputEvent>& records);

// What a person wants to know of a recording before reading its lines.
struct RecordingSummary {
  std::size_t records;
  std::size_t played;         // PlayedRecords
  std::uint64_t duration_ms;  // sum of the played records' forward gaps
  std::size_t key_presses;
  std::size_t clicks;         // presses of the left, right, middle and side buttons
  std::size_t scrolls;        // wheel turns, either way
  std::size_t steps_back;     // records whose time is before the one ahead
  std::size_t window_notes;   // whole ones, "window none" too
};

RecordingSummary Summarize(const std::vector<InputEvent>& records);

// Appends the start line and one line per record.
void AppendRecordLines(std::string& out, const std::vector<InputEvent>& records);

// The key's name ("A", "Ctrl", "F12", "Num5"), or its code as "0xba".
std::string KeyName(std::uint8_t vk);

// The key names and aliases pack reads, as lines for --help.
std::string KeyNamesHelp();

// The text with every byte that a terminal could take for a control, and
// the quote and backslash, written as \xHH.
std::string Escaped(std::string_view text);

struct PackError {
  std::size_t line;  // 1-based line of the text; 0: the text as a whole
  std::string what;
};

// At most this many errors are kept, in the order of their lines.
constexpr std::size_t kShownErrors = 10;

struct PackErrors {
  std::vector<PackError> first;
  std::size_t count = 0;  // all of them
};

/*
 * Turns the text form back into records. Returns true with the bytes in out,
 * or false with every line that is wrong and what is wrong there (out is then
 * unspecified). Bytes the program would refuse to load are an error too,
 * named at the first record's line, and a torn window note (written as raw
 * messages) at its first line; so are UTF-16 and binary input.
 */
bool PackText(std::string_view text, std::vector<std::uint8_t>& out, PackErrors& errors);

#endif
