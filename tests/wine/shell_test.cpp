// The shell on the real system: the heap, the settings file through the
// profile functions, the toolbar mask, the hotkey poll, the settings commands,
// the dialogs' rare branches, and what playback injects.
#include <algorithm>
#include <climits>
#include <cstring>
#include <set>

#include "app/poll.h"
#include "app/settings.h"
#include "app/toolbar.h"
#include "core/heap_block.h"
#include "core/ids.h"
#include "core/run_mode.h"
#include "core/state.h"
#include "core/text.h"
#include "files/file_commands.h"
#include "files/recording_file.h"
#include "play/playback.h"
#include "record/capture.h"
#include "tests/wine/harness.h"
#include "ui/dialogs.h"

extern "C" void *__imp_ShellExecuteA, *__imp_GetPrivateProfileIntA, *__imp_WritePrivateProfileStringA,
    *__imp_DeleteFileA, *__imp_GetFileAttributesA, *__imp_keybd_event, *__imp_mouse_event, *__imp_SetCursorPos,
    *__imp_GetCursorPos, *__imp_GetAsyncKeyState, *__imp_timeBeginPeriod, *__imp_timeEndPeriod;

namespace {

// Stand-ins for system calls: they note the call (and the key or address).
std::string g_calls;
UINT WINAPI NoteProfileRead(LPCSTR, LPCSTR key, INT fallback, LPCSTR) { return g_calls += key, fallback; }
BOOL WINAPI NoteProfileWrite(LPCSTR, LPCSTR key, LPCSTR, LPCSTR) { return g_calls += key, TRUE; }
BOOL WINAPI NoteDelete(LPCSTR path) { return g_calls += std::string("delete ") + path, TRUE; }
DWORD WINAPI NoteAttributes(LPCSTR path) { return g_calls += std::string("look ") + path, FILE_ATTRIBUTE_NORMAL; }
INT_PTR g_shell_result;
HINSTANCE WINAPI NoteShellExecute(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
  return g_calls += file, reinterpret_cast<HINSTANCE>(g_shell_result);
}
void WINAPI NoteKey(BYTE vk, BYTE, DWORD flags, ULONG_PTR) {  // " +72 -72 +46e": e for the extended flag
  g_calls += (flags & KEYEVENTF_KEYUP ? " -" : " +") + std::to_string(vk) + (flags & KEYEVENTF_EXTENDEDKEY ? "e" : "");
}

// A mouse and keys of the test's own: capture reads them; playback moves the
// cursor (" @x,y") and presses buttons (" b8 b16": mouse_event's flags, here
// the right button's), its moves noted where the system puts them (" m").
POINT g_cursor;
std::set<int> g_held;
BOOL WINAPI FakeCursor(POINT* at) { return *at = g_cursor, TRUE; }
SHORT WINAPI FakeAsyncKey(int vk) { return g_held.count(vk) ? SHRT_MIN : 0; }
BOOL WINAPI NoteCursor(int x, int y) { return g_cursor = {x, y}, g_calls += "@" + std::to_string(x) + "," + std::to_string(y), TRUE; }
std::string Lands(DWORD n, int origin, int size) {
  return std::to_string(n * std::int64_t{GetSystemMetrics(size)} / 65536 + GetSystemMetrics(origin));
}
void WINAPI NoteMouse(DWORD flags, DWORD dx, DWORD dy, DWORD, ULONG_PTR) {
  g_calls += flags & MOUSEEVENTF_MOVE ? " m" + Lands(dx, SM_XVIRTUALSCREEN, SM_CXVIRTUALSCREEN) + "," +
                                            Lands(dy, SM_YVIRTUALSCREEN, SM_CYVIRTUALSCREEN)
                                      : " b" + std::to_string(flags);
}

// Plays the recording once from the play command, each step as soon as the
// step before armed it; returns what the run injected.
std::string PlayedOnce(HWND window) {
  SendMessageA(window, WM_COMMAND, CMD_PLAY, 0);
  g_calls.clear();  // the left button let go before the run
  while (KillTimer(window, TIMER_PLAYBACK)) PlaybackStep(window);
  const std::string played = g_calls;
  PumpUntil([] { return g_app.run_mode == RUN_IDLE; }, "the end of the playback");
  return played;
}

std::string ReadSettingsFrom(const std::string& path) {
  std::int32_t left = 0, top = 0;
  CopyBounded(g_app.settings_path, sizeof g_app.settings_path, path.c_str());
  ReadSettings(1024, 768, 137, 49, left, top);
  return std::to_string(left) + "," + std::to_string(top) + " save " + std::to_string(g_app.save_settings) + " tips " +
         std::to_string(g_app.tips) + " speed " + std::to_string(g_app.playback_speed) + " follow " +
         std::to_string(g_app.follow_windows) + " wait " + std::to_string(g_app.window_wait);
}

}  // namespace

