// The decisions of the playback engine, over plain data.
#ifndef KESTROVA_PLAYBACK_RULES_H
#define KESTROVA_PLAYBACK_RULES_H

#include <cstdint>

#include "core/input_event.h"

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

// A screen coordinate scaled to the 0..65535 range of an absolute move,
// computed unsigned: a negative coordinate wraps to a large one.
inline std::uint32_t ScaleToAbsolute(std::uint32_t coordinate, std::uint32_t screen_size) {
  return screen_size ? coordinate * 65535u / screen_size : 0;
}

// Whether a button record must first move the cursor to its own position,
// where the click was made: a click recorded without a move before it would
// otherwise land wherever the cursor happens to be.
inline bool NeedsMoveBeforeButton(const InputEvent& record, std::int32_t cursor_x, std::int32_t cursor_y) {
  bool button = record.message >= 513 && record.message <= 517 && record.message != 515;
  return button && (static_cast<std::int32_t>(record.param_l) != cursor_x ||
                    static_cast<std::int32_t>(record.param_h) != cursor_y);
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
