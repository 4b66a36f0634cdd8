// The real main window: class, styles, painting, the poll step and the
// dispatcher's message boxes.
#include "tests/wine/check.h"
#include "tests/wine/fixtures.h"
#include "core/ids.h"
#include "app/placement.h"
#include "app/poll.h"
#include "core/caption.h"
#include "core/run_mode.h"
#include "app/startup.h"
#include "core/state.h"
#include "core/text.h"
#include "core/title_line.h"
#include "app/toolbar.h"

namespace {


// Takes the next WM_COMMAND queued for the window, 0 when there is none.
WPARAM TakeCommand(HWND window) {
  MSG msg;
  while (PeekMessageA(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE))
    return msg.wParam;
  return 0;
}

void SetKeys(std::initializer_list<int> down) {
  BYTE keys[256] = {};
  for (int key : down) keys[key] = 0x80;
  SetKeyboardState(keys);
}

struct FoundBox {
  HWND box;
  volatile LONG stop;
  std::string caption, text;
};

// Watches for a message box of this process, reads it and presses its
// default button. Runs on its own thread while the test thread is inside
// the box's modal loop.
DWORD WINAPI CloseNextBox(void* param) {
  FoundBox* found = static_cast<FoundBox*>(param);
  for (int i = 0; i < 300 && !found->box && !found->stop; ++i) {
    Sleep(10);
    HWND box = FindWindowExA(nullptr, nullptr, "#32770", nullptr);
    DWORD pid = 0;
    if (box) GetWindowThreadProcessId(box, &pid);
    if (!box || pid != GetCurrentProcessId()) continue;
    char text[512] = {};
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      char cls[32] = {};
      GetClassNameA(child, cls, sizeof cls);
      if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0) break;
    }
    if (!text[0]) continue;  // found before the box has filled in its texts
    found->text = text;
    found->caption = Caption(box);
    found->box = box;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  return 0;
}

}  // namespace

WINE_TEST(MainWindowClassAndStyles) {
  HWND window = MakeMainWindow(100, 100);
  EXPECT_TRUE(window != nullptr, "window created");
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  EXPECT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "KestrovaClass", &wc), "class registered");
  EXPECT_EQ(wc.style, 0u, "class style");
  EXPECT_EQ(wc.cbClsExtra, 0, "class extra bytes");
  EXPECT_EQ(wc.cbWndExtra, 0, "window extra bytes");
  EXPECT_EQ(reinterpret_cast<INT_PTR>(wc.hbrBackground), static_cast<INT_PTR>(COLOR_BTNFACE + 1), "background");
  EXPECT_TRUE(wc.hCursor == LoadCursorA(nullptr, IDC_ARROW), "arrow cursor over the frame");
  EXPECT_TRUE(wc.hIcon != nullptr, "icon 1001 loaded");
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & 0x86C80000u, 0x86C80000u, "styles");
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)) & 0x88u, 0x88u, "topmost tool window");
  EXPECT_EQ(Caption(window), "Kestrova", "first caption");
  RECT r;
  GetWindowRect(window, &r);
  int frame = GetSystemMetrics(SM_CXDLGFRAME);
  EXPECT_EQ(r.right - r.left, MainWindowWidth(frame), "outer width");
  EXPECT_EQ(r.bottom - r.top, MainWindowHeight(GetSystemMetrics(SM_CYSMCAPTION), frame), "outer height");
  EXPECT_TRUE(g_app.hand_cursor != nullptr, "hand cursor made at creation");
  EXPECT_TRUE(g_app.toolbar_strip != nullptr && g_app.toolbar_mask != nullptr, "strip and mask made");
  DestroyMainWindow(window);
  EXPECT_TRUE(g_app.hand_cursor == nullptr && g_app.toolbar_strip == nullptr && g_app.toolbar_mask == nullptr,
              "handles released and cleared at destruction");
}

