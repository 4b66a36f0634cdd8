#ifndef KESTROVA_MAIN_WINDOW_H
#define KESTROVA_MAIN_WINDOW_H

#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Posts a command to the main window, as every sender of commands does.
void PostCommand(WPARAM wparam, LPARAM lparam);

#endif
