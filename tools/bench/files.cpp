// Times the file commands on a large recording: loading, saving and compiling
// 1 000 000 records (20 MB), under Wine or Windows. Built against the
// program's own objects by tools/bench/files.sh, which also runs it:
//
//   bench_files.exe IMAGE [RUNS]
//
// IMAGE is the program image a compile copies (build/win64/kestrova.exe).
// Save and compile run through their real dialogs, which a watcher thread
// answers at once; the figures are taken from the moment it presses OK to
// the moment the command is done (for compile: until its result box is
// up), so the dialogs' own time is left out. Prints min, median and max
// over the runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/startup.h"
#include "core/heap_block.h"
#include "core/state.h"
#include "core/text.h"
#include "files/file_commands.h"
#include "files/recording_file.h"

namespace {

constexpr std::uint32_t kRecords = 1000000;

double g_ticks_per_ms;

double Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / g_ticks_per_ms;
}

// Answers the next file dialog with the name (or cancels it when empty),
// then presses OK on one message box if one comes; notes when it did each.
struct Answer {
  std::string name;
  bool box_expected;
  double pressed_ok;  // ms
  double box_seen;    // ms
};

HWND OwnDialog() {
  for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w; w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId() && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

DWORD WINAPI AnswerDialogs(void* param) {
  Answer& a = *static_cast<Answer*>(param);
  HWND dialog = nullptr;
  HWND edit = nullptr;
  for (int i = 0; i < 30000 && !edit; ++i) {
    Sleep(1);
    dialog = OwnDialog();
    HWND box = dialog ? GetDlgItem(dialog, 1148) : nullptr;  // the file name box
    HWND ok = dialog ? GetDlgItem(dialog, IDOK) : nullptr;
    if (box && ok && IsWindowVisible(ok)) {
      edit = FindWindowExA(FindWindowExA(box, nullptr, "ComboBox", nullptr), nullptr, "Edit", nullptr);
      if (!edit) edit = FindWindowExA(box, nullptr, "Edit", nullptr);
    }
  }
  if (!edit) return 1;
  if (a.name.empty()) {
    a.pressed_ok = Now();
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return 0;
  }
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a.name.c_str()));
  a.pressed_ok = Now();
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  if (!a.box_expected) return 0;
  for (int i = 0; i < 60000; ++i) {
    HWND box = OwnDialog();
    if (box && box != dialog && !GetDlgItem(box, 1148)) {
      a.box_seen = Now();
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      return 0;
    }
    Sleep(0);
  }
  return 1;
}

// Runs the command with the dialogs answered; returns the milliseconds from
// OK to the end (or to the result box).
double TimeCommand(void (*command)(WPARAM, LPARAM), const std::string& name, bool box) {
  Answer a = {name, box, 0, 0};
  HANDLE watcher = CreateThread(nullptr, 0, AnswerDialogs, &a, 0, nullptr);
  command(0, 0);
  double done = Now();
  WaitForSingleObject(watcher, INFINITE);
  CloseHandle(watcher);
  return (box ? a.box_seen : done) - a.pressed_ok;
}

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%-34s min %8.1f ms   median %8.1f ms   max %8.1f ms\n", what, ms.front(), ms[ms.size() / 2], ms.back());
}

std::uint32_t SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.nFileSizeLow;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_files.exe IMAGE [RUNS]\n");
    return 2;
  }
  int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  g_ticks_per_ms = static_cast<double>(frequency.QuadPart) / 1000.0;

  ResetAppState();
  g_app.tips = 0;
  CopyBounded(g_app.own_path, sizeof g_app.own_path, argv[1]);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterMainClass(instance);
  g_app.main_window = CreateMainWindow(instance, 100, 100, 137, 50);

  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + "kestrova-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string big = folder + "big.rec";

  std::vector<InputEvent> records(kRecords);
  for (std::uint32_t i = 0; i < kRecords; ++i) {
    std::uint32_t vk = 'A' + (i / 2) % 26;
    records[i] = {i % 2 ? 0x101u : 0x100u, vk, 0, 1000 + 40 * i, 0x10010};
  }
  HANDLE file = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, records.data(), kRecords * sizeof(InputEvent), &written, nullptr);
  CloseHandle(file);
  std::printf("recording: %u records, %u bytes; image %s (%u bytes); %d runs\n", kRecords, SizeOf(big), argv[1],
              SizeOf(argv[1]), runs);

  std::vector<double> load, save, compile, cancelled;
  for (int i = 0; i < runs; ++i) {
    double start = Now();
    std::uint32_t n = LoadRecording(big.c_str(), 0);
    load.push_back(Now() - start);
    if (n != kRecords * sizeof(InputEvent) || g_app.event_count != kRecords) {
      std::printf("load failed: %u bytes, %u records\n", n, g_app.event_count);
      return 1;
    }
    // Files left by the run before would make the dialogs ask about replacing.
    DeleteFileA((folder + "saved.rec").c_str());
    DeleteFileA((folder + "compiled.exe").c_str());
    save.push_back(TimeCommand(OnSaveCommand, folder + "saved.rec", false));
    compile.push_back(TimeCommand(OnCompileCommand, folder + "compiled.exe", true));
    cancelled.push_back(TimeCommand(OnSaveCommand, "", false));
  }
  std::printf("saved: %u bytes; compiled: %u bytes\n", SizeOf(folder + "saved.rec"), SizeOf(folder + "compiled.exe"));
  Report("load (LoadRecording)", load);
  Report("save (from OK to done)", save);
  Report("compile (from OK to result box)", compile);
  Report("a cancelled save (for scale)", cancelled);

  DeleteFileA(big.c_str());
  DeleteFileA((folder + "saved.rec").c_str());
  DeleteFileA((folder + "compiled.exe").c_str());
  RemoveDirectoryA(folder.c_str());
  return 0;
}