WINE_TEST(ReallocateKeepsTheStartAndZeroesTheRest) {
  struct Case {
    std::uint32_t from, to, size;  // from 0: no block yet
  } cases[] = {{0, 0, 4096}, {20000, 20000, 20000}, {20000, 40000, 40000}, {20000, 8000, 8000}, {8000, 1000, 4096}};
  for (const Case& c : cases) {
    auto* block = static_cast<std::uint8_t*>(c.from ? AllocateBlock(c.from, 1) : nullptr);
    for (std::uint32_t i = 0; i < c.from; ++i) block[i] = static_cast<std::uint8_t>(i * 7 + 1);
    auto* fresh = static_cast<std::uint8_t*>(ReallocateBlock(block, c.to));
    std::uint32_t wrong = 0;
    for (std::uint32_t i = 0; i < c.size; ++i) wrong += fresh[i] != (i < c.from && i < c.to ? (i * 7 + 1) & 0xFF : 0);
    const std::string what = std::to_string(c.from) + " to " + std::to_string(c.to);
    EXPECT_EQ(BlockSize(fresh), c.size, what + ": size, 4096 at least");
    EXPECT_EQ(wrong, 0u, what + ": bytes other than the old start and zeros");
    EXPECT_TRUE(!c.from || c.from != c.to || fresh == block, what + ": the same size keeps the block");
    FreeBlock(fresh);
  }
}

WINE_TEST(SettingsFileThroughTheProfileFunctions) {
  const std::string ini = ScratchFolder("settings") + "kestrova.ini";
  WriteBytes(ini, "[Kestrova]\r\nwindow_x=-20\r\nwindow_y=40\r\ntips=257\r\nspeed=256\r\nwindow_wait=-3\r\n");
  EXPECT_EQ(ReadSettingsFrom(ini), "-20,40 save 1 tips 1 speed 0 follow 1 wait -3", "read: signed, unclamped, 8 bits, saving on");
  g_app.tips = g_app.follow_windows = 0;
  g_app.playback_speed = 1;
  DestroyMainWindow(MakeMainWindow(-30, 123));
  EXPECT_TRUE(!g_app.hand_cursor && !g_app.toolbar_strip && !g_app.toolbar_mask, "handles released at destruction");
  EXPECT_EQ(ReadBytes(ini), "[Kestrova]\r\nwindow_x=-30\r\nwindow_y=123\r\ntips=0\r\nspeed=1\r\nwindow_wait=-3\r\nfollow_windows=0\r\n", "at exit");
  ResetAppState();
  EXPECT_EQ(ReadSettingsFrom(ini), "-30,123 save 1 tips 0 speed 1 follow 0 wait -3", "read back");
  g_app.save_settings = 0;  // as the menu leaves it
  DestroyMainWindow(MakeMainWindow());
  EXPECT_TRUE(!Exists(ini), "saving off deletes the file at exit");
  CreateDirectoryA(ini.c_str(), nullptr);
  EXPECT_EQ(ReadSettingsFrom(ini), "444,360 save 0 tips 1 speed 0 follow 1 wait 10", "a folder named like the file: defaults");
  DestroyMainWindow(MakeMainWindow());
  EXPECT_TRUE(GetFileAttributesA(ini.c_str()) & FILE_ATTRIBUTE_DIRECTORY && Exists(ini), "nor is it deleted");
}

