// The clock of runs: when a recording or a playback run started, and when
// each playback step is due.
#ifndef KESTROVA_RUN_CLOCK_H
#define KESTROVA_RUN_CLOCK_H

#include <windows.h>

// Milliseconds, to the millisecond while a playback holds the 1 ms timer
// resolution; GetTickCount moves in steps of the system tick (15.6 ms on
// many machines). Only differences are taken: a recording's records keep
// GetTickCount's times, as the file format says.
inline DWORD RunClock() { return timeGetTime(); }

#endif
