// Capture and playback on the real input system: input injected with
// keybd_event and mouse_event, steps run by the test, a window of the test's
// own as the target of playback.
#include <vector>

#include "core/input_release.h"
#include "play/playback.h"
#include "record/capture.h"
#include "record/capture_rules.h"
#include "core/heap_block.h"
#include "tests/wine/check.h"
#include "tests/wine/fixtures.h"
#include "core/ids.h"
#include "core/run_mode.h"
#include "core/state.h"

namespace {

// The keys the target window received, downs and ups.
std::vector<std::pair<UINT, WPARAM>> g_received;

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN || message == WM_KEYUP) g_received.push_back({message, wparam});
  return DefWindowProcA(window, message, wparam, lparam);
}

// The keys received, less the key-ups that input release may add at the end
// of a run for a key whose last up this thread had not handled yet.
std::vector<std::pair<UINT, WPARAM>> KeysWithoutRepeatedUps() {
  std::vector<std::pair<UINT, WPARAM>> keys;
  for (auto& m : g_received)
    if (!(m.first == WM_KEYUP && !keys.empty() && keys.back() == m)) keys.push_back(m);
  return keys;
}

HWND MakeTarget() {
  static ATOM registered = [] {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KestrovaTestTarget";
    return RegisterClassA(&wc);
  }();
  (void)registered;
  HWND target = CreateWindowExA(0, "KestrovaTestTarget", "target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 300,
                                200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  // Without a window manager the X focus can follow the pointer: keep the
  // pointer over the target so that nothing takes the focus away from it.
  SetCursorPos(450, 400);
  EXPECT_TRUE(BringToFront(target), "the target window is in front");
  g_received.clear();
  return target;
}

void Key(BYTE vk, bool up) { keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), up ? KEYEVENTF_KEYUP : 0, 0); }

// Runs capture steps as the timer would until nothing more is recorded.
void RunCaptureSteps(HWND window, int steps) {
  for (int i = 0; i < steps; ++i) {
    PumpMessages(0);
    KillTimer(window, TIMER_CAPTURE);
    CaptureStep(window);
  }
}

void SetRecords(std::initializer_list<InputEvent> records) {
  if (g_app.event_buffer) FreeBlock(g_app.event_buffer);
  g_app.event_buffer = static_cast<InputEvent*>(AllocateBlock(static_cast<std::uint32_t>(records.size()) + 300, 20));
  std::uint32_t i = 0;
  for (const InputEvent& r : records) g_app.event_buffer[i++] = r;
  g_app.event_count = i;
}

InputEvent KeyRecord(std::uint32_t message, std::uint32_t vk, std::uint32_t time) {
  return InputEvent{message, vk, 0, time, 0};
}

// Plays until the playback is idle again, handling the timers and commands
// the way the main window does.
void PlayToTheEnd(DWORD limit_ms) {
  DWORD start = GetTickCount();
  while (g_app.run_mode == RUN_PLAYING && GetTickCount() - start < limit_ms) PumpMessages(5);
}

}  // namespace

WINE_TEST(CaptureRecordsInjectedKeysInOrder) {
  HWND window = MakeMainWindow();
  HWND target = MakeTarget();
  OnRecordCommand(0, 0);
  EXPECT_EQ(g_app.run_mode, static_cast<std::uint32_t>(RUN_RECORDING), "recording after CMD_RECORD");
  EXPECT_TRUE(g_app.event_buffer == nullptr, "the old buffer is gone until the first step");
  RunCaptureSteps(window, 1);
  EXPECT_EQ(BlockSize(g_app.event_buffer), 20000u, "the first step obtains 1000 records");
  // Two keys down within one step: recorded in two steps, lower key first.
  Key('K', false);
  Key('A', false);
  PumpMessages(20);
  RunCaptureSteps(window, 3);
  Key('K', true);
  Key('A', true);
  PumpMessages(20);
  RunCaptureSteps(window, 3);
  std::uint32_t keys = 0;
  std::vector<std::uint32_t> seen;
  for (std::uint32_t i = 0; i < g_app.event_count; ++i) {
    const InputEvent& r = g_app.event_buffer[i];
    if (r.message == WM_KEYDOWN || r.message == WM_KEYUP) {
      seen.push_back(r.message * 1000 + (r.param_l & 0xFF));
      EXPECT_EQ(r.param_l >> 8, r.param_h, "scan code stored twice");
      EXPECT_EQ(r.window, static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(target)), "foreground window");
      ++keys;
    }
  }
  std::vector<std::uint32_t> want = {256000 + 'A', 256000 + 'K', 257000 + 'A', 257000 + 'K'};
  EXPECT_TRUE(seen == want, "A down, K down, A up, K up");
  EXPECT_EQ(keys, 4u, "key records");
  OnRecordCommand(0, 0);
  EXPECT_EQ(g_app.run_mode, static_cast<std::uint32_t>(RUN_IDLE), "idle after the second CMD_RECORD");
  EXPECT_EQ(g_app.event_buffer[g_app.event_count].message, 0u, "end marker behind the last record");
  DestroyWindow(target);
  DestroyMainWindow(window);
}

