// target.exe LOG [CLASS [TITLE [LEFT TOP [DELAY]]]]: a window (by default of
// class "KestrovaE2ETarget", titled "Kestrova test target", at 40, 40), 360 x
// 240, opened DELAY ms after the start, for the end-to-end tests to aim input
// at; with another class it stands for another program's window at a place a
// test chooses. It appends a line for every key and left-button message to
// the file LOG (a Windows path), opened and closed for every line, and never
// sends input itself. Lines, ASCII:
//   ready                          once, when the window is shown
//   keydown VK [ext] scan N        WM_KEYDOWN (also keyup, syskeydown,
//                                  syskeyup); "ext": lParam bit 24 is set;
//                                  N: lParam's bits 16-23, the scan code
//   lbuttondown X Y                WM_LBUTTONDOWN at client X Y (also
//                                  lbuttonup, lbuttondblclk)
//   mbuttondown N X Y              WM_MBUTTONDOWN (also mbuttonup, xbuttondown,
//                                  xbuttonup, and mousewheel, mousehwheel at
//                                  screen X Y): N is wParam's high word, the
//                                  side button or the delta (0 for middle)

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

char g_log_path[MAX_PATH * 2];

void Note(const char* line) {
  HANDLE file = CreateFileA(g_log_path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  static const char* const kKeys[] = {"keydown", "keyup", nullptr, nullptr, "syskeydown", "syskeyup"};
  static const char* const kButtons[] = {"lbuttondown", "lbuttonup", "lbuttondblclk"};
  static const char* const kOthers[] = {"mbuttondown", "mbuttonup", nullptr,    "mousewheel",
                                        "xbuttondown", "xbuttonup", nullptr, "mousehwheel"};
  char line[64];
  if (message >= WM_KEYDOWN && message <= WM_SYSKEYUP && kKeys[message - WM_KEYDOWN]) {
    std::snprintf(line, sizeof line, "%s %u%s scan %u\r\n", kKeys[message - WM_KEYDOWN], static_cast<unsigned>(wparam),
                  (lparam >> 24) & 1 ? " ext" : "", static_cast<unsigned>(lparam >> 16) & 0xFF);
    Note(line);
    // Keys with Alt would otherwise enter the system menu's keyboard mode
    // and swallow the keys after them.
    if (message >= WM_SYSKEYDOWN) return 0;
  } else if (message == WM_SYSCHAR) {
    return 0;
  } else if (message >= WM_LBUTTONDOWN && message <= WM_LBUTTONDBLCLK) {
    std::snprintf(line, sizeof line, "%s %d %d\r\n", kButtons[message - WM_LBUTTONDOWN],
                  static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
    Note(line);
  } else if (message >= WM_MBUTTONDOWN && message <= WM_MOUSEHWHEEL && kOthers[message - WM_MBUTTONDOWN]) {
    std::snprintf(line, sizeof line, "%s %d %d %d\r\n", kOthers[message - WM_MBUTTONDOWN], static_cast<short>(HIWORD(wparam)),
                  static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
    Note(line);
  } else if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc == 5 || argc > 7) return 2;
  std::snprintf(g_log_path, sizeof g_log_path, "%s", argv[1]);
  if (argc == 7) Sleep(static_cast<DWORD>(std::atoi(argv[6])));
  WNDCLASSA wc = {};
  wc.style = CS_DBLCLKS;  // a double click must show as one
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = argc > 2 ? argv[2] : "KestrovaE2ETarget";
  if (!RegisterClassA(&wc)) return 1;
  HWND window = CreateWindowExA(0, wc.lpszClassName, argc > 3 ? argv[3] : "Kestrova test target", WS_OVERLAPPEDWINDOW,
                                argc > 5 ? std::atoi(argv[4]) : 40, argc > 5 ? std::atoi(argv[5]) : 40, 360, 240,
                                nullptr, nullptr, wc.hInstance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  Note("ready\r\n");
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
