// Runs the Win32 tests (all, or those whose names contain an argument) and
// ends with "N passed, N failed". Each test runs in a child process ("--one
// NAME"), so that the windows, timers and queued messages of one cannot
// reach the next, and one stuck in a modal loop is ended after a time limit.
#include "harness.h"

#include <algorithm>
#include <cstdio>

#include "app/placement.h"
#include "app/startup.h"
#include "app/state.h"

namespace {

TestCase* g_tests = nullptr;
int g_failures = 0;

bool Ours(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid == GetCurrentProcessId() && IsWindowVisible(window);
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

HWND Child(HWND box, const char* cls) {
  HWND found = nullptr;
  for (HWND c = GetWindow(box, GW_CHILD); c && !found; c = GetWindow(c, GW_HWNDNEXT))
    found = ClassOf(c) == cls ? c : (ClassOf(c) == "ComboBox" ? Child(c, cls) : nullptr);
  return found;
}

struct Answering {
  std::vector<std::string> answers;
  std::size_t next;
  std::vector<SeenBox> seen;
  std::vector<HWND> handled;
  volatile LONG stop;
};

// Reads and answers the box once it is ready; false while it is not.
bool Answer(Answering& a, HWND box) {
  SeenBox s = {ClassOf(box), Caption(box), "", "", {}, GetWindow(box, GW_OWNER), false, false, nullptr};
  s.topmost = (GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  const bool answer = a.next < a.answers.size();
  const std::string text = answer ? a.answers[a.next] : "";
  if (s.cls == "#32768") {
    if (!(s.menu = reinterpret_cast<HMENU>(SendMessageA(box, MN_GETHMENU, 0, 0)))) return false;
    PostMessageA(box, text.empty() ? WM_KEYDOWN : WM_CHAR, text.empty() ? VK_ESCAPE : text[0], 0);
  } else {
    HWND file_box = GetDlgItem(box, 1148), types = GetDlgItem(box, 1136), edit = Child(file_box ? file_box : box, "Edit");
    if (file_box && !edit) edit = file_box;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (ClassOf(c) == "Static" && s.text.empty() && GetDlgCtrlID(c) != 32783) s.text = Caption(c);
      s.icon |= (GetWindowLongPtrA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && SendMessageA(c, STM_GETICON, 0, 0);
    }
    if (answer ? !edit || (file_box && !IsWindowVisible(GetDlgItem(box, IDOK))) : s.text.empty() && !file_box)
      return false;
    if (edit) s.first = Caption(edit);
    for (LRESULT i = 0, n = SendMessageA(types, CB_GETCOUNT, 0, 0); types && i < n; ++i) {
      char item[256] = {};
      SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
      s.types.push_back(item);
    }
    if (answer && !text.empty()) SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    const LRESULT button = SendMessageA(box, DM_GETDEFID, 0, 0);
    PostMessageA(box, WM_COMMAND, answer && text.empty() ? IDCANCEL : HIWORD(button) == DC_HASDEFID ? LOWORD(button) : IDOK, 0);
  }
  a.next += answer;
  a.seen.push_back(s);
  return true;
}

DWORD WINAPI AnswerBoxes(void* param) {
  Answering& a = *static_cast<Answering*>(param);
  while (!a.stop) {
    Sleep(10);  // a poll: the boxes come up in their own time
    for (const char* cls : {"#32770", "#32768"})
      for (HWND w = FindWindowExA(nullptr, nullptr, cls, nullptr); w; w = FindWindowExA(nullptr, w, cls, nullptr))
        if (Ours(w) && std::find(a.handled.begin(), a.handled.end(), w) == a.handled.end() && Answer(a, w))
          a.handled.push_back(w);
  }
  return 0;
}

bool RunInChild(const char* name) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string command = std::string("\"") + self + "\" --one " + name;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) return false;
  DWORD code = 1;
  if (WaitForSingleObject(child.hProcess, 120000) == WAIT_TIMEOUT) {
    std::printf("  %s: still running after 120 s, ended\n", name);
    TerminateProcess(child.hProcess, 3);
  }
  WaitForSingleObject(child.hProcess, 10000);
  GetExitCodeProcess(child.hProcess, &code);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  return code == 0;
}

}  // namespace

