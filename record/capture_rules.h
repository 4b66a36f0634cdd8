// The decisions of input capture, over plain data: which key changed, what
// record a change makes, when the buffer grows and where a stop cuts.
#ifndef KESTROVA_CAPTURE_RULES_H
#define KESTROVA_CAPTURE_RULES_H

#include <cstdint>

#include "core/input_event.h"
#include "core/mouse_records.h"
#include "core/key_sets.h"
#include "core/window_note.h"

constexpr std::uint32_t kNoKey = 255;
constexpr std::uint32_t kLeftShift = 160;  // never recorded
constexpr std::uint32_t kGrowthBytes = 20000;  // 1000 records at a time
constexpr std::uint32_t kGrowthMargin = 100;   // free records kept after each append

// Compares the down state of keys 1 to 254, lowest first, with the
// snapshot; at the first key that differs, stores its new state in the
// snapshot and returns it. Returns kNoKey when nothing changed. Only one key
// is taken per call: the others are found by the following calls.
std::uint32_t ScanKeys(std::uint8_t* snapshot, bool (*key_down)(std::uint32_t vk));

// (x + y) mod 256, the one-byte checksum of a cursor position.
inline std::uint8_t MouseChecksum(std::int32_t x, std::int32_t y) {
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(x) + static_cast<std::uint32_t>(y));
}

// Fills message, param_l and param_h of the record one capture step makes:
// for a key change (vk not kNoKey, down its new state, scan its scan code),
// else for a cursor move whose checksum differs from the last recorded one
// (never on the screen's top row or left column), which then becomes the
// last one. Returns 0 when the step records nothing.
int MakeCaptureRecord(std::uint32_t vk, bool down, std::uint32_t scan, std::int32_t x, std::int32_t y,
                      std::uint8_t& checksum, InputEvent& record);

// Fills record with a move to (x, y), which becomes the last recorded place,
// and returns 1 when vk is the middle or a side button and the cursor is not
// where the last mouse record put it. Recorded as a key, the button holds no
// place and plays where the record before it put the cursor: its snapshot
// entry is put back so that the next step takes it, after the move. Returns 0
// for every other case.
int MoveBeforeButtonKey(std::uint32_t vk, std::uint8_t* snapshot, const InputEvent* records, std::uint32_t count,
                        std::int32_t x, std::int32_t y, InputEvent& record);

// Appends a wheel turn that arrived between two capture steps, always
// leaving a zero record behind the last (count + 1 below the capacity).
// Without room, the delta is added to the last record when that is a turn
// the same way, so that the turned total is kept. Returns 0 when the turn
// could be kept neither way.
int AppendWheelTurn(InputEvent* records, std::uint32_t capacity, std::uint32_t& count, const InputEvent& turn);

// Whether a buffer of the given capacity (in records) must grow before the
// next append.
inline bool BufferNeedsGrowth(std::uint32_t event_count, std::uint32_t capacity) {
  return event_count + kGrowthMargin >= capacity;
}

// The record count without the note records at its end, record 0 never cut:
// a note with no input after it would make a playback wait for nothing.
std::uint32_t WithoutTrailingNotes(const InputEvent* records, std::uint32_t count);

// The record count after the stop trim of a recording: the closing click
// goes, that is a left press on the program's own window that is the last
// press, with nothing behind it but its release and moves. A press on the
// window earlier on (its caption bar dragged) is the user's and stays. Without
// a closing click, the closing chord goes (ChordTrimmedCount). Notes left at
// the end go with them. Record 0 is never cut.
std::uint32_t TrimmedCount(const InputEvent* records, std::uint32_t count, std::uint32_t main_window);

// The record count after a playback stopped by the record command: the
// records played (without notes left at their end), when it stopped inside a
// run; the whole recording when it stopped between runs (before the first
// step of the next, or on the end marker), so that what plays can always be
// saved too.
inline std::uint32_t PlaybackCutCount(const InputEvent* records, std::uint32_t count, std::uint32_t position) {
  return position > 0 && position < count && records[position].message != 0 ? WithoutTrailingNotes(records, position)
                                                                             : count;
}

// Whether the key is one of the record hotkey's: Ctrl, Shift, Alt (either
// hand, or either) and R.
inline bool IsRecordChordKey(std::uint32_t vk) { return IsChordModifier(vk) || vk == 'R'; }

// The record count without the closing chord: the key presses of the record
// hotkey (and the moves and notes made while pressing it) that end the
// recording, cut at the first of them. Keys pressed before the chord, their releases and a
// chord key used and released earlier all stay. Record 0 is never cut.
std::uint32_t ChordTrimmedCount(const InputEvent* records, std::uint32_t count);

#endif
