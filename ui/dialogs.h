// The message-box dialogs: the repeat prompt, help, About and the web site,
// and the controls injected into two of the boxes while they are up.
#ifndef KESTROVA_DIALOGS_H
#define KESTROVA_DIALOGS_H

#include <windows.h>

// CMD_SET_REPEAT: asks for the repeat count; OK sets it and ends continuous
// playback.
void AskRepeatCount(WPARAM wparam, LPARAM lparam);

// CMD_HELP: the quick guide and the shortcut keys.
void ShowHelp(WPARAM wparam, LPARAM lparam);

// CMD_WEBSITE: opens the web site, its home page when lparam is 1 (the About
// box's link), else the support page; says so when that fails.
void OpenWebSite(WPARAM wparam, LPARAM lparam);

// CMD_ABOUT: the About box, with the program's icon and the web link.
void ShowAbout(WPARAM wparam, LPARAM lparam);

// A tick of TIMER_REPEAT_EDIT or TIMER_ABOUT_LINK: once the box is up, adds
// its edit box or link and stops the timer.
void InjectControl(HWND window, WPARAM timer);

// Procedures of the injected controls.
LRESULT CALLBACK RepeatEditProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK WebLinkProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam);

#endif
