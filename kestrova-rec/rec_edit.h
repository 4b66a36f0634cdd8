// The edits people make to a recording after it is made: another pace, a
// part kept, recordings played one after another, positions for another
// place or screen. Each works on the records alone and keeps what the
// program needs to load and play them.
#ifndef KESTROVA_REC_EDIT_H
#define KESTROVA_REC_EDIT_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/input_event.h"

using Records = std::vector<InputEvent>;

/*
 * Reads a decimal number of at most three decimals ("2", "0.5", "1.125") as
 * thousandths: seconds as milliseconds, a speed as thousandths of a factor.
 * False for anything else, or a value above most.
 */
bool ParseThousandths(std::string_view text, std::uint64_t most, std::uint64_t& thousandths);

// The milliseconds from the first record to each record: the sum of the
// pauses before it, a pause where the clock stepped back counting as none.
std::vector<std::uint64_t> ElapsedMs(const Records& records);

constexpr std::uint64_t kNoCap = ~std::uint64_t{0};

/*
 * Divides every pause by the speed (in thousandths, 1000 = as recorded),
 * then shortens each pause longer than cap_ms to cap_ms (and any to the
 * 24.8 days the 32-bit times tell forward). Record 0 keeps its
 * time; the new times are the exact ones rounded, so they never go out of
 * order and the total is within half a millisecond of exact.
 */
void Retime(Records& records, std::uint64_t speed_thousandths, std::uint64_t cap_ms);

/*
 * Keeps the records from from_ms to to_ms after the first. A key or button
 * pressed in the part and not let go in it is let go at its end; a release
 * whose press lies before the part is dropped; the last window note before
 * the part, when it names a window, goes to its start, and a note at its end
 * is dropped; a part that starts with neither a key down nor a move (a note
 * cannot start a recording) starts with a move to where the cursor is then.
 * Returns an empty text with the part in out, or why there is none.
 */
std::string Cut(const Records& records, std::uint64_t from_ms, std::uint64_t to_ms, Records& out);

// Appends next to joined, its first record pause_ms after joined's last and
// its own pauses as they were; after a note naming a window, a note of no
// window before it.
void Join(Records& joined, const Records& next, std::uint32_t pause_ms);

struct ScreenSize {
  std::int64_t width, height;  // 0: not given
};

struct MoveEdit {
  ScreenSize from, to;   // positions on from are mapped to to (to.width 0: no mapping)
  std::int64_t dx, dy;   // then shifted
  ScreenSize clamp;      // then kept on this screen (width 0: anywhere)
};

// Whether the record is a mouse record, whose fields hold a screen position.
bool IsMouseRecord(std::uint32_t message);

// Moves the position of every mouse record, and the rectangle of every
// window note; key records are untouched.
void MovePositions(Records& records, const MoveEdit& edit);

#endif
