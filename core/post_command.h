// How every sender hands a command to the main window.
#ifndef KESTROVA_POST_COMMAND_H
#define KESTROVA_POST_COMMAND_H

#include <windows.h>

// Posts WM_COMMAND to the main window: commands are always queued, never
// sent, so that each runs from the message loop under the admission rules.
void PostCommand(WPARAM wparam, LPARAM lparam);

#endif
