// Letting go of every key and button before a recording or playback starts or ends.
#ifndef KESTROVA_INPUT_RELEASE_H
#define KESTROVA_INPUT_RELEASE_H

// Lets go of everything: injects a release for the left button and for every
// key that reads as down (the lock keys excepted; the middle and side buttons
// as buttons), clears this thread's key state and the keys'
// pressed-since-last-query bits. Runs first in every
// record and play command, so that neither a recording nor a playback starts
// or ends with something held.
void ReleaseInput();

#endif
