// probe.exe: reports what Windows (here Wine) knows about the windows on the
// screen, for the end-to-end tests that drive Kestrova from outside. It only
// looks; it never sends input or changes a window.
//
// Every answer is plain ASCII, one fact per line, as "kind key=value ...".
// Texts (captions, control texts, class names, paths) are given as hex of
// their bytes in code page 936, so Chinese texts survive any console, and an
// empty text is written as "-".
//
//   probe.exe list             every top-level window
//   probe.exe children HWND    every descendant window of HWND
//   probe.exe metrics          screen size and the frame and caption sizes
//   probe.exe cursor           the cursor position
//   probe.exe focus            the foreground, active and focus windows
//   probe.exe keys             the keys and mouse buttons down now, as the
//                              virtual keys 1..254 (decimal) whose
//                              GetAsyncKeyState has the high bit: "keys
//                              down=16,17" or "keys down=-"
//   probe.exe serve            answers the commands above, one per line read
//                              from stdin, each answer closed by "end"
//
// HWND is hex as "list" prints it (with or without 0x). A popup menu is a
// top-level window of class #32768 in "list"; its items belong to the menu's
// own process under Wine, so they are read off a screenshot instead.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const UINT kCodePage = 936;

std::string Hex(const std::string& bytes) {
  if (bytes.empty()) return "-";
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string ToCodePage(const wchar_t* text, int length) {
  if (length <= 0) return std::string();
  int size = WideCharToMultiByte(kCodePage, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 0, '\0');
  if (size > 0) WideCharToMultiByte(kCodePage, 0, text, length, &out[0], size, nullptr, nullptr);
  return out;
}

std::string ClassOf(HWND window) {
  wchar_t name[256] = {};
  int length = GetClassNameW(window, name, 256);
  return ToCodePage(name, length);
}

// The text of a window. Controls of other processes keep their text to
// themselves (GetWindowText does not ask them), so they are asked with
// WM_GETTEXT; a window that does not answer in time gets its stored text.
std::string TextOf(HWND window) {
  wchar_t text[4096] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                           &length)) {
    length = GetWindowTextW(window, text, 4096);
  }
  return ToCodePage(text, static_cast<int>(length));
}

std::string CaptionOf(HWND window) {
  wchar_t text[4096] = {};
  int length = GetWindowTextW(window, text, 4096);
  return ToCodePage(text, length);
}

std::string ProcessPath(DWORD pid) {
  std::string path;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return path;
  wchar_t name[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2;
  if (QueryFullProcessImageNameW(process, 0, name, &size)) path = ToCodePage(name, static_cast<int>(size));
  CloseHandle(process);
  return path;
}

void PrintRect(const char* key, const RECT& r) {
  std::printf(" %s=%ld,%ld,%ld,%ld", key, r.left, r.top, r.right, r.bottom);
}

// The client area in screen coordinates.
RECT ClientOnScreen(HWND window) {
  RECT r = {};
  GetClientRect(window, &r);
  POINT corner = {0, 0};
  ClientToScreen(window, &corner);
  OffsetRect(&r, corner.x, corner.y);
  return r;
}

void PrintTopLevel(HWND window) {
  RECT outer = {};
  GetWindowRect(window, &outer);
  DWORD pid = 0;
  DWORD tid = GetWindowThreadProcessId(window, &pid);
  std::printf("window hwnd=%p visible=%d enabled=%d class=%s caption=%s", static_cast<void*>(window),
              IsWindowVisible(window) ? 1 : 0, IsWindowEnabled(window) ? 1 : 0, Hex(ClassOf(window)).c_str(),
              Hex(CaptionOf(window)).c_str());
  PrintRect("rect", outer);
  PrintRect("client", ClientOnScreen(window));
  std::printf(" style=0x%08lx exstyle=0x%08lx owner=%p pid=%lu tid=%lu exe=%s\n",
              static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
              static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)),
              static_cast<void*>(GetWindow(window, GW_OWNER)), static_cast<unsigned long>(pid),
              static_cast<unsigned long>(tid), Hex(ProcessPath(pid)).c_str());
}

BOOL CALLBACK ListOne(HWND window, LPARAM) {
  PrintTopLevel(window);
  return TRUE;
}

