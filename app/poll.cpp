#include "app/poll.h"

#include "app/chords.h"
#include "core/caption.h"
#include "core/ids.h"
#include "core/state.h"

namespace {

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// Ctrl+Shift+Alt+R records; Ctrl+Shift+Alt+P plays, or asks a running
// playback to stop. Every tick that finds the chord down posts again.
void PollHotkeys() {
  if (!KeyDown(VK_CONTROL) || !KeyDown(VK_SHIFT) || !KeyDown(VK_MENU)) return;
  if (KeyDown('R')) {
    PostChordCommand(CMD_RECORD);
  } else if (KeyDown('P')) {
    PostChordCommand(CMD_PLAY);
  }
}

}  // namespace

// The chords come as hotkeys while they are held (see HoldChordsWhileBusy).
void PollStep() {
  HoldChordsWhileBusy(g_app.main_window);
  if (!g_app.chords_held) PollHotkeys();
  WriteCaption();
}
