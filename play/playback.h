// The playback engine: the play command and the playback timer's step.
#ifndef KESTROVA_PLAYBACK_H
#define KESTROVA_PLAYBACK_H

#include <windows.h>

// CMD_PLAY: starts a playback while idle; while playing, counts the run just
// ended and starts the next one or stops (a non-zero high word of wparam is
// a stop request and always stops).
void OnPlayCommand(WPARAM wparam, LPARAM lparam);

// One tick of the playback timer: plays the record at the play position (at
// fast speed, then also a thinned batch of moves) and arms the timer for the
// next one, or ends the run.
void PlaybackStep(HWND window);

#endif
