// Window notes on the real system: which windows a recording notes (never Kestrova's own), which window a playback
// finds for a note and where its input goes then, and a wait ended by a stop chord or the time.
#include <algorithm>
#include <climits>
#include <cstring>
#include <set>

#include "core/heap_block.h"
#include "core/ids.h"
#include "core/run_mode.h"
#include "core/state.h"
#include "play/playback.h"
#include "record/capture.h"
#include "tests/wine/harness.h"

extern "C" void *__imp_keybd_event, *__imp_mouse_event, *__imp_SetCursorPos, *__imp_GetCursorPos, *__imp_GetAsyncKeyState;

namespace {

// A mouse and keys of the test's own. Played: "@x,y" where the cursor is put, " b2" a button's mouse_event flags,
// " +65>1" a key down (-: up) and which of the test's windows had the keyboard (bottom of the z-order first).
std::string g_played;
POINT g_cursor;
std::set<int> g_held;
std::vector<HWND> g_windows;
BOOL WINAPI FakeCursor(POINT* at) { return *at = g_cursor, TRUE; }
SHORT WINAPI FakeAsyncKey(int vk) { return g_held.count(vk) ? SHRT_MIN : 0; }
BOOL WINAPI NoteCursor(int x, int y) { return g_cursor = {x, y}, g_played += "@" + Text(x) + "," + Text(y), TRUE; }
void WINAPI NoteMouse(DWORD flags, DWORD, DWORD, DWORD, ULONG_PTR) { g_played += flags & MOUSEEVENTF_MOVE ? "" : " b" + Text(flags); }
void WINAPI NoteKey(BYTE vk, BYTE, DWORD flags, ULONG_PTR) {
  const auto front = std::find(g_windows.begin(), g_windows.end(), GetForegroundWindow()) - g_windows.begin();
  g_played += (flags & KEYEVENTF_KEYUP ? " -" : " +") + Text(vk) + ">" + Text(front);
}
void* g_slots[] = {&__imp_GetCursorPos, &__imp_GetAsyncKeyState, &__imp_SetCursorPos, &__imp_mouse_event, &__imp_keybd_event};
void* g_swapped[] = {reinterpret_cast<void*>(FakeCursor), reinterpret_cast<void*>(FakeAsyncKey), reinterpret_cast<void*>(NoteCursor),
                     reinterpret_cast<void*>(NoteMouse), reinterpret_cast<void*>(NoteKey)};
void SwapInput() { for (int i = 0; i < 5; ++i) g_swapped[i] = ReplaceImport(static_cast<void**>(g_slots[i]), g_swapped[i]); }

// A window of class KestrovaTarget or KestrovaOther; its owner an index into g_windows.
struct Spec { const char *cls, *title; int left, top, owner = -1, visible = 1; };
// 200 by 100, on top of the test's windows, shown without the keyboard: two windows of one thread given it in turn
// would take it from each other for ever (Wine's X11 focus with no window manager).
HWND Open(const Spec& s) {
  static WNDCLASSA wc = {0, DefWindowProcA, 0, 0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr, nullptr, "KestrovaTarget"};
  static const bool registered = RegisterClassA(&wc) && (wc.lpszClassName = "KestrovaOther", RegisterClassA(&wc));
  g_windows.push_back(CreateWindowExA(0, s.cls, s.title, WS_POPUP, s.left, s.top, 200, 100,
                                      s.owner < 0 ? nullptr : g_windows[s.owner], nullptr, GetModuleHandleA(nullptr), nullptr));
  if (s.visible) ShowWindow(g_windows.back(), SW_SHOWNOACTIVATE);
  return registered ? g_windows.back() : nullptr;
}
void CloseAll() { std::for_each(g_windows.begin(), g_windows.end(), DestroyWindow), g_windows.clear(); }

// A move to (10, 10), then a click at (150, 130) and A typed into the window of the class and title, seen at (100, 100).
void LoadNoteAndClick(const char* cls, const char* title) {
  WindowNote note = {100, 100, 200, 100, {}, {}};
  std::strncpy(note.window_class, cls, kNoteTextCapacity - 1), std::strncpy(note.title, title, kNoteTextCapacity - 1);
  std::vector<InputEvent> r(1 + kNoteMaxRecords, {512, 10, 10, 0, 0});
  r.resize(1 + WriteNote(note, 10, &r[1], kNoteMaxRecords));
  r.insert(r.end(), {{513, 150, 130, 10, 0}, {514, 150, 130, 20, 0}, {256, 'A', 0, 30, 0}, {257, 'A', 0, 40, 0}, {}});
  g_app.event_buffer = static_cast<InputEvent*>(AllocateBlock(static_cast<std::uint32_t>(r.size()), 20));
  std::memcpy(g_app.event_buffer, r.data(), r.size() * 20);
  g_app.event_count = static_cast<std::uint32_t>(r.size() - 1);
}

// Handles what a change of the foreground brings, as Wine delivers it: until no message is left, or for two seconds
// at most, as two windows of one thread may go on taking the keyboard from each other.
void Settle() {
  MSG m;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 2000; MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT)) {
    if (!PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE)) return;
    while (GetTickCount() - start < 2000 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
}