WINE_TEST(TitleLineInEachMode) {
  HWND window = MakeMainWindow(100, 100);
  ShowWindow(window, SW_SHOW);
  SetCursorPos(900, 700);

  g_app.run_mode = RUN_RECORDING;
  g_app.start_tick = GetTickCount() - 61500;
  WriteCaption();
  EXPECT_EQ(Caption(window), "录制 01:01", "recording");

  g_app.run_mode = RUN_PLAYING;
  g_app.start_tick = GetTickCount() - 2500;
  g_app.repetitions_done = 1;
  g_app.repeat_count = 3;
  WriteCaption();
  EXPECT_EQ(Caption(window), "播放 00:02 (2/3)", "playing, counted");
  g_app.continuous_playback = 1;
  g_app.repetitions_done = 2;
  WriteCaption();
  EXPECT_EQ(Caption(window), "播放 00:02 (3/0*)", "playing, continuous");

  g_app.run_mode = RUN_IDLE;
  CopyBounded(g_app.shown_name, sizeof g_app.shown_name, "demo.rec");
  WriteCaption();
  EXPECT_EQ(Caption(window), "demo.rec", "idle with a recording's name");

  g_app.shown_name[0] = 0;
  WriteCaption();
  EXPECT_EQ(Caption(window), "Kestrova", "idle, cursor away");

  RECT r;
  GetWindowRect(window, &r);
  SetCursorPos(r.left + 2 + 21 * 3 + 10, r.bottom - 5);
  WriteCaption();
  EXPECT_EQ(Caption(window), kButtonTips[3], "tip of the fourth column");
  SetCursorPos(r.left + 1, r.top + 1);
  WriteCaption();
  EXPECT_EQ(Caption(window), kButtonTips[0], "caption bar shows the first tip");
  g_app.tips = 0;
  WriteCaption();
  EXPECT_EQ(Caption(window), "Kestrova", "tips off");
  DestroyMainWindow(window);
}

WINE_TEST(MaskMarksTheMaskColourAndBlackensIt) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 2);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const COLORREF grey = RGB(240, 240, 240), blue = RGB(0, 0, 255), white = RGB(255, 255, 255);
  const COLORREF pixels[2][4] = {{grey, blue, grey, white}, {blue, grey, RGB(239, 240, 240), grey}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) SetPixel(dc, x, y, pixels[y][x]);
  SelectObject(dc, old);

  HBITMAP mask = MakeToolbarMask(bitmap, 0);  // mask colour from the top-left pixel
  EXPECT_TRUE(mask != nullptr, "mask made");
  HDC mask_dc = CreateCompatibleDC(screen);
  HGDIOBJ old_mask = SelectObject(mask_dc, mask);
  old = SelectObject(dc, bitmap);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) {
      bool masked = pixels[y][x] == grey;
      std::string where = "pixel " + std::to_string(x) + "," + std::to_string(y);
      EXPECT_EQ(GetPixel(mask_dc, x, y) == RGB(255, 255, 255), masked, (where + " in the mask").c_str());
      EXPECT_EQ(GetPixel(dc, x, y), masked ? RGB(0, 0, 0) : pixels[y][x], (where + " of the strip").c_str());
    }
  }
  SelectObject(dc, old);
  SelectObject(mask_dc, old_mask);
  DeleteDC(dc);
  DeleteDC(mask_dc);
  ReleaseDC(nullptr, screen);
  DeleteObject(mask);
  EXPECT_TRUE(MakeToolbarMask(nullptr, 0) == nullptr, "no bitmap, no mask");
  DeleteObject(bitmap);
}

WINE_TEST(ButtonsPaintThePicturesOverTheButtonFace) {
  HWND window = MakeMainWindow(100, 100);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  PumpMessages(50);

  // Rebuild the strip as loaded, to compare painted pixels with the source.
  HBITMAP strip = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TOOLBAR),
                                                  IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  HDC window_dc = GetDC(window);
  HDC strip_dc = CreateCompatibleDC(window_dc);
  HGDIOBJ old = SelectObject(strip_dc, strip);
  COLORREF mask_colour = GetPixel(strip_dc, 0, 0);
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  auto check_button = [&](int button, int image, const char* what) {
    int mismatches = 0, picture = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        COLORREF source = GetPixel(strip_dc, 16 * image + x, y);
        COLORREF want = source == mask_colour ? face : source;
        if (source != mask_colour) ++picture;
        if (GetPixel(window_dc, 5 + 21 * button + x, 5 + y) != want) ++mismatches;
      }
    }
    EXPECT_TRUE(picture > 0, what);
    EXPECT_EQ(mismatches, 0, what);
  };
  for (int i = 0; i < 6; ++i) check_button(i, i, ("button " + std::to_string(i)).c_str());
  g_app.run_mode = RUN_RECORDING;
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  check_button(2, 6, "record button while recording");
  check_button(3, 3, "play button while recording");
  SelectObject(strip_dc, old);
  DeleteDC(strip_dc);
  DeleteObject(strip);
  ReleaseDC(window, window_dc);
  DestroyMainWindow(window);
}

