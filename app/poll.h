#ifndef KESTROVA_POLL_H
#define KESTROVA_POLL_H

#include <windows.h>

// One tick of the poll timer: the two global hotkeys, then the title line.
void PollStep(HWND window);

// Brings the caption up to date with the state; writes it only on a change.
void UpdateTitleLine(HWND window);

// The caption while idle after a recording or playback stops: the shown
// name, or the product name.
void RestoreTitleLine();

#endif
