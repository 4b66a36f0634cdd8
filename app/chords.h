// The two hotkey chords, Ctrl+Shift+Alt+R and Ctrl+Shift+Alt+P, as commands.
#ifndef KESTROVA_CHORDS_H
#define KESTROVA_CHORDS_H

#include <windows.h>

// Posts what a press of the chord asks for: CMD_RECORD for R; for P,
// CMD_PLAY, as a stop request while playing.
void PostChordCommand(WPARAM command);

// WM_HOTKEY: a chord pressed while something ran. When that has ended
// before the press is seen (its last run, a click on a button), the press is
// spent: it does not start anything.
void OnChordHotkey(WPARAM command);

// While a recording or a playback runs, the chords are the window's system
// hotkeys, so that a press is queued the moment its letter goes down,
// whatever the program does then (the pause after a run, letting go of
// keys). While idle they are let go, so that another copy of the program
// that runs can have them; the poll watches them then. Run after every
// change of the run mode.
void HoldChordsWhileBusy(HWND window);

// Gives the chords back to the system (when the window goes).
void LetGoOfChords(HWND window);

#endif
