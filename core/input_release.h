// Letting go of every key and button before a recording or playback starts or ends.
#ifndef KESTROVA_INPUT_RELEASE_H
#define KESTROVA_INPUT_RELEASE_H

// Lets go of everything: injects a release for the left button and for every
// key that reads as down (the lock keys excepted; the middle and side buttons
// as buttons), clears this thread's key state and the keys'
// pressed-since-last-query bits. Runs first in every
// record and play command, so that neither a recording nor a playback starts
// or ends with something held.
// Between two runs of a playback, Ctrl, Shift and Alt are left as they are:
// someone may be pressing a hotkey chord, whose letter must still find them
// down (what a run holds of them is let go when the playback stops).
void ReleaseInput(bool between_runs = false);

#endif
