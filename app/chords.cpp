#include "app/chords.h"

#include "core/ids.h"
#include "core/post_command.h"
#include "core/run_mode.h"
#include "core/state.h"

namespace {

// A chord held on is one press: its letter's auto-repeat asks nothing more.
constexpr UINT kChordModifiers = MOD_CONTROL | MOD_SHIFT | MOD_ALT | MOD_NOREPEAT;

}  // namespace

void LetGoOfChords(HWND window) {
  UnregisterHotKey(window, CMD_RECORD);
  UnregisterHotKey(window, CMD_PLAY);
  g_app.chords_held = 0;
}

void PostChordCommand(WPARAM command) {
  PostCommand(command == CMD_PLAY && g_app.run_mode == RUN_PLAYING ? MAKEWPARAM(CMD_PLAY, 1) : command, 0);
}

void OnChordHotkey(WPARAM command) {
  if (g_app.run_mode != RUN_IDLE) PostChordCommand(command);
}

void HoldChordsWhileBusy(HWND window) {
  bool busy = g_app.run_mode != RUN_IDLE;
  if (busy == (g_app.chords_held != 0)) return;
  if (!busy) return LetGoOfChords(window);
  // The hotkey ids are the commands. Held by another program, a chord is
  // left to the poll; so is the other one then, so that no press counts twice.
  g_app.chords_held = RegisterHotKey(window, CMD_RECORD, kChordModifiers, 'R') &&
                      RegisterHotKey(window, CMD_PLAY, kChordModifiers, 'P');
  if (!g_app.chords_held) LetGoOfChords(window);
}
