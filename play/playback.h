// The playback engine: the play command and the playback timer's step.
#ifndef KESTROVA_PLAYBACK_H
#define KESTROVA_PLAYBACK_H

#include <windows.h>

// CMD_PLAY: starts a playback while idle; while playing, counts the run just
// ended and starts the next one or stops (a non-zero high word of wparam is
// a stop request and always stops).
void OnPlayCommand(WPARAM wparam, LPARAM lparam);

// One playback step: plays the record at the play position (at normal speed,
// with the moves after it already due; at fast speed, then a thinned batch of
// moves) and arms the step for the next one, or ends the run.
void PlaybackStep(HWND window);

// Arms the next playback step, delay ms from now: the main loop's wait ends
// then (MessageLoopTurn). The window timer, armed as well, drives the step in
// the loops of a menu, a message box or a file dialog, at its 10 ms minimum.
void ArmStep(HWND window, UINT delay);

// The milliseconds until the armed playback step is due, 0 when it is due,
// INFINITE when none is armed.
DWORD TimeToStep();

// Runs the armed playback step when it is due, from the main loop's wait or
// the playback timer; early, or with none armed, it does nothing, so that the
// step runs once and on time whichever calls first.
void StepWhenDue(HWND window);

// Holds the 1 ms timer resolution (timeBeginPeriod), or gives it back: held
// only while a playback runs, as the timer interrupts that come more often
// then cost the machine power.
void HoldTimerResolution(bool hold);

#endif
