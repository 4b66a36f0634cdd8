// target.exe: a window for the end-to-end tests to aim input at. It writes a
// line for every key and mouse-button message it receives to a log file, and
// shows the last lines in its window too. It never sends input itself.
//
//   target.exe LOG [LEFT TOP WIDTH HEIGHT]
//
// LOG is a Windows path (under Wine a Unix path /a/b is reached as Z:\a\b).
// The window opens at LEFT, TOP with the given outer size (default 40, 40,
// 360 x 240), takes the foreground, and has the class "KestrovaE2ETarget"
// and the caption "Kestrova test target".
//
// The log file is opened, appended to and closed again for every line, so a
// reader always sees whole lines and the tests may empty or delete it at any
// time. Lines are ASCII:
//
//   ready                   once, when the window is shown
//   keydown VK              WM_KEYDOWN, VK in decimal
//   keyup VK                WM_KEYUP
//   syskeydown VK           WM_SYSKEYDOWN (a key with Alt held, or F10)
//   syskeyup VK             WM_SYSKEYUP
//   lbuttondown X Y         WM_LBUTTONDOWN / WM_LBUTTONDBLCLK (as a down),
//   lbuttonup X Y           WM_LBUTTONUP, X Y the client position
//   rbuttondown X Y         WM_RBUTTONDOWN / WM_RBUTTONDBLCLK (as a down)
//   rbuttonup X Y           WM_RBUTTONUP
//
// Every line ends with " t=TICKS", the message time (GetMessageTime), which
// the tests do not depend on. Keys with Alt get no default handling (no
// system menu, no Alt+F4): end the program from outside.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kClassName[] = "KestrovaE2ETarget";
const char kCaption[] = "Kestrova test target";
const int kShownLines = 12;

char g_log_path[MAX_PATH * 2];
char g_shown[kShownLines][64];
int g_next_shown = 0;

void Append(const char* line) {
  HANDLE file = CreateFileA(g_log_path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
  CloseHandle(file);
}

// Logs one line (without its time and line end) and shows it.
void Note(HWND window, const char* text) {
  char line[96];
  std::snprintf(line, sizeof line, "%s t=%lu\r\n", text, static_cast<unsigned long>(GetMessageTime()));
  Append(line);
  std::snprintf(g_shown[g_next_shown], sizeof g_shown[0], "%s", text);
  g_next_shown = (g_next_shown + 1) % kShownLines;
  InvalidateRect(window, nullptr, TRUE);
}

void NoteKey(HWND window, const char* kind, WPARAM vk) {
  char text[64];
  std::snprintf(text, sizeof text, "%s %u", kind, static_cast<unsigned>(vk));
  Note(window, text);
}

void NoteButton(HWND window, const char* kind, LPARAM lparam) {
  char text[64];
  std::snprintf(text, sizeof text, "%s %d %d", kind, static_cast<short>(LOWORD(lparam)),
                static_cast<short>(HIWORD(lparam)));
  Note(window, text);
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < kShownLines; ++i) {
    const char* text = g_shown[(g_next_shown + i) % kShownLines];
    TextOutA(dc, 4, 2 + 15 * i, text, static_cast<int>(std::strlen(text)));
  }
  EndPaint(window, &paint);
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_KEYDOWN: NoteKey(window, "keydown", wparam); break;
    case WM_KEYUP: NoteKey(window, "keyup", wparam); break;
    // Key messages with Alt are kept from the default handling: it would
    // enter the system menu's keyboard mode and swallow the keys after them.
    case WM_SYSKEYDOWN: NoteKey(window, "syskeydown", wparam); return 0;
    case WM_SYSKEYUP: NoteKey(window, "syskeyup", wparam); return 0;
    case WM_SYSCHAR: return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: NoteButton(window, "lbuttondown", lparam); break;
    case WM_LBUTTONUP: NoteButton(window, "lbuttonup", lparam); break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: NoteButton(window, "rbuttondown", lparam); break;
    case WM_RBUTTONUP: NoteButton(window, "rbuttonup", lparam); break;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 6) {
    std::fprintf(stderr, "usage: target.exe LOG [LEFT TOP WIDTH HEIGHT]\n");
    return 2;
  }
  std::snprintf(g_log_path, sizeof g_log_path, "%s", argv[1]);
  int left = 40, top = 40, width = 360, height = 240;
  if (argc == 6) {
    left = std::atoi(argv[2]);
    top = std::atoi(argv[3]);
    width = std::atoi(argv[4]);
    height = std::atoi(argv[5]);
  }
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassA(&wc)) return 1;
  HWND window = CreateWindowExA(0, kClassName, kCaption, WS_OVERLAPPEDWINDOW, left, top, width, height, nullptr,
                                nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  SetForegroundWindow(window);
  Note(window, "ready");
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
