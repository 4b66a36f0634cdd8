// The growth parts: 100 000 records appended through the growth rule and
// ReallocateBlock as CaptureStep does it, and recorded by CaptureStep itself.
#include <cstdio>

#include "core/heap_block.h"
#include "core/ids.h"
#include "core/state.h"
#include "record/capture.h"
#include "record/capture_rules.h"
#include "tools/bench/bench_measure.h"
#include "tools/bench/bench_parts.h"

namespace {

constexpr std::uint32_t kGrowthEvents = 100000;

void ReportGrowth(const char* name, double seconds, std::uint32_t count, int reallocations,
                  const PROCESS_MEMORY_COUNTERS& before) {
  PROCESS_MEMORY_COUNTERS after = Memory();
  std::printf("# %s: %u records, %d reallocations, final block %u bytes\n", name, count, reallocations,
              g_app.event_buffer ? BlockSize(g_app.event_buffer) : 0);
  char key[96];
  std::snprintf(key, sizeof key, "%s_time", name);
  Figure(key, seconds * 1000, "ms");
  std::snprintf(key, sizeof key, "%s_time_per_record", name);
  Figure(key, seconds / count * 1e6, "us");
  std::snprintf(key, sizeof key, "%s_peak_pagefile", name);
  Figure(key, MiB(after.PeakPagefileUsage), "MiB");
  std::snprintf(key, sizeof key, "%s_peak_pagefile_growth", name);
  Figure(key, MiB(after.PeakPagefileUsage - before.PeakPagefileUsage), "MiB");
  std::snprintf(key, sizeof key, "%s_peak_working_set", name);
  Figure(key, MiB(after.PeakWorkingSetSize), "MiB");
}

}  // namespace

// The growth path as CaptureStep takes it: grow by kGrowthBytes through
// ReallocateBlock whenever the rule says so, then append.
void BenchGrowthRule() {
  PROCESS_MEMORY_COUNTERS before = Memory();
  g_app.event_buffer = nullptr;
  g_app.event_count = 0;
  int reallocations = 0;
  double start = Seconds();
  for (std::uint32_t i = 0; i < kGrowthEvents; ++i) {
    std::uint32_t capacity = g_app.event_buffer ? BlockSize(g_app.event_buffer) / sizeof(InputEvent) : 0;
    if (BufferNeedsGrowth(g_app.event_count, capacity)) {
      std::uint32_t size = g_app.event_buffer ? BlockSize(g_app.event_buffer) : 0;
      void* grown = ReallocateBlock(g_app.event_buffer, size + kGrowthBytes);
      if (!grown) {
        std::printf("# out of memory after %u records\n", i);
        break;
      }
      g_app.event_buffer = static_cast<InputEvent*>(grown);
      ++reallocations;
    }
    g_app.event_buffer[g_app.event_count++] = MoveRecord(300 + (i & 1), 300, i);
  }
  ReportGrowth("growth_rule", Seconds() - start, g_app.event_count, reallocations, before);
}

// The real CaptureStep, recording a move at every step: the cursor is set
// to one of two places between the steps.
void BenchGrowthSteps() {
  HWND window = MakeMainWindow();
  OnRecordCommand(0, 0);
  KillTimer(window, TIMER_CAPTURE);
  PROCESS_MEMORY_COUNTERS before = Memory();
  int reallocations = 0;
  const InputEvent* last_buffer = nullptr;
  std::uint32_t steps = 0;
  double start = Seconds();
  while (g_app.event_count < kGrowthEvents && steps < 3 * kGrowthEvents) {
    SetCursorPos(300 + (steps & 1), 300);
    CaptureStep(window);
    if (g_app.event_buffer != last_buffer) {
      ++reallocations;
      last_buffer = g_app.event_buffer;
    }
    ++steps;
    if ((steps & 1023) == 0) {
      KillTimer(window, TIMER_CAPTURE);
      Pump();
    }
  }
  double seconds = Seconds() - start;
  std::printf("# %u capture steps for %u records\n", steps, g_app.event_count);
  ReportGrowth("growth_steps", seconds, g_app.event_count, reallocations, before);
  KillTimer(window, TIMER_CAPTURE);
}
