#ifndef KESTROVA_DISPATCH_H
#define KESTROVA_DISPATCH_H

#include <windows.h>

// The WM_COMMAND branch of the main window: admits or drops the command by
// the run mode and hands it to its owner.
void DispatchCommand(HWND window, WPARAM wparam, LPARAM lparam);

// A message box owned by the main window with the information flags.
int ShowInformation(const char* text, const char* caption);

#endif
