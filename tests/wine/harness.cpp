// Runs the Win32 tests (all, or those whose names contain an argument), each
// on a fresh state and with its windows destroyed at its end, and ends with
// "N passed, N failed".
#include "tests/wine/harness.h"

#include <algorithm>
#include <cstdio>

#include "app/placement.h"
#include "app/startup.h"
#include "core/state.h"

namespace {

TestCase* g_tests = nullptr;
int g_failures = 0;
const char* g_running = nullptr;  // the test under way
int g_passed = 0, g_failed = 0;

// A test that crashes the process fails it at once, named, instead of
// leaving the process to a debugger that waits for someone to answer.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* crash) {
  std::printf("FAIL %s: crashed, exception 0x%08lx at %p\n%d passed, %d failed\n", g_running,
              static_cast<unsigned long>(crash->ExceptionRecord->ExceptionCode), crash->ExceptionRecord->ExceptionAddress,
              g_passed, g_failed + 1);
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

HWND Child(HWND parent, const char* cls) {
  HWND found = nullptr;
  for (HWND c = GetWindow(parent, GW_CHILD); c && !found; c = GetWindow(c, GW_HWNDNEXT))
    found = ClassOf(c) == cls ? c : ClassOf(c) == "ComboBox" ? Child(c, cls) : nullptr;
  return found;
}

struct Answering {
  std::vector<std::string> answers;
  std::size_t next;
  std::vector<SeenBox> seen;
  std::vector<HWND> handled;
  volatile LONG stop;
};

// Reads and answers the box once it is ready (its text, its edit box or
// file dialog's OK button shown); false while it is not. A box the next
// answer is not for (one asking for a name when no answer is left, or one
// still not ready for the answer at the deadline: a message box while a name
// is awaited) leaves the answer to the next: it gets Cancel or its default
// button, and is marked unexpected.
bool Answer(Answering& a, HWND box, bool overdue) {
  SeenBox s = {Caption(box), "", "", GetWindow(box, GW_OWNER), false, false, nullptr, false};
  s.topmost = (GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  const bool answer = a.next < a.answers.size();
  const std::string text = answer ? a.answers[a.next] : "";
  if (ClassOf(box) == "#32768") {
    if (!(s.menu = reinterpret_cast<HMENU>(SendMessageA(box, MN_GETHMENU, 0, 0)))) return false;
    PostMessageA(box, text.empty() ? WM_KEYDOWN : WM_CHAR, text.empty() ? VK_ESCAPE : text[0], 0);
  } else {
    HWND file_box = GetDlgItem(box, 1148), edit = Child(file_box ? file_box : box, "Edit");
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (ClassOf(c) == "Static" && s.text.empty() && GetDlgCtrlID(c) != 32783) s.text = Caption(c);
      s.icon |= (GetWindowLongPtrA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && SendMessageA(c, STM_GETICON, 0, 0);
    }
    const bool ready = answer ? edit && (!file_box || IsWindowVisible(GetDlgItem(box, IDOK))) : !s.text.empty();
    if (!ready && !overdue) return false;
    s.unexpected = !ready || (!answer && edit);
    if (edit) s.first = Caption(edit);
    if (answer && edit && !text.empty()) SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    const LRESULT button = SendMessageA(box, DM_GETDEFID, 0, 0);
    PostMessageA(box, WM_COMMAND, edit && (s.unexpected || text.empty()) ? IDCANCEL
                                  : HIWORD(button) == DC_HASDEFID ? LOWORD(button) : IDOK, 0);
  }
  a.next += answer && !s.unexpected;
  a.seen.push_back(s);
  return true;
}

DWORD WINAPI AnswerBoxes(void* param) {
  Answering& a = *static_cast<Answering*>(param);
  std::vector<std::pair<HWND, DWORD>> first_seen;
  for (DWORD pid = 0; !a.stop; Sleep(10))  // polled: the boxes come up in their own time
    for (const char* cls : {"#32770", "#32768"})
      for (HWND w = FindWindowExA(nullptr, nullptr, cls, nullptr); w; w = FindWindowExA(nullptr, w, cls, nullptr)) {
        if (!GetWindowThreadProcessId(w, &pid) || pid != GetCurrentProcessId() || !IsWindowVisible(w) ||
            std::find(a.handled.begin(), a.handled.end(), w) != a.handled.end())
          continue;
        auto seen = std::find_if(first_seen.begin(), first_seen.end(), [w](const auto& f) { return f.first == w; });
        if (seen == first_seen.end()) seen = first_seen.insert(seen, {w, GetTickCount()});
        if (Answer(a, w, GetTickCount() - seen->second > kWaitMs)) a.handled.push_back(w);
      }
  return 0;
}

}  // namespace

TestCase* RegisterTest(TestCase* test) {
  TestCase** tail = &g_tests;
  while (*tail) tail = &(*tail)->next;
  return *tail = test;
}

void Expect(bool ok, const std::string& what, const std::string& got, const std::string& want, int line) {
  if (!ok && ++g_failures) std::printf("  line %d: %s: got %s, expected %s\n", line, what.c_str(), got.c_str(), want.c_str());
}

std::string ScratchFolder(const char* name) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + "kestrova-" + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  WIN32_FIND_DATAA found;  // process ids come back: clear what an earlier run left
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
    DeleteFileA((folder + found.cFileName).c_str()) || RemoveDirectoryA((folder + found.cFileName).c_str());
  FindClose(search);
  return folder;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string ReadBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  std::string bytes(file == INVALID_HANDLE_VALUE ? 0 : GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  return bytes;
}

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
  MSG msg;  // the WM_QUIT it posts would end the next message box at once
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

bool PumpUntil(const std::function<bool()>& done, const std::string& what, DWORD limit_ms) {
  for (DWORD start = GetTickCount(); !done(); MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT)) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      if (msg.message != WM_QUIT) TranslateMessage(&msg), DispatchMessageA(&msg);
    if (GetTickCount() - start > limit_ms)
      return Expect(false, "waiting for " + what, "nothing in " + std::to_string(limit_ms) + " ms", "it", __LINE__), false;
  }
  return true;
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
  PumpUntil([&] { return a.next >= a.answers.size(); }, "every answer taken");
  InterlockedExchange(&a.stop, 1);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  for (const SeenBox& s : a.seen)
    Expect(!s.unexpected, "a box no answer was meant for", s.caption + ": " + s.text, "none", __LINE__);
  return a.seen;
}

int main(int argc, char** argv) {
  SetUnhandledExceptionFilter(ReportCrash);
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // a layer stopped at its time limit shows how far it came
  for (TestCase* test = g_tests; test; test = test->next) {
    bool chosen = argc == 1;
    for (int i = 1; i < argc; ++i) chosen |= std::string(test->name).find(argv[i]) != std::string::npos;
    if (!chosen) continue;
    const int before = g_failures;
    ResetAppState();
    g_app.stub_size = 0x7FFFFFFF;  // far longer than an image: no self-playing copy
    g_running = test->name;
    test->run();
    std::printf("%s %s\n", g_failures == before ? "PASS" : "FAIL", test->name);
    std::fflush(stdout);
    ++(g_failures == before ? g_passed : g_failed);
  }
  std::printf("%d passed, %d failed\n", g_passed, g_failed);
  return g_failed ? 1 : 0;
}
