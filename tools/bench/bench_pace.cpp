// The pace parts: the real playback engine plays made-up recordings, or
// recording files, into the target window, which notes when each key reaches
// it; the played length and the keys' span over the recorded ones.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/startup.h"
#include "core/heap_block.h"
#include "core/ids.h"
#include "core/run_mode.h"
#include "core/state.h"
#include "tools/bench/bench_measure.h"
#include "tools/bench/bench_parts.h"

namespace {

// Normal-speed recording: keys and moves over the target, gaps of 10..200 ms,
// 20 seconds in all.
std::vector<InputEvent> PaceRecording() {
  std::vector<InputEvent> records;
  std::uint32_t time = 100000;
  bool down = false;
  std::uint32_t vk = 'A';
  while (records.empty() || time - records.front().time < 20000) {
    if (Next() % 3 == 0) {
      records.push_back(MoveRecord(150 + Next() % 300, 150 + Next() % 200, time));
    } else {
      records.push_back(KeyRecord(!down, vk, time));
      if (down) vk = 'A' + (vk - 'A' + 1) % 26;
      down = !down;
    }
    time += 10 + Next() % 191;
  }
  if (down) records.push_back(KeyRecord(false, vk, time));
  return records;
}

// Fast-speed recording: moves every 10 ms (20 seconds), a key pressed and
// released every 2 seconds.
std::vector<InputEvent> MovesRecording() {
  std::vector<InputEvent> records;
  std::uint32_t time = 100000;
  for (int i = 0; i < 2000; ++i) {
    if (i % 200 == 100) {
      records.push_back(KeyRecord(true, 'M', time));
      records.push_back(KeyRecord(false, 'M', time + 5));
    }
    records.push_back(MoveRecord(150 + (i * 7) % 300, 150 + (i * 3) % 200, time));
    time += 10;
  }
  return records;
}

// Mouse movement as it is recorded at a polling rate: count moves, each
// gap to 1 ms more after the one before (64 Hz: 15 or 16 ms; 125 Hz: 8 ms),
// with a key every 129 moves to time the span.
std::vector<InputEvent> PollRateMoves(int count = 1290, std::uint32_t gap = 15, std::uint32_t spread = 2) {
  std::vector<InputEvent> records;
  std::uint32_t time = 100000;
  for (int i = 0; i < count; ++i) {
    if (i % 129 == 64) records.push_back(KeyRecord(i % 258 == 64, 'M', time));
    records.push_back(MoveRecord(150 + (i * 7) % 300, 150 + (i * 3) % 200, time));
    time += gap + Next() % spread;
  }
  return records;
}

struct Pace {
  double played;        // s, from the play command until the engine is idle again
  double keys_span;     // s, from the first key to reach the target to the last
  std::size_t keys_received;
};

std::size_t CountKeys(const std::vector<InputEvent>& records) {
  return std::count_if(records.begin(), records.end(), [](const InputEvent& r) { return r.message != 512; });
}

Pace Play(const std::vector<InputEvent>& records, std::uint8_t speed) {
  std::size_t played_keys = CountKeys(records);
  if (g_app.event_buffer) FreeBlock(g_app.event_buffer);
  g_app.event_buffer = static_cast<InputEvent*>(AllocateBlock(static_cast<std::uint32_t>(records.size()) + 1, 20));
  std::memcpy(g_app.event_buffer, records.data(), records.size() * sizeof(InputEvent));
  g_app.event_count = static_cast<std::uint32_t>(records.size());
  g_app.playback_speed = speed;
  g_app.repeat_count = 1;
  g_app.continuous_playback = 0;
  g_key_times.clear();
  g_keys.clear();
  double start = Seconds();
  PostMessageA(g_app.main_window, WM_COMMAND, CMD_PLAY, 0);
  MSG msg;
  bool started = false;
  while (MessageLoopTurn(msg)) {  // the program's own loop, which waits for the steps
    if (g_app.run_mode == RUN_PLAYING) started = true;
    if (started && g_app.run_mode == RUN_IDLE) break;
    if (Seconds() - start > 300) {
      std::printf("# the playback did not end within 300 s\n");
      break;
    }
  }
  Pace pace = {Seconds() - start, 0, 0};
  // Keys injected last may still be on their way to the target.
  for (int i = 0; i < 20; ++i) {
    Pump();
    Sleep(10);
  }
  pace.keys_received = g_key_times.size();
  // The span up to the last played key; the release after the run can add a
  // key-up of its own behind it.
  std::size_t last = std::min(g_key_times.size(), played_keys) - 1;
  if (g_key_times.size() > 1) pace.keys_span = g_key_times[last] - g_key_times.front();
  return pace;
}

void ReportPace(const char* name, const std::vector<InputEvent>& records, const Pace& pace) {
  double recorded = (records.back().time - records.front().time) / 1000.0;
  std::size_t keys = CountKeys(records);
  std::size_t first = 0, last = records.size() - 1;
  while (records[first].message == 512) ++first;
  while (records[last].message == 512) --last;
  double recorded_keys = (records[last].time - records[first].time) / 1000.0;
  std::printf("# %s: %zu records (%zu key records), recorded over %.3f s; %zu key messages reached the target\n",
              name, records.size(), keys, recorded, pace.keys_received);
  std::vector<std::uint32_t> sent;
  for (const InputEvent& r : records)
    if (r.message != 512) sent.push_back(r.message * 1000 + (r.param_l & 0xFF));
  std::vector<std::uint32_t> received = g_keys;
  // One key-up more at the end is the release's (see Play).
  if (received.size() == sent.size() + 1 && received.back() == sent.back()) received.pop_back();
  if (sent != received) {
    std::printf("# keys played (message*1000+vk):");
    for (std::uint32_t k : sent) std::printf(" %u", k);
    std::printf("\n# keys received:");
    for (std::uint32_t k : g_keys) std::printf(" %u", k);
    std::printf("\n");
  }
  char key[96];
  std::snprintf(key, sizeof key, "%s_played_duration", name);
  Figure(key, pace.played, "s");
  std::snprintf(key, sizeof key, "%s_played_over_recorded", name);
  Figure(key, pace.played / recorded, "x");
  std::snprintf(key, sizeof key, "%s_key_span_played_over_recorded", name);
  Figure(key, pace.keys_span / recorded_keys, "x");
}

}  // namespace

