// The program's whole mutable state: one instance, on the one UI thread.
#ifndef KESTROVA_STATE_H
#define KESTROVA_STATE_H

#include <windows.h>

#include <cstdint>

#include "core/image_fields.h"
#include "core/input_event.h"
#include "core/window_note.h"

// The window a playback follows: the last note it passed and the window
// found for that note.
struct Following {
  WindowNote note;             // its class empty: no window, input plays where it was made
  HWND window;                 // the window found for it, or none yet
  std::int32_t dx, dy;         // how far mouse input plays moved: as far as the window moved
  std::uint32_t wait_start;    // when the wait for the window began; 0: not waiting
};

struct AppState {
  HWND main_window;
  HCURSOR hand_cursor;        // over the toolbar and the About box's link
  HBITMAP toolbar_strip;      // seven pictures; mask-coloured pixels made black
  HBITMAP toolbar_mask;       // 1 where the strip had its mask colour
  InputEvent* event_buffer;   // the current recording, or none
  HHOOK wheel_hook;           // the mouse hook that records wheel turns, only while recording
  std::uint32_t run_mode;     // a RunMode
  std::int32_t repetitions_done;
  std::uint32_t event_count;    // records in the recording, the end marker behind them
  std::uint32_t play_position;  // the record the next playback step plays
  std::uint32_t start_tick;   // when the recording or the current run started (RunClock)
  std::uint32_t step_due;     // when the armed playback step is due (RunClock)
  std::int32_t stub_size;     // size of the program image without a recording
  char own_path[256];
  char settings_path[256];    // empty when the run has no settings file
  char shown_name[32];        // name of the recording last loaded or saved
  std::uint8_t button_held;   // the last played button event was a left press
  std::uint8_t click_played;  // some left-button event has been played
  std::uint8_t playback_speed;  // 0 normal, 1 fast
  std::uint8_t continuous_playback;
  std::uint8_t save_settings;   // write the settings file at exit, else delete it
  std::uint8_t tips;            // show button tips in the title line
  std::uint8_t chords_held;     // the hotkey chords are the main window's system hotkeys
  std::uint8_t step_armed;      // a playback step waits for step_due
  std::uint8_t fine_timer;      // the 1 ms timer resolution is held for a playback
  std::int32_t repeat_count;
  char repeat_text[32];
  std::uint8_t key_snapshot[256];  // 1..254: last seen key states; 0: mouse checksum
  std::uint8_t follow_windows;  // note windows while recording, find them while playing
  std::uint8_t exit_code;       // the process's, when the window goes
  std::int32_t window_wait;     // seconds a playback waits for a noted window, as the settings say
  HWND noted_window;            // the window the recording last noted, or none
  Following following;
};

extern AppState g_app;

// Puts every field to its starting value.
void ResetAppState();

// The image's own fields, read-only in its data. A compile patches them in
// the file, so their values are read through ImageFieldsAsLoaded, never
// taken from what the compiler saw when it built the image.
extern const ImageFields g_image_fields;

inline const ImageFields& ImageFieldsAsLoaded() {
  const ImageFields* fields = &g_image_fields;
  asm("" : "+r"(fields));  // whatever the pointer is now, the compiler cannot know it
  return *fields;
}

#endif
