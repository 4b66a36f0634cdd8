#include "core/caption.h"

#include <windows.h>

#include "core/run_clock.h"
#include "core/state.h"
#include "core/text.h"
#include "core/title_line.h"

void WriteCaption() {
  HWND window = g_app.main_window;
  TitleInputs in = {};
  in.run_mode = g_app.run_mode;
  in.now_tick = RunClock();
  in.start_tick = g_app.start_tick;
  in.repetitions_done = g_app.repetitions_done;
  in.repeat_count = g_app.repeat_count;
  in.continuous_playback = g_app.continuous_playback;
  in.tips = g_app.tips;
  in.shown_name = g_app.shown_name;
  if (g_app.following.wait_start) in.awaited = &g_app.following.note;
  POINT cursor = {};
  RECT outer = {};
  GetCursorPos(&cursor);
  GetWindowRect(window, &outer);
  in.cursor_x = cursor.x;
  in.cursor_y = cursor.y;
  in.window_left = outer.left;
  in.window_top = outer.top;
  in.window_right = outer.right;
  in.window_bottom = outer.bottom;

  char title[kTitleCapacity];
  char current[kTitleCapacity];
  ComposeTitle(in, title);
  current[0] = 0;
  GetWindowTextA(window, current, 255);
  if (!TextEqual(title, current)) SetWindowTextA(window, title);
}
