// What the parts of bench.exe share, defined in bench_measure.cpp: the
// clock and the figures, the main window as the program makes it, the target
// window, and records made up for the parts to play or append. It knows none
// of the parts (bench_parts.h names them).
#ifndef KESTROVA_BENCH_MEASURE_H
#define KESTROVA_BENCH_MEASURE_H

#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <vector>

#include "core/input_event.h"

double Seconds();
void Figure(const char* name, double value, const char* unit);
double Median(std::vector<double> values);
PROCESS_MEMORY_COUNTERS Memory();
double MiB(SIZE_T bytes);
// Handles whatever messages are waiting.
void Pump();
// The program's main window, as its start makes it.
HWND MakeMainWindow();
// A window in the foreground that notes when each key reaches it (Seconds)
// and which (message * 1000 + virtual key), in g_key_times and g_keys.
extern std::vector<double> g_key_times;
extern std::vector<std::uint32_t> g_keys;
HWND MakeTarget();
// A small deterministic generator, so that every run plays the same recording.
std::uint32_t Next();
// Writes the records as a recording file, as kestrova-rec would.
void WriteRecords(const char* path, const std::vector<InputEvent>& records);

inline InputEvent KeyRecord(bool down, std::uint32_t vk, std::uint32_t time) {
  std::uint32_t scan = MapVirtualKeyA(vk, 0);
  return InputEvent{down ? 256u : 257u, scan * 256 + vk, scan, time, 0};
}

inline InputEvent MoveRecord(std::int32_t x, std::int32_t y, std::uint32_t time) {
  return InputEvent{512u, static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), time, 0};
}

#endif
