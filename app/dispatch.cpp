#include "dispatch.h"

#include "admission.h"
#include "state.h"
#include "title_line.h"

namespace {

using CommandHandler = void (*)(WPARAM wparam, LPARAM lparam);

// Owner of each command, indexed by id - CMD_OPEN; none where the owner has
// not been written yet.
const CommandHandler kCommandHandlers[kCommandCount] = {
    nullptr,  // CMD_OPEN
    nullptr,  // CMD_SAVE
    nullptr,  // CMD_RECORD
    nullptr,  // CMD_PLAY
    nullptr,  // CMD_COMPILE
    nullptr,  // CMD_OPTIONS
    nullptr, nullptr, nullptr, nullptr,  // unused ids
    nullptr,  // CMD_SPEED_NORMAL
    nullptr,  // CMD_SPEED_FAST
    nullptr,  // CMD_CONTINUOUS
    nullptr,  // CMD_SET_REPEAT
    nullptr,  // CMD_HELP
    nullptr,  // CMD_WEBSITE
    nullptr,  // CMD_ABOUT
    nullptr,  // CMD_TIPS
    nullptr,  // CMD_SAVE_SETTINGS
};

void ShowNoRecording() { ShowInformation("没有记录\n\n按下蓝色按钮,重新开始录制", kProductName); }

}  // namespace

int ShowInformation(const char* text, const char* caption) {
  return MessageBoxA(g_app.main_window, text, caption,
                     MB_TOPMOST | MB_SETFOREGROUND | MB_TASKMODAL | MB_ICONINFORMATION);
}

void DispatchCommand(HWND, WPARAM wparam, LPARAM lparam) {
  std::uint32_t id = LOWORD(wparam);
  switch (AdmitCommand(id, g_app.run_mode, g_app.event_buffer != nullptr, g_app.event_count)) {
    case ADMIT_NO_RECORDING:
      ShowNoRecording();
      break;
    case ADMIT_RUN:
      if (CommandHandler handler = kCommandHandlers[id - CMD_OPEN]) handler(wparam, lparam);
      break;
    case ADMIT_DROP:
      break;
  }
}
