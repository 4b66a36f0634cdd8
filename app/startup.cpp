#include "app/startup.h"

#include "app/main_window.h"
#include "app/placement.h"
#include "app/settings.h"
#include "app/settings_path.h"
#include "core/file_size.h"
#include "core/ids.h"
#include "core/message_box.h"
#include "core/product_name.h"
#include "core/state.h"
#include "core/text_number.h"
#include "files/self_play.h"
#include "play/playback.h"

#ifndef _WIN64
static_assert(sizeof(WNDCLASSEXA) == 48, "32-bit window class record");
#endif

const char kMainClassName[] = "KestrovaClass";

namespace {

constexpr DWORD kMainStyle = WS_POPUP | WS_BORDER | WS_DLGFRAME | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
static_assert(kMainStyle == 0x86C80000 && kMainExStyle == 0x88, "a small always-on-top tool window");

int StartupFailed() {
  MessageBoxA(nullptr, "Kestrova 运行出错", nullptr, kFailureFlags);
  return 0;
}

int RunMessageLoop() {
  MSG msg;  // the loop ends on WM_QUIT, which fills it
  while (MessageLoopTurn(msg)) {
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

bool MessageLoopTurn(MSG& msg) {
  // The wait ends with the first message, or when the playback's next step
  // is due: the step waits no longer than its moment, to the millisecond,
  // however short the gap before it, and the window keeps answering (the
  // chords that stop a playback are messages too). Input seen already but
  // left in the queue counts as well.
  MsgWaitForMultipleObjectsEx(0, nullptr, TimeToStep(), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  StepWhenDue(g_app.main_window);
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

ATOM RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainClassName;
  return RegisterClassExA(&wc);
}

HWND CreateMainWindow(HINSTANCE instance, std::int32_t left, std::int32_t top, std::int32_t width,
                      std::int32_t height) {
  return CreateWindowExA(kMainExStyle, kMainClassName, kProductName, kMainStyle, left, top, width, height, nullptr,
                         nullptr, instance, nullptr);
}

int Startup(HINSTANCE instance, const char* command_tail, int show_command) {
  (void)show_command;  // the window is always shown plainly, or hidden
  ResetAppState();
  std::int32_t frame = GetSystemMetrics(SM_CXDLGFRAME);
  std::int32_t width = MainWindowWidth(frame);
  std::int32_t height = MainWindowHeight(GetSystemMetrics(SM_CYSMCAPTION), frame);
  g_app.stub_size = TextToInt(ImageFieldsAsLoaded().stub_size_text);

  // A path that filled the whole buffer may have been cut: then neither the
  // own file nor a settings file beside it can be trusted.
  DWORD length = GetModuleFileNameA(nullptr, g_app.own_path, 255);
  g_app.own_path[254] = 0;
  bool self_playing = IsSelfPlayingCopy();
  if (length > 0 && length < 255) MakeSettingsPath(g_app.settings_path, g_app.own_path);

  std::int32_t screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
  std::int32_t left, top;
  ReadSettings(screen_w, screen_h, width, height, left, top);

  if (!RegisterMainClass(instance)) return StartupFailed();
  top = PlaceEdge(top, screen_h, height);
  left = PlaceEdge(left, screen_w, width);
  HWND window = CreateMainWindow(instance, left, top, width, height);
  if (!window) return StartupFailed();
  g_app.main_window = window;
  ShowWindow(window, self_playing ? SW_HIDE : SW_SHOW);
  UpdateWindow(window);
  if (!PlayOnStart(command_tail, self_playing)) return 0;
  return RunMessageLoop();
}
