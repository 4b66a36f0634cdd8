// The shell on the real system: the heap, the settings file through the
// profile functions, the toolbar mask, the hotkey poll and the commands of
// keys and clicks, the settings commands, the dialogs' rare branches, and
// playback into a window of the test's own.
#include <cstring>

#include "app/ids.h"
#include "app/poll.h"
#include "app/run_mode.h"
#include "app/settings.h"
#include "app/state.h"
#include "app/text.h"
#include "app/toolbar.h"
#include "harness.h"
#include "play/playback.h"
#include "record/capture.h"
#include "record/heap_block.h"
#include "ui/dialogs.h"

extern "C" void *__imp_ShellExecuteA, *__imp_GetPrivateProfileIntA, *__imp_WritePrivateProfileStringA,
    *__imp_DeleteFileA, *__imp_GetFileAttributesA;

namespace {

int g_calls;  // calls of the stand-ins below
UINT WINAPI CountedProfileInt(LPCSTR, LPCSTR, INT fallback, LPCSTR) { return ++g_calls, fallback; }
BOOL WINAPI CountedProfileWrite(LPCSTR, LPCSTR, LPCSTR, LPCSTR) { return ++g_calls, TRUE; }
BOOL WINAPI CountedDelete(LPCSTR) { return ++g_calls, TRUE; }
DWORD WINAPI CountedAttributes(LPCSTR) { return ++g_calls, FILE_ATTRIBUTE_NORMAL; }
INT_PTR g_shell_result;
std::string g_shell_file;
HINSTANCE WINAPI FakeShellExecute(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
  g_shell_file += file;
  return ++g_calls, reinterpret_cast<HINSTANCE>(g_shell_result);
}

std::int32_t g_left, g_top;
void ReadSettingsFrom(const std::string& path) {
  CopyBounded(g_app.settings_path, sizeof g_app.settings_path, path.c_str());
  ReadSettings(1024, 768, 137, 49, g_left, g_top);
}

WPARAM TakeCommand(HWND window) {
  MSG msg;
  return PeekMessageA(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE) ? msg.wParam : 0;
}

std::string g_received;  // the keys the target window got: " +72 -72 +46e ...", e for the extended bit
LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN || message == WM_KEYUP)
    g_received += (message == WM_KEYDOWN ? " +" : " -") + std::to_string(wparam) + (lparam & (1 << 24) ? "e" : "");
  return DefWindowProcA(window, message, wparam, lparam);
}

// A window of the test's own with the keyboard focus and the pointer over it
// (with no window manager the focus may follow the pointer).
HWND MakeTarget() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = TargetProc;
  wc.lpszClassName = "KestrovaTestTarget";
  RegisterClassA(&wc);
  HWND target = CreateWindowExA(0, wc.lpszClassName, "target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 300, 200,
                                nullptr, nullptr, nullptr, nullptr);
  SetCursorPos(450, 400);
  EXPECT_TRUE(BringToFront(target), "the target window in front");
  g_received.clear();
  return target;
}

void SetRecords(std::initializer_list<InputEvent> records) {
  g_app.event_buffer = static_cast<InputEvent*>(AllocateBlock(static_cast<std::uint32_t>(records.size()) + 1, 20));
  std::memcpy(g_app.event_buffer, records.begin(), records.size() * 20);
  g_app.event_count = static_cast<std::uint32_t>(records.size());
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
    const std::string what = std::to_string(c.from) + " to " + std::to_string(c.to);
    EXPECT_EQ(BlockSize(fresh), c.size, what + ": size, 4096 at least");
    EXPECT_TRUE(!c.from || c.from != c.to || fresh == block, what + ": the same size keeps the block");
    std::uint32_t wrong = 0;
    for (std::uint32_t i = 0; i < c.size; ++i) wrong += fresh[i] != (i < c.from && i < c.to ? (i * 7 + 1) & 0xFF : 0);
    EXPECT_EQ(wrong, 0u, what + ": bytes other than the old start and zeros");
    FreeBlock(fresh);
  }
}

