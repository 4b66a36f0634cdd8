// The decisions of the playback engine, over plain data.
#ifndef KESTROVA_PLAYBACK_RULES_H
#define KESTROVA_PLAYBACK_RULES_H

#include <cstdint>

#include "core/input_event.h"
#include "core/mouse_records.h"
#include "core/window_note.h"

constexpr std::uint32_t kMoveMessage = 512;

// Whether a CMD_PLAY starts another run (after the count of finished runs
// has been taken) or ends the playback. A stop request always ends it.
bool StartsAnotherRun(bool stop_request, std::int32_t repetitions_done, std::int32_t repeat_count,
                      std::uint8_t continuous_playback);

// Whether the run is over at play position p: past the buffer, or on an end
// marker.
inline bool RunEndsAt(const InputEvent* records, std::uint32_t capacity, std::uint32_t p) {
  return p >= capacity || records[p].message == 0;
}

// The 0..65535 coordinate of an absolute move over the virtual desktop
// (origin and size in pixels, the origin negative when a monitor lies left of
// or above the primary one) that lands on the pixel by itself. The system maps
// n back to floor(n × size / 65536) + origin; aiming at the middle of the
// pixel's span of n gets the pixel for every size below 32768, where a
// truncated pixel × 65535 / size falls one pixel short. A pixel off the
// desktop aims at its nearest edge.
inline std::uint32_t AbsoluteCoordinate(std::int32_t pixel, std::int32_t origin, std::int32_t size) {
  // Taken modulo 2^32, as no pixel lies 2^31 pixels from the origin.
  auto offset = static_cast<std::int32_t>(static_cast<std::uint32_t>(pixel) - static_cast<std::uint32_t>(origin));
  if (offset >= size) offset = size - 1;
  if (offset < 0) return 0;
  return (static_cast<std::uint32_t>(offset) * 2 + 1) * 32768u / static_cast<std::uint32_t>(size);
}

// The milliseconds from now until the due tick, 0 when it has come. Ticks
// wrap, so the difference is taken modulo 2^32.
inline std::uint32_t TimeToTick(std::uint32_t due_tick, std::uint32_t now) {
  std::int32_t remaining = static_cast<std::int32_t>(due_tick - now);
  return remaining > 0 ? static_cast<std::uint32_t>(remaining) : 0;
}

// The wait that plays a record on time at normal speed. Its due tick is the
// run's base (when the run's first record was due) plus its recorded offset
// from that first record; the wait is what remains of it at now, 0 when it
// is late. Measured from the base, not from the step before, the lateness of
// a step that wakes late never adds up over a run.
inline std::uint32_t TimeToRecord(std::uint32_t base_tick, std::uint32_t first_time, std::uint32_t record_time,
                                  std::uint32_t now) {
  return TimeToTick(base_tick + (record_time - first_time), now);
}

// The end of what one step at normal speed plays from p on: record p, whose
// timer has fired, then every move after it that is already due at now (its
// due tick as TimeToRecord reckons it). A step that costs more than the gap
// between records, or a timer that fires late, would otherwise put the run
// one step further behind at every record. A key or button record waits for
// a step of its own, so that a press and its release never arrive together
// (a program that polls the keyboard would miss the press).
std::uint32_t DueRecordsEnd(const InputEvent* records, std::uint32_t capacity, std::uint32_t p,
                            std::uint32_t base_tick, std::uint32_t now);

// Where the cursor must go before the record i plays, or none: a button or a
// wheel turn acts where it was recorded, a middle or side button (a key
// record, without a place of its own) where the last mouse record before it
// put the cursor. None when the cursor stands there already, and for
// records that act wherever it is.
inline const InputEvent* PlaceToMoveTo(const InputEvent* records, std::uint32_t i, std::int32_t cursor_x,
                                       std::int32_t cursor_y) {
  const InputEvent& record = records[i];
  const InputEvent* place = nullptr;
  if (record.message == 256 || record.message == 257)
    place = ButtonOfKey(record.param_l & 0xFF, true).flags ? LastPlace(records, i) : nullptr;
  else if (record.message != kMoveMessage && HoldsPlace(record.message))
    place = &record;
  bool there = place && static_cast<std::int32_t>(place->param_l) == cursor_x &&
               static_cast<std::int32_t>(place->param_h) == cursor_y;
  return there ? nullptr : place;
}

// How far the mouse input after a note plays moved: as far as the top-left
// corner (left, top) of the window found for the note lies from where the
// note saw it. A window found resized gets the same: each point keeps its
// distance from that corner.
struct Offset {
  std::int32_t dx, dy;
};
inline Offset NoteOffset(const WindowNote& note, std::int32_t left, std::int32_t top) {
  return {left - note.left, top - note.top};
}

// How long a playback waits for a noted window, in milliseconds, for the
// seconds the settings give: 1 second at the least, a day at the most.
inline std::uint32_t WaitLimit(std::int32_t seconds) {
  return (seconds < 1 ? 1u : seconds > 86400 ? 86400u : static_cast<std::uint32_t>(seconds)) * 1000u;
}

struct FastBatch {
  std::uint32_t next;  // play position after the batch
  bool played;         // at least one move was played
};

// At fast speed, the run of moves from p on is thinned: only moves whose
// index is a multiple of 6 and the last move of the run are played (through
// play_move). While the left button is held every move is played, one per
// step, so the batch covers nothing.
FastBatch RunFastBatch(const InputEvent* records, std::uint32_t capacity, std::uint32_t p, bool button_held,
                       void (*play_move)(const InputEvent& move));

#endif
