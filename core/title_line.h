// What the caption of the main window says: the recording or playing clock,
// the window a playback waits for, the loaded recording's name, or the tip
// of the button under the cursor.
#ifndef KESTROVA_TITLE_LINE_H
#define KESTROVA_TITLE_LINE_H

#include <cstdint>

#include "core/window_note.h"

constexpr std::uint32_t kTitleCapacity = 256;

extern const char* const kButtonTips[6];

struct TitleInputs {
  std::uint32_t run_mode;
  std::uint32_t now_tick, start_tick;  // milliseconds
  std::int32_t repetitions_done;
  std::int32_t repeat_count;
  std::uint8_t continuous_playback;
  std::uint8_t tips;
  const char* shown_name;
  std::int32_t cursor_x, cursor_y;  // screen
  std::int32_t window_left, window_top, window_right, window_bottom;  // outer rectangle, screen
  const WindowNote* awaited;  // while playing, the note whose window the playback waits for; else none
};

// Writes the caption for the given state into dst (kTitleCapacity bytes).
void ComposeTitle(const TitleInputs& in, char* dst);

#endif
