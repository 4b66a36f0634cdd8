// A window note: which top-level window the input after it went to, noted
// while recording so that a playback can find that window again, wherever it
// moved and however late it opens. A note is a run of 20-byte records that
// versions without notes pass over (their messages are none they play):
//   head   message kNoteMessage, param_l left, param_h top (signed), window
//          width | height << 16: the window's outer rectangle on the screen
//   texts  message kNoteTextMessage, 12 bytes each in param_l, param_h and
//          window (least significant byte first): the class name, a zero,
//          the title, a zero, zero bytes to the end of the last text record
// All the records of a note carry the time of the input it comes before, so
// it adds no pause. A note with an empty class stands for no window: the
// input after it plays at its recorded places, and it holds no title and a
// zero rectangle.
#ifndef KESTROVA_WINDOW_NOTE_H
#define KESTROVA_WINDOW_NOTE_H

#include <cstdint>

#include "core/input_event.h"

constexpr std::uint32_t kNoteMessage = 0x8057;
constexpr std::uint32_t kNoteTextMessage = 0x8058;
// A class name or a title as a note keeps it: at most 127 bytes and its zero.
constexpr std::uint32_t kNoteTextCapacity = 128;
constexpr std::uint32_t kNoteTextBytesPerRecord = 12;
// The longest note: its head and the texts of a class and a title each full.
constexpr std::uint32_t kNoteMaxRecords = 1 + (2 * kNoteTextCapacity + kNoteTextBytesPerRecord - 1) / 12;

struct WindowNote {
  std::int32_t left, top;
  std::uint32_t width, height;  // 0 to 65535 each
  char window_class[kNoteTextCapacity];  // empty: no window
  char title[kNoteTextCapacity];
};

inline bool IsNoteRecord(std::uint32_t message) { return message == kNoteMessage || message == kNoteTextMessage; }

// Cuts a text to what a note keeps of it: at most kNoteTextCapacity - 1
// bytes, and no lead byte of code page 936 left without its second byte at
// the end. A title read from a window goes through this before it is noted
// or compared with a note, so that both are cut alike.
void KeepNoteText(char* text);

// The records the note takes, its head included.
std::uint32_t NoteLength(const WindowNote& note);

// Writes the note at time into records, which has room for room records.
// Returns the records written, 0 (nothing written) when it does not fit.
std::uint32_t WriteNote(const WindowNote& note, std::uint32_t time, InputEvent* records, std::uint32_t room);

/*
 * Reads the note whose head is records[0], of the count records that follow
 * from there. Returns its length in records, or 0 when they hold no whole
 * note: no head, a text record missing, cut short or carrying another time,
 * a text longer than a note keeps, bytes behind the title's zero, a text
 * record more than the texts need, or a no-window note with a title or a
 * rectangle. Reads no record past count.
 */
std::uint32_t ReadNote(const InputEvent* records, std::uint32_t count, WindowNote& note);

// Which window the note before a record names, when the record needs one: a
// button going down (left, right, middle or side) or a wheel turn goes to
// the window under the cursor, any other key going down to the foreground
// window; moves and releases need no note. A playback brings the window of a
// key going down to the foreground.
enum NoteWindow : std::uint8_t { NOTE_NONE, NOTE_UNDER_CURSOR, NOTE_FOREGROUND };
NoteWindow NoteWindowFor(const InputEvent& record);

// How a window of the class and the title (as KeepNoteText cuts it) matches
// the note: 2 the same class and title, 1 the same class only, 0 not at all.
// Classes and titles are compared byte for byte.
int NoteMatch(const WindowNote& note, const char* window_class, const char* title);

#endif
