// The options menu and the settings its entries change.
#ifndef KESTROVA_OPTIONS_H
#define KESTROVA_OPTIONS_H

#include <windows.h>

// CMD_OPTIONS: pops the options menu up at the main window's lower right
// corner; the chosen entry arrives afterwards as its own WM_COMMAND.
void ShowOptionsMenu(WPARAM wparam, LPARAM lparam);

// CMD_SPEED_NORMAL, CMD_SPEED_FAST, CMD_CONTINUOUS, CMD_TIPS,
// CMD_SAVE_SETTINGS and CMD_FOLLOW_WINDOWS: one store into the state each,
// nothing redrawn or written.
void ApplySetting(WPARAM wparam, LPARAM lparam);

#endif