WINE_TEST(NoSettingsPathMeansNoProfileOrFileCall) {
  // With an empty name the profile calls would go to win.ini in the Windows folder.
  void** slots[] = {&__imp_GetPrivateProfileIntA, &__imp_WritePrivateProfileStringA, &__imp_DeleteFileA,
                    &__imp_GetFileAttributesA};
  void* stand_ins[] = {reinterpret_cast<void*>(NoteProfileRead), reinterpret_cast<void*>(NoteProfileWrite),
                       reinterpret_cast<void*>(NoteDelete), reinterpret_cast<void*>(NoteAttributes)};
  for (int i = 0; i < 4; ++i) stand_ins[i] = ReplaceImport(slots[i], stand_ins[i]);
  for (std::uint8_t save : {1, 0}) {
    ResetAppState(), g_calls.clear();
    EXPECT_EQ(ReadSettingsFrom(""), "444,360 save 0 tips 1 speed 0 follow 1 wait 10", "defaults, centred");
    g_app.save_settings = save;
    DestroyMainWindow(MakeMainWindow());
    EXPECT_EQ(g_calls, "", "calls with saving " + std::to_string(save));
  }
  for (int i = 0; i < 4; ++i) ReplaceImport(slots[i], stand_ins[i]);
}

WINE_TEST(MaskMarksTheMaskColourAndBlackensIt) {
  HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen), mask_dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 1);
  const COLORREF grey = RGB(240, 240, 240), pixels[4] = {grey, RGB(0, 0, 255), RGB(239, 240, 240), grey};
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (int x = 0; x < 4; ++x) SetPixel(dc, x, 0, pixels[x]);
  SelectObject(dc, old);
  SelectObject(mask_dc, MakeToolbarMask(bitmap, 0));  // the mask colour from the top-left pixel
  SelectObject(dc, bitmap);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(GetPixel(mask_dc, x, 0) == RGB(255, 255, 255), pixels[x] == grey, "mask at " + std::to_string(x));
    EXPECT_EQ(GetPixel(dc, x, 0), pixels[x] == grey ? RGB(0, 0, 0) : pixels[x], "strip at " + std::to_string(x));
  }
  EXPECT_TRUE(MakeToolbarMask(nullptr, 0) == nullptr, "no bitmap, no mask");
}

WINE_TEST(HotkeysAndKeysBecomeCommands) {
  HWND window = MakeMainWindow();
  struct Case {
    std::initializer_list<int> keys;  // held for the poll
    std::uint32_t mode;
    WPARAM key_down;  // else pressed in the window
    WPARAM want;
  } cases[] = {
      {{VK_CONTROL, VK_SHIFT, VK_MENU, 'R', 'P'}, RUN_IDLE, 0, CMD_RECORD},  // R wins over P
      {{VK_CONTROL, VK_SHIFT, VK_MENU, 'P'}, RUN_IDLE, 0, CMD_PLAY}, {{VK_CONTROL, VK_MENU, 'R'}, RUN_IDLE, 0, 0},
      {{VK_SHIFT, VK_MENU, 'P'}, RUN_IDLE, 0, 0}, {{VK_CONTROL, VK_SHIFT, 'R'}, RUN_IDLE, 0, 0},
      {{}, RUN_IDLE, 'O', CMD_OPEN}, {{}, RUN_IDLE, 'P', 0},
  };
  for (const Case& c : cases) {
    BYTE keys[256] = {};
    for (int key : c.keys) keys[key] = 0x80;
    SetKeyboardState(keys);
    g_app.run_mode = c.mode;
    c.key_down ? static_cast<void>(SendMessageA(window, WM_KEYDOWN, c.key_down, 0)) : PollStep();
    MSG msg[2];
    const int posts = PeekMessageA(&msg[0], window, WM_COMMAND, WM_COMMAND, PM_REMOVE) +
                      PeekMessageA(&msg[1], window, WM_COMMAND, WM_COMMAND, PM_REMOVE);  // one at most
    EXPECT_EQ(posts ? msg[0].wParam + (posts - 1) * 0x100000000ull : 0, c.want, "case " + std::to_string(&c - cases));
  }
  g_app.run_mode = RUN_IDLE;
  DestroyMainWindow(window);
}

