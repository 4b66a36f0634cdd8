// The commands that open, save and compile the recording.
#ifndef KESTROVA_FILE_COMMANDS_H
#define KESTROVA_FILE_COMMANDS_H

#include <windows.h>

// CMD_OPEN: asks for a recording file and loads it.
void OnOpenCommand(WPARAM wparam, LPARAM lparam);

// CMD_SAVE: asks where to save the recording (proposing the shown name) and
// writes it there as a recording file, named *.rec.
void OnSaveCommand(WPARAM wparam, LPARAM lparam);

// CMD_COMPILE: asks for a program name and writes a copy of the program
// there that plays the recording when started, with the current repeat count
// and speed; tells how that went.
void OnCompileCommand(WPARAM wparam, LPARAM lparam);

#endif
