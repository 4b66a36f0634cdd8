// The wheel while recording: polling cannot see it, so a low-level mouse hook
// records every turn as it comes, between the capture steps.
#ifndef KESTROVA_WHEEL_CAPTURE_H
#define KESTROVA_WHEEL_CAPTURE_H

// Installs the hook as a recording starts (none is kept when the system
// refuses it).
void StartWheelCapture();

// Removes the hook, if there is one: on every way a recording ends, and when
// the window goes or the session ends.
void StopWheelCapture();

#endif
