// The WM_COMMAND branch of the main window.
#ifndef KESTROVA_DISPATCH_H
#define KESTROVA_DISPATCH_H

#include <windows.h>

// Admits or drops the command by the run mode and hands it to the handler
// the command table names.
void DispatchCommand(WPARAM wparam, LPARAM lparam);

#endif