WINE_TEST(CaptureRecordsMovesAndClicks) {
  HWND window = MakeMainWindow();
  HWND target = MakeTarget();
  SetCursorPos(400, 350);
  OnRecordCommand(0, 0);
  RunCaptureSteps(window, 2);
  EXPECT_EQ(g_app.event_count, 0u, "nothing moved, nothing recorded");
  SetCursorPos(410, 352);
  RunCaptureSteps(window, 1);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  PumpMessages(20);
  RunCaptureSteps(window, 1);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  PumpMessages(20);
  RunCaptureSteps(window, 2);
  std::uint32_t count = g_app.event_count;
  EXPECT_EQ(count, 3u, "move, press, release");
  if (count >= 3) {
    const InputEvent* r = g_app.event_buffer;
    EXPECT_EQ(r[0].message, 512u, "move");
    EXPECT_EQ(r[0].param_l, 410u, "move x");
    EXPECT_EQ(r[0].param_h, 352u, "move y");
    EXPECT_EQ(r[1].message, 513u, "left press");
    EXPECT_EQ(r[2].message, 514u, "left release");
    EXPECT_TRUE(r[1].time >= r[0].time && r[2].time >= r[1].time, "times rise");
  }
  OnRecordCommand(0, 0);
  DestroyWindow(target);
  DestroyMainWindow(window);
}

WINE_TEST(StoppingByAClickOnTheOwnWindowTrimsIt) {
  HWND window = MakeMainWindow();
  ShowWindow(window, SW_SHOW);
  HWND target = MakeTarget();
  OnRecordCommand(0, 0);
  RunCaptureSteps(window, 1);
  Key('X', false);
  PumpMessages(20);
  RunCaptureSteps(window, 1);
  Key('X', true);
  PumpMessages(20);
  RunCaptureSteps(window, 1);
  // The user clicks the record button: the main window is in front, and a
  // capture step sees the press before the click's own CMD_RECORD arrives.
  // The test stops the recording itself at that moment, as that command
  // would, and only then lets the queued click through.
  RECT r;
  GetWindowRect(window, &r);
  SetCursorPos(r.left + 50, r.bottom - 10);
  EXPECT_TRUE(BringToFront(window), "the main window is in front");
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  Sleep(20);
  KillTimer(window, TIMER_CAPTURE);
  CaptureStep(window);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  Sleep(20);
  KillTimer(window, TIMER_CAPTURE);
  CaptureStep(window);
  std::uint32_t before = g_app.event_count;
  OnRecordCommand(0, 0);
  EXPECT_TRUE(before >= 4, "the press and its release were recorded");
  EXPECT_EQ(g_app.event_count, before - 2, "the closing press and its release are cut");
  if (g_app.event_buffer && g_app.event_count > 0) {
    EXPECT_EQ(g_app.event_buffer[g_app.event_count].message, 0u, "end marker at the cut");
    std::uint32_t presses = 0, keys = 0;
    for (std::uint32_t i = 0; i < g_app.event_count; ++i) {
      presses += g_app.event_buffer[i].message == WM_LBUTTONDOWN;
      keys += g_app.event_buffer[i].message == WM_KEYDOWN || g_app.event_buffer[i].message == WM_KEYUP;
    }
    EXPECT_EQ(presses, 0u, "no press left in the recording");
    EXPECT_EQ(keys, 2u, "the typed key is kept");
  }
  PumpMessages(50);  // the click's own CMD_RECORD starts a new recording...
  if (g_app.run_mode == RUN_RECORDING) OnRecordCommand(0, 0);  // ...which ends here
  DestroyWindow(target);
  DestroyMainWindow(window);
}

WINE_TEST(SelfPlayingCopyClosesWhenItsPlaybackStops) {
  HWND window = MakeMainWindow();
  g_app.stub_size = 32768;  // this program is longer: it stands for a self-playing copy
  SetRecords({KeyRecord(256, VK_F13, 0), KeyRecord(257, VK_F13, 5)});
  OnPlayCommand(CMD_PLAY, 0);
  PlayToTheEnd(3000);
  PumpMessages(50);
  EXPECT_EQ(IsWindow(window), FALSE, "the window closed after the playback");
  EXPECT_TRUE(g_app.event_buffer == nullptr, "and released the recording");
}