// While a playback runs, a chord press stops it wherever it falls, also at the moments no press from outside can be
// put: in the pause after a run (pressed and let go between two polls), or held while the run's end lets go of keys.
// "+C+S+A+P-P": Ctrl, Shift, Alt, P down, P up, as a hand presses them.
static void PressKeys(const char* keys) {
  for (BYTE vk; keys && *keys; keys += 2) {
    vk = keys[1] == 'C' ? VK_CONTROL : keys[1] == 'S' ? VK_SHIFT : keys[1] == 'A' ? VK_MENU : keys[1];
    keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), keys[0] == '-' ? KEYEVENTF_KEYUP : 0, 0);
  }
}
WINE_TEST(AChordPressAtARunsEndStopsThePlayback) {
  HWND window = MakeMainWindow();
  g_app.event_buffer = static_cast<InputEvent*>(AllocateBlock(2, 20));
  g_app.event_buffer[0].message = WM_CHAR;  // plays nothing, in one step
  g_app.click_played = 1;                   // so the run ends with a pause
  struct Case {
    std::uint8_t continuous;
    const char *in_pause, *after_the_runs_end;  // the end of the run right between the two, else after the pause
    std::uint32_t position;                     // 1: stopped on the end marker, before a next run began
  } cases[] = {{1, "+C+S+A+P-P-A-S-C", nullptr, 1}, {0, "+C+S+A+R-R-A-S-C", nullptr, 1},  // the last run's pause
               {1, "+C+S+A+P", "-P-A-S-C", 0}, {1, "+C+S+A", "+P-P-A-S-C", 0}, {1, "+C+S+A", "+R-R-A-S-C", 0}};
  for (const Case& c : cases) {
    g_app.continuous_playback = c.continuous;
    SendMessageA(window, WM_COMMAND, CMD_PLAY, 0);
    KillTimer(window, TIMER_PLAYBACK);
    PlaybackStep(window);  // the run's one record, then the pause
    PressKeys(c.in_pause);
    if (c.after_the_runs_end) KillTimer(window, TIMER_PLAYBACK), SendMessageA(window, WM_COMMAND, CMD_PLAY, 0);
    PressKeys(c.after_the_runs_end);
    MSG m;
    PumpUntil([&] { return !g_app.run_mode && !PeekMessageA(&m, window, WM_COMMAND, WM_COMMAND, PM_NOREMOVE) &&
                           !PeekMessageA(&m, window, WM_HOTKEY, WM_HOTKEY, PM_NOREMOVE); },
              std::string("the playback stopped by ") + c.in_pause);
    EXPECT_EQ(Text(g_app.run_mode) + " held " + Text(+g_app.chords_held) + " at " + Text(g_app.play_position),
              "0 held 0 at " + Text(c.position), std::string("run mode, chords held, position after ") + c.in_pause);
  }
  // A press seen only once its playback has ended (the record button stopped it meanwhile) starts nothing: a
  // continuous playback it started would still run.
  SendMessageA(window, WM_COMMAND, CMD_PLAY, 0);
  PressKeys("+C+S+A+P-P-A-S-C");
  SendMessageA(window, WM_COMMAND, CMD_RECORD, 0);
  MSG m;
  PumpUntil([&] { return !PeekMessageA(&m, window, WM_HOTKEY, WM_HOTKEY, PM_NOREMOVE) &&
                         !PeekMessageA(&m, window, WM_COMMAND, WM_COMMAND, PM_NOREMOVE); }, "the press and commands taken");
  EXPECT_EQ(g_app.run_mode, 0u, "run mode after a play chord seen once the playback had been stopped");
  DestroyMainWindow(window);
}

