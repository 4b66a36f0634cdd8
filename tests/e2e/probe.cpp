// probe.exe: tells the end-to-end tests what Windows (here Wine) knows; it
// never sends input. One command a line on stdin, answered with ASCII lines
// "kind key=value ..." and a line "end": list (every top-level window),
// children HWND (hex), metrics, focus (the foreground window and its
// thread's focus), keys (the virtual keys down now, "keys down=16,17" or
// "-"), move HWND X Y (puts the window's top-left corner there, as a drag
// by its caption bar would). Texts are hex of their code page 936 bytes ("-"
// when empty).

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Hex(const wchar_t* text, int length) {
  char bytes[8192];
  int size = length > 0 ? WideCharToMultiByte(936, 0, text, length, bytes, sizeof bytes, nullptr, nullptr) : 0;
  if (size <= 0) return "-";
  std::string out;
  for (int i = 0; i < size; ++i) {
    static const char digits[] = "0123456789abcdef";
    out += digits[static_cast<unsigned char>(bytes[i]) >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

// Controls of other processes keep their text to themselves (GetWindowText
// does not ask them), so they are asked with WM_GETTEXT.
std::string Text(HWND window, bool ask) {
  wchar_t text[4096] = {};
  DWORD_PTR length = 0;
  if (!ask || !SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                   2000, &length)) {
    length = GetWindowTextW(window, text, 4096);
  }
  return Hex(text, static_cast<int>(length));
}

void PrintWindow(const char* kind, HWND window, bool child) {
  wchar_t name[256] = {};
  int name_length = GetClassNameW(window, name, 256);
  RECT r = {}, c = {};
  GetWindowRect(window, &r);
  GetClientRect(window, &c);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&c), 2);
  std::printf("%s hwnd=%p visible=%d class=%s text=%s rect=%ld,%ld,%ld,%ld client=%ld,%ld,%ld,%ld style=0x%lx "
              "exstyle=0x%lx id=%ld owner=%p", kind, static_cast<void*>(window), IsWindowVisible(window) ? 1 : 0,
              Hex(name, name_length).c_str(), Text(window, child).c_str(), r.left, r.top, r.right, r.bottom,
              c.left, c.top, c.right, c.bottom, static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
              static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)),
              child ? static_cast<long>(GetDlgCtrlID(window)) : 0L, static_cast<void*>(GetWindow(window, GW_OWNER)));
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2, pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = child ? nullptr : OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process || !QueryFullProcessImageNameW(process, 0, path, &size)) size = 0;
  if (process) CloseHandle(process);
  std::printf(" exe=%s\n", Hex(path, static_cast<int>(size)).c_str());
}

BOOL CALLBACK Each(HWND window, LPARAM child) {
  PrintWindow(child ? "child" : "window", window, child != 0);
  return TRUE;
}

HWND Handle(const char* hex) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(hex, nullptr, 16))); }

void Run(const char* command, const char* argument) {
  if (!std::strcmp(command, "list")) {
    EnumWindows(Each, 0);
  } else if (!std::strcmp(command, "children") && argument) {
    EnumChildWindows(Handle(argument), Each, 1);
  } else if (!std::strcmp(command, "move") && argument) {
    const char* x = std::strtok(nullptr, " \r\n");
    const char* y = x ? std::strtok(nullptr, " \r\n") : nullptr;
    if (!y || !SetWindowPos(Handle(argument), nullptr, std::atoi(x), std::atoi(y), 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
      std::printf("error move %s: no such window or place\n", argument);
    }
  } else if (!std::strcmp(command, "metrics")) {
    std::printf("metrics cxscreen=%d cyscreen=%d cxdlgframe=%d cydlgframe=%d cysmcaption=%d cxsmsize=%d dblclk=%u\n",
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), GetSystemMetrics(SM_CXDLGFRAME),
                GetSystemMetrics(SM_CYDLGFRAME), GetSystemMetrics(SM_CYSMCAPTION), GetSystemMetrics(SM_CXSMSIZE),
                GetDoubleClickTime());
  } else if (!std::strcmp(command, "focus")) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND foreground = GetForegroundWindow();
    if (foreground) GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info);
    std::printf("focus foreground=%p focus=%p\n", static_cast<void*>(foreground), static_cast<void*>(info.hwndFocus));
  } else if (!std::strcmp(command, "keys")) {
    std::string down;
    for (int vk = 1; vk <= 254; ++vk) {
      if (GetAsyncKeyState(vk) & 0x8000) down += (down.empty() ? "" : ",") + std::to_string(vk);
    }
    std::printf("keys down=%s\n", down.empty() ? "-" : down.c_str());
  } else {
    std::printf("error unknown command %s\n", command);
  }
}

}  // namespace

int main() {
  char line[256];
  while (std::fgets(line, sizeof line, stdin)) {
    const char* command = std::strtok(line, " \r\n");
    if (command) Run(command, std::strtok(nullptr, " \r\n"));
    std::printf("end\n");
    std::fflush(stdout);
  }
  return 0;
}