WINE_TEST(PlaybackTypesIntoTheFocusedWindow) {
  HWND window = MakeMainWindow();
  HWND target = MakeTarget();
  SetRecords({KeyRecord(256, 'H', 1000), KeyRecord(257, 'H', 1010), KeyRecord(256, VK_DELETE, 1020),
              KeyRecord(257, VK_DELETE, 1030), KeyRecord(256, 160, 1040), KeyRecord(256, 'I', 1050),
              KeyRecord(257, 'I', 1060)});
  OnPlayCommand(CMD_PLAY, 0);
  EXPECT_EQ(g_app.run_mode, static_cast<std::uint32_t>(RUN_PLAYING), "playing");
  PlayToTheEnd(5000);
  EXPECT_EQ(g_app.run_mode, static_cast<std::uint32_t>(RUN_IDLE), "idle after one run");
  EXPECT_EQ(g_app.play_position, 7u, "play position on the end marker");
  EXPECT_EQ(g_app.event_count, 7u, "the recording's length kept");
  std::vector<std::pair<UINT, WPARAM>> want = {
      {WM_KEYDOWN, 'H'}, {WM_KEYUP, 'H'}, {WM_KEYDOWN, VK_DELETE}, {WM_KEYUP, VK_DELETE}, {WM_KEYDOWN, 'I'},
      {WM_KEYUP, 'I'}};
  EXPECT_TRUE(KeysWithoutRepeatedUps() == want, "H, Delete and I typed in order; left Shift is never played");
  EXPECT_EQ(KeysWithoutRepeatedUps().size(), want.size(), "messages received");
  DestroyWindow(target);
  DestroyMainWindow(window);
}

WINE_TEST(PlaybackRepeatsAndStops) {
  HWND window = MakeMainWindow();
  HWND target = MakeTarget();
  SetRecords({KeyRecord(256, 'Q', 0), KeyRecord(257, 'Q', 5)});
  g_app.repeat_count = 3;
  OnPlayCommand(CMD_PLAY, 0);
  PlayToTheEnd(5000);
  std::uint32_t downs = 0;
  for (auto& m : g_received) downs += m.first == WM_KEYDOWN;
  EXPECT_EQ(downs, 3u, "three runs");
  EXPECT_EQ(g_app.repetitions_done, 0, "reset at the stop");

  g_app.repeat_count = 0;
  g_received.clear();
  OnPlayCommand(CMD_PLAY, 0);
  EXPECT_EQ(g_app.run_mode, static_cast<std::uint32_t>(RUN_IDLE), "a count of 0 stops at once");
  PumpMessages(100);
  EXPECT_EQ(g_received.size(), 0u, "no key played");

  // Continuous playback ends only with a stop request.
  g_app.repeat_count = 1;
  g_app.continuous_playback = 1;
  OnPlayCommand(CMD_PLAY, 0);
  DWORD start = GetTickCount();
  while (g_app.repetitions_done < 4 && GetTickCount() - start < 5000) PumpMessages(5);
  EXPECT_TRUE(g_app.repetitions_done >= 4, "still running after four runs");
  EXPECT_EQ(g_app.run_mode, static_cast<std::uint32_t>(RUN_PLAYING), "continuous");
  OnPlayCommand(MAKEWPARAM(CMD_PLAY, 1), 0);
  EXPECT_EQ(g_app.run_mode, static_cast<std::uint32_t>(RUN_IDLE), "the stop request ends it");
  EXPECT_EQ(GetAsyncKeyState('Q') & 0x8000, 0, "no key left down");
  DestroyWindow(target);
  DestroyMainWindow(window);
}

WINE_TEST(RecordCommandEndsAPlaybackAndCutsIt) {
  HWND window = MakeMainWindow();
  HWND target = MakeTarget();
  SetRecords({KeyRecord(256, 'Z', 0), KeyRecord(257, 'Z', 10), KeyRecord(256, 'Z', 2000), KeyRecord(257, 'Z', 2010)});
  OnPlayCommand(CMD_PLAY, 0);
  DWORD start = GetTickCount();
  while (g_app.play_position < 2 && GetTickCount() - start < 3000) PumpMessages(5);
  OnRecordCommand(0, 0);  // during the 2-second gap
  EXPECT_EQ(g_app.run_mode, static_cast<std::uint32_t>(RUN_IDLE), "idle");
  EXPECT_EQ(g_app.event_count, 2u, "cut at the play position");
  EXPECT_EQ(g_app.event_buffer[2].message, 0u, "end marker at the cut");
  PumpMessages(300);
  EXPECT_EQ(g_app.event_count, 2u, "the pending step did nothing");
  DestroyWindow(target);
  DestroyMainWindow(window);
}

WINE_TEST(InputReleaseLetsGoOfHeldKeys) {
  HWND window = MakeMainWindow();
  HWND target = MakeTarget();
  Key(VK_SHIFT, false);
  Key('M', false);
  PumpMessages(20);
  EXPECT_TRUE(GetAsyncKeyState('M') & 0x8000, "M held before the release");
  ReleaseInput();
  PumpMessages(20);
  EXPECT_EQ(GetAsyncKeyState('M') & 0x8000, 0, "M released");
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT) & 0x8000, 0, "Shift released");
  bool m_up = false;
  for (auto& m : g_received) m_up |= m.first == WM_KEYUP && m.second == 'M';
  EXPECT_TRUE(m_up, "the target saw M go up");
  BYTE keys[256];
  GetKeyboardState(keys);
  EXPECT_EQ(keys['M'] & 0x80, 0, "thread key state cleared");
  DestroyWindow(target);
  DestroyMainWindow(window);
}