WINE_TEST(SettingCommandsChangeOneValueAndTheMenuGoes) {
  HWND window = MakeMainWindow();
  struct Case {
    WPARAM command;
    std::uint8_t AppState::*field;
    std::uint8_t before, after;
  } cases[] = {
      {CMD_SPEED_NORMAL, &AppState::playback_speed, 1, 0}, {CMD_SPEED_FAST, &AppState::playback_speed, 5, 1},
      {CMD_TIPS, &AppState::tips, 2, 0},  // a settings file's tips=2 counts as on
      {CMD_CONTINUOUS, &AppState::continuous_playback, 3, 0}, {CMD_SAVE_SETTINGS, &AppState::save_settings, 9, 0},
  };
  for (const Case& c : cases) {
    g_app.*c.field = c.before;
    AppState want;
    std::memcpy(&want, &g_app, sizeof want);
    want.*c.field = c.after;
    SendMessageA(window, WM_COMMAND, c.command, 0);
    EXPECT_TRUE(std::memcmp(&want, &g_app, sizeof want) == 0, "command " + std::to_string(c.command) + " from " +
                                                                   std::to_string(c.before) + ": one value set");
  }
  const std::vector<SeenBox> seen = Answered({""}, [&] { SendMessageA(window, WM_COMMAND, CMD_OPTIONS, 0); });
  EXPECT_TRUE(seen.size() == 1 && seen[0].menu && !IsMenu(seen[0].menu), "the menu destroyed after Escape");
  DestroyMainWindow(window);
}

WINE_TEST(RepeatPromptTakesOrKeepsTheCountAndAboutShowsTheIcon) {
  struct Case {
    std::int32_t count;
    std::uint8_t continuous;
    std::string answer;  // empty: Cancel
    std::string want;    // the edit box's first text, then the count and continuous playback
  } cases[] = {{5, 1, "3", "5 3 0"}, {5, 1, "", "5 5 1"}, {-3, 1, "0", "1 1 0"},
               {1, 0, "12345678901234567890123456789012345", "1 1312754386 0"}};  // 30 digits taken, wrapping
  HWND window = MakeMainWindow();
  for (const Case& c : cases) {
    g_app.repeat_count = c.count;
    g_app.continuous_playback = c.continuous;
    const std::vector<SeenBox> seen = Answered({c.answer}, [&] { SendMessageA(window, WM_COMMAND, CMD_SET_REPEAT, 0); });
    EXPECT_EQ((seen.empty() ? "(no prompt)" : seen[0].first) + " " + std::to_string(g_app.repeat_count) + " " +
                  std::to_string(g_app.continuous_playback), c.want, "count " + std::to_string(c.count) + ", " + c.answer);
    EXPECT_TRUE(!KillTimer(window, TIMER_REPEAT_EDIT), "the edit box's timer gone");
  }
  std::vector<SeenBox> seen = Answered({}, [&] { SendMessageA(window, WM_COMMAND, CMD_ABOUT, 0); });
  EXPECT_TRUE(seen.size() == 1 && seen[0].icon && !KillTimer(window, TIMER_ABOUT_LINK), "About: the icon, timer gone");
  DestroyMainWindow(window);
}

WINE_TEST(WebLinkPointsAndAWebSiteThatCannotBeOpenedSaysSo) {
  HWND window = MakeMainWindow(), link = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 9, 9, 0, 0, 0, 0);
  SetWindowLongPtrA(link, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WebLinkProc));
  SetCursor(nullptr), SendMessageA(link, WM_MOUSEMOVE, 0, 0);
  EXPECT_TRUE(g_app.hand_cursor && GetCursor() == g_app.hand_cursor, "the hand over the link");
  void* real = ReplaceImport(&__imp_ShellExecuteA, reinterpret_cast<void*>(NoteShellExecute));
  struct Case {
    LPARAM from_link;
    INT_PTR result;  // above 32: opened
    std::string address;
  } cases[] = {{1, 33, "http://www.kestrova.net"}, {1, 32, "http://www.kestrova.net"},
               {0, 2, "http://www.kestrova.net/support.php#tools"}};
  for (const Case& c : cases) {
    g_calls.clear(), g_shell_result = c.result;
    const std::vector<SeenBox> seen = Answered({}, [&] { SendMessageA(window, WM_COMMAND, CMD_WEBSITE, c.from_link); });
    EXPECT_EQ(g_calls + (seen.empty() ? "" : " | " + seen[0].caption + ": " + seen[0].text),
              c.address + (c.result > 32 ? "" : " | Kestrova: 无法连接到 \"www.kestrova.net\""), std::to_string(c.result));
  }
  ReplaceImport(&__imp_ShellExecuteA, real);
  DestroyMainWindow(window);
}

