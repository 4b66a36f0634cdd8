#include "app/poll.h"

#include "core/ids.h"
#include "app/main_window.h"
#include "core/run_mode.h"
#include "core/state.h"
#include "core/text.h"
#include "core/title_line.h"

namespace {

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// Ctrl+Shift+Alt+R records; Ctrl+Shift+Alt+P plays, or asks a running
// playback to stop. Every tick that finds the chord down posts again.
void PollHotkeys() {
  if (!KeyDown(VK_CONTROL) || !KeyDown(VK_SHIFT) || !KeyDown(VK_MENU)) return;
  if (KeyDown('R')) {
    PostCommand(CMD_RECORD, 0);
  } else if (KeyDown('P')) {
    Sleep(150);
    PostCommand(g_app.run_mode == RUN_PLAYING ? MAKEWPARAM(CMD_PLAY, 1) : CMD_PLAY, 0);
  }
}

}  // namespace

void UpdateTitleLine(HWND window) {
  TitleInputs in = {};
  in.run_mode = g_app.run_mode;
  in.now_tick = GetTickCount();
  in.start_tick = g_app.start_tick;
  in.repetitions_done = g_app.repetitions_done;
  in.repeat_count = g_app.repeat_count;
  in.continuous_playback = g_app.continuous_playback;
  in.tips = g_app.tips;
  in.shown_name = g_app.shown_name;
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
  if (lstrcmpA(title, current) != 0) SetWindowTextA(window, title);
}

void PollStep(HWND window) {
  PollHotkeys();
  UpdateTitleLine(window);
}

void RestoreTitleLine() { SetWindowTextA(g_app.main_window, g_app.shown_name[0] ? g_app.shown_name : kProductName); }
