#include "play/playback.h"

#include "core/caption.h"
#include "core/file_size.h"
#include "core/heap_block.h"
#include "core/ids.h"
#include "core/input_release.h"
#include "core/key_sets.h"
#include "core/mouse_records.h"
#include "core/post_command.h"
#include "core/run_clock.h"
#include "core/run_mode.h"
#include "core/state.h"
#include "play/playback_rules.h"
#include "play/window_notes.h"

namespace {

constexpr UINT kFirstRecordDelay = 25;  // ms from the start of a run
constexpr UINT kAfterBatchDelay = 75;   // ms after a fast batch of moves
// ms between two steps at fast speed: the window timer's minimum, the pace
// fast speed has always had.
constexpr UINT kFastStepDelay = 10;
constexpr UINT kLookAgainDelay = 50;  // ms between two looks for a window

// The absolute move lands on the recorded pixel by itself, on any monitor;
// SetCursorPos after it is a second guard should the system map it otherwise.
// The place is moved as far as the window followed moved.
void PlayMove(const InputEvent& move) {
  int x = static_cast<int>(move.param_l) + g_app.following.dx, y = static_cast<int>(move.param_h) + g_app.following.dy;
  DWORD dx = AbsoluteCoordinate(x, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN));
  DWORD dy = AbsoluteCoordinate(y, GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK, dx, dy, 0, 0);
  SetCursorPos(x, y);
}

void PlayBatchMove(const InputEvent& move) {
  PlayMove(move);
  Sleep(1);
}

// Injects record i. A button or a wheel turn acts where it was recorded
// (moved with the window followed): the cursor is moved there first when it
// stands elsewhere.
void PlayRecord(const InputEvent* records, std::uint32_t i) {
  const InputEvent& record = records[i];
  POINT cursor = {};
  GetCursorPos(&cursor);
  const InputEvent* place = PlaceToMoveTo(records, i, cursor.x - g_app.following.dx, cursor.y - g_app.following.dy);
  if (place) PlayMove(*place);
  switch (record.message) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
      BYTE vk = static_cast<BYTE>(record.param_l);
      if (vk == 160) break;  // left Shift is never played
      ButtonAction button = ButtonOfKey(vk, record.message == WM_KEYDOWN);
      if (button.flags) {
        mouse_event(button.flags, 0, 0, button.data, 0);
        break;
      }
      DWORD flags = (record.message == WM_KEYUP ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
      keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), flags, 0);
      break;
    }
    case kWheelMessage:
    case kHWheelMessage:
      mouse_event(record.message == kWheelMessage ? MOUSEEVENTF_WHEEL : MOUSEEVENTF_HWHEEL, 0, 0, record.window, 0);
      break;
    case WM_MOUSEMOVE:
      PlayMove(record);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      g_app.click_played = 1;
      mouse_event(record.message == WM_LBUTTONDOWN ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
      g_app.button_held = record.message == WM_LBUTTONDOWN;
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      mouse_event(record.message == WM_RBUTTONDOWN ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP, 0, 0, 0, 0);
      g_app.button_held = 0;
      break;
  }
}

// The run is over: the engine posts the run mode, which while playing is
// CMD_PLAY, to count the run and go on. Once a click has been played, half a
// double-click time passes first, so that the next run's first click is not
// taken for the second half of a double click: a step of its own, so that
// the window goes on answering meanwhile (a hotkey then stops the playback
// before the next run, which the step finds stopped).
void EndRun(HWND window) {
  if (g_app.click_played) return ArmStep(window, GetDoubleClickTime() / 2);
  PostCommand(g_app.run_mode, 0);
}

void StopPlayback() {
  // A self-playing copy has done its work when its playback stops.
  if (IsSelfPlayingCopy()) PostMessageA(g_app.main_window, WM_CLOSE, 0, 0);
  g_app.repetitions_done = 0;
  g_app.run_mode = RUN_IDLE;
  HoldTimerResolution(false);  // also when stopped by a call, not a command
  WriteCaption();
}

}  // namespace

void OnPlayCommand(WPARAM wparam, LPARAM) {
  if (g_app.run_mode == RUN_IDLE) {
    g_app.repetitions_done = 0;
    g_app.run_mode = RUN_PLAYING;
  } else {
    ++g_app.repetitions_done;
  }
  bool next_run = StartsAnotherRun(HIWORD(wparam) != 0, g_app.repetitions_done, g_app.repeat_count,
                                   g_app.continuous_playback);
  ReleaseInput(next_run && g_app.repetitions_done > 0);
  if (next_run) {
    g_app.start_tick = RunClock();
    g_app.play_position = 0;
    // A run begins at the recorded places, following no window.
    ZeroMemory(&g_app.following, sizeof g_app.following);
    ArmStep(g_app.main_window, kFirstRecordDelay);
  } else {
    StopPlayback();
  }
}

namespace {

// The window awaited never came: everything is let go and nothing more is
// played before the box names it; a self-playing copy shows none and ends
// with code 2.
void GiveUpOnWindow() {
  g_app.exit_code = IsSelfPlayingCopy() ? 2 : 0;
  OnPlayCommand(MAKEWPARAM(CMD_PLAY, 1), 0);
  if (!g_app.exit_code) SayWindowNeverCame();
}

}  // namespace

void PlaybackStep(HWND window) {
  if (g_app.run_mode != RUN_PLAYING) return;  // stopped by CMD_RECORD meanwhile
  const InputEvent* records = g_app.event_buffer;
  std::uint32_t capacity = BlockSize(records) / sizeof(InputEvent);
  WindowReach reach = ReachWindow(records, capacity);
  if (reach == WINDOW_AWAITED) return ArmStep(window, kLookAgainDelay);
  if (reach == WINDOW_NEVER_CAME) return GiveUpOnWindow();
  std::uint32_t p = g_app.play_position, base = g_app.start_tick + kFirstRecordDelay;
  if (p > 0 && RunEndsAt(records, capacity, p)) return PostCommand(g_app.run_mode, 0);  // the pause after the run
  // At normal speed a late step catches up with the moves already due.
  std::uint32_t end = g_app.playback_speed == 1 ? p + 1 : DueRecordsEnd(records, capacity, p, base, RunClock());
  while (p < end) PlayRecord(records, p++);
  g_app.play_position = p;
  if (RunEndsAt(records, capacity, p)) return EndRun(window);
  if (g_app.playback_speed != 1)
    return ArmStep(window, TimeToRecord(base, records[0].time, records[p].time, RunClock()));
  FastBatch batch = RunFastBatch(records, capacity, p, g_app.button_held, PlayBatchMove);
  g_app.play_position = batch.next;
  if (RunEndsAt(records, capacity, batch.next)) return EndRun(window);
  ArmStep(window, batch.played ? kAfterBatchDelay : kFastStepDelay);
}

void ArmStep(HWND window, UINT delay) {
  g_app.step_due = RunClock() + delay;
  g_app.step_armed = 1;
  SetTimer(window, TIMER_PLAYBACK, delay, nullptr);
}

DWORD TimeToStep() { return g_app.step_armed ? TimeToTick(g_app.step_due, RunClock()) : INFINITE; }

void StepWhenDue(HWND window) {
  if (TimeToStep()) return;  // early, or none armed
  g_app.step_armed = 0;
  KillTimer(window, TIMER_PLAYBACK);
  PlaybackStep(window);
}

void HoldTimerResolution(bool hold) {
  if (hold == g_app.fine_timer) return;
  (hold ? timeBeginPeriod : timeEndPeriod)(1);
  g_app.fine_timer = hold;
}
