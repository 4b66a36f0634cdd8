// The poll timer's step: the global hotkeys and the title line.
#ifndef KESTROVA_POLL_H
#define KESTROVA_POLL_H

#include <windows.h>

// One tick of the poll timer: the two global hotkeys, then the title line.
void PollStep();

#endif