WINE_TEST(SettingsFileThroughTheProfileFunctions) {
  const std::string f = ScratchFolder("settings"), ini = f + "kestrova.ini";
  WriteBytes(ini, "[Kestrova]\r\nwindow_x=-20\r\nwindow_y=40\r\ntips=257\r\nspeed=256\r\n");
  ReadSettingsFrom(ini);
  EXPECT_EQ(std::to_string(g_app.save_settings) + " " + std::to_string(g_left) + "," + std::to_string(g_top) + " " +
                std::to_string(g_app.tips) + " " + std::to_string(g_app.playback_speed),
            "1 -20,40 1 0", "saving on, the saved place signed and unclamped, tips and speed in 8 bits");
  g_app.tips = 0;
  g_app.playback_speed = 1;
  HWND window = MakeMainWindow(-30, 123);
  DestroyMainWindow(window);
  EXPECT_TRUE(!g_app.hand_cursor && !g_app.toolbar_strip && !g_app.toolbar_mask, "handles released at destruction");
  EXPECT_EQ(ReadBytes(ini), "[Kestrova]\r\nwindow_x=-30\r\nwindow_y=123\r\ntips=0\r\nspeed=1\r\n", "written at exit");
  ResetAppState();
  ReadSettingsFrom(ini);
  EXPECT_EQ(g_left * 1000 + g_top + g_app.tips * 10 + g_app.playback_speed, -30 * 1000 + 123 + 1, "read back");

  g_app.save_settings = 0;  // as the menu leaves it
  DestroyMainWindow(MakeMainWindow());
  EXPECT_TRUE(!Exists(ini), "saving off deletes the file at exit");
  CreateDirectoryA(ini.c_str(), nullptr);
  ReadSettingsFrom(ini);
  EXPECT_EQ(g_app.save_settings, 0, "a folder named like the file does not turn saving on");
  DestroyMainWindow(MakeMainWindow());
  EXPECT_TRUE(GetFileAttributesA(ini.c_str()) & FILE_ATTRIBUTE_DIRECTORY && Exists(ini), "nor is it deleted");
}

WINE_TEST(NoSettingsPathMeansTheProfileIsNeverTouched) {
  // With an empty name the profile calls would reach win.ini in the Windows
  // folder: none may be made at all.
  void* real[] = {ReplaceImport(&__imp_GetPrivateProfileIntA, reinterpret_cast<void*>(CountedProfileInt)),
                  ReplaceImport(&__imp_WritePrivateProfileStringA, reinterpret_cast<void*>(CountedProfileWrite)),
                  ReplaceImport(&__imp_DeleteFileA, reinterpret_cast<void*>(CountedDelete)),
                  ReplaceImport(&__imp_GetFileAttributesA, reinterpret_cast<void*>(CountedAttributes))};
  for (std::uint8_t save : {1, 0}) {
    g_calls = 0;
    ReadSettingsFrom("");
    EXPECT_EQ(g_left * 1000 + g_top, (512 - 68) * 1000 + 384 - 24, "centred");
    g_app.save_settings = save;
    DestroyMainWindow(MakeMainWindow());
    EXPECT_EQ(g_calls, 0, "profile and file calls with saving " + std::to_string(save));
  }
  void** slots[] = {&__imp_GetPrivateProfileIntA, &__imp_WritePrivateProfileStringA, &__imp_DeleteFileA,
                    &__imp_GetFileAttributesA};
  for (int i = 0; i < 4; ++i) ReplaceImport(slots[i], real[i]);
}

WINE_TEST(MaskMarksTheMaskColourAndBlackensIt) {
  HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen), mask_dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 1);
  const COLORREF grey = RGB(240, 240, 240), pixels[4] = {grey, RGB(0, 0, 255), RGB(239, 240, 240), grey};
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (int x = 0; x < 4; ++x) SetPixel(dc, x, 0, pixels[x]);
  SelectObject(dc, old);
  HBITMAP mask = MakeToolbarMask(bitmap, 0);  // the mask colour from the top-left pixel
  SelectObject(mask_dc, mask);
  SelectObject(dc, bitmap);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(GetPixel(mask_dc, x, 0) == RGB(255, 255, 255), pixels[x] == grey, "mask at " + std::to_string(x));
    EXPECT_EQ(GetPixel(dc, x, 0), pixels[x] == grey ? RGB(0, 0, 0) : pixels[x], "strip at " + std::to_string(x));
  }
  EXPECT_TRUE(MakeToolbarMask(nullptr, 0) == nullptr, "no bitmap, no mask");
}