void BenchPace() {
  HWND window = MakeMainWindow();
  MakeTarget();
  std::vector<InputEvent> normal = PaceRecording();
  ReportPace("normal_speed", normal, Play(normal, 0));
  std::vector<InputEvent> polled = PollRateMoves();
  ReportPace("normal_speed_moves", polled, Play(polled, 0));
  std::vector<InputEvent> moves = MovesRecording();
  ReportPace("fast_speed_moves", moves, Play(moves, 1));
  DestroyWindow(window);
}

void BenchPaceMoves() {
  HWND window = MakeMainWindow();
  MakeTarget();
  std::vector<InputEvent> polled = PollRateMoves(1250, 8, 1);
  ReportPace("moves_125hz", polled, Play(polled, 0));
  DestroyWindow(window);
}

// --- recording files, as kestrova-rec writes them -----------------------------------

void WritePace(const char* path) {
  std::vector<InputEvent> records = PaceRecording();
  WriteRecords(path, records);
  std::printf("# %s: %zu records\n", path, records.size());
}

// Plays each file; its figures are named after the file ("pace_x2.rec": pace_x2_...).
void BenchFiles(int count, char** paths) {
  HWND window = MakeMainWindow();
  MakeTarget();
  for (int i = 0; i < count; ++i) {
    std::vector<InputEvent> records(1 << 16);
    HANDLE file = CreateFileA(paths[i], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD read = 0;
    ReadFile(file, records.data(), static_cast<DWORD>(records.size() * sizeof(InputEvent)), &read, nullptr);
    CloseHandle(file);
    records.resize(read / sizeof(InputEvent));
    if (records.empty()) {
      std::printf("# %s: no records\n", paths[i]);
      continue;
    }
    std::string name = paths[i];
    name = name.substr(name.find_last_of("/\\") + 1);
    name = name.substr(0, name.find('.'));
    ReportPace(name.c_str(), records, Play(records, 0));
  }
  DestroyWindow(window);
}
