// The clock, the figures and the main window the parts of bench.exe share.
#include "tools/bench/bench.h"

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
