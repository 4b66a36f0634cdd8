// The common dialogs that ask for a file to open or to save to.
#ifndef KESTROVA_FILE_DIALOG_H
#define KESTROVA_FILE_DIALOG_H

#include <windows.h>

constexpr int kAskOpen = 1;  // an existing file; any other mode asks where to save
constexpr int kAskSave = 2;

// Fills the dialog's record: the owner (the foreground window when the given
// one is none), the filter, name (kAskedCapacity bytes) as the proposed name
// and the starting folder, and the mode's flags (and, to save, the ending of
// the filter's first pattern as the default).
void FillFileDialog(OPENFILENAMEA& dialog, HWND owner, char* name, const char* filter, int mode);

// Asks for a file name, proposing the one in name (kAskedCapacity bytes).
// Returns 1 when one was chosen (then in name), 0 when the user cancelled
// (name is then empty).
int AskFileName(HWND owner, char* name, const char* filter, int mode);

#endif
