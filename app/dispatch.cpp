#include "app/dispatch.h"

#include "core/admission.h"
#include "core/ids.h"
#include "core/message_box.h"
#include "core/product_name.h"
#include "core/state.h"
#include "files/file_commands.h"
#include "play/playback.h"
#include "record/capture.h"
#include "ui/dialogs.h"
#include "ui/options.h"

namespace {

// The table's handlers laid out by id, so that a lookup is one index.
struct Handlers {
  void (*at[kCommandIdCount])(WPARAM wparam, LPARAM lparam);
};

constexpr Handlers HandlersById() {
  Handlers handlers = {};
#define KESTROVA_HANDLER_ROW(id, gate, handler) handlers.at[(id) - CMD_OPEN] = handler;
  KESTROVA_COMMAND_TABLE(KESTROVA_HANDLER_ROW)
#undef KESTROVA_HANDLER_ROW
  return handlers;
}

constexpr Handlers kHandlers = HandlersById();

void ShowNoRecording() { ShowInformation("没有记录\n\n按下蓝色按钮,重新开始录制", kProductName); }

}  // namespace

void DispatchCommand(WPARAM wparam, LPARAM lparam) {
  std::uint32_t id = LOWORD(wparam);
  switch (AdmitCommand(id, g_app.run_mode, g_app.event_buffer != nullptr, g_app.event_count)) {
    case ADMIT_NO_RECORDING:
      ShowNoRecording();
      break;
    case ADMIT_RUN:
      // Admitted ids are the table's, each with its handler.
      kHandlers.at[id - CMD_OPEN](wparam, lparam);
      break;
    case ADMIT_DROP:
      break;
  }
}
