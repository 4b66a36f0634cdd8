#include "record/capture.h"

#include "core/caption.h"
#include "core/describe_window.h"
#include "core/heap_block.h"
#include "core/ids.h"
#include "core/input_release.h"
#include "core/post_command.h"
#include "core/run_clock.h"
#include "core/run_mode.h"
#include "core/state.h"
#include "record/capture_rules.h"
#include "record/wheel_capture.h"

namespace {

std::uint32_t Capacity() { return g_app.event_buffer ? BlockSize(g_app.event_buffer) / sizeof(InputEvent) : 0; }

// Handles go into records as 32 bits: the platform keeps them within that
// range on both builds.
std::uint32_t HandleBits(HWND window) { return static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(window)); }

bool AsyncKeyDown(std::uint32_t vk) { return (GetAsyncKeyState(static_cast<int>(vk)) & 0x8000) != 0; }

// Grows the buffer when few free records remain; 0 when the heap is short.
int MakeRoom() {
  if (!BufferNeedsGrowth(g_app.event_count, Capacity())) return 1;
  std::uint32_t size = g_app.event_buffer ? BlockSize(g_app.event_buffer) : 0;
  void* grown = ReallocateBlock(g_app.event_buffer, size + kGrowthBytes);
  if (!grown) return 0;
  g_app.event_buffer = static_cast<InputEvent*>(grown);
  return 1;
}

// Appends the record, noting the foreground window in it.
void Append(const InputEvent& record) {
  InputEvent& appended = g_app.event_buffer[g_app.event_count++];
  appended = record;
  appended.window = HandleBits(GetForegroundWindow());
}

// Puts a note before the record about to be appended (at its time), when it
// needs one and its window is another than the one last noted (none at the
// start). The buffer always has room for the record and the zero record
// behind it; a note that would take that room is left out, and tried again
// before the next input.
void NoteBefore(const InputEvent& record, POINT cursor) {
  NoteWindow kind = NoteWindowFor(record);
  if (!g_app.follow_windows || kind == NOTE_NONE) return;
  HWND window = kind == NOTE_FOREGROUND ? GetForegroundWindow() : GetAncestor(WindowFromPoint(cursor), GA_ROOT);
  WindowNote note;
  if (!DescribeWindow(window, note)) window = nullptr;
  if (window == g_app.noted_window) return;
  std::uint32_t n = WriteNote(note, record.time, g_app.event_buffer + g_app.event_count,
                              Capacity() - g_app.event_count - 2);
  g_app.event_count += n;
  if (n) g_app.noted_window = window;
}

void StopRecording();

void StartRecording() {
  ReleaseInput();
  g_app.run_mode = RUN_RECORDING;
  if (g_app.event_buffer) {
    FreeBlock(g_app.event_buffer);
    g_app.event_buffer = nullptr;
  }
  g_app.event_count = 0;
  g_app.noted_window = nullptr;
  POINT cursor = {};
  GetCursorPos(&cursor);
  g_app.key_snapshot[0] = MouseChecksum(cursor.x, cursor.y);
  // The thread's key state, just cleared by the release, is the baseline:
  // a key still physically held is then recorded as it goes down again.
  for (int vk = 1; vk <= 254; ++vk) g_app.key_snapshot[vk] = (GetKeyState(vk) & 0x8000) ? 1 : 0;
  g_app.start_tick = RunClock();
  // Record 0 is the cursor's place, a move: a recording that begins with a
  // click or a turn still opens again, as the loading rule wants a key down
  // or a move first.
  if (!MakeRoom()) return StopRecording();
  Append({512, static_cast<std::uint32_t>(cursor.x), static_cast<std::uint32_t>(cursor.y), GetTickCount(), 0});
  StartWheelCapture();
  SetTimer(g_app.main_window, TIMER_CAPTURE, 10, nullptr);
  InvalidateRect(g_app.main_window, nullptr, TRUE);
}

// Ends a recording, or a playback: the record command during a playback
// stops it and cuts the recording where the playback was inside a run.
void StopRecording() {
  bool recording = g_app.run_mode == RUN_RECORDING;
  StopWheelCapture();
  ReleaseInput();
  KillTimer(g_app.main_window, TIMER_CAPTURE);
  g_app.run_mode = RUN_IDLE;
  WriteCaption();
  // The playback ends as a stop request ends it, so that a self-playing copy
  // ends with its playback whatever stopped it.
  if (!recording) PostCommand(MAKEWPARAM(CMD_PLAY, 1), 0);
  if (!g_app.event_buffer) return;
  g_app.event_count = recording ? TrimmedCount(g_app.event_buffer, g_app.event_count, HandleBits(g_app.main_window))
                                : PlaybackCutCount(g_app.event_buffer, g_app.event_count, g_app.play_position);
  // The opening move takes the time of the first event, so that a playback
  // starts as soon as before rather than after the wait before that event.
  if (recording && g_app.event_count > 1) g_app.event_buffer[0].time = g_app.event_buffer[1].time;
  // The end marker. After a playback stopped at the very end of a full
  // buffer the position can be the capacity itself: nothing to mark there.
  if (g_app.event_count < Capacity()) ZeroMemory(&g_app.event_buffer[g_app.event_count], sizeof(InputEvent));
  InvalidateRect(g_app.main_window, nullptr, TRUE);
}

// Appends the record of the first key or button that changed, or else of a
// move. Returns 0 when nothing was appended.
int CaptureChange() {
  std::uint32_t vk = ScanKeys(g_app.key_snapshot, AsyncKeyDown);
  POINT cursor = {};
  GetCursorPos(&cursor);
  InputEvent record = {};
  std::uint32_t scan = vk == kNoKey ? 0 : MapVirtualKeyA(vk, 0);
  if (!MoveBeforeButtonKey(vk, g_app.key_snapshot, g_app.event_buffer, g_app.event_count, cursor.x, cursor.y, record) &&
      !MakeCaptureRecord(vk, vk != kNoKey && g_app.key_snapshot[vk], scan, cursor.x, cursor.y, g_app.key_snapshot[0],
                         record))
    return 0;
  record.time = GetTickCount();
  NoteBefore(record, cursor);
  Append(record);
  return 1;
}

}  // namespace

void OnRecordCommand(WPARAM, LPARAM) {
  if (g_app.run_mode == RUN_IDLE)
    StartRecording();
  else
    StopRecording();
}

void RecordWheelTurn(const InputEvent& turn) {
  // The keys and buttons that changed before the turn, and a move, go
  // first: the next step would find them only after it (a side button let
  // go just before).
  while (MakeRoom() && CaptureChange()) {
  }
  // A failed growth ends the recording at the next step; the turn still
  // counts, within the buffer's bound.
  NoteBefore(turn, {static_cast<LONG>(turn.param_l), static_cast<LONG>(turn.param_h)});
  AppendWheelTurn(g_app.event_buffer, Capacity(), g_app.event_count, turn);
}

void CaptureStep(HWND window) {
  if (!MakeRoom()) {
    // Out of memory: keep what was recorded and end the recording as a
    // stop would, so that it can still be played and saved.
    StopRecording();
    return;
  }
  CaptureChange();
  SetTimer(window, TIMER_CAPTURE, 10, nullptr);
}
