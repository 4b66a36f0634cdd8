#include "app/poll.h"

#include "core/caption.h"
#include "core/ids.h"
#include "core/post_command.h"
#include "core/run_mode.h"
#include "core/state.h"

namespace {

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// Ctrl+Shift+Alt+R records; Ctrl+Shift+Alt+P plays, or asks a running
// playback to stop. Every tick that finds the chord down posts again.
void PollHotkeys() {
  if (!KeyDown(VK_CONTROL) || !KeyDown(VK_SHIFT) || !KeyDown(VK_MENU)) return;
  if (KeyDown('R')) {
    PostCommand(CMD_RECORD, 0);
  } else if (KeyDown('P')) {
    Sleep(150);
    PostCommand(g_app.run_mode == RUN_PLAYING ? MAKEWPARAM(CMD_PLAY, 1) : CMD_PLAY, 0);
  }
}

}  // namespace

void PollStep() {
  PollHotkeys();
  WriteCaption();
}
