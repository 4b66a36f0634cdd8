#include "app/dispatch.h"

#include "files/file_commands.h"
#include "play/playback.h"
#include "record/capture.h"
#include "ui/dialogs.h"
#include "ui/options.h"
#include "core/admission.h"
#include "core/state.h"
#include "core/title_line.h"

namespace {

using CommandHandler = void (*)(WPARAM wparam, LPARAM lparam);

// Owner of each command, indexed by id - CMD_OPEN; none where the owner has
// not been written yet.
const CommandHandler kCommandHandlers[kCommandCount] = {
    OnOpenCommand,  // CMD_OPEN
    OnSaveCommand,  // CMD_SAVE
    OnRecordCommand,  // CMD_RECORD
    OnPlayCommand,  // CMD_PLAY
    OnCompileCommand,  // CMD_COMPILE
    ShowOptionsMenu,  // CMD_OPTIONS
    nullptr, nullptr, nullptr, nullptr,  // unused ids
    ApplySetting,  // CMD_SPEED_NORMAL
    ApplySetting,  // CMD_SPEED_FAST
    ApplySetting,  // CMD_CONTINUOUS
    AskRepeatCount,  // CMD_SET_REPEAT
    ShowHelp,  // CMD_HELP
    OpenWebSite,  // CMD_WEBSITE
    ShowAbout,  // CMD_ABOUT
    ApplySetting,  // CMD_TIPS
    ApplySetting,  // CMD_SAVE_SETTINGS
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
