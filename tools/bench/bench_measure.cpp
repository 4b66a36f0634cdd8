// The clock, the figures, the main window, the target window and the generator
// the parts of bench.exe share.
#include "tools/bench/bench_measure.h"

#include <algorithm>
#include <cstdio>

#include "app/placement.h"
#include "app/startup.h"
#include "core/state.h"

double Seconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Figure(const char* name, double value, const char* unit) { std::printf("figure %s %.4g %s\n", name, value, unit); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

PROCESS_MEMORY_COUNTERS Memory() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

double MiB(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

HWND MakeMainWindow() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterMainClass(instance);
  int frame = GetSystemMetrics(SM_CXDLGFRAME);
  HWND window = CreateMainWindow(instance, 600, 600, MainWindowWidth(frame),
                                 MainWindowHeight(GetSystemMetrics(SM_CYSMCAPTION), frame));
  g_app.main_window = window;
  return window;
}

std::vector<double> g_key_times;
std::vector<std::uint32_t> g_keys;  // message * 1000 + virtual key

namespace {

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN || message == WM_KEYUP) {
    g_key_times.push_back(Seconds());
    g_keys.push_back(message * 1000 + static_cast<std::uint32_t>(wparam));
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

std::uint32_t g_seed = 12345;

}  // namespace

HWND MakeTarget() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "KestrovaBenchTarget";
  RegisterClassA(&wc);
  HWND target = CreateWindowExA(0, wc.lpszClassName, "bench target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400,
                                300, nullptr, nullptr, wc.hInstance, nullptr);
  for (int i = 0; i < 40 && GetForegroundWindow() != target; ++i) {
    SetForegroundWindow(target);
    Pump();
    Sleep(25);
  }
  if (GetForegroundWindow() != target) std::printf("# the target window did not get the foreground\n");
  return target;
}

std::uint32_t Next() {
  g_seed = g_seed * 1103515245u + 12345u;
  return (g_seed >> 8) & 0xFFFFFF;
}

void WriteRecords(const char* path, const std::vector<InputEvent>& records) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, records.data(), static_cast<DWORD>(records.size() * sizeof(InputEvent)), &written, nullptr);
  CloseHandle(file);
}
