// The main window's procedure: one handler per message.
#ifndef KESTROVA_MAIN_WINDOW_H
#define KESTROVA_MAIN_WINDOW_H

#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

#endif