WINE_TEST(KeysClicksAndHotkeysBecomeCommands) {
  HWND window = MakeMainWindow();
  struct Case {
    std::initializer_list<int> keys;  // held for the poll; none: the message is sent
    std::uint32_t mode;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    WPARAM want;
  } cases[] = {
      {{VK_CONTROL, VK_SHIFT, VK_MENU, 'R', 'P'}, RUN_PLAYING, 0, 0, 0, CMD_RECORD},  // R wins over P
      {{VK_CONTROL, VK_SHIFT, VK_MENU, 'P'}, RUN_PLAYING, 0, 0, 0, MAKEWPARAM(CMD_PLAY, 1)},  // a stop request
      {{VK_CONTROL, VK_SHIFT, VK_MENU, 'P'}, RUN_RECORDING, 0, 0, 0, CMD_PLAY},
      {{VK_CONTROL, VK_MENU, 'R'}, RUN_IDLE, 0, 0, 0, 0}, {{VK_SHIFT, VK_MENU, 'P'}, RUN_IDLE, 0, 0, 0, 0},
      {{VK_CONTROL, VK_SHIFT, 'R'}, RUN_IDLE, 0, 0, 0, 0},
      {{}, RUN_IDLE, WM_KEYDOWN, 'O', 0, CMD_OPEN}, {{}, RUN_IDLE, WM_KEYDOWN, VK_RETURN, 0, CMD_OPTIONS},
      {{}, RUN_IDLE, WM_KEYDOWN, 'P', 0, 0}, {{}, RUN_IDLE, WM_LBUTTONDOWN, 0, MAKELPARAM(23, 10), CMD_SAVE},
      {{}, RUN_IDLE, WM_LBUTTONDOWN, 0, MAKELPARAM(0xFFFF, 10), CMD_OPTIONS},  // x read unsigned
  };
  for (const Case& c : cases) {
    BYTE keys[256] = {};
    for (int key : c.keys) keys[key] = 0x80;
    SetKeyboardState(keys);
    g_app.run_mode = c.mode;
    c.message ? static_cast<void>(SendMessageA(window, c.message, c.wparam, c.lparam)) : PollStep(window);
    const std::string what = "case " + std::to_string(&c - cases);
    EXPECT_EQ(static_cast<std::uint64_t>(TakeCommand(window)), static_cast<std::uint64_t>(c.want), what);
    EXPECT_EQ(static_cast<std::uint64_t>(TakeCommand(window)), 0ull, what + ": one command");
  }
  g_app.run_mode = RUN_IDLE;
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
      {CMD_CONTINUOUS, &AppState::continuous_playback, 3, 0}, {CMD_CONTINUOUS, &AppState::continuous_playback, 0, 1},
      {CMD_TIPS, &AppState::tips, 2, 0}, {CMD_SAVE_SETTINGS, &AppState::save_settings, 9, 0},
      {CMD_SAVE_SETTINGS, &AppState::save_settings, 0, 1},
  };
  for (const Case& c : cases) {
    g_app.*c.field = c.before;
    AppState before;
    std::memcpy(&before, &g_app, sizeof before);
    SendMessageA(window, WM_COMMAND, c.command, 0);
    const std::string what = "command " + std::to_string(c.command) + " from " + std::to_string(c.before);
    EXPECT_EQ(static_cast<int>(g_app.*c.field), static_cast<int>(c.after), what);
    before.*c.field = c.after;
    EXPECT_TRUE(std::memcmp(&before, &g_app, sizeof before) == 0, what + ": nothing else changed");
  }
  const std::vector<SeenBox> seen = Answered({""}, [&] { SendMessageA(window, WM_COMMAND, CMD_OPTIONS, 0); });
  EXPECT_TRUE(seen.size() == 1 && seen[0].menu && !IsMenu(seen[0].menu), "the menu destroyed after Escape");
  DestroyMainWindow(window);
}

WINE_TEST(RepeatPromptTakesOrKeepsTheCount) {
  struct Case {
    std::int32_t count;
    std::uint8_t continuous;
    std::string answer;  // empty: Cancel
    const char* first;   // the edit box's first text
    std::int32_t want_count;
    std::uint8_t want_continuous;
  } cases[] = {
      {5, 1, "3", "5", 3, 0}, {5, 1, "", "5", 5, 1}, {-3, 1, "0", "1", 1, 0},
      {1, 0, "12345678901234567890123456789012345", "1", 1312754386, 0},  // 30 digits taken, wrapping
  };
  HWND window = MakeMainWindow();
  for (const Case& c : cases) {
    g_app.repeat_count = c.count;
    g_app.continuous_playback = c.continuous;
    const std::vector<SeenBox> seen = Answered({c.answer}, [&] { SendMessageA(window, WM_COMMAND, CMD_SET_REPEAT, 0); });
    const std::string what = "count " + std::to_string(c.count) + ", answer " + c.answer;
    EXPECT_EQ(seen.size() == 1 ? seen[0].first : "(no prompt)", c.first, what + ": first text");
    EXPECT_EQ(g_app.repeat_count, c.want_count, what + ": count");
    EXPECT_EQ(g_app.continuous_playback, c.want_continuous, what + ": continuous playback");
    EXPECT_TRUE(!KillTimer(window, TIMER_REPEAT_EDIT), what + ": the edit box's timer gone");
  }
  DestroyMainWindow(window);
}