WINE_TEST(PlaybackInjectsKeysAndTheRecordCommandCutsIt) {
  HWND window = MakeMainWindow();
  void* real = (g_calls.clear(), ReplaceImport(&__imp_keybd_event, reinterpret_cast<void*>(NoteKey)));
  const InputEvent records[] = {{256, 'H', 0, 0, 0}, {257, 'H', 0, 10, 0}, {256, 160, 0, 20, 0},
                                {256, VK_CONTROL, 0, 30, 0}, {257, VK_CONTROL, 0, 60030, 0}};
  g_app.event_buffer = static_cast<InputEvent*>(AllocateBlock(6, 20));
  std::memcpy(g_app.event_buffer, records, sizeof records);
  g_app.event_count = 5;
  OnPlayCommand(CMD_PLAY, 0);
  PumpUntil([] { return g_app.play_position >= 4; }, "all but the last record played");
  StepWhenDue(window), StepWhenDue(window);  // as the loop's wait and a timer message could, a minute early
  ReplaceImport(&__imp_keybd_event, real);
  EXPECT_EQ(g_calls, " +72 -72 +17e", "the keys injected: Ctrl extended, no left Shift, nothing early");
  OnRecordCommand(0, 0);  // during the minute's gap
  EXPECT_TRUE(g_app.run_mode == RUN_IDLE && g_app.event_count == 4 && g_app.event_buffer[4].message == 0,
              "idle, the recording cut at the play position");
  KillTimer(window, TIMER_PLAYBACK);
  PlaybackStep(window);  // the step still pending
  EXPECT_EQ(g_app.event_count, 4u, "the pending step did nothing");
  DestroyMainWindow(window);
}

// Every end of a playback lets go of what it holds: the key it pressed (Wine lets go of keys itself when another of
// its windows takes the focus, so a window going is seen here rather than from outside), and the 1 ms timer resolution.
int g_fine_timer;  // timeBeginPeriod(1) calls less timeEndPeriod(1) calls
MMRESULT WINAPI NoteBeginPeriod(UINT ms) { return g_fine_timer += ms == 1, TIMERR_NOERROR; }
MMRESULT WINAPI NoteEndPeriod(UINT ms) { return g_fine_timer -= ms == 1, TIMERR_NOERROR; }
WINE_TEST(EveryEndOfAPlaybackLetsGoOfTheKeyItHoldsAndTheTimerResolution) {
  void* real[] = {ReplaceImport(&__imp_timeBeginPeriod, reinterpret_cast<void*>(NoteBeginPeriod)),
                  ReplaceImport(&__imp_timeEndPeriod, reinterpret_cast<void*>(NoteEndPeriod))};
  struct Case {
    const char* end;
    UINT message;  // 0: the run plays to its end, Q let go after 50 ms
    WPARAM wparam;
  } cases[] = {{"the last run", 0, 0}, {"the play chord", WM_COMMAND, MAKEWPARAM(CMD_PLAY, 1)},
               {"the record command", WM_COMMAND, CMD_RECORD}, {"the window closing", WM_CLOSE, 0},
               {"the session ending", WM_ENDSESSION, TRUE}};
  for (const Case& c : cases) {
    const InputEvent held[] = {{WM_KEYDOWN, 'Q', 0, 0, 0}, {WM_KEYUP, 'Q', 0, c.message ? 60000u : 50u, 0}};
    HWND window = MakeMainWindow();
    g_app.event_buffer = static_cast<InputEvent*>(AllocateBlock(3, 20));
    std::memcpy(g_app.event_buffer, held, sizeof held);
    g_app.run_mode = RUN_IDLE;  // a closed window leaves it playing
    SendMessageA(window, WM_COMMAND, CMD_PLAY, 0);
    const int while_playing = g_fine_timer;
    if (c.message) {
      PumpUntil([] { return (GetAsyncKeyState('Q') & 0x8000) != 0; }, "Q held down by the playback");
      SendMessageA(window, c.message, c.wparam, 0);
    }
    PumpUntil([&] { return c.message || g_app.run_mode == RUN_IDLE; }, "the last run's end");
    const std::string after = Text(GetAsyncKeyState('Q') & 0x8000) + " " + Text(g_fine_timer);
    DestroyMainWindow(window);
    EXPECT_EQ(Text(while_playing) + ", " + after + ", " + Text(g_fine_timer), "1, 0 0, 0",
              std::string("the resolution while playing; Q and the resolution after ") + c.end + "; after the window");
  }
  for (int i = 0; i < 2; ++i) ReplaceImport(i ? &__imp_timeEndPeriod : &__imp_timeBeginPeriod, real[i]);
}

