// The moments part: a self-playing copy of the real program (either build)
// plays key presses at irregular gaps, with mouse moves at a 125 Hz polling
// rate between them, three times into the target window of this process,
// which notes when each press reaches it. Figures: how late each press
// reaches the target after its recorded moment, how far the spacing of two
// presses strays from the recorded one, and the CPU the copy takes meanwhile.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/bench/bench_measure.h"
#include "tools/bench/bench_parts.h"

namespace {

constexpr std::size_t kPresses = 59, kRuns = 3;

// 59 presses of the letters, each 23 to 211 ms after the one before and let
// go halfway to the next; a move every 8 ms, over the target, from 200 ms
// before the first press to the last release.
std::vector<InputEvent> MomentsRecording() {
  std::vector<InputEvent> keys;
  for (std::uint32_t i = 0, time = 100200; i < kPresses; ++i) {
    std::uint32_t gap = 23 + Next() % 189;
    keys.push_back(KeyRecord(true, 'A' + i % 26, time));
    keys.push_back(KeyRecord(false, 'A' + i % 26, time + gap / 2));
    time += gap;
  }
  std::vector<InputEvent> records;
  for (std::uint32_t k = 0, time = 100000; k < keys.size(); time += 8) {
    while (k < keys.size() && keys[k].time < time) records.push_back(keys[k++]);
    records.push_back(MoveRecord(150 + (time * 7 / 8) % 300, 150 + (time * 3 / 8) % 200, time));
  }
  return records;
}

// A file of Linux's /proc, which Wine shows on drive Z:, whole.
std::string ProcFile(const std::string& pid, const char* name) {
  HANDLE file = CreateFileA(("Z:\\proc\\" + pid + "\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  char text[4096];
  DWORD read = 0;
  if (file == INVALID_HANDLE_VALUE) return "";
  ReadFile(file, text, sizeof text, &read, nullptr);
  CloseHandle(file);
  return std::string(text, read);
}

// The Linux process whose command line names the file, or "".
std::string LinuxProcess(const char* file_name) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
  std::string pid;
  for (BOOL more = search != INVALID_HANDLE_VALUE; more && pid.empty(); more = FindNextFileA(search, &found))
    if (found.cFileName[0] >= '0' && found.cFileName[0] <= '9' &&
        ProcFile(found.cFileName, "cmdline").find(file_name) != std::string::npos)
      pid = found.cFileName;
  FindClose(search);
  return pid;
}

// The user and system time the process has taken, s: fields 14 and 15 of its
// stat, in the 100 ticks a second Linux counts them in.
double CpuSeconds(const std::string& pid) {
  std::string stat = ProcFile(pid, "stat");
  std::size_t at = stat.rfind(')');
  unsigned long user = 0, system = 0;
  if (at == std::string::npos || std::sscanf(stat.c_str() + at + 1, " %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %lu %lu",
                                             &user, &system) != 2)
    return 0;
  return (user + system) / 100.0;
}

// The value below which the share p of the values lies (the nearest rank).
double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(std::ceil(p * values.size())) - 1];
}

void Report(const char* name, const std::vector<double>& values) {
  Figure((std::string(name) + "_median").c_str(), Median(values), "ms");
  Figure((std::string(name) + "_p99").c_str(), Percentile(values, 0.99), "ms");
  Figure((std::string(name) + "_max").c_str(), Percentile(values, 1.0), "ms");
}

}  // namespace

void WriteMoments(const char* path) { WriteRecords(path, MomentsRecording()); }

// Starts the copy (which plays the recording kRuns times and ends) and notes
// the presses until it ends. A press's lateness is counted from its run's
// earliest one, the press whose arrival less its recorded moment is the
// least: the run's start as the target sees it (nothing plays early).
void BenchMoments(const char* copy) {
  MakeTarget();
  std::vector<double> recorded;  // each press's moment in its run, s
  std::vector<InputEvent> records = MomentsRecording();
  for (const InputEvent& r : records)
    if (r.message == WM_KEYDOWN) recorded.push_back((r.time - records[0].time) / 1000.0);
  std::string command = std::string("\"") + copy + "\"";
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process)) {
    std::printf("# %s did not start\n", copy);
    return;
  }
  const char* name = std::strrchr(copy, '\\') ? std::strrchr(copy, '\\') + 1 : copy;
  std::string pid = LinuxProcess(name);
  std::vector<double> downs;  // when each press reached the target
  double cpu[2] = {0, 0};
  g_keys.clear(), g_key_times.clear();
  while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 300000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    Pump();
    for (std::size_t i = 0; i < g_keys.size(); ++i)
      if (g_keys[i] / 1000 == WM_KEYDOWN) downs.push_back(g_key_times[i]);
    g_keys.clear(), g_key_times.clear();
    if (!downs.empty() && !cpu[0]) cpu[0] = CpuSeconds(pid);
    if (downs.size() >= kPresses * kRuns && !cpu[1]) cpu[1] = CpuSeconds(pid);
  }
  if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess), CloseHandle(process.hThread);
  std::printf("# %s: %zu presses of %zu reached the target; its Linux process %s\n", name, downs.size(),
              kPresses * kRuns, pid.empty() ? "not found" : pid.c_str());
  std::vector<double> late, spacing;  // ms
  for (std::size_t run = 0; (run + 1) * kPresses <= downs.size(); ++run) {
    const double* at = &downs[run * kPresses];
    double zero = at[0] - recorded[0];
    for (std::size_t i = 1; i < kPresses; ++i) zero = std::min(zero, at[i] - recorded[i]);
    for (std::size_t i = 0; i < kPresses; ++i) {
      late.push_back((at[i] - recorded[i] - zero) * 1000);
      if (i) spacing.push_back(std::fabs((at[i] - at[i - 1]) - (recorded[i] - recorded[i - 1])) * 1000);
    }
  }
  if (late.empty()) return;
  Report("press_late", late);
  Report("spacing_error", spacing);
  if (downs.size() >= kPresses * kRuns && cpu[1] > 0)
    Figure("cpu_playing", 100 * (cpu[1] - cpu[0]) / (downs[kPresses * kRuns - 1] - downs[0]), "%core");
}