// Plays the recording once, each step as soon as the step before armed it, boxes answered; returns what the run
// played (the input release after it left out).
std::vector<SeenBox> g_boxes;
std::string PlayedOnce(HWND window) {
  std::string played;
  g_boxes = Answered({}, [&] {
    SendMessageA(window, WM_COMMAND, CMD_PLAY, 0);
    g_played.clear();  // the left button let go before the run
    for (DWORD start = GetTickCount(); GetTickCount() - start < kWaitMs && KillTimer(window, TIMER_PLAYBACK);) PlaybackStep(window);
    played = g_played;
    PumpUntil([] { return g_app.run_mode == RUN_IDLE; }, "the end of the playback");
  });
  return played;
}

}  // namespace

WINE_TEST(ARecordingNotesTheWindowsItsInputGoesToButNeverKestrovasOwn) {
  HWND window = MakeMainWindow();  // at (100, 100), on top of everything
  ShowWindow(window, SW_SHOWNOACTIVATE);
  SwapInput();
  HWND target = Open({"KestrovaTarget", "Doc 1", 400, 300});
  const POINT on_target = {450, 350}, on_kestrova = {110, 110};
  auto step = [&](std::set<int> held, POINT at, HWND front = nullptr) {
    g_held = held, g_cursor = at, front && SetForegroundWindow(front), CaptureStep(window);
  };
  g_cursor = on_target;
  SendMessageA(window, WM_COMMAND, CMD_RECORD, 0);
  step({VK_LBUTTON}, on_target), step({}, on_target), step({}, on_kestrova), step({VK_RBUTTON}, on_kestrova);
  step({}, on_kestrova), RecordWheelTurn({522, 460, 360, GetTickCount(), 120});
  step({'A'}, on_kestrova, target), step({}, on_kestrova), step({'B'}, on_kestrova, window), step({}, on_kestrova);
  step({}, on_target), step({VK_LBUTTON}, on_target), step({}, on_target);
  step({}, on_kestrova, window), step({VK_LBUTTON}, on_kestrova);  // the closing click
  SendMessageA(window, WM_COMMAND, CMD_RECORD, 0);
  std::string described;  // the messages; a note in brackets, "!" when it is not at its input's time
  for (std::uint32_t i = 0, n; i < g_app.event_count; i += n ? n : 1) {
    WindowNote note;
    const InputEvent* r = g_app.event_buffer + i;
    described += !(n = ReadNote(r, g_app.event_count - i, note)) ? " " + Text(r->message)
                    : " [" + (note.window_class[0] ? std::string(note.window_class) + " " + note.title + " " + Text(note.left) +
                                                         "," + Text(note.top) + " " + Text(note.width) + "x" + Text(note.height)
                                                   : "none") + (r[n].time == r->time ? "]" : "]!");
  }
  const std::string doc = " [KestrovaTarget Doc 1 400,300 200x100]";
  EXPECT_EQ(described, " 512" + doc + " 513 514 512 [none] 516 517" + doc + " 522 256 257 [none] 256 257 512" + doc + " 513 514 512",
            "records: a note before each input into another window, none for Kestrova's, none left at the end");
  g_held.clear(), SwapInput(), CloseAll(), DestroyMainWindow(window);
}