WINE_TEST(ASecondRecordingOutgrowsItsBlockAndPlaysWholeSavedAndLoaded) {
  void** slots[] = {&__imp_GetCursorPos, &__imp_GetAsyncKeyState, &__imp_SetCursorPos, &__imp_mouse_event,
                    &__imp_keybd_event};
  void* stand_ins[] = {reinterpret_cast<void*>(FakeCursor), reinterpret_cast<void*>(FakeAsyncKey),
                       reinterpret_cast<void*>(NoteCursor), reinterpret_cast<void*>(NoteMouse), reinterpret_cast<void*>(NoteKey)};
  for (int i = 0; i < 5; ++i) stand_ins[i] = ReplaceImport(slots[i], stand_ins[i]);
  const std::string f = ScratchFolder("second");
  HWND window = MakeMainWindow();
  auto record = [&] { SendMessageA(window, WM_COMMAND, CMD_RECORD, 0); };
  auto step = [&](std::set<int> held) { g_held = held, CaptureStep(window); };
  g_cursor = {300, 200};  // where each recording begins: its record 0
  record(), step({'A'}), step({}), step({VK_DELETE}), step({}), record();
  Answered({f + "first"}, [] { OnSaveCommand(0, 0); });
  EXPECT_EQ(PlayedOnce(window), " m300,200@300,200 +65 -65 +46e -46e", "the first recording played");
  // Moves along rows, the right button and the middle one (a key, played as
  // the button) now and then.
  std::string want = " m300,200@300,200", want_fast = want, buttons = " b8 b16 b32 b64";
  record();
  for (int i = 1, r = 1; i <= 2400; ++i, ++r) {
    g_cursor = {100 + i % 500, 100 + i / 500};
    step({});
    const std::string x = std::to_string(g_cursor.x) + "," + std::to_string(g_cursor.y);
    want += " m" + x + "@" + x;  // at fast speed: every sixth move, and the last before a button
    want_fast += r % 6 == 0 || i % 800 == 0 ? " m" + x + "@" + x : "";
    if (i % 800 == 0) step({VK_RBUTTON}), step({}), step({VK_MBUTTON}), step({}), want += buttons, want_fast += buttons, r += 4;
  }
  record();
  const std::string records(reinterpret_cast<const char*>(g_app.event_buffer), g_app.event_count * 20);
  EXPECT_EQ(std::to_string(g_app.event_count) + " " + Caption(window), "2413 first.rec", "records, and the title kept");
  EXPECT_TRUE(BlockSize(g_app.event_buffer) > records.size(), "the buffer grew with them");
  Answered({f + "second"}, [] { OnSaveCommand(0, 0); });
  EXPECT_TRUE(ReadBytes(f + "second.rec") == records && Caption(window) == "second.rec", "saved whole, and named");
  for (int speed : {0, 0, 1}) {  // as recorded, then as loaded, then loaded at fast speed
    g_app.playback_speed = static_cast<std::uint8_t>(speed);
    const std::string played = PlayedOnce(window), wanted = speed ? want_fast : want;
    const std::size_t at = std::mismatch(played.begin(), played.end(), wanted.begin(), wanted.end()).first - played.begin();
    EXPECT_EQ(played.substr(at, 40), wanted.substr(at, 40), "played at speed " + Text(speed) + ", from byte " + Text(at));
    LoadRecording((f + "second.rec").c_str(), 0);
  }
  SendMessageA(window, WM_COMMAND, CMD_PLAY, 0), record();
  EXPECT_EQ(g_app.event_count, 2413u, "records after a record command before the run's first step");
  for (int i = 0; i < 5; ++i) ReplaceImport(slots[i], stand_ins[i]);
  DestroyMainWindow(window);
}

