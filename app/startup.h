// Start-up: settings, the main window's class and window, the start road, the message loop.
#ifndef KESTROVA_STARTUP_H
#define KESTROVA_STARTUP_H

#include <windows.h>

#include <cstdint>

// Runs the program: settings, window, the message loop. Returns the exit code.
int Startup(HINSTANCE instance, const char* command_tail, int show_command);

// Registers the main window's class; 0 on failure.
ATOM RegisterMainClass(HINSTANCE instance);

// Creates the main window at the given outer rectangle; none on failure.
HWND CreateMainWindow(HINSTANCE instance, std::int32_t left, std::int32_t top, std::int32_t width,
                      std::int32_t height);

// One turn of the main message loop: waits for a message or the playback's
// next step, runs the step when it is due, then handles every message
// waiting. Returns false at WM_QUIT, whose wParam msg then holds.
bool MessageLoopTurn(MSG& msg);

extern const char kMainClassName[];

#endif
