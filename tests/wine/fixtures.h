// Shared set-up for the Win32 tests: a scratch folder, a real main window.
#ifndef KESTROVA_WINE_FIXTURES_H
#define KESTROVA_WINE_FIXTURES_H

#include <windows.h>

#include <string>

// An empty folder under the temporary folder (files an earlier run left
// there are removed), with a trailing backslash.
std::string ScratchFolder(const char* name);

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);

// Registers the class (once) and creates the main window at the given place,
// stored in the state as the program does. Not shown.
HWND MakeMainWindow(int left = 100, int top = 100);

// Destroys the main window as a close does, and takes the WM_QUIT that its
// destruction posts, so that later message boxes are not ended by it.
void DestroyMainWindow(HWND window);

// Handles whatever is queued for this thread, for about the given time.
void PumpMessages(DWORD milliseconds);

// Makes the window the foreground window and waits until that has settled:
// X focus events from windows closed just before can still move it away.
// Returns whether the window stayed in front.
bool BringToFront(HWND window);

// The caption of a window, as 8-bit text.
std::string Caption(HWND window);

#endif