// Recordings edited by the tool (its x86_64 build, beside the tests), loaded and played by the engine: a cut plays its part and lets go
// of the key it ends in, a join plays both in order, a move lands elsewhere.
WINE_TEST(RecordingsEditedByTheToolPlayAsEdited) {
  void** slots[] = {&__imp_GetCursorPos, &__imp_SetCursorPos, &__imp_mouse_event, &__imp_keybd_event};
  void* stand_ins[] = {reinterpret_cast<void*>(FakeCursor), reinterpret_cast<void*>(NoteCursor),
                       reinterpret_cast<void*>(NoteMouse), reinterpret_cast<void*>(NoteKey)};
  for (int i = 0; i < 4; ++i) stand_ins[i] = ReplaceImport(slots[i], stand_ins[i]);
  const std::string f = ScratchFolder("edits");
  auto records = [](std::initializer_list<InputEvent> list) { return std::string(reinterpret_cast<const char*>(list.begin()), list.size() * 20); };
  // Shift held over A, let go, then B: the cut keeps A and B's press.
  WriteBytes(f + "keys.rec", records({{256, 0x10, 0, 0, 0}, {256, 'A', 0, 100, 0}, {257, 'A', 0, 200, 0},
                                      {257, 0x10, 0, 300, 0}, {256, 'B', 0, 400, 0}, {257, 'B', 0, 500, 0}}));
  WriteBytes(f + "click.rec", records({{512, 10, 20, 0, 0}, {513, 10, 20, 10, 0}, {514, 10, 20, 20, 0}}));
  char tests[MAX_PATH];
  GetModuleFileNameA(nullptr, tests, sizeof tests);
  *std::strrchr(tests, '\\') = 0;
  // Named as a device on Windows, an input or an output is refused unopened, saying so.
  const std::pair<const char*, DWORD> runs[] = {
      {"cut keys.rec --from 0.1 --to 0.45 -o cut.rec", 0}, {"join click.rec cut.rec -o joined.rec", 0},
      {"move joined.rec --screen 1000x1000 500x500 -o moved.rec", 0}, {"show COM3.rec", 1}, {"cut cut.rec -o x\\nul", 1}};
  for (const auto& [args, want] : runs) {
    std::string command = std::string(tests) + "\\kestrova-rec.exe " + args;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    STARTUPINFOA start = {};
    start.cb = sizeof start, start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdError = CreateFileA((f + "said").c_str(), GENERIC_WRITE, 0, &inherited, CREATE_ALWAYS, 0, nullptr);
    PROCESS_INFORMATION tool = {};
    DWORD status = 99;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, f.c_str(), &start, &tool)) {
      WaitForSingleObject(tool.hProcess, kWaitMs);
      GetExitCodeProcess(tool.hProcess, &status);
      CloseHandle(tool.hProcess), CloseHandle(tool.hThread);
    }
    CloseHandle(start.hStdError);
    const bool device = ReadBytes(f + "said").find(": a device, not a file (Windows keeps the name") != std::string::npos;
    EXPECT_EQ(Text(status) + (device ? ", said it is a device" : ""), Text(want) + (want ? ", said it is a device" : ""),
              command);
  }
  HWND window = MakeMainWindow();
  g_cursor = {300, 300};
  const std::pair<const char*, const char*> plays[] = {
      {"cut.rec", " +65 -65 +66 -66"},
      {"joined.rec", " m10,20@10,20 b2 b4 +65 -65 +66 -66"},
      {"moved.rec", " m5,10@5,10 b2 b4 +65 -65 +66 -66"},
  };
  for (const auto& [name, want] : plays) {
    EXPECT_TRUE(LoadRecording((f + name).c_str(), 0) > 0, std::string(name) + " loaded");
    EXPECT_EQ(PlayedOnce(window), want, std::string(name) + " played");
  }
  for (int i = 0; i < 4; ++i) ReplaceImport(slots[i], stand_ins[i]);
  DestroyMainWindow(window);
}