WINE_TEST(HotkeysPostRecordAndPlay) {
  HWND window = MakeMainWindow();
  TakeCommand(window);
  struct Case {
    std::initializer_list<int> keys;
    std::uint32_t mode;
    WPARAM want;
    const char* what;
  } cases[] = {
      {{VK_CONTROL, VK_SHIFT, VK_MENU, 'R'}, RUN_IDLE, CMD_RECORD, "Ctrl+Shift+Alt+R"},
      {{VK_CONTROL, VK_SHIFT, VK_MENU, 'P'}, RUN_IDLE, CMD_PLAY, "Ctrl+Shift+Alt+P while idle"},
      {{VK_CONTROL, VK_SHIFT, VK_MENU, 'P'}, RUN_RECORDING, CMD_PLAY, "Ctrl+Shift+Alt+P while recording"},
      {{VK_CONTROL, VK_SHIFT, VK_MENU, 'P'}, RUN_PLAYING, 0x00018003, "Ctrl+Shift+Alt+P while playing"},
      {{VK_CONTROL, VK_SHIFT, VK_MENU, 'R', 'P'}, RUN_PLAYING, CMD_RECORD, "R wins over P"},
      {{VK_CONTROL, VK_MENU, 'R'}, RUN_IDLE, 0, "no Shift"},
      {{VK_SHIFT, VK_MENU, 'P'}, RUN_IDLE, 0, "no Ctrl"},
      {{VK_CONTROL, VK_SHIFT, 'R'}, RUN_IDLE, 0, "no Alt"},
      {{VK_CONTROL, VK_SHIFT, VK_MENU}, RUN_IDLE, 0, "modifiers alone"},
  };
  for (const Case& c : cases) {
    SetKeys(c.keys);
    g_app.run_mode = c.mode;
    PollStep();
    EXPECT_EQ(static_cast<std::uint64_t>(TakeCommand(window)), static_cast<std::uint64_t>(c.want), c.what);
    EXPECT_EQ(static_cast<std::uint64_t>(TakeCommand(window)), 0ull, (std::string(c.what) + ": one post").c_str());
  }
  SetKeys({});
  g_app.run_mode = RUN_IDLE;
  DestroyMainWindow(window);
}

WINE_TEST(ClicksAndKeysBecomeCommands) {
  HWND window = MakeMainWindow();
  TakeCommand(window);
  struct Case {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    WPARAM want;
  } cases[] = {
      {WM_LBUTTONDOWN, 0, MAKELPARAM(0, 10), CMD_OPEN},      {WM_LBUTTONDOWN, 0, MAKELPARAM(22, 10), CMD_OPEN},
      {WM_LBUTTONDOWN, 0, MAKELPARAM(23, 10), CMD_SAVE},     {WM_LBUTTONDOWN, 0, MAKELPARAM(50, 40), CMD_RECORD},
      {WM_LBUTTONDOWN, 0, MAKELPARAM(70, 10), CMD_PLAY},     {WM_LBUTTONDOWN, 0, MAKELPARAM(100, 10), CMD_COMPILE},
      {WM_LBUTTONDOWN, 0, MAKELPARAM(130, 10), CMD_OPTIONS}, {WM_KEYDOWN, 'O', 0, CMD_OPEN},
      {WM_KEYDOWN, VK_RETURN, 0, CMD_OPTIONS},               {WM_KEYDOWN, 'P', 0, 0},
  };
  for (const Case& c : cases) {
    SendMessageA(window, c.message, c.wparam, c.lparam);
    std::string what = "message " + std::to_string(c.message) + " lParam " + std::to_string(c.lparam) +
                       " wParam " + std::to_string(c.wparam);
    EXPECT_EQ(static_cast<std::uint64_t>(TakeCommand(window)), static_cast<std::uint64_t>(c.want), what.c_str());
  }
  DestroyMainWindow(window);
}

WINE_TEST(PlayWithoutRecordingShowsTheNoRecordingMessage) {
  HWND window = MakeMainWindow();
  FoundBox found = {};
  HANDLE watcher = CreateThread(nullptr, 0, CloseNextBox, &found, 0, nullptr);
  SendMessageA(window, WM_COMMAND, CMD_PLAY, 0);
  WaitForSingleObject(watcher, 5000);
  CloseHandle(watcher);
  EXPECT_TRUE(found.box != nullptr, "a message box came up");
  EXPECT_EQ(found.caption, "Kestrova", "its caption");
  EXPECT_EQ(found.text, "没有记录\n\n按下蓝色按钮,重新开始录制", "its text");
  DestroyMainWindow(window);
}

WINE_TEST(BusyModesDropCommandsSilently) {
  HWND window = MakeMainWindow();
  const WPARAM commands[] = {CMD_SAVE, CMD_COMPILE, CMD_OPEN, CMD_OPTIONS, CMD_PLAY};
  g_app.run_mode = RUN_RECORDING;
  for (WPARAM command : commands) {
    FoundBox found = {};
    HANDLE watcher = CreateThread(nullptr, 0, CloseNextBox, &found, 0, nullptr);
    SendMessageA(window, WM_COMMAND, command, 0);
    PumpMessages(300);
    found.stop = 1;
    WaitForSingleObject(watcher, 5000);
    CloseHandle(watcher);
    EXPECT_EQ(found.text, "", ("no box for command " + std::to_string(command) + " while recording").c_str());
  }
  g_app.run_mode = RUN_IDLE;
  DestroyMainWindow(window);
}