WINE_TEST(APlaybackFindsTheNotedWindowMovedRenamedBesideOthersOrBehindItsDialog) {
  HWND window = MakeMainWindow();
  SwapInput();
  g_app.window_wait = 1;
  // The windows bottom of the z-order first; where the click goes, and which of them the keys go to.
  struct Case { const char* what; std::vector<Spec> windows; int x, y, front; } cases[] = {
      {"moved, another class where it was", {{"KestrovaTarget", "Doc 1", 300, 200}, {"KestrovaOther", "Doc 1", 100, 100}}, 350, 230, 0},
      {"its title changed, moved left off the screen", {{"KestrovaTarget", "Doc 1 *", -60, 40}}, -10, 70, 0},
      {"below one of its class with another title", {{"KestrovaTarget", "Doc 1", 300, 200}, {"KestrovaTarget", "Doc 2", 500, 300}}, 350, 230, 0},
      {"two of its class, either title changed: the top one, a hidden one passed over",
       {{"KestrovaTarget", "Doc 3", 300, 200}, {"KestrovaTarget", "Doc 2", 500, 300}, {"KestrovaTarget", "Doc 1", 0, 0, -1, 0}}, 550, 330, 1},
      {"its dialog in front, which keeps the keyboard", {{"KestrovaTarget", "Doc 1", 300, 200}, {"KestrovaOther", "Save", 350, 250, 0}}, 350, 230, 1},
  };
  for (const Case& c : cases) {
    for (const Spec& s : c.windows) Open(s);
    SetForegroundWindow(g_windows[c.windows.size() - 1 - !c.windows.back().visible]);  // the top one shown
    Settle();
    LoadNoteAndClick("KestrovaTarget", "Doc 1");
    EXPECT_EQ(PlayedOnce(window), "@10,10@" + Text(c.x) + "," + Text(c.y) + " b2 b4 +65>" + Text(c.front) + " -65>" + Text(c.front), c.what);
    CloseAll();
  }
  SwapInput(), DestroyMainWindow(window);
}

WINE_TEST(AWaitForAWindowEndsAtAStopChordOrAfterTheSettingsTime) {
  HWND window = MakeMainWindow();
  ShowWindow(window, SW_SHOWNOACTIVATE);
  SwapInput();
  auto press = reinterpret_cast<void(WINAPI*)(BYTE, BYTE, DWORD, ULONG_PTR)>(g_swapped[4]);  // the real one
  g_app.window_wait = 86400;  // only the chord ends this wait
  LoadNoteAndClick("KestrovaTarget", "Doc 1");
  SendMessageA(window, WM_COMMAND, CMD_PLAY, 0), g_played.clear();
  PumpUntil([&] { return Caption(window) == "等待窗口: Doc 1"; }, "the title line saying what the playback waits for");
  for (int i = 0; i < 8; ++i) press("\x11\x10\x12P"[i % 4], 0, i / 4 * KEYEVENTF_KEYUP, 0);  // Ctrl, Shift, Alt, P down, up
  PumpUntil([] { return g_app.run_mode == RUN_IDLE; }, "the end of the playback");
  EXPECT_EQ(g_played, "@10,10 b4", "played until the chord, then the input release");
  // Kestrova's own window, shown, is never the one a note names; a copy shows no box.
  for (int copy : {0, 1}) {
    g_app.window_wait = -5, g_app.stub_size = copy ? 0 : INT_MAX;  // a second; a self-playing copy or not
    LoadNoteAndClick("KestrovaClass", "Kestrova");
    EXPECT_EQ(PlayedOnce(window), "@10,10 b4", "played, then the input release, as the window never came");
    EXPECT_EQ(g_boxes.empty() ? "(none)" : g_boxes[0].caption + ": " + g_boxes[0].text,
              copy ? "(none)" : "Kestrova: 窗口没有出现:\n\n\"Kestrova\"\nKestrovaClass", "the box");
    if (copy) PumpUntil([&] { return !IsWindow(window); }, "the copy's window closed");
    EXPECT_EQ(+g_app.exit_code, copy * 2, "exit code");
  }
  SwapInput(), DestroyMainWindow(window);
}
