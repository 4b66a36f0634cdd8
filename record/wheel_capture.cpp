#include "record/wheel_capture.h"

#include "core/mouse_records.h"
#include "core/run_mode.h"
#include "core/state.h"
#include "record/capture.h"

namespace {

// Runs on the UI thread, in its message loop: never inside a capture step.
// While recording there is always a buffer (the start made it). The hook
// chain goes on whatever is recorded.
LRESULT CALLBACK WheelHook(int code, WPARAM message, LPARAM data) {
  if (code == HC_ACTION && IsWheelTurn(static_cast<std::uint32_t>(message)) && g_app.run_mode == RUN_RECORDING) {
    const auto* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(data);
    InputEvent turn = {static_cast<std::uint32_t>(message), static_cast<std::uint32_t>(mouse->pt.x),
                       static_cast<std::uint32_t>(mouse->pt.y), GetTickCount(),
                       static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<SHORT>(HIWORD(mouse->mouseData))))};
    RecordWheelTurn(turn);
  }
  return CallNextHookEx(nullptr, code, message, data);
}

}  // namespace

void StartWheelCapture() {
  g_app.wheel_hook = SetWindowsHookExA(WH_MOUSE_LL, WheelHook, GetModuleHandleA(nullptr), 0);
}

void StopWheelCapture() {
  if (!g_app.wheel_hook) return;
  UnhookWindowsHookEx(g_app.wheel_hook);
  g_app.wheel_hook = nullptr;
}
