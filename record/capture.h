// Input capture: the record command and the capture timer's step.
#ifndef KESTROVA_CAPTURE_H
#define KESTROVA_CAPTURE_H

#include <windows.h>

#include "core/input_event.h"

// CMD_RECORD: starts a recording while idle; stops the recording or the
// playback otherwise.
void OnRecordCommand(WPARAM wparam, LPARAM lparam);

// One tick of the capture timer: grows the buffer when needed, appends at
// most one key, button or move record, and arms the timer again.
void CaptureStep(HWND window);

// Appends a wheel turn that came between two capture steps (the record's
// time and delta filled in), within the buffer's bound.
void RecordWheelTurn(const InputEvent& turn);

#endif