BOOL CALLBACK ChildOne(HWND window, LPARAM) {
  RECT outer = {};
  GetWindowRect(window, &outer);
  std::printf("child hwnd=%p parent=%p visible=%d enabled=%d class=%s text=%s", static_cast<void*>(window),
              static_cast<void*>(GetParent(window)), IsWindowVisible(window) ? 1 : 0,
              IsWindowEnabled(window) ? 1 : 0, Hex(ClassOf(window)).c_str(), Hex(TextOf(window)).c_str());
  PrintRect("rect", outer);
  std::printf(" id=%ld style=0x%08lx exstyle=0x%08lx\n", static_cast<long>(GetDlgCtrlID(window)),
              static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
              static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)));
  return TRUE;
}

void Metrics() {
  struct Metric {
    const char* name;
    int index;
  };
  static const Metric kMetrics[] = {
      {"cxscreen", SM_CXSCREEN},     {"cyscreen", SM_CYSCREEN},         {"cxdlgframe", SM_CXDLGFRAME},
      {"cydlgframe", SM_CYDLGFRAME}, {"cxborder", SM_CXBORDER},         {"cyborder", SM_CYBORDER},
      {"cycaption", SM_CYCAPTION},   {"cysmcaption", SM_CYSMCAPTION},   {"cxsmsize", SM_CXSMSIZE},
      {"cysmsize", SM_CYSMSIZE},     {"cxsize", SM_CXSIZE},             {"cysize", SM_CYSIZE},
      {"cxedge", SM_CXEDGE},         {"cyedge", SM_CYEDGE},             {"cymenu", SM_CYMENU},
      {"cxdrag", SM_CXDRAG},         {"cydrag", SM_CYDRAG},             {"cxdoubleclk", SM_CXDOUBLECLK},
  };
  std::printf("metrics");
  for (const Metric& m : kMetrics) std::printf(" %s=%d", m.name, GetSystemMetrics(m.index));
  std::printf("\n");
}

void Cursor() {
  POINT p = {};
  BOOL ok = GetCursorPos(&p);
  std::printf("cursor ok=%d x=%ld y=%ld\n", ok ? 1 : 0, p.x, p.y);
}

void Focus() {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  HWND foreground = GetForegroundWindow();
  if (foreground) GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info);
  std::printf("focus foreground=%p active=%p focus=%p capture=%p menuowner=%p\n", static_cast<void*>(foreground),
              static_cast<void*>(info.hwndActive), static_cast<void*>(info.hwndFocus),
              static_cast<void*>(info.hwndCapture), static_cast<void*>(info.hwndMenuOwner));
}

void Keys() {
  std::string down;
  for (int vk = 1; vk <= 254; ++vk) {
    if (!(GetAsyncKeyState(vk) & 0x8000)) continue;
    if (!down.empty()) down += ',';
    down += std::to_string(vk);
  }
  std::printf("keys down=%s\n", down.empty() ? "-" : down.c_str());
}

HWND ParseHandle(const char* text) {
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text, nullptr, 16)));
}

// Runs one command; false when it is not known.
bool Run(int argc, char** argv) {
  if (argc < 1) return false;
  std::string command = argv[0];
  if (command == "list" && argc == 1) {
    EnumWindows(ListOne, 0);
  } else if (command == "children" && argc == 2) {
    EnumChildWindows(ParseHandle(argv[1]), ChildOne, 0);
  } else if (command == "metrics" && argc == 1) {
    Metrics();
  } else if (command == "cursor" && argc == 1) {
    Cursor();
  } else if (command == "focus" && argc == 1) {
    Focus();
  } else if (command == "keys" && argc == 1) {
    Keys();
  } else {
    return false;
  }
  return true;
}

// One command per line; every answer ends with a line "end", or "error ..."
// and "end" for a command it does not know. Ends at end of input.
int Serve() {
  char line[1024];
  while (std::fgets(line, sizeof line, stdin)) {
    char* words[8];
    int count = 0;
    for (char* word = std::strtok(line, " \t\r\n"); word && count < 8; word = std::strtok(nullptr, " \t\r\n")) {
      words[count++] = word;
    }
    if (count > 0 && !Run(count, words)) std::printf("error unknown command\n");
    std::printf("end\n");
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "serve") == 0) return Serve();
  if (!Run(argc - 1, argv + 1)) {
    std::fprintf(stderr, "usage: probe.exe list | children HWND | metrics | cursor | focus | keys | serve\n");
    return 2;
  }
  return 0;
}
