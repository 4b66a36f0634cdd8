// The wheel hook of a recording on the real system: turns injected with
// mouse_event reach it, every way a recording ends removes it, and a burst of
// turns while the heap is short stays in the buffer and keeps its total.
#include <vector>

#include "core/heap_block.h"
#include "core/mouse_records.h"
#include "core/run_mode.h"
#include "core/state.h"
#include "record/capture.h"
#include "tests/wine/harness.h"

extern "C" void *__imp_UnhookWindowsHookEx, *__imp_HeapAlloc;

namespace {

std::vector<HHOOK> g_unhooked;
BOOL(WINAPI* g_unhook)(HHOOK);
BOOL WINAPI NoteUnhook(HHOOK hook) { return g_unhooked.push_back(hook), g_unhook(hook); }
LPVOID WINAPI NoHeap(HANDLE, DWORD, SIZE_T) { return nullptr; }

// The deltas of the turns recorded from index `from` on, added up.
std::int64_t Turned(std::uint32_t from) {
  std::int64_t sum = 0;
  for (std::uint32_t i = from; i < g_app.event_count; ++i)
    if (IsWheelTurn(g_app.event_buffer[i].message)) sum += static_cast<std::int32_t>(g_app.event_buffer[i].window);
  return sum;
}

}  // namespace

WINE_TEST(EveryEndOfARecordingRemovesItsWheelHookAndABurstStaysInTheBuffer) {
  g_unhook = reinterpret_cast<BOOL(WINAPI*)(HHOOK)>(ReplaceImport(&__imp_UnhookWindowsHookEx, reinterpret_cast<void*>(NoteUnhook)));
  const char* const ends[] = {"the record command", "out of memory after a burst", "the window closing", "the session ending"};
  for (int end = 0; end < 4; ++end) {
    const std::string what = ends[end];
    HWND window = MakeMainWindow();
    SendMessageA(window, WM_COMMAND, CMD_RECORD, 0);
    HHOOK hook = g_app.wheel_hook;
    EXPECT_TRUE(hook && g_app.event_count == 1 && g_app.event_buffer[0].message == 512, what + ": a hook, a move first");
    mouse_event(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(-120), 0), mouse_event(MOUSEEVENTF_HWHEEL, 0, 0, 40, 0);
    PumpUntil([] { return Turned(1) == -80; }, what + ": both turns recorded");
    g_unhooked.clear();
    if (end == 0) SendMessageA(window, WM_COMMAND, CMD_RECORD, 0);
    if (end == 1) {  // 99 free records before the block would grow, which it cannot
      const std::uint32_t capacity = BlockSize(g_app.event_buffer) / 20, from = g_app.event_count = capacity - 100;
      void* heap = ReplaceImport(&__imp_HeapAlloc, reinterpret_cast<void*>(NoHeap));
      for (int i = 0; i < 150; ++i) mouse_event(MOUSEEVENTF_WHEEL, 0, 0, 120, 0);
      PumpUntil([&] { return Turned(from) == 150 * 120; }, what + ": the burst's total");
      KillTimer(window, TIMER_CAPTURE), CaptureStep(window), ReplaceImport(&__imp_HeapAlloc, heap);
      EXPECT_EQ(Text(g_app.event_count) + " " + Text(g_app.event_buffer[g_app.event_count].message) + " " + Text(Turned(from)),
                Text(capacity - 1) + " 0 18000", what + ": records, the one after the last, the total");
    }
    if (end == 2) DestroyMainWindow(window);
    if (end == 3) SendMessageA(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(g_unhooked.size() == 1 && g_unhooked[0] == hook && !g_app.wheel_hook, what + ": the hook removed");
    if (end == 3) SendMessageA(window, WM_COMMAND, CMD_RECORD, 0);
    if (end != 2) DestroyMainWindow(window);
    g_app.run_mode = RUN_IDLE;
  }
  ReplaceImport(&__imp_UnhookWindowsHookEx, reinterpret_cast<void*>(g_unhook));
}
