#include "app/main_window.h"

#include "app/chords.h"
#include "app/dispatch.h"
#include "app/hand_cursor.h"
#include "app/poll.h"
#include "app/settings.h"
#include "app/toolbar.h"
#include "core/heap_block.h"
#include "core/ids.h"
#include "core/input_release.h"
#include "core/post_command.h"
#include "core/run_mode.h"
#include "core/state.h"
#include "core/toolbar_layout.h"
#include "play/playback.h"
#include "record/capture.h"
#include "record/wheel_capture.h"
#include "ui/dialogs.h"

namespace {

void OnCreate(HWND window) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  g_app.hand_cursor = CreateHandCursor(instance);
  g_app.toolbar_strip = static_cast<HBITMAP>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDB_TOOLBAR), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  g_app.toolbar_mask = MakeToolbarMask(g_app.toolbar_strip, 0);
  SetTimer(window, TIMER_POLL, 50, nullptr);
}

// Keys or a button that a recording or a playback holds down must not stay
// down when the window goes (closed, or the session ending) in the middle;
// nor the wheel hook of a recording stay installed, nor the timer resolution
// of a playback stay raised.
void ReleaseIfRunning() {
  StopWheelCapture();
  HoldTimerResolution(false);
  if (g_app.run_mode != RUN_IDLE) ReleaseInput();
}

void OnDestroy(HWND window) {
  ReleaseIfRunning();
  LetGoOfChords(window);
  WriteSettings();
  if (g_app.event_buffer) {
    FreeBlock(g_app.event_buffer);
    g_app.event_buffer = nullptr;
  }
  if (g_app.hand_cursor) {
    DestroyCursor(g_app.hand_cursor);
    g_app.hand_cursor = nullptr;
  }
  if (g_app.toolbar_strip) {
    DeleteObject(g_app.toolbar_strip);
    g_app.toolbar_strip = nullptr;
  }
  if (g_app.toolbar_mask) {
    DeleteObject(g_app.toolbar_mask);
    g_app.toolbar_mask = nullptr;
  }
  KillTimer(window, TIMER_POLL);
  PostQuitMessage(g_app.exit_code);
}

void OnKeyDown(WPARAM key) {
  if (key == 'O') PostCommand(CMD_OPEN, 0);
  if (key == VK_RETURN) PostCommand(CMD_OPTIONS, 0);
}

// The capture and playback timers are one-shot: killed before the step (the
// playback's by StepWhenDue, when the step is due), armed again by it, so
// that a step never overlaps the next.
void OnTimer(HWND window, WPARAM timer) {
  switch (timer) {
    case TIMER_CAPTURE:
      KillTimer(window, TIMER_CAPTURE);
      CaptureStep(window);
      break;
    case TIMER_PLAYBACK: StepWhenDue(window); break;
    case TIMER_POLL: PollStep(); break;
    case TIMER_ABOUT_LINK:
    case TIMER_REPEAT_EDIT: InjectControl(window, timer); break;
  }
}

// A command starts or ends recordings and playbacks: the chords and the timer
// resolution that a run holds follow the run mode it leaves.
void OnCommand(HWND window, WPARAM wparam, LPARAM lparam) {
  DispatchCommand(wparam, lparam);
  HoldChordsWhileBusy(window);
  HoldTimerResolution(g_app.run_mode == RUN_PLAYING);
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: OnCreate(window); break;
    case WM_PAINT: PaintToolbar(window); break;
    case WM_LBUTTONDOWN: PostCommand(CMD_OPEN + ButtonAtClick(static_cast<std::uint32_t>(lparam)), 0); break;
    case WM_KEYDOWN: OnKeyDown(wparam); break;
    case WM_MOUSEMOVE: SetCursor(g_app.hand_cursor); break;
    case WM_CLOSE: DestroyWindow(window); break;
    case WM_ENDSESSION: if (wparam) ReleaseIfRunning(); break;
    case WM_DESTROY: OnDestroy(window); return 0;
    case WM_TIMER: OnTimer(window, wparam); break;
    case WM_COMMAND: OnCommand(window, wparam, lparam); break;
    case WM_HOTKEY: OnChordHotkey(wparam); break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