WINE_TEST(AboutBoxIconLinkCursorAndAFailingWebSite) {
  HWND window = MakeMainWindow();
  std::vector<SeenBox> seen = Answered({}, [&] { SendMessageA(window, WM_COMMAND, CMD_ABOUT, 0); });
  EXPECT_TRUE(seen.size() == 1 && seen[0].icon, "the About box shows the program's icon");
  EXPECT_TRUE(!KillTimer(window, TIMER_ABOUT_LINK), "the link's timer gone");
  HWND link = CreateWindowExA(0, "Static", "www.kestrova.net", WS_POPUP | WS_VISIBLE | SS_CENTER, 300, 300, 300, 20,
                              nullptr, nullptr, nullptr, nullptr);
  SetWindowLongPtrA(link, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WebLinkProc));
  SetCursor(nullptr);
  SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(g_app.hand_cursor && GetCursor() == g_app.hand_cursor, "the hand over the link");
  DestroyWindow(link);

  void* real = ReplaceImport(&__imp_ShellExecuteA, reinterpret_cast<void*>(FakeShellExecute));
  struct Case {
    LPARAM from_link;
    INT_PTR result;  // above 32: opened
    std::string address;
  } cases[] = {{1, 33, "http://www.kestrova.net"}, {1, 32, "http://www.kestrova.net"},
               {0, 2, "http://www.kestrova.net/support.php#tools"}};
  for (const Case& c : cases) {
    g_calls = 0, g_shell_file.clear(), g_shell_result = c.result;
    seen = Answered({}, [&] { SendMessageA(window, WM_COMMAND, CMD_WEBSITE, c.from_link); });
    const std::string what = "result " + std::to_string(c.result);
    EXPECT_EQ(std::to_string(g_calls) + " " + g_shell_file, "1 " + c.address, what + ": one call, the address");
    EXPECT_EQ(seen.empty() ? "(none)" : seen[0].caption + ": " + seen[0].text,
              c.result > 32 ? "(none)" : "Kestrova: 无法连接到 \"www.kestrova.net\"", what + ": the failure box");
  }
  ReplaceImport(&__imp_ShellExecuteA, real);
  DestroyMainWindow(window);
}

WINE_TEST(PlaybackTypesExtendedKeysButNeverLeftShift) {
  HWND window = MakeMainWindow(), target = MakeTarget();
  SetRecords({{256, 'H', 0, 0, 0}, {257, 'H', 0, 10, 0}, {256, VK_DELETE, 0, 20, 0}, {257, VK_DELETE, 0, 30, 0},
              {256, 160, 0, 40, 0}, {256, VK_LEFT, 0, 50, 0}, {257, VK_LEFT, 0, 60, 0}});
  OnPlayCommand(CMD_PLAY, 0);
  PumpUntil([] { return g_app.run_mode == RUN_IDLE; }, "the playback to end");
  PumpUntil([] { return g_received.find("-37e") != std::string::npos; }, "the last key to reach the target");
  EXPECT_EQ(g_received.substr(0, g_received.find("-37e") + 4), " +72 -72 +46e -46e +37e -37e",
            "H, then Delete and Left with the extended bit, and no left Shift");
  EXPECT_EQ(GetAsyncKeyState(VK_LSHIFT) & 0x8000, 0, "left Shift up");
  DestroyWindow(target);
  DestroyMainWindow(window);
}

WINE_TEST(RecordCommandEndsAPlaybackAndCutsTheRecording) {
  HWND window = MakeMainWindow();
  SetRecords({{256, 'Z', 0, 0, 0}, {257, 'Z', 0, 10, 0}, {256, 'Z', 0, 60000, 0}, {257, 'Z', 0, 60010, 0}});
  OnPlayCommand(CMD_PLAY, 0);
  PumpUntil([] { return g_app.event_count >= 2; }, "the first two records played");
  OnRecordCommand(0, 0);  // during the minute's gap
  EXPECT_EQ(g_app.run_mode, static_cast<std::uint32_t>(RUN_IDLE), "idle");
  EXPECT_TRUE(g_app.event_count == 2 && g_app.event_buffer[2].message == 0, "cut at the play position");
  KillTimer(window, TIMER_PLAYBACK);
  PlaybackStep(window);  // a step still pending does nothing
  EXPECT_EQ(g_app.event_count, 2u, "the pending step did nothing");
  DestroyMainWindow(window);
}