TestCase* RegisterTest(TestCase* test) {
  TestCase** tail = &g_tests;
  while (*tail) tail = &(*tail)->next;
  return *tail = test;
}

void Fail(const char* file, int line, const std::string& what, const std::string& got, const std::string& want) {
  ++g_failures;
  std::printf("  %s:%d: %s: got %s, expected %s\n", file, line, what.c_str(), got.c_str(), want.c_str());
}

std::string ScratchFolder(const char* name) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + "kestrova-tests\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  folder += std::string(name) + "-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  WIN32_FIND_DATAA found;  // process ids come back: clear what an earlier run left
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
    SetFileAttributesA((folder + found.cFileName).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA((folder + found.cFileName).c_str()) || RemoveDirectoryA((folder + found.cFileName).c_str());
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  return folder;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string ReadBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  return bytes;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Caption(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

HWND MakeMainWindow(int left, int top) {
  static ATOM registered = RegisterMainClass(GetModuleHandleA(nullptr));
  const int frame = GetSystemMetrics(SM_CXDLGFRAME);
  g_app.main_window = CreateMainWindow(GetModuleHandleA(nullptr), left, top, MainWindowWidth(frame),
                                       MainWindowHeight(GetSystemMetrics(SM_CYSMCAPTION), frame));
  return registered ? g_app.main_window : nullptr;
}

void DestroyMainWindow(HWND window) {
  DestroyWindow(window);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

bool PumpUntil(const std::function<bool()>& done, const std::string& what, DWORD limit_ms) {
  for (DWORD start = GetTickCount(); !done(); MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT)) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      if (msg.message != WM_QUIT) TranslateMessage(&msg), DispatchMessageA(&msg);
    if (GetTickCount() - start > limit_ms)
      return Fail(__FILE__, __LINE__, "gave up waiting for " + what, std::to_string(limit_ms) + " ms", "less"), false;
  }
  return true;
}

bool BringToFront(HWND window) {
  int held = 0;  // X focus events of windows closed just before can still move it away
  return PumpUntil([&] {
    if (GetForegroundWindow() == window && GetFocus() == window) return ++held >= 5;
    SetForegroundWindow(window), SetFocus(window), held = 0;
    return false;
  }, "the window in front with the keyboard focus");
}

void* ReplaceImport(void** slot, void* procedure) {
  DWORD protect = 0;
  VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protect);
  void* old = *slot;
  *slot = procedure;
  VirtualProtect(slot, sizeof(void*), protect, &protect);
  return old;
}

std::vector<SeenBox> Answered(const std::vector<std::string>& answers, const std::function<void()>& command) {
  Answering a = {answers, 0, {}, {}, 0};
  HANDLE thread = CreateThread(nullptr, 0, AnswerBoxes, &a, 0, nullptr);
  command();
  PumpUntil([&] { return a.next >= a.answers.size(); }, "every answer used");
  InterlockedExchange(&a.stop, 1);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return a.seen;
}

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--one") {
    TestCase* test = g_tests;
    while (test && std::string(test->name) != argv[2]) test = test->next;
    if (!test) return std::printf("  no test named %s\n", argv[2]), 2;
    ResetAppState();
    g_app.stub_size = 0x7FFFFFFF;  // far longer than an image: not a self-playing copy
    test->run();
    std::fflush(stdout);
    return g_failures ? 1 : 0;
  }
  int passed = 0, failed = 0;
  for (TestCase* test = g_tests; test; test = test->next) {
    bool chosen = argc == 1;
    for (int i = 1; i < argc; ++i) chosen |= std::string(test->name).find(argv[i]) != std::string::npos;
    if (!chosen) continue;
    std::fflush(stdout);
    const bool ok = RunInChild(test->name);
    std::printf("%s %s\n", ok ? "PASS" : "FAIL", test->name);
    ++(ok ? passed : failed);
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed ? 1 : 0;
}
